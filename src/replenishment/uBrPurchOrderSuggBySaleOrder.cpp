#include "replenishment/uBrPurchOrderSuggBySaleOrder.h"

#include "base/errors/TELException.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "replenishment/uSuggestionOrders.h"

namespace tavrek {
namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

TfBrPurchOrderSuggBySaleOrder::TfBrPurchOrderSuggBySaleOrder()
    : acGenerateSuggestion(AcListBase.Add("acGenerateSuggestion", "Генериране на предложение", "Функции")),
      acGenerateSuggestionStore(
          AcListBase.Add("acGenerateSuggestionStore", "Генериране на предложение за склад", "Функции")),
      acGenPurchOrder(AcListBase.Add("acGenPurchOrder", "Поръчка към доставчик", "Нови поръчки")),
      acMarkAll(AcListBase.Add("acMarkAll", "Маркирай всички", "Функции")),
      acUnmarkAll(AcListBase.Add("acUnmarkAll", "Отмаркирай всички", "Функции")),
      acInverseMark(AcListBase.Add("acInverseMark", "Инверсно маркиране", "Функции")),
      acExecuteOrderContragent(AcListBase.Add("acExecuteOrderContragent", "Избор на доставчик...", "Нови поръчки")),
      acGetPayMethod(AcListBase.Add("acGetPayMethod", "Избор на начин на плащане...", "Нови поръчки")) {
    MasterProvider = "D_PurchOrderSeggBySaleOrder";
    MasterTable = "D_PurchOrderSeggBySaleOrder";
    Description.Caption = "Предложение по поръчки за продажба";
    acInsertRecord.Visible = false;
    HidePostingActions();
    BindAction(acGenerateSuggestion, "acGenerateSuggestionExecute", [this] { GenerateSuggestion(0); });
    BindAction(acGenerateSuggestionStore, "acGenerateSuggestionStoreExecute", [this] { GenerateSuggestion(1); });
    BindAction(acGenPurchOrder, "acGeneratePurchOrderExecute", [this] { acGenPurchOrderExecute(); });
    BindAction(acMarkAll, "acMarkAllExecute", [this] { MarkRecords(cdsMaster, 0, "Checked"); });
    BindAction(acUnmarkAll, "acUnmarkAllExecute", [this] { MarkRecords(cdsMaster, 1, "Checked"); });
    BindAction(acInverseMark, "acInverseMarkExecute", [this] { MarkRecords(cdsMaster, 2, "Checked"); });
    pmFunctions.Add("miGenerateSuggestion", acGenerateSuggestion);
    pmFunctions.Add("miGenerateSuggestionStore", acGenerateSuggestionStore);
    pmFunctions.AddSeparator();
    pmFunctions.Add("miMarkAll", acMarkAll);
    pmFunctions.Add("miUnmarkAll", acUnmarkAll);
    pmFunctions.Add("miInverseMark", acInverseMark);
    AddMenu(pmFunctions);
    AddOrderFields();
    tmrGetContragent.OnTimer = [this] { RunGuarded(OperationName("tmrGetContragentTimer"), [this] { tmrGetContragentTimer(); }); };
    AddTimer(tmrGetContragent);
    dbgMaster.AddColumns({{"Checked", "Избран", 50, kCheckBoxFormat}, {"Item_Id", "Артикул", 70},
                          {"N_Item_Name", "Наименование", 220}, {"SaleOrderNo", "Поръчка за продажба", 100},
                          {"DueDate", "Падеж", 80}, {"OpenQty", "Неизпълнено", 80, "0.###"},
                          {"OnHand", "Наличност", 80, "0.###"}, {"OnOrder", "В поръчки", 80, "0.###"},
                          {"QtyToPurch", "За покупка", 80, "0.###"}, {"LastDirectCost", "Посл. доставна цена", 90, "0.00"}});
    for (TGridColumn& column : dbgMaster.Columns)
        column.ReadOnly = column.FieldName != "Checked" && column.FieldName != "QtyToPurch";
    dbgMaster.EntryFields = {"Checked", "QtyToPurch"};
}

void TfBrPurchOrderSuggBySaleOrder::AddOrderFields() {
    for (const char* name : {"edtOrderContragent_Id", "edtOrderContragent_Code", "edtOrderContragent_Name",
                             "edtSubDocCode", "edtSubDocCode_Id", "edtPayMethod_Id"})
        cdsOrder.AddField(name, TFieldType::ftString);
    cdsOrder.CreateDataSet();
    cdsOrder.Append();
    cdsOrder.Post();
    AddDataSet({&cdsOrder, "", nullptr, "", "Id", false});
    Description.AddPage("tsNewOrders", "Нови поръчки");
    Description.AddFields({
        {"edtOrderContragent_Code", "Доставчик код", TFieldKind::fkLookup, "tsNewOrders"},
        {"edtOrderContragent_Name", "Доставчик име", TFieldKind::fkText, "tsNewOrders"},
        {"edtSubDocCode", "Подвид Док.", TFieldKind::fkLookup, "tsNewOrders"},
        {"edtPayMethod_Id", "Метод на плащане", TFieldKind::fkLookup, "tsNewOrders"},
    });
    for (THeaderField& field : Description.Fields) field.DataSet = cdsOrder.Name;
    Description.FindField("edtOrderContragent_Name")->ReadOnly = true;
    cdsOrder.FieldByName("edtOrderContragent_Code").OnChange = [this](TField&) { tmrGetContragent.Enabled = true; };
    lookups_ = {
        uSuggestionOrders::ParameterLookup("edtOrderContragent_Code", "доставчик", "N_Contragent", "Code",
               {{"Id", "edtOrderContragent_Id"}, {"Code", "edtOrderContragent_Code"}, {"Name", "edtOrderContragent_Name"}}),
        uSuggestionOrders::ParameterLookup("edtSubDocCode", "подвид на документ", "N_SubDocument", "Code",
               {{"Id", "edtSubDocCode_Id"}, {"Code", "edtSubDocCode"}}),
        uSuggestionOrders::ParameterLookup("edtPayMethod_Id", "метод на плащане", "N_PaymentMethod", "Id", {{"Id", "edtPayMethod_Id"}}),
    };
    const auto select = [this](const char* field) {
        SelectLookup(*Description.FindField(field), cdsOrder.FieldByName(field).AsString());
    };
    BindAction(acExecuteOrderContragent, "acExecuteOrderContragentExecute", [select] { select("edtOrderContragent_Code"); });
    BindAction(acGetPayMethod, "acGetPayMethodExecute", [select] { select("edtPayMethod_Id"); });
}

const TLookupDefinition* TfBrPurchOrderSuggBySaleOrder::LookupOf(TClientDataSet& dataSet, std::string_view field) {
    if (&dataSet == &cdsOrder)
        for (const TLookupDefinition& lookup : lookups_)
            if (EqualsIgnoreCase(lookup.Field, field)) return &lookup;
    return TfBaseEditGrid::LookupOf(dataSet, field);
}

void TfBrPurchOrderSuggBySaleOrder::FormCreate() {
    TfBaseEditGrid::FormCreate();
    cdsMaster.PacketRecords = -1;
}

TFilter TfBrPurchOrderSuggBySaleOrder::DataSetFilter(const TFormDataSet& dataSet) {
    if (dataSet.DataSet != &cdsMaster) return TfBaseEditGrid::DataSetFilter(dataSet);
    return TFilter()
        .Add("D_PurchOrderSeggBySaleOrder.Comp_Id", "=", LocalData().CompanyId, "AND")
        .Add("D_PurchOrderSeggBySaleOrder.BusinessGroup_Id", "=", LocalData().BusinessGroupId);
}

void TfBrPurchOrderSuggBySaleOrder::GenerateSuggestion(int mode) {
    if (cdsMaster.Active() && !cdsMaster.IsEmpty() &&
        !AskYesNoKey("que_PurchOrderSuggestionGenerateAttention", "Текущото предложение ще бъде заменено. Продължавате ли?"))
        return;
    TWaitCursor wait;
    const TRequestResult result = dm().Server().ExecuteStoredProcedure(
        GetMessageText("proc_GetPurchOrderSuggToStore", "usp_GetPurchOrderSuggToStore"),
        {LocalData().CompanyId, LocalData().BusinessGroupId, mode});
    if (result.Empty() || result.Value().AsInteger() != 0) {
        ShowErrorKey("err_GeneratePurchOrderSuggestion");
        return;
    }
    acRefreshExecute();
    if (cdsMaster.IsEmpty()) ShowInfoKey("msg_NoRecordsFoundForPurchSugg");
    else ShowInfoKey("msg_GeneratePurchOrderSuggestion");
}

void TfBrPurchOrderSuggBySaleOrder::tmrGetContragentTimer() {
    tmrGetContragent.Enabled = false;
    cdsOrder.Edit();
    cdsOrder.FieldByName("edtOrderContragent_Id").Clear();
    cdsOrder.FieldByName("edtOrderContragent_Name").Clear();
    TRequestResult found;
    const TFilter filter = TFilter()
                               .Add("N_Contragent.Code", "=", cdsOrder.FieldByName("edtOrderContragent_Code").AsString(), "AND")
                               .Add("N_Contragent.Comp_Id", "=", Quoted(LocalData().CompanyId));
    if (dm().Server().RequestValue(0, "N_Contragent", "Id,Name", filter, found) > 0) {
        cdsOrder.FieldByName("edtOrderContragent_Id").SetValue(found.Value(0, 0));
        cdsOrder.FieldByName("edtOrderContragent_Name").SetValue(found.Value(0, 1));
    }
    cdsOrder.Post();
}

void TfBrPurchOrderSuggBySaleOrder::acGenPurchOrderExecute() {
    if (cdsMaster.ChangeCount() > 0 || cdsMaster.State() != TDataSetState::dsBrowse) {
        ShowErrorKey("err_SaveBeforePostQuestion");
        return;
    }
    if (cdsMaster.IsEmpty()) {
        ShowErrorKey("err_FreeRecords");
        return;
    }
    if (MessageDlgEx(GetMessageText("que_PurchOrderSuggestionMakeOrder"), TMsgDlgType::mtConfirmation, mbYesNo) != mrYes)
        return;
    bool any = false;
    for (cdsMaster.First(); !cdsMaster.Eof() && !any; cdsMaster.Next())
        any = cdsMaster.FieldByName("Checked").AsInteger() == 1 && cdsMaster.FieldByName("QtyToPurch").AsFloat() > 0;
    if (!any) {
        ShowErrorKey("err_NoSelectedRecords");
        return;
    }
    cdsOrder.CheckBrowseMode();
    if (cdsOrder.FieldByName("edtOrderContragent_Id").AsString().empty()) {
        ShowErrorKey("err_NoSelectedVendor");
        return;
    }
    try {
        CreateOrder();
    } catch (const std::exception& error) {
        ShowErrorKey("msg_OperNotCompleted");
        TELException(error.what(), "TfBrPurchOrderSuggBySaleOrder.acGeneratePurchOrderExecute");
    }
    dm().Server().ExecuteSQLScript("DELETE D_PurchOrderSeggBySaleOrder WHERE Comp_Id = " + Quoted(LocalData().CompanyId) +
                                   "AND Processed = 1");
    acRefreshExecute();
}

void TfBrPurchOrderSuggBySaleOrder::CreateOrder() {
    TWaitCursor wait;
    const std::string text =
        "exec dbo." + GetMessageText("proc_CreatePurchOrderFromSuggToStore", "usp_CreatePurchOrderFromSuggToStore") + " " +
        Quoted(LocalData().CompanyId) + ", " + Quoted(LocalData().BusinessGroupId) + ", " + Quoted(LocalData().UserId) +
        ", " + Quoted(cdsOrder.FieldByName("edtSubDocCode_Id").AsString()) + "," +
        Quoted(cdsOrder.FieldByName("edtOrderContragent_Id").AsString()) + "," +
        Quoted(cdsOrder.FieldByName("edtPayMethod_Id").AsString());
    TRequestResult answer;
    if (dm().Server().RequestValue(-1, text, "Result,Doc_No,Doc_Id,ErrMsg", TFilter(), answer) == 0 || answer.Empty()) {
        ShowErrorKey("msg_OperNotCompleted");
    } else if (answer.ByName("Result").AsString() == "-1") {
        MessageDlgEx(GetMessageText("msg_OperNotCompleted") + "\r\n" + answer.ByName("ErrMsg").AsString(),
                     TMsgDlgType::mtError, mbOK);
    } else {
        MessageDlgEx(GetMessageText("msg_CreatedPurchOrder") + "\r\n" + answer.ByName("Doc_No").AsString(),
                     TMsgDlgType::mtInformation, mbOK);
    }
}

namespace uBrPurchOrderSuggBySaleOrder {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfBrPurchOrderSuggBySaleOrder", TfBrPurchOrderSuggBySaleOrder::kFormNumber,
                      [] { return std::make_unique<TfBrPurchOrderSuggBySaleOrder>(); }, "Предложение по поръчки за продажба",
                      TFormGroup::fgReplenishment);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPurchOrderSuggBySaleOrder
}  // namespace tavrek
