#include "replenishment/uSuggestionOrders.h"

#include <algorithm>
#include <stdexcept>

#include "base/errors/TELException.h"
#include "base/forms/RequestForm.h"
#include "base/forms/TfBase.h"
#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"

namespace tavrek::uSuggestionOrders {
namespace {

constexpr int kSubTypeSelector = 10770;
constexpr int kPurchOrderEditor = 10201;

bool Ticked(TClientDataSet& rows) { return rows.FieldByName("Checked").AsInteger() == 1; }

}  // namespace

TLookupDefinition ParameterLookup(const char* field, const char* caption, const char* table, const char* code,
                                  std::vector<TLookupCopy> copies) {
    TLookupDefinition lookup;
    lookup.Field = field;
    lookup.Caption = caption;
    lookup.MasterTable = table;
    lookup.CodeColumn = code;
    lookup.KeyColumn = code;
    lookup.Copies = std::move(copies);
    return lookup;
}

bool HasVendor(TClientDataSet& rows) {
    const TField& vendor = rows.FieldByName("VendorNo");
    return !vendor.IsNull() && !Trim(vendor.AsString()).empty();
}

TTickedRows CollectTickedRows(TClientDataSet& rows) {
    TTickedRows ticked;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        if (!Ticked(rows)) continue;
        ticked.Any = true;
        if (!HasVendor(rows)) {
            ticked.WithoutVendor = true;
            continue;
        }
        const std::string vendor = rows.FieldByName("VendorNo").AsString();
        if (std::find(ticked.Vendors.begin(), ticked.Vendors.end(), vendor) == ticked.Vendors.end())
            ticked.Vendors.push_back(vendor);
    }
    return ticked;
}

bool ConfirmTickedRows(TfBase& caller, const TTickedRows& ticked, std::string& subType) {
    if (!ticked.Any) {
        ShowErrorKey("err_NoSelectedRecords");
        return false;
    }
    if (ticked.WithoutVendor &&
        MessageDlgEx(GetMessageText("err_RecordsWithoutVendorNo"), TMsgDlgType::mtError, mbYesNo) != mrYes)
        return false;
    return ChooseSubType(caller, subType);
}

bool ChooseSubType(TfBase& caller, std::string& subType) {
    TFormRequest request;
    request.FormNumber = kSubTypeSelector;
    request.ShowOptions = {soModal};
    request.Value2 = GetMessageText("msg_GeneratingPurchOrder", "Генериране на поръчки") + "\r\n" +
                     GetMessageText("msg_SelectDocSubType", "Изберете вид на документа");
    request.CallingForm = &caller;
    if (RequestForm(request) != 1) return false;
    subType = "520";
    if (request.Result.size() > 1 && !request.Result[1].IsNull()) subType = request.Result[1].AsString();
    return true;
}

IBaseIntf* OpenOrderEditor(TfBase& caller, const std::string& companyId) {
    const TFilter filter = TFilter().Add("D_PurchHeader.Comp_Id", "= ", "'" + companyId + "'");
    RequestForm(kPurchOrderEditor, {soNormal}, filter, Variant(), Variant(), nullptr, {}, &caller);
    return FindFormByCallingForm(&caller);
}

TVendorOrder VendorOrder(TClientDataSet& rows, const std::string& vendor, const std::string& subType,
                         const TRowFields& fields) {
    TVendorOrder order;
    order.Defaults = {{"N_Contragent_Code", vendor}, {"N_SubDocument_Code", subType}};
    TClientDataSet clone;
    clone.CloneCursor(rows);
    clone.SetFilterPredicate([&vendor](TClientDataSet& row) {
        return row.FieldByName("VendorNo").AsString() == vendor && row.FieldByName("Checked").AsInteger() == 1;
    });
    clone.SetFiltered(true);
    for (clone.First(); !clone.Eof(); clone.Next()) {
        const double quantity = clone.FieldByName(fields.Quantity).AsFloat();
        if (fields.SkipNothingToOrder && quantity <= 0) continue;
        const std::string lineId = CreateUniqueID();
        order.Defaults.push_back({"Code", clone.FieldByName("Item_Id").Value(), true, false});
        order.Defaults.push_back({"Id", lineId, true, true});
        order.Defaults.push_back({"Quantity", quantity, true, true});
        order.Defaults.push_back({"Description2", clone.FieldByName(fields.Description2).Value(), true, true});
        order.Defaults.push_back({"DirectUnitCost_ACY", clone.FieldByName("LastDirectCost").Value(), true, true});
        order.RowIds.push_back(clone.FieldByName("Id").AsString());
        order.LineIds.push_back(lineId);
    }
    return order;
}

std::string SaveOrder(IBaseIntf& editor, const TVendorOrder& order) {
    editor.ActivateDocumentForm();
    editor.InsertDocumentFromDefaults(order.Defaults);
    editor.SaveDocument();
    const std::string number = editor.IsSaveSuccessful() ? editor.GetMasterFieldAsString("DocumentNo") : "";
    if (number.empty()) {
        editor.CancelDocument();
        throw std::runtime_error(GetMessageText("msg_OperNotCompleted", "Операцията не е завършена."));
    }
    return number;
}

std::string SaveVendorOrders(TfBase& caller, TClientDataSet& rows, const std::vector<std::string>& vendors,
                             const std::string& subType, const TRowFields& fields, const std::function<void()>& afterEach) {
    IBaseIntf* editor = OpenOrderEditor(caller, LocalData().CompanyId);
    std::string numbers;
    for (const std::string& vendor : vendors) {
        const TVendorOrder order = VendorOrder(rows, vendor, subType, fields);
        // A vendor whose rows all propose nothing gets no empty order.
        if (editor == nullptr || order.RowIds.empty()) continue;
        numbers += "\r\n" + SaveOrder(*editor, order);
        afterEach();
    }
    if (editor != nullptr) editor->Form().Close();
    return numbers;
}

TOrderOutcome OrderTickedSuggestions(TfBase& form, TClientDataSet& rows, TGrid& grid, const TRowFields& fields,
                                     const std::function<void()>& refresh, const std::string& operation) {
    if (!AskYesNoKey("que_PurchOrderSuggestionMakeOrder") || !form.SaveData()) return TOrderOutcome::ooStopped;
    const TTickedRows ticked = CollectTickedRows(rows);
    std::string subType;
    if (!ConfirmTickedRows(form, ticked, subType)) return TOrderOutcome::ooStopped;
    grid.Enabled = false;
    TOrderOutcome outcome = TOrderOutcome::ooFailed;
    try {
        const std::string numbers = SaveVendorOrders(form, rows, ticked.Vendors, subType, fields, refresh);
        MessageDlgEx(GetMessageText("msg_OperSuccess") + "\r\n" + GetMessageText("msg_CreatedDocument") + numbers,
                     TMsgDlgType::mtInformation, mbOK);
        DeleteOrderedRows(rows);
        outcome = TOrderOutcome::ooOrdered;
    } catch (const std::exception& error) {
        ShowErrorKey("msg_OperNotCompleted");
        TELException(error.what(), operation);
    }
    grid.Enabled = true;
    return outcome;
}

void RunSuggestionToVendor(const TVariantArray& params, const std::function<void()>& refresh) {
    const TRequestResult result = dm().Server().ExecuteStoredProcedure(
        GetMessageText("usp_GetPurchOrderSuggestionToVendor", "usp_GetPurchOrderSuggestionToVendor"), params);
    if (result.Empty() || result.Value().AsInteger() < 0) {
        ShowErrorKey("err_GeneratePurchOrderSuggestion");
        return;
    }
    refresh();
    ShowInfoKey("msg_GeneratePurchOrderSuggestion");
}

void DeleteOrderedRows(TClientDataSet& rows) {
    rows.First();
    while (!rows.Eof()) {
        if (Ticked(rows) && HasVendor(rows)) rows.Delete();
        else rows.Next();
    }
}

void FillAggregateFooters(TGrid& grid, TClientDataSet& rows, std::initializer_list<const char*> aggregates) {
    for (const char* name : aggregates) {
        std::string column = name;
        for (size_t at = column.find("agg"); at != std::string::npos; at = column.find("agg")) column.erase(at, 3);
        TGridColumn* footer = grid.FindColumn(column);
        if (footer == nullptr || rows.FindAggregate(name) == nullptr) continue;
        const Variant value = rows.AggregateValue(name);
        footer->FooterText = value.IsNull() ? "|-|" : value.AsString();
    }
}

}  // namespace tavrek::uSuggestionOrders
