#include "others/uEdSaleOrder.h"

#include <algorithm>

#include "base/data/TDateTime.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "others/uOthersPackage.h"

namespace tavrek {
namespace {

TLookupDefinition KeyLookup(const char* field, const char* caption, const char* table,
                            std::vector<TLookupCopy> copies) {
    TLookupDefinition lookup;
    lookup.Field = field;
    lookup.Caption = caption;
    lookup.MasterTable = table;
    lookup.Copies = std::move(copies);
    return lookup;
}

// "7" for 7, "2,5" for 2.5: a quantity without the zeros it does not have.
std::string QuantityText(double quantity) {
    std::string text = NumberText(quantity, 3);
    while (text.back() == '0') text.pop_back();
    if (text.back() == ',') text.pop_back();
    return text;
}

bool Blank(TClientDataSet& dataSet, const char* field) { return Trim(dataSet.FieldByName(field).AsString()).empty(); }

}  // namespace

TfEdSaleOrder::TfEdSaleOrder() : acShip(AcListBase.Add("acShip", "Експедиране", "Общи данни")) {
    MasterProvider = "D_SaleOrderHeader";
    MasterTable = "D_SaleOrderHeader";
    DetailProvider = "D_SaleOrderLine";
    Description.Caption = "Поръчка за продажба";
    HidePostingActions();
    // Nothing of it is printed.
    acPrint.Visible = false;
    Description.AddFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, ""},
        {"DocumentDate", "Дата", TFieldKind::fkDate, ""},
        {"Customer_Id", "Клиент", TFieldKind::fkLookup, ""},
        {"BusinessGroup_Id", "Обект", TFieldKind::fkLookup, ""},
        {"Store_Id", "Склад", TFieldKind::fkLookup, ""},
        {"Comment", "Коментар", TFieldKind::fkText, ""},
    });
    headerLookups_ = {
        KeyLookup("Customer_Id", "клиент", "N_Contragent", {{"Id", "Customer_Id", true}}),
        KeyLookup("BusinessGroup_Id", "обект", "N_BusinessGroup", {{"Store_Id", "Store_Id"}, {"Id", "BusinessGroup_Id", true}}),
        KeyLookup("Store_Id", "склад", "N_Store", {{"Id", "Store_Id", true}}),
    };
    itemLookup_ = KeyLookup("Item_Id", "артикул", "N_Item", {{"Name", "Description"}, {"Id", "Item_Id", true}});
    dbgDetail.AddColumns({{"Line_No", "Ред", 40},
                          {"Item_Id", "Артикул", 90},
                          {"Description", "Наименование", 220},
                          {"Quantity", "Количество", 80, "0.###"},
                          {"DueDate", "Падеж", 90},
                          {"ShippedQty", "Експедирано", 80, "0.###"}});
    for (TGridColumn& column : dbgDetail.Columns)
        column.ReadOnly = column.FieldName == "Line_No" || column.FieldName == "ShippedQty" ||
                          column.FieldName == "Description";
    dbgDetail.EntryFields = {"Item_Id", "Quantity"};
    cdsMaster.OnNewRecord = [this](TClientDataSet&) { StartHeader(); };
    BindAction(acShip, "acShipExecute", [this] { acShipExecute(); });
    acShip.OnUpdate = [this](TAction& a) {
        a.Enabled = !ReadOnly && cdsMaster.Active() && !cdsMaster.IsEmpty() &&
                    FieldValue(cdsMaster, "DocStatus").AsInteger() == 0;
    };
}

void TfEdSaleOrder::StartHeader() {
    cdsMaster.FieldByName("DocumentDate").SetValue(TDateTime::Today());
    cdsMaster.FieldByName("DocStatus").SetAsInteger(0);
    cdsMaster.FieldByName("User_Id").SetAsString(LocalData().UserId);
}

void TfEdSaleOrder::cdsDetailAfterInsert() {
    TfBaseEditMasterDetail::cdsDetailAfterInsert();
    int last = 0;
    TClientDataSet lines;
    lines.CloneCursor(cdsDetail);
    for (lines.First(); !lines.Eof(); lines.Next())
        last = std::max(last, static_cast<int>(lines.FieldByName("Line_No").AsInteger()));
    cdsDetail.FieldByName("Line_No").SetAsInteger(last + 1);
    cdsDetail.FieldByName("DueDate").SetValue(FieldValue(cdsMaster, "DocumentDate"));
    cdsDetail.FieldByName("ShippedQty").SetAsFloat(0);
}

const TLookupDefinition* TfEdSaleOrder::LookupOf(TClientDataSet& dataSet, std::string_view field) {
    if (&dataSet == &cdsDetail && EqualsIgnoreCase(field, itemLookup_.Field)) return &itemLookup_;
    if (&dataSet == &cdsMaster)
        for (const TLookupDefinition& lookup : headerLookups_)
            if (EqualsIgnoreCase(lookup.Field, field)) return &lookup;
    return TfBaseEditMasterDetail::LookupOf(dataSet, field);
}

void TfEdSaleOrder::CheckOrder() {
    if (Blank(cdsMaster, "DocumentNo")) AbortWithError("err_SaleOrderNoNumber", "Въведете номер на поръчката.");
    if (Blank(cdsMaster, "BusinessGroup_Id") || Blank(cdsMaster, "Store_Id"))
        AbortWithError("err_SaleOrderNoStore", "Изберете обект и склад, от който ще се експедира поръчката.");
    CheckLines();
}

void TfEdSaleOrder::CheckLines() {
    TClientDataSet lines;
    lines.CloneCursor(cdsDetail);
    for (lines.First(); !lines.Eof(); lines.Next()) {
        if (Blank(lines, "Item_Id")) AbortWithError("err_SaleOrderLineNoItem", "Ред без артикул: изберете артикул или изтрийте реда.");
        if (lines.FieldByName("Quantity").AsFloat() <= 0)
            AbortWithError("err_SaleOrderLineQuantity", "Количеството на всеки ред трябва да е по-голямо от нула.");
        if (lines.FieldByName("DueDate").IsNull())
            AbortWithError("err_SaleOrderLineDueDate", "Въведете падеж на всеки ред.");
    }
}

void TfEdSaleOrder::acSaveExecute() {
    PostPendingEdits();
    if (cdsMaster.Active() && !cdsMaster.IsEmpty()) CheckOrder();
    TfBaseEditMasterDetail::acSaveExecute();
}

void TfEdSaleOrder::acShipExecute() {
    if (!AskYesNoKey("que_ShipSaleOrder", "Да се експедира ли от склада наличното количество по поръчката?")) return;
    if (!SaveData()) return;
    TRequestResult result;
    {
        TWaitCursor wait;
        result = dm().Server().ExecuteStoredProcedure(
            "usp_ShipSaleOrder", {LocalData().CompanyId, FieldValue(cdsMaster, "Id").AsString(), std::string()});
    }
    if (result.Empty() || result.ByName("Result").AsInteger() < 0) {
        const std::string reason = dm().Server().LastRefusalText();
        MessageDlgEx(reason.empty() ? GetMessageText("err_NothingToShip") : reason, TMsgDlgType::mtError, mbOK);
        return;
    }
    acRefreshExecute();
    MessageDlgEx(FormatMessage(GetMessageText("msg_SaleOrderShipped", "Експедирано количество: %s."),
                               {QuantityText(result.ByName("ShippedQty").AsFloat())}),
                 TMsgDlgType::mtInformation, mbOK);
}

namespace uEdSaleOrder {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterOtherPackageForm("TfEdSaleOrder", [] { return std::make_unique<TfEdSaleOrder>(); });
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdSaleOrder
}  // namespace tavrek
