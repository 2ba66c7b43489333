// The import form over scripted services: what it proposes to distribute, what it refuses
// before it asks the server, and how it tells what the server made.
#include <gtest/gtest.h>

#include "lists/uEdPurchOrdImport.h"
#include "support/HeadlessFormHost.h"
#include "support/SessionTest.h"

namespace tavrek::testing {
namespace {

struct TColumn {
    const char* Name;
    TFieldType Type;
};

constexpr TFieldType S = TFieldType::ftString, F = TFieldType::ftFloat, I = TFieldType::ftInteger,
                     D = TFieldType::ftDateTime;

class OrderImportForm : public SessionTest {
protected:
    // A provider's rows, whatever the filter; the dataset gets the columns as the server's would.
    void Provide(const std::string& provider, std::vector<TColumn> columns, std::vector<TVariantArray> rows) {
        Server().Script("RequestData", provider,
                      {.Fill = [columns, rows](const TFilter&, TClientDataSet& target) {
                           target.Close();
                           if (target.FieldCount() == 0)
                               for (const TColumn& c : columns) target.AddField(c.Name, c.Type);
                           target.CreateDataSet();
                           for (const TVariantArray& row : rows) target.AppendLoaded(row);
                           target.First();
                       }},
                      true);
    }

    // The import IMP1 of vendor V03 with one line of ten yoghurts, remaining as given; one
    // candidate order line and the business group SOF.
    void OpenImport(double remaining, double free, const Variant& toShip, bool onDocument = true) {
        // Each case starts on a server of its own: scripted answers repeat.
        cases_.push_back(std::make_unique<ScriptedServer>());
        dm().SetServer(cases_.back().get());
        Provide("D_PurchOrdImportHeader",
                {{"Id", S}, {"Comp_Id", S}, {"DocumentNo", S}, {"Series_Id", S}, {"DocumentDate", D}, {"Code", S},
                 {"Name", S}, {"Contragent_id", S}, {"ShowCurrentBG", I}, {"VendorShipmentNo", S}},
                onDocument ? std::vector<TVariantArray>{{"IMP1", "C1", "0000000003", "IMP", Variant(), "5003", "Доставчик",
                                                          "V03", 0, ""}}
                           : std::vector<TVariantArray>{});
        Provide("D_PurchOrdImportLine",
                {{"Master_Id", S}, {"Id", S}, {"Line_No", I}, {"ItemForConnetc", S}, {"Quantity", F}, {"RemainingQty", F}},
                {{"IMP1", "L1", 1, "1008", 10.0, remaining}});
        Provide("dv_PurchOrdImportLineDetail", {{"Id", S}, {"MasterLine_Id", S}, {"Quantity", F}}, {});
        Provide("dv_PurchOrdImportEntry",
                {{"PurchLineId", S}, {"PurchFreeQty", F}, {"SaleDocLine_id", S}, {"SaleDocumentType", I}, {"QtyToShip", F}},
                {{"OL1", free, toShip.IsNull() ? Variant() : Variant("SL1"), toShip.IsNull() ? Variant() : Variant(51), toShip}});
        Provide("N_BusinessGroup", {{"Id", S}, {"Code", S}, {"Name", S}}, {{"BG-SOF", "SOF", "София"}});
        forms_.push_back(std::make_unique<TfEdPurchOrdImport>());
        if (onDocument) Form().Filter = TFilter().Add("D_PurchOrdImportHeader.Id", "=", Variant("IMP1"));
        Form().Create();
        Form().Show();
    }

    ScriptedServer& Server() { return *cases_.back(); }
    TfEdPurchOrdImport& Form() { return *forms_.back(); }

    std::vector<std::string> ProcedureCalls() {
        std::vector<std::string> texts;
        for (const TServerCall& call : Server().CallsTo("RequestValue"))
            if (call.Key.rfind("exec ", 0) == 0) texts.push_back(call.Key);
        return texts;
    }

    HeadlessFormHost host;

private:
    std::vector<std::unique_ptr<ScriptedServer>> cases_;
    std::vector<std::unique_ptr<TfEdPurchOrdImport>> forms_;
};

// The proposal is the least of what the order line has free, what the sale order still ships
// (for a sale order line) and what the imported line has left; it is also the most allowed.
TEST_F(OrderImportForm, ProposesWhatTheOrderLineTheSaleAndTheImportedLineAllow) {
    struct TCase {
        const char* Name;
        double Free;
        Variant ToShip;  // null: an order line serving no sale order line
        double Remaining;
        bool ToGroup;
        double Proposed;
    };
    for (const TCase& c : {TCase{"the sale ships less", 5, 3.0, 10, false, 3}, TCase{"the line has less left", 5, 3.0, 2, false, 2},
                           TCase{"to a business group the sale does not count", 5, 3.0, 10, true, 5},
                           TCase{"to a business group with less left", 5, Variant(), 2, true, 2}}) {
        SCOPED_TRACE(c.Name);
        OpenImport(c.Remaining, c.Free, c.ToShip);
        dialogs.ExpectQuantity(false);
        (c.ToGroup ? Form().acMoveBGToTarget : Form().acMoveToTarget).Execute();
        ASSERT_TRUE(dialogs.AllAnswered());
        EXPECT_EQ(dialogs.Shown().back().Due, c.Proposed);
        EXPECT_EQ(dialogs.Shown().back().Received, c.Proposed) << "the most that may be distributed";
        EXPECT_TRUE(ProcedureCalls().empty()) << "cancelled: nothing is asked of the server";
            }
}

TEST_F(OrderImportForm, DistributingSendsTheLineTheTargetAndTheConfirmedQuantity) {
    OpenImport(10, 5, 3.0);
    dialogs.ExpectQuantity(true, 2.5);
    Server().OnRequestValue("", Rows({"Result", "ErrMsg"}, {{0, ""}}));
    Form().acMoveToTarget.Execute();
    ASSERT_EQ(ProcedureCalls(), (std::vector<std::string>{"exec usp_SetOrdImportLineDetail 'C1', 'IMP1', 'L1', 'OL1', '51', "
                                                          "'SL1', '2.5', 'BG1', 'U1'"}));
    dialogs.ExpectQuantity(true, 1);
    Server().OnRequestValue("", Rows({"Result", "ErrMsg"}, {{-1, "Количеството е повече от свободното."}}));
    dialogs.ExpectMessage(mrOk, "Количеството е повече от свободното.");
    Form().acMoveBGToTarget.Execute();
    EXPECT_EQ(ProcedureCalls().back(), "exec usp_SetOrdImportLineDetail 'C1', 'IMP1', 'L1', 'OL1', '10', 'BG-SOF', '1', 'BG1', 'U1'");
    EXPECT_TRUE(dialogs.AllAnswered());
}

TEST_F(OrderImportForm, WhatCannotBeDistributedIsToldAndNothingIsAsked) {
    struct TCase {
        const char* Name;
        double Remaining;
        Variant ToShip;
        const char* Message;
    };
    for (const TCase& c : {TCase{"nothing remaining", 0, 3.0, "По реда няма количество за разпределяне."},
                           TCase{"an order line serving no sale", 10, Variant(), "err_MustSelectBG"}}) {
        SCOPED_TRACE(c.Name);
        OpenImport(c.Remaining, 5, c.ToShip);
        dialogs.ExpectMessage(mrOk, c.Message);
        Form().acMoveToTarget.Execute();
        EXPECT_TRUE(dialogs.AllAnswered());
        EXPECT_TRUE(ProcedureCalls().empty());
    }
}

TEST_F(OrderImportForm, ANewImportIsNumberedFromItsSeriesAndNeedsAVendor) {
    struct TCase {
        const char* Name;
        Variant Series;
        const char* Message;
    };
    for (const TCase& c : {TCase{"no series in the setup", Variant(), "err_GetSeriesNo"},
                           TCase{"no vendor", Variant("IMP"), "err_NoContragentSet"}}) {
        SCOPED_TRACE(c.Name);
        OpenImport(0, 0, Variant(), false);
        Form().StartFromMenu();
        ASSERT_EQ(Form().cdsMaster.State(), TDataSetState::dsInsert);
        Server().OnRequestValue("C_PurchasesSetup", Rows({"PurchOrdImpSeries_id"}, {{c.Series}}));
        if (!c.Series.IsNull()) Server().Script("GetNextSerieNo", "IMP", {.Text = "0000000004"});
        dialogs.ExpectMessage(mrOk, c.Message);
        EXPECT_FALSE(Form().SaveData());
        EXPECT_TRUE(dialogs.AllAnswered());
        EXPECT_TRUE(Server().CallsTo("ApplyUpdates").empty());
        if (!c.Series.IsNull()) {
            EXPECT_EQ(Server().CallsTo("GetNextSerieNo").back().Args[1].AsString(), "C1");
        }
    }
}

TEST_F(OrderImportForm, GeneratingTellsEveryBufferMadeOrTheServersReason) {
    struct TCase {
        const char* Name;
        std::vector<TVariantArray> Rows;
        TMsgDlgType Type;
        const char* Message;
    };
    for (const TCase& c : {
             TCase{"two buffers", {{0, "B1", "0000000007", ""}, {0, "B2", "0000000008", ""}}, TMsgDlgType::mtInformation,
                   "inf_PurchOrderBufDocCreated\r\n0000000007\r\n0000000008"},
             TCase{"a refusal by key", {{-2, "", "", "err_OrdImportNothingToGenerate"}}, TMsgDlgType::mtError,
                   "err_OrdImportNothingToGenerate"},
             TCase{"a refusal in words", {{-1, "", "", "Поръчка от разпределението вече не е отворена."}}, TMsgDlgType::mtError,
                   "Поръчка от разпределението вече не е отворена."},
             TCase{"no answer", {}, TMsgDlgType::mtError, "inf_OperationError"},
         }) {
        SCOPED_TRACE(c.Name);
        OpenImport(0, 0, Variant());
        host.ScriptExternal(TfEdPurchOrdImport::kSubTypeSelector, 1, {"SD-580", "580", "Буфер на поръчка"});
        Server().OnRequestValue("", Rows({"Result", "Doc_ID", "DocumentNo", "ErrMsg"}, c.Rows));
        dialogs.ExpectMessage(mrOk, c.Message);
        Form().acGenPurchOrderBuf.Execute();
        EXPECT_TRUE(dialogs.AllAnswered());
        EXPECT_EQ(dialogs.Shown().back().Type, c.Type);
        EXPECT_EQ(ProcedureCalls().back(), "exec usp_CreatePurchOrderBuffImp 'C1', 'IMP1', 'SD-580', 'BG1', 'U1'");
            }
}

}  // namespace
}  // namespace tavrek::testing
