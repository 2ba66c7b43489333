#include <gtest/gtest.h>

#include "base/forms/FormTestSupport.h"

namespace tavrek::testing {
namespace {

class MasterDetailTest : public FormTest {
protected:
    MasterDetailTest() {
        stored.ScriptOn(server);
        TFormRequest request;
        request.Filter.Add("D_PurchHeader.Id", "=", "H1");
        form.Create(request);
        form.Show();
    }

    // Changes a line and the header, as the user would.
    void EditDocument() {
        form.cdsDetail.First();
        form.cdsDetail.Edit();
        form.cdsDetail.FieldByName("Quantity").SetAsFloat(7);
        form.cdsDetail.Post();
        form.cdsMaster.Edit();
        form.cdsMaster.FieldByName("DocumentNo").SetAsString("0002");
    }

    void ScriptApplyUpdates(int result, const std::string& reason = "") {
        server.Script("ApplyUpdates", "D_PurchHeader", {.Result = result, .Text = reason});
    }

    TStoredDocuments stored{{{"H1", "C1", "0001", "V1", 10.0}, {"H2", "C1", "0009", "V2", 1.0}},
                            {{"L1", "H1", "C1", "A", 2.0}, {"L2", "H1", "C1", "B", 3.0}, {"L3", "H2", "C1", "Z", 1.0}}};
    TfTestDocument form;
};

TEST_F(MasterDetailTest, OpensHeaderAndItsLinesByTheHeaderId) {
    EXPECT_EQ(server.Methods(), (std::vector<std::string>{"RequestData", "RequestData"}));
    EXPECT_EQ(server.Calls()[0].Args[1].AsString(), "D_PurchHeader.Id=H1");
    EXPECT_EQ(server.Calls()[1].Args[0].AsString(), "D_PurchaseLine");
    EXPECT_EQ(server.Calls()[1].Args[1].AsString(), "Master_Id=H1");
    EXPECT_EQ(form.cdsDetail.RecordCount(), 2);
    EXPECT_EQ(form.PanelMasterCalls, 1);
    EXPECT_EQ(form.pFloat.Text, "V1");
}

TEST_F(MasterDetailTest, SaveSendsBothChangeLogsInOneCallAndReadsBack) {
    EditDocument();
    form.cdsDetail.Append();
    form.cdsDetail.FieldByName("Code").SetAsString("C");
    form.cdsDetail.Post();
    EXPECT_EQ(form.cdsDetail.FieldByName("Master_Id").AsString(), "H1");
    EXPECT_EQ(form.cdsDetail.FieldByName("Comp_Id").AsString(), "C1");
    EXPECT_FALSE(form.cdsDetail.FieldByName("Id").AsString().empty());
    server.ClearCalls();
    ScriptApplyUpdates(0);

    EXPECT_TRUE(form.acSave.Execute());

    EXPECT_EQ(server.Methods(), (std::vector<std::string>{"ApplyUpdates", "RequestData", "RequestData"}));
    EXPECT_EQ(server.Calls()[0].Args, (TVariantArray{"D_PurchHeader", int64_t{1}, "D_PurchaseLine", int64_t{2}}));
    EXPECT_EQ(server.Calls()[1].Args[1].AsString(), "D_PurchHeader.Id=H1");
    EXPECT_TRUE(form.LastSaveSucceeded());
    EXPECT_FALSE(form.HasChanges());
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(MasterDetailTest, RefusedSaveShowsTheReasonKeepsTheDocumentAndStopsPosting) {
    EditDocument();
    server.ClearCalls();
    ScriptApplyUpdates(1, "Документът е променен от друг потребител");
    dialogs.ExpectMessage(mrOk, "Документът е променен от друг потребител");

    form.acSave.Execute();

    EXPECT_EQ(server.Methods(), (std::vector<std::string>{"ApplyUpdates"}));
    EXPECT_FALSE(form.LastSaveSucceeded());
    EXPECT_TRUE(form.HasChanges());
    EXPECT_EQ(form.cdsMaster.FieldByName("DocumentNo").AsString(), "0002");
    EXPECT_EQ(form.cdsDetail.ChangeCount(), 1);
    form.cdsDetail.First();
    EXPECT_EQ(form.cdsDetail.FieldByName("Quantity").AsFloat(), 7.0);

    // Posting saves first, and a refused save posts nothing.
    ScriptApplyUpdates(1, "Липсва доставчик");
    dialogs.ExpectMessage(mrOk, "Липсва доставчик");
    form.acPostDocument.Execute();
    EXPECT_TRUE(server.CallsTo("PostPurchase").empty());
    EXPECT_TRUE(LoggedOperations().empty());
}

struct TQueryCase {
    const char* Name;
    bool Closing;  // the user closes the form; else a command asks before it goes on
    bool Edited;
    int Answer;       // mrNone: no question expected
    int ApplyResult;  // -1: no save expected
    bool Continues;   // the command goes on, or the form closed
    bool KeepsEdits;  // the typed number is still there
};

TEST_F(MasterDetailTest, UnsavedChangesAreSavedOrKeptAsAnswered) {
    const TQueryCase cases[] = {
        {"no changes asks nothing", false, false, mrNone, -1, true, false},
        {"Yes saves and continues", false, true, mrYes, 0, true, false},
        {"Yes with a refused save stops", false, true, mrYes, 1, false, true},
        {"No stops without saving", false, true, mrNo, -1, false, true},
        {"closing unchanged asks nothing", true, false, mrNone, -1, true, false},
        {"closing, Yes saves and closes", true, true, mrYes, 0, true, false},
        {"closing, Yes with a refused save stays open", true, true, mrYes, 1, false, true},
        {"closing, No discards and closes", true, true, mrNo, -1, true, false},
        {"closing, Cancel stays open with the edits", true, true, mrCancel, -1, false, true},
    };
    for (const TQueryCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TfTestDocument document;
        TFormRequest request;
        request.Filter.Add("D_PurchHeader.Id", "=", "H1");
        document.Create(request);
        document.Show();
        if (c.Edited) {
            document.cdsMaster.Edit();
            document.cdsMaster.FieldByName("DocumentNo").SetAsString("0002");
        }
        if (c.Answer != mrNone) dialogs.ExpectMessage(c.Answer, c.Closing ? "Запис на промените?" : "");
        if (c.ApplyResult >= 0) ScriptApplyUpdates(c.ApplyResult, "отказ");
        if (c.ApplyResult > 0) dialogs.ExpectMessage(mrOk, "отказ");
        server.ClearCalls();
        const size_t shown = dialogs.Shown().size();

        EXPECT_EQ(c.Closing ? document.CloseByUser() : document.QueryToSaveBeforeToDo(), c.Continues);

        EXPECT_EQ(document.Closed(), c.Closing && c.Continues);
        EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), c.ApplyResult >= 0 ? 1u : 0u);
        EXPECT_EQ(document.HasChanges(), c.KeepsEdits);
        if (c.KeepsEdits) {
            EXPECT_EQ(document.cdsMaster.FieldByName("DocumentNo").AsString(), "0002");
        }
        if (c.Closing && c.Answer != mrNone) {
            EXPECT_EQ(dialogs.Shown()[shown].Buttons, mbYes | mbNo | mbCancel);
        }
        EXPECT_TRUE(dialogs.AllAnswered());
    }
}

TEST_F(MasterDetailTest, FailingHandlerIsLoggedWithItsOperationAndChangesNothing) {
    EditDocument();
    form.FailIn = "PostDocument";

    form.acPostDocument.Execute();

    EXPECT_EQ(LoggedOperations(), (std::vector<std::string>{"TfTestDocument.acPostDocumentExecute"}));
    EXPECT_EQ(host.Failures(), (std::vector<std::string>{"TfTestDocument.acPostDocumentExecute: Сървърът не отговаря"}));
    EXPECT_TRUE(server.CallsTo("PostPurchase").empty());
    EXPECT_TRUE(server.CallsTo("ApplyUpdates").empty());
    EXPECT_EQ(form.cdsMaster.State(), TDataSetState::dsEdit);
    EXPECT_EQ(form.cdsMaster.FieldByName("DocumentNo").AsString(), "0002");
}

TEST_F(MasterDetailTest, PostAndPrintSavesPostsAndRecordsThePrint) {
    EditDocument();
    ScriptApplyUpdates(0);
    server.OnPost("PostPurchase", 0, {"P1", "H1"});
    server.ClearCalls();

    form.acPostAndPrintDocument.Execute();

    EXPECT_EQ(server.Methods(),
              (std::vector<std::string>{"ApplyUpdates", "RequestData", "RequestData", "PostPurchase"}));
    ASSERT_EQ(host.Prints().size(), 1u);
    EXPECT_EQ(host.Prints()[0].Keys, (TVariantArray{"P1", "H1"}));
    EXPECT_EQ(host.Prints()[0].PrintFormCode, "10020");
    EXPECT_EQ(host.Prints()[0].FormClass, "TfTestDocument");
    EXPECT_TRUE(LoggedOperations().empty());
}

TEST_F(MasterDetailTest, PrintAsksToSaveFirstAndPrintsEveryFormOfTheDocument) {
    form.PrintForms = Rows({"PF_Id", "Form_id", "Copies"}, {{"Purch_INV", 1, 2}, {"Purch_RCPT", 2, Variant()}});
    EditDocument();
    dialogs.ExpectMessage(mrNo);
    form.acPrint.Execute();
    EXPECT_TRUE(host.Prints().empty());

    form.CancelDocument();
    form.acPrint.Execute();
    ASSERT_EQ(host.Prints().size(), 2u);
    EXPECT_EQ(host.Prints()[0].PrintFormCode, "Purch_INV");
    EXPECT_EQ(host.Prints()[0].Copies, 2);
    EXPECT_EQ(host.Prints()[0].Keys, (TVariantArray{"H1"}));
    EXPECT_EQ(host.Prints()[1].Copies, 1);
}

TEST_F(MasterDetailTest, LinePanelFollowsTheCurrentLineAfterTheTimer) {
    const int opened = form.PanelDetailCalls;
    form.cdsDetail.Next();
    form.cdsDetail.First();
    EXPECT_EQ(form.PanelDetailCalls, opened);
    EXPECT_TRUE(form.tmrPanel.Enabled);
    form.tmrPanel.Fire();
    form.tmrPanel.Fire();
    EXPECT_EQ(form.PanelDetailCalls, opened + 1);
}

TEST_F(MasterDetailTest, DeletingTheDocumentSendsLinesAndHeaderOrRestoresThem) {
    dialogs.ExpectMessage(mrYes);
    ScriptApplyUpdates(1, "Документът е използван");
    dialogs.ExpectMessage(mrOk, "Документът е използван");
    server.ClearCalls();

    form.acDeleteRecord.Execute();

    EXPECT_EQ(server.CallsTo("ApplyUpdates")[0].Args,
              (TVariantArray{"D_PurchHeader", int64_t{1}, "D_PurchaseLine", int64_t{2}}));
    EXPECT_EQ(form.cdsMaster.RecordCount(), 1);
    EXPECT_EQ(form.cdsDetail.RecordCount(), 2);
    EXPECT_FALSE(form.HasChanges());
    EXPECT_FALSE(form.Closed());
}

}  // namespace
}  // namespace tavrek::testing
