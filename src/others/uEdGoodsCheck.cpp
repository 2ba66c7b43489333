#include "others/uEdGoodsCheck.h"

#include <cmath>

#include "base/forms/EAbort.h"
#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "others/uOthersPackage.h"

namespace tavrek {
namespace {

constexpr int kQuantityDecimals = 3;
constexpr int kItemLine = 1;

// The caller's unnamed values, by position.
Variant Positional(const TDefaultValues& values, size_t index) {
    return index < values.size() ? values[index].Value : Variant();
}

}  // namespace

TfEdGoodsCheck::TfEdGoodsCheck() {
    MasterProvider = "D_GoodsCheckHeader";
    MasterTable = "D_GoodsCheckHeader";
    DetailProvider = "D_GoodsCheckLine";
    Description.AddReadOnlyFields({{"ReceiptNo", "Доставка", TFieldKind::fkText, ""},
                                   {"DocumentDate", "Дата на проверката", TFieldKind::fkDate, ""},
                                   {"DifferenceLines", "Редове с разлика", TFieldKind::fkNumber, ""}});
    dbgDetail.AddColumns({{"Line_No", "Ред", 40},
                          {"Code", "Код", 80},
                          {"Description", "Артикул", 220},
                          {"Measure_Id", "Мярка", 50},
                          {"Quantity", "Получено", 80, "0.000"},
                          {"CountedQty", "Преброено", 80, "0.000"},
                          {"DifferenceQty", "Разлика", 80, "0.000"}});
    for (TGridColumn& column : dbgDetail.Columns) column.ReadOnly = column.FieldName != "CountedQty";
    for (TAction* action : {&acInsertRecord, &acDeleteRecord, &acPrint}) action->Visible = false;
}

void TfEdGoodsCheck::InsertDocumentFromDefaults(const TDefaultValues& values) {
    TRequestResult earlier;
    const Variant receipt = Positional(values, 0);
    if (dm().Server().RequestValue(0, "D_GoodsCheckHeader", "Id",
                                   TFilter()
                                       .Add("D_GoodsCheckHeader.Comp_Id", "=", LocalData().CompanyId, "AND")
                                       .Add("D_GoodsCheckHeader.Receipt_Id", "=", receipt),
                                   earlier) > 0) {
        Filter = KeyFilter(earlier.Value());
        ReloadData();
        return;
    }
    TfBaseEditMasterDetail::InsertDocumentFromDefaults(values);
}

void TfEdGoodsCheck::ApplyDefaultValues(const TDefaultValues& values) {
    const Variant receipt = Positional(values, 0);
    const Variant kind = Positional(values, 2);
    cdsMaster.FieldByName("Receipt_Id").SetValue(receipt);
    cdsMaster.FieldByName("ReceiptNo").SetValue(Positional(values, 1));
    cdsMaster.FieldByName("CheckType").SetAsInteger(kind.IsEmpty() ? 1 : std::stoll(kind.AsString()));
    cdsMaster.FieldByName("DocumentDate").SetValue(Variant(TDateTime::Today()));
    cdsMaster.FieldByName("User_Id").SetAsString(LocalData().UserId);
    AddReceiptLines(receipt);
}

// One line per item line of the receipt, with what it took in and nothing counted yet.
void TfEdGoodsCheck::AddReceiptLines(const Variant& receiptId) {
    TRequestResult lines;
    dm().Server().RequestValue(0, "D_PurchReceiptLine", "Id,Line_No,Code,Description,Measure_Id,Quantity",
                               TFilter()
                                   .Add("D_PurchReceiptLine.Master_Id", "=", receiptId, "AND")
                                   .Add("D_PurchReceiptLine.Type", "=", kItemLine),
                               lines, true);
    for (const TVariantArray& row : lines.Rows) {
        cdsDetail.Append();
        cdsDetail.FieldByName("ReceiptLine_Id").SetValue(row[0]);
        for (size_t i = 1; i < lines.Columns.size(); ++i) cdsDetail.FieldByName(lines.Columns[i]).SetValue(row[i]);
        cdsDetail.Post();
    }
    cdsDetail.First();
}

void TfEdGoodsCheck::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfBaseEditMasterDetail::AttachDynamicEvents(dataSet);
    if (&dataSet != &cdsDetail) return;
    cdsDetail.FieldByName("CountedQty").OnChange = [this](TField& counted) {
        TField& difference = cdsDetail.FieldByName("DifferenceQty");
        if (counted.IsNull()) return difference.Clear();
        difference.SetAsFloat(
            RoundUp(counted.AsFloat() - cdsDetail.FieldByName("Quantity").AsFloat(), kQuantityDecimals));
    };
}

// Every line counted, none below zero: a check records what was found, not what is missing
// from the form. The message names the line.
void TfEdGoodsCheck::CheckCounted() {
    for (cdsDetail.First(); !cdsDetail.Eof(); cdsDetail.Next()) {
        const TField& counted = cdsDetail.FieldByName("CountedQty");
        const char* key = counted.IsNull() ? "err_GoodsCheckNotCounted"
                          : counted.AsFloat() < 0 ? "err_GoodsCheckNegative"
                                                  : nullptr;
        if (key == nullptr) continue;
        const std::string text = GetMessageText(key, counted.IsNull() ? "Въведете преброеното количество на ред %s."
                                                                       : "Преброеното количество на ред %s е отрицателно.");
        MessageDlgEx(FormatMessage(text, {cdsDetail.FieldByName("Line_No").AsString()}), TMsgDlgType::mtError, mbOK);
        throw EAbort();
    }
}

void TfEdGoodsCheck::CountDifferences() {
    int64_t differing = 0;
    for (cdsDetail.First(); !cdsDetail.Eof(); cdsDetail.Next())
        if (std::abs(cdsDetail.FieldByName("DifferenceQty").AsFloat()) >= 0.0005) ++differing;
    if (cdsMaster.State() == TDataSetState::dsBrowse) cdsMaster.Edit();
    cdsMaster.FieldByName("DifferenceLines").SetAsInteger(differing);
    cdsMaster.Post();
}

void TfEdGoodsCheck::acSaveExecute() {
    cdsDetail.CheckBrowseMode();
    CheckCounted();
    CountDifferences();
    TfBaseEditMasterDetail::acSaveExecute();
}

namespace uEdGoodsCheck {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterOtherPackageForm("TfEdGoodsCheck", [] { return std::make_unique<TfEdGoodsCheck>(); });
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdGoodsCheck
}  // namespace tavrek
