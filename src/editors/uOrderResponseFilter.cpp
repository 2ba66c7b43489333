#include "editors/uOrderResponseFilter.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "base/partner/UblElements.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

using ubl::Child;
using ubl::LocalName;
using ubl::Text;

// A quantity or price of the response: a number, 0 or more.
bool ReadAmount(const pugi::xml_node& node, const std::string& where, const char* element, double& value) {
    if (!node) return false;
    const std::string text = Trim(node.child_value());
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value) || value < 0)
        throw EOrderResponse(where + ", " + element + ": „" + text + "“ не е число, 0 или повече.");
    return true;
}

TOrderResponseLine ReadLine(const pugi::xml_node& orderLine, size_t position) {
    const pugi::xml_node item = Child(orderLine, "LineItem");
    const std::string id = Text(item, {"ID"});
    TOrderResponseLine line;
    line.Where = "OrderLine " + (id.empty() ? "№ " + std::to_string(position) : id);
    if (!item) throw EOrderResponse(line.Where + ": няма LineItem.");
    line.Status = Text(item, {"LineStatusCode"});
    if (line.Status != "3" && line.Status != "5" && line.Status != "7")
        throw EOrderResponse(line.Where + ", LineStatusCode: „" + line.Status +
                             "“ не е 3 (променен), 5 (приет) или 7 (отказан).");
    line.OrderLineId = Text(orderLine, {"OrderLineReference", "LineID"});
    line.VendorItemNo = Text(item, {"Item", "SellersItemIdentification", "ID"});
    line.BuyerItemNo = Text(item, {"Item", "BuyersItemIdentification", "ID"});
    if (line.OrderLineId.empty() && line.VendorItemNo.empty() && line.BuyerItemNo.empty())
        throw EOrderResponse(line.Where + ": не назовава ред от поръчката (OrderLineReference) или артикул "
                                          "(SellersItemIdentification, BuyersItemIdentification).");
    line.HasQuantity = ReadAmount(Child(item, "Quantity"), line.Where, "Quantity", line.Quantity);
    line.HasPrice = ReadAmount(Child(Child(item, "Price"), "PriceAmount"), line.Where, "PriceAmount", line.Price);
    if (line.Status == "3" && !line.HasQuantity && !line.HasPrice)
        throw EOrderResponse(line.Where + ": променен ред без Quantity и без Price.");
    return line;
}

TOrderResponse ReadSimple(const pugi::xml_node& root) {
    const std::string accepted = Text(root, {"AcceptedIndicator"});
    if (accepted != "true" && accepted != "false")
        throw EOrderResponse("OrderResponseSimple, AcceptedIndicator: „" + accepted + "“ не е true или false.");
    return {Text(root, {"ID"}), accepted == "true" ? "AP" : "RE", Text(root, {"OrderReference", "ID"}), {}};
}

}  // namespace

TOrderResponse ParseOrderResponse(const std::string& xml) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size());
    if (!parsed) {
        const auto end = xml.begin() + std::clamp<ptrdiff_t>(parsed.offset, 0, static_cast<ptrdiff_t>(xml.size()));
        throw EOrderResponse("Ред " + std::to_string(std::count(xml.begin(), end, '\n') + 1) +
                             " на файла: неправилен XML (" + parsed.description() + ").");
    }
    const pugi::xml_node root = document.document_element();
    if (LocalName(root) == "OrderResponseSimple") return ReadSimple(root);
    if (LocalName(root) != "OrderResponse")
        throw EOrderResponse(std::string("Коренният елемент е „") + root.name() + "“, а не OrderResponse.");
    TOrderResponse response{Text(root, {"ID"}), Text(root, {"OrderResponseCode"}), Text(root, {"OrderReference", "ID"}), {}};
    if (response.Code.empty()) throw EOrderResponse("OrderResponse: няма OrderResponseCode.");
    if (response.Code != "AB" && response.Code != "AP" && response.Code != "RE" && response.Code != "CA")
        throw EOrderResponse("OrderResponseCode: „" + response.Code + "“ не е AB, AP, RE или CA.");
    size_t position = 0;
    for (pugi::xml_node child : root.children())
        if (child.type() == pugi::node_element && LocalName(child) == "OrderLine")
            response.Lines.push_back(ReadLine(child, ++position));
    if (response.Code == "CA" && response.Lines.empty())
        throw EOrderResponse("OrderResponse: условно приета поръчка (CA) без нито един OrderLine.");
    return response;
}

TOrderResponse ReadOrderResponse(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) throw EOrderResponse("Файлът " + path + " не може да бъде отворен.");
    return ParseOrderResponse(std::string(std::istreambuf_iterator<char>(stream), {}));
}

}  // namespace tavrek
