#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "OthersFixture.h"
#include "base/forms/RequestForm.h"
#include "base/forms/Selectors.h"
#include "base/forms/TFormCatalogue.h"
#include "base/forms/TfBaseEditMaster.h"
#include "frame/uPurchasePackage.h"
#include "others/uOthersBrowse.h"
#include "others/uOthersForms.h"
#include "support/GoldenTable.h"

namespace tavrek::testing {
namespace {

class OthersForms : public OthersFixture {
protected:
    std::string PostedInvoice() { return Value("SELECT Id FROM D_PurchInvoiceHeader").AsString(); }

    // The rows of a form opened by number as its caller opens it.
    TfOthersBrowse& Open(int number, const TFilter& filter, const TDefaultValues& defaults = {}) {
        RequestForm(number, {soNormal}, filter, Variant(), Variant(), nullptr, defaults);
        EXPECT_FALSE(host.OpenForms().empty()) << number;
        auto* form = dynamic_cast<TfOthersBrowse*>(host.OpenForms().back());
        if (form == nullptr) throw std::runtime_error("no browse form under " + std::to_string(number));
        return *form;
    }
    // The value a case names, or the first value of the query it gives instead.
    Variant Expected(const TGoldenCase& c, const std::string& key) {
        return c.Has(key + "Sql") ? Value(c.Text(key + "Sql")) : c[key];
    }
    static TDefaultValues Defaults(const TGoldenCase& c) {
        TDefaultValues defaults;
        for (const TGoldenRow* row : c.RowsOf("default"))
            defaults.push_back({row->Words[0].AsString(), row->Words.size() > 2 ? Variant(row->Words[1].AsDateTime()) : row->Words[1]});
        return defaults;
    }
};

// Each selector as its caller opens it: the filter it passes, the fields it copies by name,
// and the rows a buyer expects to choose from.
TEST_F(OthersForms, SelectorsListWhatTheirCallersChooseWithTheFieldsTheyCopy) {
    for (const TGoldenCase& c : ReadGoldenCases("others/selectors.txt")) {
        SCOPED_TRACE(c.Name);
        TClientDataSet rows;
        LoadSelectorRows(c.Text("Selector"), c.Filter(), rows);
        EXPECT_EQ(rows.RecordCount(), Expected(c, "Rows").AsInteger());
        std::string copied = c.Text("Copied");
        for (size_t start = 0, comma = 0; start <= copied.size(); start = comma + 1) {
            comma = std::min(copied.find(',', start), copied.size());
            EXPECT_NE(rows.FindField(copied.substr(start, comma - start)), nullptr)
                << copied.substr(start, comma - start);
        }
        if (!c.Has("Key")) continue;
        ASSERT_TRUE(rows.Locate(c.Text("Key"), {c["KeyValue"]}));
        // Computed columns of views come typed by the engine: SQLite hands them out as text.
        const Variant value = Expected(c, "Value");
        if (value.Type() == TVarType::varDouble) {
            EXPECT_DOUBLE_EQ(rows.FieldByName(c.Text("Field")).AsFloat(), value.AsFloat());
        } else {
            EXPECT_EQ(rows.FieldByName(c.Text("Field")).Value(), value);
        }
    }
}

// Every form number of other packages in the catalogue, opened as its caller opens it on the
// posted invoice of V03: the rows a buyer reads and the total under the grid.
TEST_F(OthersForms, EveryCataloguedFormOpensOnWhatItsCallerPasses) {
    for (const TGoldenCase& c : ReadGoldenCases("others/catalogued_browse_forms.txt", {{"$posted", PostedInvoice()}})) {
        SCOPED_TRACE(c.Name);
        const int number = std::stoi(c.Name);
        TfOthersBrowse& form = Open(number, c.Filter(), Defaults(c));
        EXPECT_STREQ(form.ClassName().c_str(), FindCatalogueNumber(number)->ClassName);
        EXPECT_EQ(form.cdsMaster.RecordCount(), Expected(c, "Rows").AsInteger());
        if (c.Has("Total")) {
            EXPECT_EQ(form.cdsMaster.AggregateValue("Agg_" + c.Text("Total")), Expected(c, "Value"));
        }
        EXPECT_TRUE(form.ReadOnly);
        ExpectNoErrors();
    }
    // What is not built yet tells the user so instead of opening.
    const std::set<int> missing = {10830, 10831, 10840, 10841, 11410, 11411, 11451};
    for (const TFormCatalogueEntry& entry : FormCatalogue())
        if (!entry.Package) {
            EXPECT_EQ(FormRegistry().FindNumber(entry.FormNumber) == nullptr, missing.count(entry.FormNumber) > 0)
                << entry.FormNumber;
        }
}

// The cards, editors and the order line selection, each opened by number with what its caller
// passes, show what the caller meant; with the browse forms above they are every catalogued
// form of the other packages that is built.
TEST_F(OthersForms, EveryCardAndEditorOpensOnWhatItsCallerPasses) {
    PurchasePackageStartup();
    // Open protocols of an invoice and of a credit memo, named by the posted views as the
    // posted documents they will become.
    Exec("INSERT INTO D_GlobalPurchHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentDate) VALUES "
         "('{GP1}', 'DEMO', 40, 'V03', 46200), ('{GP2}', 'DEMO', 41, 'V03', 46200)");
    std::set<int> walked;
    for (const TGoldenCase& c : ReadGoldenCases("others/catalogued_cards_and_editors.txt")) {
        SCOPED_TRACE(c.Name);
        const int number = std::stoi(c.Name);
        RequestForm(number, {soNormal}, c.Filter(), Variant(), Variant(), nullptr, Defaults(c));
        TfBase& form = *host.OpenForms().back();
        EXPECT_EQ(form.ClassName(), FindCatalogueNumber(number)->ClassName);
        TClientDataSet& data = *form.FindDataSet(c.Text("DataSet"));
        EXPECT_EQ(data.RecordCount() + (data.State() == TDataSetState::dsInsert ? 1 : 0), c.Int("Records"));
        ASSERT_TRUE(data.Locate(c.Text("Field"), {c["Value"]}));
        ExpectNoErrors();
        walked.insert(number);
    }
    for (const TFormCatalogueEntry& entry : FormCatalogue()) {
        if (entry.Package || FormRegistry().FindNumber(entry.FormNumber) == nullptr) continue;
        EXPECT_TRUE(walked.count(entry.FormNumber) > 0 || uOthersForms::FindByClass(entry.ClassName) != nullptr)
            << entry.FormNumber;
    }
    PurchasePackageShutdown();
}

// A global document's sources are taken out through the line selectors in removal mode: the
// chosen document's lines leave the global document, lines typed into it stay, and the
// source lines are offered for choosing again.
TEST_F(OthersForms, RemovalModeTakesTheChosenSourceDocumentsOutOfTheGlobalDocument) {
    Exec("INSERT INTO D_PurchCrMemoHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentNo, NotIncludeVatLedger, "
         "Annul) VALUES ('{C1}', 'DEMO', 13, 'V03', 'C-1', 1, 0), ('{C2}', 'DEMO', 13, 'V03', 'C-2', 1, 0);"
         "INSERT INTO D_PurchCrMemoLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity) VALUES "
         "('{C1}', '{C1-1}', 'DEMO', 1, 1, '1008', 2), ('{C2}', '{C2-1}', 'DEMO', 1, 1, '1010', 1);"
         "INSERT INTO D_GlobalPurchHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentNo) VALUES "
         "('{GI}', 'DEMO', 3, 'V03', 'G-1'), ('{GC}', 'DEMO', 15, 'V03', 'G-2');"
         "INSERT INTO D_GlobalPurchLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, SrcLine_Id) "
         "SELECT '{GI}', 'GI-' || Id, 'DEMO', Line_No, Type, Code, Id FROM D_PurchInvoiceLine UNION ALL "
         "SELECT '{GC}', 'GC-' || Id, 'DEMO', 1, Type, Code, Id FROM D_PurchCrMemoLine;"
         "INSERT INTO D_GlobalPurchLine (Master_Id, Id, Comp_Id, Line_No, Type, Code) VALUES "
         "('{GI}', 'GI-TYPED', 'DEMO', 9, 1, '1001'), ('{GC}', 'GC-TYPED', 'DEMO', 9, 1, '1001')");
    const struct {
        int number;
        const char* className;
        const char* header;  // of the source documents
        const char* globalNo;
        const char* global;
        const char* chosen;  // the source document taken out
        int listed;          // its lines and the other documents' lines in the global document
        int left;            // lines of the global document afterwards
    } cases[] = {
        {10680, "TfBrSelectPurchInvoiceLines", "D_PurchInvoiceHeader", "GlobalInvoiceNo", "{GI}", "", 2, 1},
        {10700, "TfBrSelectPurchCrMemoLines", "D_PurchCrMemoHeader", "GlobalCrMemoNo", "{GC}", "{C2}", 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        const std::string header = c.header, documentNo = c.number == 10680 ? "G-1" : "G-2";
        const auto sourcesOf = [&](const Variant& number) {
            TClientDataSet rows;
            LoadSelectorRows(std::to_string(c.number),
                             TFilter()
                                 .Add(header + ".Contragent_Id", "=", "V03", " AND")
                                 .Add(header + "." + c.globalNo, number.IsNull() ? " is" : "=",
                                      number.IsNull() ? Variant("NULL") : number),
                             rows);
            return rows.RecordCount();
        };
        EXPECT_EQ(sourcesOf(Variant()), 0);
        TFormRequest request;
        request.FormNumber = c.number;
        request.ShowOptions = {soRemoveSources};
        request.Filter = TFilter()
                             .Add(header + ".Comp_Id", "=", "DEMO", " AND")
                             .Add(header + "." + c.globalNo, "=", documentNo);
        request.DefaultValues = {{"DocumentType", 0}, {"Id", c.global}, {"DocumentNo", documentNo}};
        host.ScriptModal(c.className, [&c](TfBase& form) {
            auto& selector = static_cast<TfOthersBrowse&>(form);
            EXPECT_EQ(selector.cdsMaster.RecordCount(), c.listed);
            EXPECT_TRUE(selector.acRemoveSources.Visible);
            EXPECT_FALSE(selector.acSelectRecord.Visible);
            if (*c.chosen != '\0') {
                EXPECT_TRUE(selector.cdsMaster.Locate("Master_Id", {Variant(c.chosen)}));
            }
            selector.acRemoveSources.Execute();
            return form.ModalResult;
        });
        ASSERT_EQ(RequestForm(request), 1);
        ExpectNoErrors();
        EXPECT_EQ(Count("D_GlobalPurchLine", std::string("Master_Id = '") + c.global + "'"), c.left);
        EXPECT_EQ(Count("D_GlobalPurchLine", std::string("Master_Id = '") + c.global + "' AND SrcLine_Id IS NULL"), 1);
        EXPECT_EQ(sourcesOf(Variant()), c.listed - (c.left - 1));
        EXPECT_EQ(sourcesOf(Variant(documentNo)), c.left - 1);
    }
}

TEST_F(OthersForms, SearchNarrowsARowOpensItsCardAndAModalFormHandsBackTheChosenRow) {
    TfOthersBrowse& history = Open(390, TFilter().Add("dv_ItemEntry.Comp_Id", "=", "DEMO"));
    EXPECT_EQ(history.cdsMaster.RecordCount(), 2);
    history.cdsFilter.Edit();
    history.cdsFilter.FieldByName("SearchText").SetAsString("няма такъв");
    EXPECT_EQ(history.cdsMaster.RecordCount(), 0);
    history.cdsFilter.FieldByName("SearchText")
        .SetAsString(Value("SELECT DocumentNo FROM D_PurchInvoiceHeader").AsString());
    EXPECT_EQ(history.cdsMaster.RecordCount(), 2);
    ASSERT_TRUE(history.cdsMaster.Locate("Item_Id", {Variant("1010")}));
    history.dbgMaster.OnDblClick();
    auto* card = dynamic_cast<TfBaseEditMaster*>(host.OpenForms().back());
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->ClassName(), "TfEdItem");
    EXPECT_EQ(card->cdsMaster.FieldByName("Code").AsString(), "1010");

    TFormRequest request;
    request.FormNumber = 10770;
    request.ShowOptions = {soModal};
    host.ScriptModal("TfBrSelectDocSubType", [](TfBase& form) {
        EXPECT_TRUE(form.cdsMaster.Locate("Code", {Variant("520")}));
        static_cast<TfOthersBrowse&>(form).acSelectRecord.Execute();
        return form.ModalResult;
    });
    ASSERT_EQ(RequestForm(request), 1);
    ASSERT_GE(request.Result.size(), 2u);
    EXPECT_EQ(request.Result[0].AsString(), "SD-520");
    EXPECT_EQ(request.Result[1].AsString(), "520");
    ExpectNoErrors();
}

}  // namespace
}  // namespace tavrek::testing
