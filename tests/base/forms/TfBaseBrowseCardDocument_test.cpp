#include <gtest/gtest.h>

#include "base/forms/TfBaseBrowseCardDocument.h"
#include "base/forms/FormTestSupport.h"

namespace tavrek::testing {
namespace {

class TfTestList : public TfBaseBrowseCardDocument {
public:
    TfTestList() {
        MasterProvider = "D_PurchHeader";
        CardFormNumber = 10201;
        CardKeyField = "D_PurchHeader.Id";
    }
    std::string ClassName() const override { return "TfTestList"; }
    std::vector<std::string> MovedToAnnul;
    void MoveToAnnulDocs() override { MovedToAnnul.push_back(cdsMaster.FieldByName("Id").AsString()); }
};

class BrowseCardTest : public FormTest {
protected:
    BrowseCardTest() {
        RegisterFormClass("TfTestDocument", 10201, [] { return std::make_unique<TfTestDocument>(); }, "Фактура",
                          TFormGroup::fgDocuments);
        TStoredDocuments{{{"H1", "C1", "1", "V1", 1.0}, {"H2", "C1", "2", "V1", 2.0}, {"H3", "C1", "3", "V2", 3.0}},
                         {{"L1", "H2", "C1", "A", 1.0}}}
            .ScriptOn(server);
        list.Filter.Add("D_PurchHeader.Comp_Id", "=", "C1");
        list.Show();
        server.ClearCalls();
    }

    // Selects the rows at the given positions, as the user does with Ctrl+click.
    void SelectRows(std::initializer_list<int> recNos) {
        for (int recNo : recNos) {
            list.cdsMaster.SetRecNo(recNo);
            list.dbgMaster.SelectedRows.push_back(list.cdsMaster.GetBookmark());
        }
    }

    TfTestList list;
};

TEST_F(BrowseCardTest, ListIsReadOnlyInTheGridButPostsAndDeletes) {
    EXPECT_TRUE(list.dbgMaster.ReadOnly);
    EXPECT_FALSE(list.acSave.Visible);
    EXPECT_TRUE(list.acPostDocument.Visible && list.acPostDocument.Enabled);
    EXPECT_TRUE(list.acDeleteRecord.Enabled);
}

TEST_F(BrowseCardTest, DeletingSelectedRowsSendsThemInOneCall) {
    SelectRows({1, 3});
    dialogs.ExpectMessage(mrYes);
    server.Script("ApplyUpdates", "D_PurchHeader", {});

    list.acDeleteRecord.Execute();

    EXPECT_EQ(list.MovedToAnnul, (std::vector<std::string>{"H1", "H3"}));
    EXPECT_EQ(server.Calls()[0].Args, (TVariantArray{"D_PurchHeader", int64_t{2}}));
    EXPECT_EQ(list.cdsMaster.RecordCount(), 1);
    EXPECT_EQ(list.cdsMaster.FieldByName("Id").AsString(), "H2");
    EXPECT_TRUE(list.dbgMaster.SelectedRows.empty());
}

TEST_F(BrowseCardTest, RefusedOrUnconfirmedDeletionKeepsEveryRow) {
    SelectRows({1, 2, 3});
    dialogs.ExpectMessage(mrNo);
    list.acDeleteRecord.Execute();
    EXPECT_TRUE(server.Calls().empty());

    dialogs.ExpectMessage(mrYes);
    server.Script("ApplyUpdates", "D_PurchHeader", {.Result = 1, .Text = "Документът е осчетоводен"});
    dialogs.ExpectMessage(mrOk, "Документът е осчетоводен");
    list.acDeleteRecord.Execute();

    EXPECT_EQ(list.cdsMaster.RecordCount(), 3);
    EXPECT_EQ(list.cdsMaster.ChangeCount(), 0);
}

TEST_F(BrowseCardTest, CardOpensOnTheCurrentDocumentOrANewOne) {
    list.cdsMaster.SetRecNo(2);
    list.acEditRecord.Execute();
    ASSERT_EQ(host.OpenForms().size(), 1u);
    EXPECT_EQ(server.Calls()[0].Args[1].AsString(), "D_PurchHeader.Id=H2");
    EXPECT_EQ(host.OpenForms()[0]->cdsMaster.FieldByName("DocumentNo").AsString(), "2");
    EXPECT_EQ(host.OpenForms()[0]->CallingForm, &list);

    list.acInsertRecord.Execute();
    ASSERT_EQ(host.OpenForms().size(), 2u);
    TfBase& card = *host.OpenForms()[1];
    EXPECT_EQ(card.cdsMaster.State(), TDataSetState::dsInsert);
    EXPECT_EQ(card.cdsMaster.FieldByName("Comp_Id").AsString(), "C1");
    EXPECT_TRUE(LoggedOperations().empty());
}

}  // namespace
}  // namespace tavrek::testing
