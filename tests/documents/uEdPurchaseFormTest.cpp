#include "uEdPurchaseFormTest.h"

namespace tavrek::testing {
namespace {

void Fill(TClientDataSet& target, const TFieldList& fields, const std::vector<TRow>& rows) {
    target.Close();
    if (target.FieldCount() == 0)
        for (const auto& [name, type] : fields) target.AddField(name, type);
    target.CreateDataSet();
    for (const TRow& row : rows) {
        std::vector<Variant> values;
        for (const auto& [name, type] : fields) {
            const auto it = row.find(name);
            values.push_back(it == row.end() ? Variant() : it->second);
        }
        target.AppendLoaded(std::move(values));
    }
    target.First();
}

}  // namespace

EditorTest::EditorTest() {
    TScriptedAnswer header;
    header.Fill = [this](const TFilter&, TClientDataSet& target) { Fill(target, PurchaseHeaderFields(), {header_}); };
    server.Script("RequestData", "D_PurchHeader", header, true);
    TScriptedAnswer lines;
    lines.Fill = [this](const TFilter&, TClientDataSet& target) { Fill(target, PurchaseLineFields(), lines_); };
    server.Script("RequestData", "D_PurchaseLine", lines, true);
    server.OnRequestValue("N_LedgerSubjectTypes", Rows({"Id"}, {{"1"}, {"2"}}), true);
    for (const char* vendor : {"V01", "V02"})
        server.OnRequestValue("fn_GetContragentAdvancePayment('C1', '" + std::string(vendor) + "', 1)",
                              Rows({"ContragentAdvancePayment"}, {{125.5}}), true);
    TScriptedAnswer due;
    due.Rows = Rows({"PurchDue", "OverDue"}, {{300.0, 40.0}});
    server.Script("GetContragentPurchDue", "", due, true);
    TScriptedAnswer item;
    item.Rows = Rows({"Code", "Name", "UnitPrice"}, {{"1001", "Брашно", 1.49}});
    server.Script("GetItemParams", "", item, true);
    for (const char* key : {"err_CannotDeleteCheckedLine", "queChangeContragent", "err_PurchAdvancePaymentAccountNotSelected",
                            "inf_SelectItemCharge", "inf_SelectAccountLine", "msg_OperSuccess", "err_CommonError",
                            "que_WantToChangeItemUnitPrice", "err_SavingHistoryBeforeDel", "err_NoCntrFound_A1Service",
                            "err_GetPartnerConnList", "err_PartnerConnectionExpired", "err_MissingItemsFromAPI",
                            "err_GettingItemInfoFromVendor", "err_PostPurchase", "err_RecalcDocument"})
        server.SetMessage(key, key);
    server.SetMessage("err_DocumentForCheck_2", "err_DocumentForCheck_2 %s");
}

void EditorTest::Open(TRow header, std::vector<TRow> lines) {
    header.emplace("Comp_Id", "C1");
    header.emplace("CurrencyFactor", 1.0);
    header.emplace("PriceIncludingVAT", 0);
    header.emplace("DocumentType", 1);
    for (TRow& line : lines) {
        line.emplace("Master_Id", header["Id"]);
        line.emplace("Comp_Id", "C1");
        line.emplace("Type", 1);
        line.emplace("QtyPerUnitOfMeasure", 1.0);
        line.emplace("PriceIncludingVAT", header["PriceIncludingVAT"]);
    }
    header_ = std::move(header);
    lines_ = std::move(lines);
    form_ = std::make_unique<TfEdPurchase>();
    TFormRequest request;
    request.Filter.Add("D_PurchHeader.Id", "=", header_["Id"]);
    form_->Create(request);
    form_->Show();
    server.ClearCalls();
}

std::vector<std::string> EditorTest::Keys(const std::string& method) const {
    std::vector<std::string> keys;
    for (const TServerCall& call : server.CallsTo(method)) keys.push_back(call.Key);
    return keys;
}

void EditorTest::GotoLine(int lineNo) { ASSERT_TRUE(Lines().Locate("Line_No", {lineNo})); }

}  // namespace tavrek::testing
