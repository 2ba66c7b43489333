#include "replenishment/uBrPurchOrderSuggestion.h"

#include "base/errors/TELException.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Utils.h"
#include "replenishment/uSuggestionOrders.h"

namespace tavrek {

using namespace uSuggestionOrders;

TfBrPurchOrderSuggestion::TfBrPurchOrderSuggestion()
    : acMarkAll(AcListBase.Add("acMarkAll", "Маркирай всички", "Функции")),
      acUnmarkAll(AcListBase.Add("acUnmarkAll", "Отмаркирай всички", "Функции")),
      acInverseMark(AcListBase.Add("acInverseMark", "Инверсно маркиране", "Функции")),
      acGenerateSuggestion(AcListBase.Add("acGenerateSuggestion", "Генериране на предложение", "Функции")),
      acGeneratePurchOrder(AcListBase.Add("acGeneratePurchOrder", "Генериране на Поръчка към доставчик", "Функции")) {
    MasterProvider = "D_PurchOrderSuggestion";
    MasterTable = "D_PurchOrderSuggestion";
    Description.Caption = "Предложение за поръчки";
    acInsertRecord.Visible = false;
    HidePostingActions();
    BindAction(acMarkAll, "acMarkAllExecute", [this] { MarkRecords(cdsMaster, 0, "Checked"); });
    BindAction(acUnmarkAll, "acUnmarkAllExecute", [this] { MarkRecords(cdsMaster, 1, "Checked"); });
    BindAction(acInverseMark, "acInverseMarkExecute", [this] { MarkRecords(cdsMaster, 2, "Checked"); });
    BindAction(acGenerateSuggestion, "acGenerateSuggestionExecute", [this] { acGenerateSuggestionExecute(); });
    BindAction(acGeneratePurchOrder, "acGeneratePurchOrderExecute", [this] { acGeneratePurchOrderExecute(); });
    pmFunctions.Add("miMarkAll", acMarkAll);
    pmFunctions.Add("miUnmarkAll", acUnmarkAll);
    pmFunctions.Add("miInverseMark", acInverseMark);
    pmFunctions.AddSeparator();
    pmFunctions.Add("miGenerateSuggestion", acGenerateSuggestion);
    pmFunctions.Add("miGeneratePurchOrder", acGeneratePurchOrder);
    AddMenu(pmFunctions);
    dbgMaster.AddColumns({{"Checked", "Избран", 50, kCheckBoxFormat}, {"Item_Id", "Артикул", 70},
                          {"N_Item_Name", "Наименование", 220}, {"VendorNo", "Доставчик", 70},
                          {"Quantity", "Количество", 80, "0.###"}, {"OnHand", "Наличност", 80, "0.###"},
                          {"OnOrder", "В поръчки", 80, "0.###"}, {"Demand", "Търсене", 80, "0.###"},
                          {"MinimumStock", "Мин. запас", 80, "0.###"}, {"DueDate", "Падеж", 80},
                          {"LastDirectCost", "Посл. доставна цена", 90, "0.00"},
                          {"LastDirectCostAll", "Стойност", 90, "0.00"}});
    for (TGridColumn& column : dbgMaster.Columns)
        column.ReadOnly = column.FieldName != "Checked" && column.FieldName != "Quantity";
    dbgMaster.EntryFields = {"Checked", "Quantity"};
}

void TfBrPurchOrderSuggestion::FormCreate() {
    TfBaseEditGrid::FormCreate();
    cdsMaster.PacketRecords = -1;
}

void TfBrPurchOrderSuggestion::FormShow() {
    TfBaseEditGrid::FormShow();
    UpdateFooters();
}

void TfBrPurchOrderSuggestion::DataSetOpened(TFormDataSet& dataSet) {
    TfBaseEditGrid::DataSetOpened(dataSet);
    if (dataSet.DataSet != &cdsMaster) return;
    RunGuarded(OperationName("cdsMasterAfterOpen"), [this] {
        cdsMaster.AggregatesActive = true;
        CreateDynamicAggregate(cdsMaster, "aggLastDirectCostAll", "SUM(LastDirectCostAll)");
    });
}

void TfBrPurchOrderSuggestion::UpdateGridFooter(TGrid& grid) {
    TfBaseEditGrid::UpdateGridFooter(grid);
    if (&grid == &dbgMaster && cdsMaster.Active()) FillAggregateFooters(grid, cdsMaster, {"aggLastDirectCostAll"});
}

void TfBrPurchOrderSuggestion::acGenerateSuggestionExecute() {
    if (cdsMaster.Active() && !cdsMaster.IsEmpty() &&
        MessageDlgEx(GetMessageText("que_PurchOrderSuggestionGenerateAttention"), TMsgDlgType::mtWarning, mbYesNo) !=
            mrYes)
        return;
    {
        TWaitCursor wait;
        const TRequestResult result =
            dm().Server().ExecuteStoredProcedure("usp_GetPurchOrderSuggestion", {LocalData().CompanyId});
        if (result.Empty() || result.Value().AsInteger() != 0) {
            ShowErrorKey("err_GeneratePurchOrderSuggestion");
        } else {
            acRefreshExecute();
            ShowInfoKey("msg_GeneratePurchOrderSuggestion");
        }
    }
    UpdateFooters();
}

void TfBrPurchOrderSuggestion::acGeneratePurchOrderExecute() {
    if (!AskYesNoKey("que_PurchOrderSuggestionMakeOrder")) return;
    PostPendingEdits();
    cdsMaster.DisableControls();
    dbgMaster.Enabled = false;
    const TTickedRows ticked = CollectTickedRows(cdsMaster);
    cdsMaster.EnableControls();
    dbgMaster.Enabled = true;
    std::string subType;
    if (!ConfirmTickedRows(*this, ticked, subType)) return;
    GenerateOrders(ticked.Vendors, subType);
}

void TfBrPurchOrderSuggestion::GenerateOrders(const std::vector<std::string>& vendors, const std::string& subType) {
    const std::string company = LocalData().CompanyId;
    std::vector<std::string> created;
    std::string numbers;
    std::string savedOfVendor;
    dbgMaster.Enabled = false;
    try {
        IBaseIntf* editor = OpenOrderEditor(*this, company);
        for (const std::string& vendor : vendors) {
            savedOfVendor.clear();
            const TVendorOrder order = VendorOrder(cdsMaster, vendor, subType, {"Quantity", "Description2"});
            if (editor == nullptr) continue;
            numbers += "\r\n" + SaveOrder(*editor, order);
            savedOfVendor = editor->GetMasterFieldAsString("Id");
            created.push_back(savedOfVendor);
            for (size_t i = 0; i < order.RowIds.size(); ++i) {
                dm().Server().ExecuteStoredProcedure("usp_ChangeSaleOrderStatus", {company, order.RowIds[i]});
                dm().Server().ExecuteStoredProcedure("usp_CopySuggestionToOrderLine",
                                                     {company, order.RowIds[i], savedOfVendor, order.LineIds[i]});
            }
            savedOfVendor.clear();
        }
        if (editor != nullptr) editor->Form().Close();
        for (const std::string& id : created)
            if (OrderDiffersFromSuggestion(id)) {
                DeleteCreatedOrders(created);
                MessageDlgEx(GetMessageText("msg_OperNotCompleted") + "\r\n" + GetMessageText("err_CheckPurchOrderFromSgg"),
                             TMsgDlgType::mtError, mbOK);
                created.clear();
                numbers.clear();
                break;
            }
        if (!numbers.empty()) {
            DeleteOrderedRows(cdsMaster);
            acSaveExecute();
            MessageDlgEx(GetMessageText("msg_OperSuccess") + "\r\n" + GetMessageText("msg_CreatedDocument") + numbers,
                         TMsgDlgType::mtInformation, mbOK);
        }
    } catch (const std::exception& error) {
        if (!savedOfVendor.empty()) DeleteCreatedOrders({savedOfVendor});
        ShowErrorKey("msg_OperNotCompleted");
        TELException(error.what(), "TfBrPurchOrderSuggestion.acGeneratePurchOrderExecute");
    }
    dbgMaster.Enabled = true;
    acRefreshExecute();
    UpdateFooters();
}

void TfBrPurchOrderSuggestion::DeleteCreatedOrders(const std::vector<std::string>& orders) {
    for (const std::string& id : orders)
        dm().Server().ExecuteStoredProcedure("usp_DeletePurchOrderFromSgg", {LocalData().CompanyId, id});
}

bool TfBrPurchOrderSuggestion::OrderDiffersFromSuggestion(const std::string& orderId) {
    TRequestResult found;
    return dm().Server().RequestValue(0, "fn_CheckPurchOrderFromSgg('" + LocalData().CompanyId + "','" + orderId + "')",
                                      "Id", TFilter(), found) != 0;
}

namespace uBrPurchOrderSuggestion {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfBrPurchOrderSuggestion", TfBrPurchOrderSuggestion::kFormNumber,
                      [] { return std::make_unique<TfBrPurchOrderSuggestion>(); }, "Предложение за поръчки",
                      TFormGroup::fgReplenishment);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPurchOrderSuggestion
}  // namespace tavrek
