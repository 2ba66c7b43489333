#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "lists/uDespatchAdviceFilter.h"
#include "lists/uOrdImportCsvFilter.h"
#include "support/FileMutations.h"
#include "support/GoldenTable.h"

namespace tavrek::testing {
namespace {

const std::string kData = TAVREK_TEST_DATA_DIR "/data/orderimport/";
const std::string kOasis = TAVREK_UBL_DIR "/../ubl-orders/";

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << path;
    return std::string(std::istreambuf_iterator<char>(file), {});
}

using TParser = std::function<TOrdImportFile(const std::string&)>;

TParser ParserOf(const std::string& file) {
    if (file.ends_with(".csv")) return ParseOrdImportCsv;
    return ParseDespatchAdvice;
}

// Each line as "item quantity unit order", the item the first key the vendor gave.
std::string LinesOf(const TOrdImportFile& file) {
    std::string text;
    for (const TOrdImportFileLine& l : file.Lines) {
        const std::string& key = !l.VendorItemNo.empty() ? l.VendorItemNo : !l.BuyerItemNo.empty() ? l.BuyerItemNo : l.StandardItemNo;
        char quantity[32];
        std::snprintf(quantity, sizeof quantity, "%g", l.Quantity);
        text += (text.empty() ? "" : " | ") + key + " " + quantity + " " + l.UnitCode + " " + l.OrderNo;
    }
    return text;
}

TEST(OrdImportFilters, ReadTheLinesOfEachFormat) {
    struct TCase {
        std::string Path, Number, Lines;
    };
    for (const TCase& c : {
             TCase{kData + "despatch_advice_two_orders.xml", "DA-5003-0042",
                   "A-7008 10 H87 0000000001 | A-7008 6 H87 0000000002 | A-7010 3.5 KGM 0000000002"},
             TCase{kData + "delivery_semicolon_bom.csv", "",
                   "A-7008 10 H87 0000000001 | A-7008 6 H87 0000000002 | A-7010 3.5 KGM 0000000002"},
             // Quoted commas, doubled quotes and a line break inside a cell; a blank row is skipped.
             TCase{kData + "delivery_comma_our_codes.csv", "", "1008 16   | 1010 3.5  "},
             // The OASIS example: its buyer's and seller's numbers, the line's order reference.
             TCase{kOasis + "UBL-DespatchAdvice-2.0-Example.xml", "565899", "17589683 90 KGM AEG012345"},
         }) {
        SCOPED_TRACE(c.Path);
        const TOrdImportFile file = ParserOf(c.Path)(ReadText(c.Path));
        EXPECT_EQ(file.DocumentNo, c.Number);
        EXPECT_EQ(LinesOf(file), c.Lines);
    }
    const TOrdImportFile comma = ParseOrdImportCsv(ReadText(kData + "delivery_comma_our_codes.csv"));
    EXPECT_EQ(comma.Lines[0].Description, "Кисело мляко, \"Родопа\"");
    EXPECT_EQ(comma.Lines[1].Description, "Сирене\nбяло");
    EXPECT_EQ(comma.Lines[1].Where, "ред 4") << "a record is named by the line it starts on";
}

// The other documents of the OASIS release are no despatch advice and are refused by it.
TEST(OrdImportFilters, DocumentsThatAreNoDespatchAdviceAreRefusedWithTheirRoot) {
    for (const char* name : {"UBL-Order-2.1-Example.xml", "UBL-OrderResponse-2.1-Example.xml",
                             "UBL-OrderResponseSimple-2.1-Example.xml"}) {
        SCOPED_TRACE(name);
        try {
            ParseDespatchAdvice(ReadText(kOasis + name));
            ADD_FAILURE() << "read";
        } catch (const EOrdImportFile& error) {
            EXPECT_NE(std::string(error.what()).find("а не DespatchAdvice"), std::string::npos) << error.what();
        }
    }
}

TEST(OrdImportFilters, ABrokenFileIsRefusedWholeNamingItsLineOrElement) {
    for (const TGoldenCase& c : ReadGoldenCases("lists/order_import_broken_files.txt")) {
        SCOPED_TRACE(c.Name);
        std::string text = ReadText(kData + c.Text("File"));
        const size_t at = text.find(c.Text("Replace"));
        ASSERT_NE(at, std::string::npos);
        text.replace(at, c.Text("Replace").size(), c.Text("With"));
        try {
            ParserOf(c.Text("File"))(text);
            ADD_FAILURE() << "read";
        } catch (const EOrdImportFile& error) {
            EXPECT_NE(std::string(error.what()).find(c.Text("Message")), std::string::npos) << error.what();
        }
    }
}

// Mutated files are read whole or refused with a message: no other failure, no crash, and no
// line that could be imported half (without an item or with a quantity that is no quantity).
// TAVREK_FUZZ_MUTATIONS sets the count per file (100000 for a long run); CI runs fewer.
TEST(OrdImportFilters, MutatedFilesAreReadWholeOrRefused) {
    const int mutations = FuzzMutations();
    std::mt19937 random(20261209);
    for (const char* name : {"despatch_advice_two_orders.xml", "delivery_semicolon_bom.csv", "delivery_comma_our_codes.csv"}) {
        SCOPED_TRACE(name);
        const std::string original = ReadText(kData + name);
        const TParser parse = ParserOf(name);
        int read = 0, refused = 0;
        for (int i = 0; i < mutations; ++i) {
            const std::string text = MutatedFile(original, random);
            try {
                const TOrdImportFile file = parse(text);
                ++read;
                for (const TOrdImportFileLine& l : file.Lines) {
                    ASSERT_TRUE(std::isfinite(l.Quantity) && l.Quantity > 0) << text;
                    ASSERT_FALSE(l.VendorItemNo.empty() && l.BuyerItemNo.empty() && l.StandardItemNo.empty()) << text;
                }
                ASSERT_FALSE(file.Lines.empty()) << text;
            } catch (const EOrdImportFile& error) {
                ++refused;
                ASSERT_GT(std::string(error.what()).size(), 10u);
            }
        }
        EXPECT_EQ(read + refused, mutations);
        EXPECT_GT(refused, 0);
    }
}

}  // namespace
}  // namespace tavrek::testing
