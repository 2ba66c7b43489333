#include <gtest/gtest.h>

#include "uEdPurchaseFormTest.h"
#include "support/GoldenTable.h"

namespace tavrek::testing {
namespace {

class BasePurchEditor : public EditorTest {};

TEST_F(BasePurchEditor, NewLinesTakeTheHeaderDefaultsAndTheNextLineNumber) {
    Open({{"Id", "H1"}, {"BusinessGroup_Id", "BG1"}, {"VATBusPostGroup_Id", "DOM"}, {"GenBusPostGroup_Id", "DOM"},
          {"Currency_Id", "EUR"}, {"CurrencyFactor", 1.95583}},
         {{{"Id", "L1"}, {"Line_No", 1}}, {{"Id", "L2"}, {"Line_No", 2}}, {{"Id", "L3"}, {"Line_No", 3}}});
    GotoLine(2);
    Lines().Delete();
    Lines().Append();
    EXPECT_EQ(Lines().FieldByName("Line_No").AsInteger(), 4) << "the largest number plus one, not the count";
    for (const char* field : {"BusinessGroup_Id", "VATBusPostGroup_Id", "GenBusPostGroup_Id", "Currency_Id"})
        EXPECT_EQ(Lines().FieldByName(field).AsString(), Header().FieldByName(field).AsString()) << field;
    EXPECT_FALSE(Form().Suspended);
    Lines().Cancel();
    while (!Lines().IsEmpty()) Lines().Delete();
    Lines().Append();
    EXPECT_EQ(Lines().FieldByName("Line_No").AsInteger(), 1);
}

TEST_F(BasePurchEditor, HeaderTotalsFollowThePostedLinesOnlyWhileTheHeaderIsEdited) {
    Open({{"Id", "H1"}, {"TotalValue", 7.0}},
         {{{"Id", "L1"}, {"Line_No", 1}, {"TotalValue", 10.0}, {"TotalVAT", 12.0}, {"TotalValue_LCY", 10.0},
           {"TotalVAT_LCY", 12.0}}});
    Lines().Edit();
    Lines().FieldByName("SerialNo").SetAsString("SN-1");
    Lines().Post();
    EXPECT_DOUBLE_EQ(Header().FieldByName("TotalValue").AsFloat(), 7.0) << "a header in browse mode is left alone";
    Header().Edit();
    Lines().Append();
    Lines().FieldByName("TotalValue").SetAsFloat(5.0);
    Lines().FieldByName("TotalVAT").SetAsFloat(6.0);
    Lines().Post();
    EXPECT_DOUBLE_EQ(Header().FieldByName("TotalValue").AsFloat(), 15.0);
    EXPECT_DOUBLE_EQ(Header().FieldByName("TotalVAT").AsFloat(), 18.0);
    while (!Lines().IsEmpty()) Lines().Delete();
    for (const char* field : {"TotalValue", "TotalVAT", "TotalValue_LCY", "TotalVAT_LCY"})
        EXPECT_DOUBLE_EQ(Header().FieldByName(field).AsFloat(), 0.0) << field << " of a document without lines";
}

TEST_F(BasePurchEditor, GoodsCheckLocksLinesAndDocument) {
    for (const TGoldenCase& c : ReadGoldenCases("documents/goods_check_locks.txt")) {
        SCOPED_TRACE(c.Name);
        LocalData().UnlockCheckedDocuments = c.Int("Unlocked") == 1;
        Open({{"Id", "H1"}, {"CheckStatus", c.Int("CheckStatus")}}, {{{"Id", "L1"}, {"Line_No", 1}}});
        EXPECT_EQ(Form().ReadOnly, c.Int("ReadOnly") == 1);
        EXPECT_EQ(Form().dbgDetail.ReadOnly, c.Int("LinesReadOnly") == 1);
        if (c.Int("Deleted") == 0) dialogs.ExpectMessage(mrOk, "err_CannotDeleteCheckedLine");
        try {
            Lines().Delete();
        } catch (const std::exception&) {
        }
        EXPECT_EQ(Lines().RecordCount(), 1 - c.Int("Deleted"));
    }
}

TEST_F(BasePurchEditor, CurrencyFactorIsProposedTypedAndCarriedIntoEveryLine) {
    Open({{"Id", "H1"}, {"Currency_Id", "EUR"}, {"CurrencyFactor", 0.0}},
         {{{"Id", "L1"}, {"Line_No", 1}, {"Quantity", 2.0}, {"DirectUnitCost_ACY", 10.0}, {"VATPercent", 20.0}},
          {{"Id", "L2"}, {"Line_No", 2}, {"Quantity", 1.0}, {"DirectUnitCost_ACY", 3.0}, {"VATPercent", 20.0}}});
    server.OnCurrencyRate("EUR", 1.95583);
    dialogs.ExpectCurrencyRate(false);
    Form().acSetCurrencyFactor.Execute();
    EXPECT_DOUBLE_EQ(Header().FieldByName("CurrencyFactor").AsFloat(), 0.0) << "cancelled: nothing changes";
    dialogs.ExpectCurrencyRate(true, "2");
    Form().acSetCurrencyFactor.Execute();
    EXPECT_EQ(Keys("GetCurrencyRate"), (std::vector<std::string>{"EUR", "EUR"}));
    EXPECT_DOUBLE_EQ(Header().FieldByName("CurrencyFactor").AsFloat(), 2.0);
    GotoLine(1);
    EXPECT_DOUBLE_EQ(Lines().FieldByName("UnitCost_LCY").AsFloat(), 20.0);
    EXPECT_DOUBLE_EQ(Lines().FieldByName("TotalValue_LCY").AsFloat(), 40.0);
    GotoLine(2);
    EXPECT_DOUBLE_EQ(Lines().FieldByName("TotalValue_LCY").AsFloat(), 6.0);
    EXPECT_EQ(dialogs.Shown()[1].Text, "EUR");
    EXPECT_EQ(dialogs.Shown()[1].Text2, "1.95583") << "the rate at the document date proposed";
    EXPECT_FALSE(dialogs.Shown()[1].ReadOnly);
}

// Lines of 2.00, 4.00 and 2.00 EUR at 1.95583 give 3.91 + 7.82 + 3.91 = 15.64 leva one by
// one, while the document's 8.00 EUR are 15.65 leva: the cent goes onto one line.
TEST_F(BasePurchEditor, RecalculationPutsTheLostCentOnTheLargestEligibleLine) {
    for (const TGoldenCase& c : ReadGoldenCases("documents/lost_cent.txt")) {
        SCOPED_TRACE(c.Name);
        auto line = [](const char* id, int no, double price, int type, const std::string& dimension) {
            return TRow{{"Id", id},       {"Line_No", no * 10},        {"Type", type},
                        {"Quantity", 1.0}, {"DirectUnitCost_ACY", price}, {"VATPercent", 20.0},
                        {"AccountDimension_Id", dimension}};
        };
        Open({{"Id", "H1"}, {"Currency_Id", "EUR"}, {"CurrencyFactor", 1.95583}},
             {line("L1", 1, 2.0, 1, ""), line("L2", 2, 4.0, c.Int("MiddleType"), c.Text("Dimension")), line("L3", 3, 2.0, 1, "")});
        GotoLine(30);
        Form().acReCalcDocument.Execute();
        EXPECT_EQ(Lines().FieldByName("Id").AsString(), "L3") << "the line that was current stays current";
        double local = 0;
        for (Lines().First(); !Lines().Eof(); Lines().Next()) {
            const std::string id = Lines().FieldByName("Id").AsString();
            const double expected = (id == "L2" ? 7.82 : 3.91) + (id == c.Text("Corrected") ? 0.01 : 0.0);
            EXPECT_NEAR(Lines().FieldByName("TotalValue_LCY").AsFloat(), expected, 1e-9) << id;
            EXPECT_NEAR(Lines().FieldByName("TotalVAT_LCY").AsFloat(),
                        Lines().FieldByName("TotalValue_LCY").AsFloat() + Lines().FieldByName("VATValue_LCY").AsFloat(),
                        1e-9);
            EXPECT_EQ(Lines().FieldByName("Line_No").AsInteger(), Lines().RecNo());
            local += Lines().FieldByName("TotalValue_LCY").AsFloat();
        }
        EXPECT_NEAR(local, 15.65, 1e-9);
        ExpectFields(Header(), {{"TotalValue", 8.0}, {"TotalValue_LCY", 15.65}, {"VATValue", 1.6}, {"TotalVAT", 9.6},
                                {"TotalVAT_LCY", 15.65 + 3.13}});
        EXPECT_TRUE(Methods().empty()) << "recalculation asks the server nothing";
    }
}

TEST_F(BasePurchEditor, SaveRunsTheServerRecalculationOfTheDocument) {
    Open({{"Id", "H'1"}}, {{{"Id", "L1"}, {"Line_No", 1}}});
    Header().Edit();
    Header().FieldByName("Comment").SetAsString("бележка");
    server.Script("ApplyUpdates", "", {});
    server.OnSQLScript("exec dbo.usp_RecalcPurchDocument 'H''1', 'C1'", 0);
    EXPECT_TRUE(Form().SaveData());
    const std::vector<std::string> methods = Methods();
    ASSERT_GE(methods.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(methods.begin(), methods.begin() + 3),
              (std::vector<std::string>{"ApplyUpdates", "ExecuteSQLScript", "RequestData"}))
        << "the recalculation runs after the changes reached the server and before they are read back";
}

TEST_F(BasePurchEditor, PrintFormsComeFromTheSubtypeWhenItHasAny) {
    Open({{"Id", "H1"}, {"DocSubType_Id", "SD-520"}}, {});
    server.OnRequestValue("S_PrintDocuments", Rows({"PF_Id", "Form_id", "Copies", "PF_Type", "Doc_Type"},
                                                   {{"Purch_520", 1, 2, 0, 2}, {"Purch_520b", 1, 1, 0, 2}}));
    const TRequestResult forms = Form().GetPrintDocument();
    ASSERT_EQ(forms.Rows.size(), 2u);
    EXPECT_EQ(forms.ByName("PF_Id", 1).AsString(), "Purch_520b");
    EXPECT_EQ(server.Calls()[0].Args[3].AsString(),
              "S_PrintDocuments.SaleOrPurchase=1 AND S_PrintDocuments.SubDoc_Id=SD-520 AND "
              "S_PrintDocuments.Comp_Id=C1");
    server.OnRequestValue("S_PrintDocuments", Rows({"PF_Id"}, {}));
    EXPECT_TRUE(Form().GetPrintDocument().Empty()) << "without a row the inherited setting stays";
    EXPECT_EQ(Form().GetPrintDocumentType(), 2);
}

TEST_F(BasePurchEditor, ChangingTheVendorAsksOnlyWhenThereAreLines) {
    const struct {
        bool lines;
        int answer;
        size_t priceRequests;
    } cases[] = {{false, mrNone, 0}, {true, mrNo, 0}, {true, mrYes, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.lines) + " " + std::to_string(c.answer));
        std::vector<TRow> lines;
        if (c.lines) lines.push_back({{"Id", "L1"}, {"Line_No", 1}, {"Code", "1001"}, {"DirectUnitCost_ACY", 5.0}});
        Open({{"Id", "H1"}}, lines);
        if (c.lines) dialogs.ExpectMessage(c.answer, "queChangeContragent");
        server.OnRequestValue("fn_GetDocPayMethod('C1','BG1','U1',1,'','V02')", Rows({"PayMethod_Id"}, {{"BANK"}}));
        TItemParams price;
        price.Price = 4.0;
        if (c.priceRequests > 0) server.OnPrice(0, price);
        Header().Edit();
        Header().FieldByName("Contragent_Id").SetAsString("V02");
        EXPECT_EQ(Header().FieldByName("PayMethod_Id").AsString(), "BANK");
        EXPECT_EQ(server.CallsTo("GetItemPriceAndDiscount").size(), c.priceRequests);
        if (c.lines) {
            EXPECT_DOUBLE_EQ(Lines().FieldByName("DirectUnitCost_ACY").AsFloat(), c.answer == mrYes ? 4.0 : 5.0);
        }
        EXPECT_TRUE(LoggedOperations().empty());
    }
}

TEST_F(BasePurchEditor, AdvancePaymentsBecomeNegativeAccountLines) {
    Open({{"Id", "H1"}, {"Contragent_Id", "V01"}, {"CurrencyFactor", 2.0}, {"PriceIncludingVAT", 1}}, {});
    server.OnRequestValue("C_PurchasesSetup", Rows({"AdvancePaymentAccount"}, {}));
    dialogs.ExpectMessage(mrOk, "err_PurchAdvancePaymentAccountNotSelected");
    Form().acAddAdvancePayment.Execute();
    EXPECT_FALSE(TfEdBasePurchDocument::bAdvanceSelectedRecords);

    server.OnRequestValue("C_PurchasesSetup", Rows({"AdvancePaymentAccount"}, {{"4091"}}));
    dialogs.ExpectSelect(true, Rows({"Id", "Account_Id", "sAmount", "Description", "GlobalDimension_Id"},
                                    {{"ADV-7", "4091", 100.0, "Аванс 7", "GD1"}}));
    server.OnRequestValue("G_LAccount", Rows({"Name", "GenProdPostGroup_Id", "VATProdPostGroup_Id", "Id"},
                                             {{"Предоставени аванси", "", "", "4091"}}));
    Form().acAddAdvancePayment.Execute();
    ASSERT_EQ(Lines().RecordCount(), 1);
    // -100 with VAT-inclusive prices at a VAT rate of 0, in a currency of factor 2
    ExpectFields(Lines(), {{"Type", 2}, {"Code", "4091"}, {"AccountDimension_Id", "ADV-7"}, {"Description", "Аванс 7"},
                           {"GlobalDimension_Id", "GD1"}, {"DirectUnitCost_ACY", -50.0}});
    EXPECT_FALSE(TfEdBasePurchDocument::bAdvanceSelectedRecords);
    EXPECT_EQ(dialogs.Shown().back().Text, "3680");
}

TEST_F(BasePurchEditor, ANewDocumentStartsWithoutTheLinesOfTheOpenOne) {
    Open({{"Id", "H1"}}, {{{"Id", "L1"}, {"Line_No", 1}}, {{"Id", "L2"}, {"Line_No", 2}}});
    Form().acInsertRecord.Execute();
    EXPECT_TRUE(LoggedOperations().empty());
    EXPECT_EQ(Header().State(), TDataSetState::dsInsert);
    EXPECT_NE(Header().FieldByName("Id").AsString(), "H1");
    EXPECT_EQ(Header().FieldByName("DocumentType").AsInteger(), 1);
    EXPECT_EQ(Header().FieldByName("BusinessGroup_Id").AsString(), "BG1");
    EXPECT_TRUE(Lines().IsEmpty());
    EXPECT_FALSE(Lines().Filtered());
    EXPECT_EQ(Header().FieldByName("DocSubType_Id").AsString(), "SD-1") << "the kind's first subtype";
    EXPECT_EQ(Header().FieldByName("N_SubDocument_Code").AsString(), "520");
    EXPECT_EQ(Keys("RequestValue"), (std::vector<std::string>{"N_SubDocument"})) << "defaults of a new document run no rules";
}

TEST_F(BasePurchEditor, TheItemPanelFollowsTheLinesAfterADelay) {
    Open({{"Id", "H1"}, {"Contragent_Id", "V01"}},
         {{{"Id", "L1"}, {"Line_No", 1}, {"Code", "1001"}}, {{"Id", "L2"}, {"Line_No", 2}, {"Type", 2}, {"Code", "602"}},
          {{"Id", "L3"}, {"Line_No", 3}, {"Code", "1002"}}});
    for (int line : {2, 3, 1}) GotoLine(line);
    EXPECT_TRUE(Methods().empty()) << "scrolling asks nothing at once";
    Form().tmrPanel.Fire();
    EXPECT_EQ(Methods(), std::vector<std::string>{"GetItemParams"});
    EXPECT_EQ(server.Calls()[0].Args[0].AsString(), "1001");
    EXPECT_EQ(Form().ControlListItems().Rows[4].Value, "1,49");
    server.ClearCalls();
    GotoLine(2);
    Form().tmrPanel.Fire();
    EXPECT_TRUE(Methods().empty()) << "an account line has no item to show";
    EXPECT_EQ(Form().ControlListItems().Rows[4].Value, "");
    EXPECT_EQ(Form().ControlListFastRelationship().Rows[2].Value, "40,00");
    EXPECT_EQ(Form().ControlListFastRelationship().Rows[4].Value, "125,50");
}

}  // namespace
}  // namespace tavrek::testing
