#include "lists/uDespatchAdviceFilter.h"

#include <pugixml.hpp>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "base/partner/UblElements.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

using ubl::Child;
using ubl::LocalName;
using ubl::Text;

size_t LineOfOffset(const std::string& xml, ptrdiff_t offset) {
    const auto end = xml.begin() + std::clamp<ptrdiff_t>(offset, 0, static_cast<ptrdiff_t>(xml.size()));
    return static_cast<size_t>(std::count(xml.begin(), end, '\n')) + 1;
}

TOrdImportFileLine ReadLine(const pugi::xml_node& node, size_t position, const std::string& documentOrder) {
    const std::string id = Text(node, {"ID"});
    const std::string where = "DespatchLine " + (id.empty() ? "№ " + std::to_string(position) : id);
    const pugi::xml_node delivered = Child(node, "DeliveredQuantity");
    if (!delivered) throw EOrdImportFile(where + ": няма DeliveredQuantity.");
    TOrdImportFileLine line;
    line.Where = where;
    if (!ParseFileQuantity(delivered.child_value(), line.Quantity))
        throw EOrdImportFile(where + ", DeliveredQuantity: „" + Trim(delivered.child_value()) + "“ не е положително число.");
    line.UnitCode = Trim(delivered.attribute("unitCode").value());
    if (line.UnitCode.empty()) throw EOrdImportFile(where + ", DeliveredQuantity: няма unitCode.");
    const pugi::xml_node item = Child(node, "Item");
    if (!item) throw EOrdImportFile(where + ": няма Item.");
    line.VendorItemNo = Text(item, {"SellersItemIdentification", "ID"});
    line.BuyerItemNo = Text(item, {"BuyersItemIdentification", "ID"});
    line.StandardItemNo = Text(item, {"StandardItemIdentification", "ID"});
    if (line.VendorItemNo.empty() && line.BuyerItemNo.empty() && line.StandardItemNo.empty())
        throw EOrdImportFile(where + ", Item: няма SellersItemIdentification, BuyersItemIdentification или "
                                     "StandardItemIdentification.");
    line.Description = Text(item, {"Name"});
    if (line.Description.empty()) line.Description = Text(item, {"Description"});
    line.OrderNo = Text(node, {"OrderLineReference", "OrderReference", "ID"});
    if (line.OrderNo.empty()) line.OrderNo = documentOrder;
    return line;
}

}  // namespace

TOrdImportFile ParseDespatchAdvice(const std::string& xml) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size());
    if (!parsed)
        throw EOrdImportFile("Ред " + std::to_string(LineOfOffset(xml, parsed.offset)) + " на файла: неправилен XML (" +
                             parsed.description() + ").");
    const pugi::xml_node root = document.document_element();
    if (LocalName(root) != "DespatchAdvice")
        throw EOrdImportFile(std::string("Коренният елемент е „") + root.name() + "“, а не DespatchAdvice.");
    TOrdImportFile file;
    file.DocumentNo = Text(root, {"ID"});
    const std::string documentOrder = Text(root, {"OrderReference", "ID"});
    size_t position = 0;
    for (pugi::xml_node child : root.children())
        if (child.type() == pugi::node_element && LocalName(child) == "DespatchLine")
            file.Lines.push_back(ReadLine(child, ++position, documentOrder));
    if (file.Lines.empty()) throw EOrdImportFile("DespatchAdvice: няма нито един DespatchLine.");
    return file;
}

TOrdImportFile ReadDespatchAdvice(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) throw EOrdImportFile("Файлът " + path + " не може да бъде отворен.");
    return ParseDespatchAdvice(std::string(std::istreambuf_iterator<char>(stream), {}));
}

}  // namespace tavrek
