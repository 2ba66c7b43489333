#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include <pugixml.hpp>

#include "base/partner/ITavrekAPI.h"
#include "base/partner/TUblInvoice.h"

namespace tavrek {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The published documents the reader accepts, as text.
std::vector<std::pair<std::string, std::string>> AcceptedDocuments() {
    std::vector<std::pair<std::string, std::string>> documents;
    for (const fs::directory_entry& entry : fs::directory_iterator(TAVREK_UBL_DIR)) {
        if (entry.path().extension() == ".md") continue;
        std::string text = ReadAll(entry.path());
        try {
            TUblInvoice::ReadText(text, entry.path().filename().string());
            documents.emplace_back(entry.path().filename().string(), std::move(text));
        } catch (const EPartnerError&) {
        }
    }
    std::sort(documents.begin(), documents.end());
    return documents;
}

// What any accepted document must be, whatever was done to it.
void ExpectSound(const TUblInvoice& document, const std::string& what) {
    ASSERT_FALSE(document.Lines.empty()) << what;
    double lines = 0.0;
    for (const TUblInvoiceLine& line : document.Lines) {
        EXPECT_FALSE(line.VendorKey().empty()) << what;
        EXPECT_TRUE(std::isfinite(line.ComputedAmount())) << what;
        EXPECT_NE(line.BaseQuantity, 0.0) << what;
        lines += line.LineAmount;
    }
    const TUblTotals& t = document.Totals;
    EXPECT_NEAR(lines, t.LineExtensionAmount, 0.011) << what;
    EXPECT_NEAR(t.TaxExclusiveAmount + t.TaxAmount, t.TaxInclusiveAmount, 0.011) << what;
    EXPECT_NEAR(t.TaxInclusiveAmount - t.PrepaidAmount + t.PayableRoundingAmount, t.PayableAmount, 0.011) << what;
}

void ReadMutated(const std::string& text, const std::string& what) {
    try {
        ExpectSound(TUblInvoice::ReadText(text, "fuzz.xml"), what);
    } catch (const EPartnerError& e) {
        EXPECT_NE(std::string(e.what()).find("fuzz.xml"), std::string::npos) << what;
    }
}

TEST(UblInvoiceFuzz, TruncatedAndMutatedDocumentsAreRefusedOrSound) {
    const auto documents = AcceptedDocuments();
    ASSERT_GE(documents.size(), 30u);
    std::mt19937 random(20261207);
    const std::string alphabet = "<>/=\"&;:. -0123456789abcxyzE\x01\xff";
    for (const auto& [name, text] : documents) {
        std::uniform_int_distribution<size_t> position(0, text.size() - 1);
        for (int round = 0; round < 30; ++round) {
            const size_t at = position(random);
            ReadMutated(text.substr(0, at), name + " cut at " + std::to_string(at));
            std::string mutated = text;
            for (int flips = 0; flips <= round % 4; ++flips)
                mutated[position(random)] = alphabet[random() % alphabet.size()];
            ReadMutated(mutated, name + " mutated, round " + std::to_string(round));
            std::string shuffled = text;
            const size_t from = position(random), length = std::min<size_t>(random() % 64, text.size() - from);
            shuffled.erase(from, length);
            ReadMutated(shuffled, name + " lost " + std::to_string(length) + " at " + std::to_string(from));
        }
    }
}

std::string_view LocalName(const pugi::xml_node& node) {
    const std::string_view name = node.name();
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// The published amounts that the document's own sums tie together: changing any of them
// must make the document refused.
bool IsTiedAmount(const pugi::xml_node& node, const std::string& currency) {
    static const std::set<std::string_view> amounts = {"LineExtensionAmount", "TaxExclusiveAmount", "TaxInclusiveAmount",
                                                       "PayableAmount", "TaxableAmount"};
    const std::string_view name = LocalName(node);
    if (amounts.count(name) != 0) return true;
    if (name != "TaxAmount" || node.attribute("currencyID").value() != currency) return false;
    const pugi::xml_node total = LocalName(node.parent()) == "TaxSubtotal" ? node.parent().parent() : node.parent();
    return total.parent().parent().type() == pugi::node_document;  // the document's VAT, not a line's
}

void CollectTied(pugi::xml_node node, const std::string& currency, std::vector<pugi::xml_node>& found) {
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element) continue;
        if (IsTiedAmount(child, currency)) found.push_back(child);
        CollectTied(child, currency, found);
    }
}

TEST(UblInvoiceFuzz, AnyTiedAmountChangedMakesTheDocumentRefused) {
    for (const auto& [name, text] : AcceptedDocuments()) {
        pugi::xml_document xml;
        ASSERT_TRUE(xml.load_string(text.c_str()));
        const std::string currency = TUblInvoice::ReadText(text, name).Currency;
        std::vector<pugi::xml_node> tied;
        CollectTied(xml.document_element(), currency, tied);
        for (pugi::xml_node node : tied) {
            const std::string published = node.child_value();
            node.text().set(std::to_string(std::stod(published) + 1000.0).c_str());
            std::ostringstream changed;
            xml.save(changed);
            EXPECT_THROW(TUblInvoice::ReadText(changed.str(), name), EPartnerError)
                << name << ": " << node.name() << " " << published << " + 1000 was accepted";
            node.text().set(published.c_str());
        }
    }
}

}  // namespace
}  // namespace tavrek
