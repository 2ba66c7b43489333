#include <gtest/gtest.h>

#include "base/forms/EFormError.h"
#include "base/forms/TActionList.h"
#include "base/forms/TMenu.h"
#include "base/forms/TfBaseEditPostedDocument.h"
#include "base/forms/FormTestSupport.h"

namespace tavrek::testing {
namespace {

TEST(TActionList, LookupExecuteAndUpdate) {
    TActionList list;
    TAction& post = list.Add("acPostDocument", "Осчетоводяване");
    int runs = 0;
    bool allowed = false;
    post.OnExecute = [&runs](TAction&) { ++runs; };
    post.OnUpdate = [&allowed](TAction& a) { a.Enabled = allowed; };
    EXPECT_THROW(list.Add("ACPOSTDOCUMENT"), EFormError);
    EXPECT_EQ(list.Find("acpostdocument"), &post);
    EXPECT_EQ(list.Find("acMissing"), nullptr);
    EXPECT_THROW(list.ByName("acMissing"), EFormError);

    EXPECT_FALSE(list.Execute("acPostDocument"));  // Update runs first and disables it
    allowed = true;
    list.UpdateActions();
    EXPECT_TRUE(post.Enabled);
    EXPECT_TRUE(list.Execute("acPostDocument"));
    post.Visible = false;
    EXPECT_FALSE(post.Execute());
    EXPECT_EQ(runs, 1);
}

TEST(TMenu, ItemsFollowTheirActions) {
    TAction post("acPostDocument", "Осчетоводяване");
    int runs = 0, clicks = 0;
    post.OnExecute = [&runs](TAction&) { ++runs; };
    TMenu menu("pmDocument");
    menu.Add("miPost", post);
    menu.AddSeparator();
    TMenuItem& more = menu.AddSubMenu("miMore", "Още");
    more.Add("miDetails", "Детайли на ред", [&clicks] { ++clicks; });

    TMenuItem* item = menu.Find("MIPOST");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Caption(), "Осчетоводяване");
    post.Enabled = false;
    EXPECT_FALSE(item->Enabled());
    item->Click();
    post.Enabled = true;
    item->Click();
    menu.Items()[1]->Click();
    menu.Find("miDetails")->Click();
    menu.Find("miDetails")->SetEnabled(false);
    menu.Find("miDetails")->Click();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(clicks, 1);
}

struct TActionCase {
    const char* Name;
    bool Edited;
    bool ReadOnlyOption;
    bool Save, Delete, Insert, Post;
};

TEST_F(FormTest, DocumentActionsFollowTheDocumentState) {
    const TActionCase cases[] = {
        {"unchanged", false, false, false, true, true, true},
        {"edited", true, false, true, true, true, true},
        {"read-only", false, true, false, false, false, false},
    };
    TStoredDocuments{{{"H1", "C1", "0001", "V1", 10.0}}, {}}.ScriptOn(server);
    for (const TActionCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TfTestDocument form;
        TFormRequest request;
        request.Filter.Add("D_PurchHeader.Id", "=", "H1");
        if (c.ReadOnlyOption) request.ShowOptions.insert(soReadOnly);
        form.Create(request);
        form.Show();
        if (c.Edited) {
            form.cdsMaster.Edit();
            form.cdsMaster.FieldByName("DocumentNo").SetAsString("0002");
        }
        form.UpdateActions();
        EXPECT_EQ(form.acSave.Enabled, c.Save);
        EXPECT_EQ(form.acDeleteRecord.Enabled, c.Delete);
        EXPECT_EQ(form.acInsertRecord.Enabled, c.Insert);
        EXPECT_EQ(form.acPostDocument.Enabled, c.Post);
        EXPECT_EQ(form.dbgDetail.ReadOnly, c.ReadOnlyOption);
    }
}

class TfNoDeleteDocument : public TfTestDocument {
public:
    bool HasRight(TFormRight right) const override { return right != TFormRight::frDelete; }
};

TEST_F(FormTest, RightsAndPostedViewsDisableActions) {
    TStoredDocuments{{{"H1", "C1", "0001", "V1", 10.0}}, {}}.ScriptOn(server);
    TFormRequest request;
    request.Filter.Add("D_PurchHeader.Id", "=", "H1");

    TfNoDeleteDocument limited;
    limited.Create(request);
    limited.Show();
    EXPECT_FALSE(limited.acDeleteRecord.Enabled);
    EXPECT_TRUE(limited.acInsertRecord.Enabled);

    TfBaseEditPostedDocument posted;
    posted.MasterProvider = "D_PurchHeader";
    posted.DetailProvider = "D_PurchaseLine";
    posted.MasterTable = "D_PurchHeader";
    posted.Create(request);
    posted.Show();
    EXPECT_TRUE(posted.ReadOnly);
    EXPECT_FALSE(posted.acSave.Visible);
    EXPECT_FALSE(posted.acPostDocument.Visible);
    EXPECT_TRUE(posted.acAnnulDocument.Visible && posted.acAnnulDocument.Enabled);
    EXPECT_TRUE(posted.dbgDetail.ReadOnly);
}

}  // namespace
}  // namespace tavrek::testing
