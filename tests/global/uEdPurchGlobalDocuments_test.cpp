#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "global/uEdPurchGlobalCrMemo.h"
#include "global/uEdPurchGlobalCrMemoProtocol.h"
#include "global/uEdPurchGlobalInvoice.h"
#include "global/uEdPurchGlobalProtocol.h"
#include "support/DocumentFormTest.h"
#include "support/GoldenTable.h"

namespace tavrek::testing {
namespace {

const char* const kMessages[] = {"err_DuplicateLine", "err_GenTransactionNo", "queChangeContragent",
                                 "que_AlreadyExistsPProtocol", "err_DeleteGlobalDetailRows"};

// Each editor on one saved document G1 of vendor V01 with two lines, the second copied from a
// posted line.
class GlobalEditor : public DocumentFormTestBase {
protected:
    GlobalEditor()
        : DocumentFormTestBase(PurchHeaderFields(TPurchDocument::pdGlobalInvoice), LineFields(), "D_GlobalPurchHeader",
                               "D_GlobalPurchLine") {
        for (const char* key : kMessages) server.SetMessage(key, key);
    }
    static std::vector<TFieldDef> LineFields() {
        std::vector<TFieldDef> fields = PurchLineFields(TPurchDocument::pdGlobalInvoice);
        fields.push_back({"Description2", TFieldType::ftString});
        return fields;
    }
    TfEdPurchGlobalDocument& Open(const std::string& className, TRow header = {}) {
        static const std::map<std::string, std::function<std::unique_ptr<TfEdPurchGlobalDocument>()>> make = {
            {"TfEdPurchGlobalInvoice", [] { return std::make_unique<TfEdPurchGlobalInvoice>(); }},
            {"TfEdPurchGlobalProtocol", [] { return std::make_unique<TfEdPurchGlobalProtocol>(); }},
            {"TfEdPurchGlobalCrMemo", [] { return std::make_unique<TfEdPurchGlobalCrMemo>(); }},
            {"TfEdPurchGlobalCrMemoProtocol", [] { return std::make_unique<TfEdPurchGlobalCrMemoProtocol>(); }}};
        form = make.at(className)();
        header.emplace("Id", "G1");
        header.emplace("DocumentNo", "GF-1");
        header.emplace("Contragent_Id", "V01");
        header.emplace("N_Contragent_Code", "V01");
        OpenForm(*form, header,
                 {{{"Id", "L1"}, {"Line_No", 1}, {"Code", "1001"}, {"Quantity", 2.0}, {"DirectUnitCost", 10.0},
                   {"TotalValue", 20.0}, {"VATBaseAmount", 20.0}, {"VATPercent", 20.0}, {"QtyPerUnit", 1.0}},
                  {{"Id", "L2"}, {"Line_No", 2}, {"Code", "1002"}, {"Quantity", 1.0}, {"DirectUnitCost", 5.0},
                   {"TotalValue", 5.0}, {"VATBaseAmount", 5.0}, {"VATPercent", 0.0}, {"SrcLine_Id", "PL7"}}});
        return *form;
    }
    TClientDataSet& Lines() { return form->cdsDetail; }
    void TypeIntoLine(int lineNo, const char* field, const Variant& value) {
        GotoLine(Lines(), lineNo);
        Lines().Edit();
        Lines().FieldByName(field).SetValue(value);
    }

    std::unique_ptr<TfEdPurchGlobalDocument> form;
};

// What each kind draws from: the selector, the conditions on the sources, what the chosen
// line brings, and how it is posted, printed and recalculated on the server.
TEST_F(GlobalEditor, EachKindChoosesPostsAndPrintsItsOwnWay) {
    for (const TGoldenCase& c : ReadGoldenCases("global/global_documents.txt")) {
        SCOPED_TRACE(c.Name);
        TfEdPurchGlobalDocument& editor = Open(c.Name);
        const TGoldenRow& chosen = c.Row("chosen");
        TRequestResult row;
        row.Rows.push_back({});
        const std::string fields = c.Text("Fields");
        for (std::string_view rest = fields; !rest.empty();) {
            const size_t comma = rest.find(',');
            row.Columns.emplace_back(rest.substr(0, comma));
            row.Rows.back().push_back(chosen[row.Columns.back()]);
            rest = comma == std::string_view::npos ? "" : rest.substr(comma + 1);
        }
        dialogs.ExpectSelect(true, row);
        editor.acChooseDocuments.Execute();
        ASSERT_EQ(dialogs.Shown().back().Text, c.Text("Selector"));
        EXPECT_EQ(dialogs.Shown().back().Text2, c.Text("Filter"));
        ASSERT_EQ(Lines().RecordCount(), 3);
        Lines().Last();
        ExpectFields(Lines(), {{"SrcLine_Id", "PL9"}, {"Description2", c.Text("Description2")}, {"Line_No", 3}});
        EXPECT_NEAR(editor.cdsMaster.FieldByName("TotalValue").AsFloat(), 20.0 + 5.0 + 6.0, 1e-9) << "recalculated";

        server.OnRequestValue("C_CompanySetup", Rows({"Transaction_Series_Id"}, {{"TRN"}}));
        server.Script("GetNextSerieNo", "TRN", {.Text = "41"});
        server.Script("ApplyUpdates", "", {}, true);
        if (c.Has("Recalc")) server.OnSQLScript(c.Text("Recalc"));
        if (c.Has("Exists")) server.OnRequestValue("D_PurchInvoiceHeader", Rows({"ToInvoiceNo"}, {}));
        if (c.Name == "TfEdPurchGlobalInvoice")
            server.OnRequestValue("fn_CheckGlobalDuplicateLine('C1','G1',1)", Rows({"Line_No", "DocNo"}, {}));
        server.OnPost(c.Text("Post"), 0, {"P1", "0000000009"});
        dialogs.ExpectMessage(mrOk, "№ 0000000009 е осчетоводен");
        editor.acPostAndPrintDocument.Execute();
        EXPECT_TRUE(dialogs.AllAnswered());
        ASSERT_EQ(server.CallsTo(c.Text("Post")).size(), 1u);
        EXPECT_EQ(server.CallsTo(c.Text("Post"))[0].Args[1].AsInteger(), c.Int("Marker"));
        EXPECT_EQ(server.CallsTo("ExecuteSQLScript").size(), c.Has("Recalc") ? 1u : 0u);
        ASSERT_FALSE(host.Prints().empty());
        EXPECT_EQ(host.Prints().back().PrintFormCode, c.Has("Report") ? c.Text("Report") : "");
        EXPECT_TRUE(LoggedOperations().empty());
    }
}

// Lines taken twice are listed by line and document and nothing is posted.
TEST_F(GlobalEditor, DuplicateSourceLinesStopThePosting) {
    Open("TfEdPurchGlobalInvoice");
    server.OnRequestValue("fn_CheckGlobalDuplicateLine('C1','G1',1)",
                          Rows({"Line_No", "DocNo"}, {{2, "0000000007"}, {5, "0000000008"}}));
    dialogs.ExpectMessage(mrOk, "err_DuplicateLine\r\nРед:2 - Док.:0000000007\r\nРед:5 - Док.:0000000008");
    form->acPostDocument.Execute();
    EXPECT_TRUE(server.CallsTo("PostGlobalDoc").empty());
    EXPECT_TRUE(server.CallsTo("ApplyUpdates").empty()) << "not even saved";
}

// The transaction number is drawn on the first save only; a series refused saves nothing.
TEST_F(GlobalEditor, TheTransactionNumberIsDrawnOnTheFirstSaveOnly) {
    const struct {
        const char* name;
        int serieResult;
        size_t applies;
        const char* number;
    } cases[] = {{"drawn once for two saves", 0, 2, "41"}, {"refused: nothing saved", -1, 0, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Open("TfEdPurchGlobalCrMemo");
        AcceptSaves("G1");
        for (int draw = c.serieResult < 0 ? 2 : 1; draw > 0; --draw) {
            server.OnRequestValue("C_CompanySetup", Rows({"Transaction_Series_Id"}, {{"TRN"}}));
            server.Script("GetNextSerieNo", "TRN", {.Result = c.serieResult, .Text = "41"});
        }
        server.Script("ExecuteSQLScript", "exec dbo.usp_RecalcGlobalDocument 'G1', 'C1', 5", {}, true);
        for (int save = 0; save < 2; ++save) {
            TypeIntoLine(1, "Quantity", 3.0 + save);
            form->acSave.Execute();
        }
        EXPECT_EQ(server.CallsTo("GetNextSerieNo").size(), c.serieResult < 0 ? 2u : 1u);
        EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), c.applies);
        EXPECT_EQ(form->cdsMaster.FieldByName("TransactionNo").AsString(), c.number);
        EXPECT_EQ(LoggedOperations().size(), c.serieResult < 0 ? 2u : 0u);
        server.ClearCalls();
    }
}

// A copied line keeps its source's price; a typed line asks the vendor's price.
TEST_F(GlobalEditor, ACodeTypedOnACopiedLineLooksUpNoPrice) {
    Open("TfEdPurchGlobalInvoice");
    TItemParams price;
    price.Price = 7.0;
    server.OnPrice(0, price);
    TypeIntoLine(1, "Code", "1003");
    EXPECT_NEAR(Lines().FieldByName("DirectUnitCost").AsFloat(), 7.0, 1e-9);
    TypeIntoLine(2, "Code", "1004");
    EXPECT_NEAR(Lines().FieldByName("DirectUnitCost").AsFloat(), 5.0, 1e-9);
    EXPECT_EQ(server.CallsTo("GetItemPriceAndDiscount").size(), 1u);
}

// A VAT value typed gives its base unless the rate is 0; the line is recomputed either way.
TEST_F(GlobalEditor, ATypedVATValueGivesItsBaseUnlessTheRateIsZero) {
    Open("TfEdPurchGlobalInvoice");
    TypeIntoLine(1, "VATValue", 3.0);
    ExpectFields(Lines(), {{"VATBaseAmount", 15.0}, {"TotalPrice", 20.0}, {"VATValue", 3.0}});
    TypeIntoLine(2, "VATValue", 1.0);
    ExpectFields(Lines(), {{"VATBaseAmount", 5.0}, {"TotalPrice", 5.0}, {"VATValue", 0.0}});
    EXPECT_TRUE(LoggedOperations().empty());
}

// Answering No to a vendor change keeps the vendor; the first vendor is no change.
TEST_F(GlobalEditor, AVendorChangeIsAsked) {
    for (const int answer : {mrNo, mrYes}) {
        Open("TfEdPurchGlobalInvoice");
        dialogs.ExpectSelect(true, Rows({"Id", "Code", "Name"}, {{"V02", "V02", "Мелница"}}));
        dialogs.ExpectMessage(answer, "queChangeContragent");
        form->SelectLookup(*form->Description.FindField("N_Contragent_Code"), "");
        EXPECT_EQ(form->cdsMaster.FieldByName("Contragent_Id").AsString(), answer == mrNo ? "V01" : "V02");
    }
    Open("TfEdPurchGlobalInvoice", {{"Contragent_Id", Variant()}});
    dialogs.ExpectSelect(true, Rows({"Id", "Code", "Name"}, {{"V02", "V02", "Мелница"}}));
    form->SelectLookup(*form->Description.FindField("N_Contragent_Code"), "");
    EXPECT_EQ(form->cdsMaster.FieldByName("Contragent_Id").AsString(), "V02");
}

// Taking sources out opens the selector in removal mode over the document's own sources.
TEST_F(GlobalEditor, RemovingSourcesOpensTheSelectorOnTheDocumentsSources) {
    Open("TfEdPurchGlobalInvoice");
    host.ScriptExternal(10680, 1);
    form->acDeleteLinesFromDocs.Execute();
    ASSERT_EQ(host.ExternalRequests().size(), 1u);
    const TFormRequest& request = host.ExternalRequests()[0];
    EXPECT_EQ(request.ShowOptions, TShowOptions{soRemoveSources});
    EXPECT_EQ(FilterText(request.Filter).AsString(),
              "D_PurchInvoiceHeader.Comp_Id=C1 AND D_PurchInvoiceHeader.Contragent_Id=V01 AND "
              "D_PurchInvoiceHeader.GlobalInvoiceNo=GF-1 AND D_PurchInvoiceHeader.DoNotIncInVATLedger=1 AND "
              "D_PurchInvoiceHeader.Annul=0 AND D_PurchInvoiceHeader.IsGlobalInvoice<>1");
    EXPECT_EQ(request.CallingForm, form.get());
}

// A refused deletion of the server's rows keeps the document.
TEST_F(GlobalEditor, ARefusedDeletionKeepsTheDocument) {
    Open("TfEdPurchGlobalProtocol");
    dialogs.ExpectMessage(mrYes);
    server.Script("DeleteGlobalDoc", "G1", {.Result = -1});
    form->acDeleteRecord.Execute();
    EXPECT_EQ(server.CallsTo("DeleteGlobalDoc")[0].Args[1].AsInteger(), 1);
    EXPECT_TRUE(server.CallsTo("ApplyUpdates").empty());
    EXPECT_EQ(form->cdsMaster.FieldByName("Id").AsString(), "G1");
    EXPECT_EQ(LoggedOperations(), std::vector<std::string>{"TfEdPurchGlobalProtocol.cdsMasterBeforeDelete"});
}

}  // namespace
}  // namespace tavrek::testing
