#include "others/uEdItemChargeAssignment.h"

#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "others/uOthersPackage.h"

namespace tavrek {
namespace {

// Shares keep five decimals; the last line takes what rounding left over.
constexpr int kShareDecimals = 5;

}  // namespace

TfEdItemChargeAssignment::TfEdItemChargeAssignment()
    : acSuggestByQuantity(AcListBase.Add("acSuggestByQuantity", "По количество", "Документ")),
      acSuggestByAmount(AcListBase.Add("acSuggestByAmount", "По стойност", "Документ")) {
    for (const auto& [field, type] :
         {std::pair{"ItemCharge_Id", TFieldType::ftString}, std::pair{"Quantity", TFieldType::ftFloat},
          std::pair{"UnitCost", TFieldType::ftFloat}})
        cdsCharge.AddField(field, type);
    AddDataSet({&cdsCharge, "", nullptr, "", "Id", false});
    AddDataSet({&cdsAssignment, "D_ItemChargeAssigment", nullptr, "", "Id", true});
    for (const auto& [field, type] :
         {std::pair{"ItemLine_Id", TFieldType::ftString}, std::pair{"Line_No", TFieldType::ftInteger},
          std::pair{"Code", TFieldType::ftString}, std::pair{"Description", TFieldType::ftString},
          std::pair{"Quantity", TFieldType::ftFloat}, std::pair{"TotalValue_LCY", TFieldType::ftFloat},
          std::pair{"QtyToAssign", TFieldType::ftFloat}})
        cdsMaster.AddField(field, type);
    Description.AddReadOnlyFields({{"ItemCharge_Id", "Допълнителен разход", TFieldKind::fkText, ""},
                                   {"Quantity", "Количество за разпределяне", TFieldKind::fkNumber, ""},
                                   {"UnitCost", "Стойност", TFieldKind::fkNumber, ""}});
    for (THeaderField& field : Description.Fields) field.DataSet = cdsCharge.Name;
    for (const auto& [field, caption, width] :
         {std::tuple{"Line_No", "Ред", 40}, std::tuple{"Code", "Код", 80}, std::tuple{"Description", "Артикул", 220},
          std::tuple{"Quantity", "Количество", 80}, std::tuple{"TotalValue_LCY", "Стойност", 90},
          std::tuple{"QtyToAssign", "Разпределено количество", 120}}) {
        TGridColumn& column = dbgMaster.AddColumn(field, caption, width);
        column.ReadOnly = std::string(field) != "QtyToAssign";
    }
    dbgMaster.FindColumn("QtyToAssign")->FooterAggregate = "Agg_QtyToAssign";
    for (TAction* action : {&acInsertRecord, &acDeleteRecord, &acPrint}) action->Visible = false;
    BindAction(acSuggestByQuantity, "acSuggestByQuantityExecute", [this] { SuggestBy("Quantity"); });
    BindAction(acSuggestByAmount, "acSuggestByAmountExecute", [this] { SuggestBy("TotalValue_LCY"); });
    acSave.OnUpdate = [this](TAction& a) { a.Enabled = cdsMaster.Active() && !cdsMaster.IsEmpty(); };
}

// The order buffer names its charge line apart; the documents name it as what is applied to.
std::string TfEdItemChargeAssignment::ChargeLineId() const {
    const Variant line = Default("DocumentLine_Id");
    return (line.IsEmpty() ? Default("AppliesToDoc_Id") : line).AsString();
}

TFilter TfEdItemChargeAssignment::DataSetFilter(const TFormDataSet& dataSet) {
    if (dataSet.DataSet != &cdsAssignment) return TfBase::DataSetFilter(dataSet);
    return TFilter()
        .Add("D_ItemChargeAssigment.Document_Id", "=", Default("Document_Id"), "AND")
        .Add("D_ItemChargeAssigment.AppliesToDoc_Id", "=", ChargeLineId());
}

void TfEdItemChargeAssignment::FormShow() {
    cdsCharge.CreateDataSet();
    cdsCharge.Append();
    for (const char* field : {"ItemCharge_Id", "Quantity", "UnitCost"})
        cdsCharge.FieldByName(field).SetValue(Default(field));
    cdsCharge.Post();
    TfBase::FormShow();
    LoadItemLines();
}

// The item lines of the document, each with what the stored assignments give it.
void TfEdItemChargeAssignment::LoadItemLines() {
    const std::string table = EqualsIgnoreCase(Default("TableName").AsString(), "D_PurchOrderBufLine")
                                  ? "D_PurchOrderBufLine"
                                  : "D_PurchaseLine";
    TRequestResult lines;
    dm().Server().RequestValue(0, table, "Id,Line_No,Type,Code,Description,Quantity,TotalValue_LCY",
                               TFilter().Add(table + ".Master_Id", "=", Default("Document_Id")), lines, true);
    cdsMaster.Close();
    cdsMaster.CreateDataSet();
    for (size_t row = 0; row < lines.Rows.size(); ++row) {
        const int64_t type = lines.ByName("Type", row).AsInteger();
        if (type != 1 && type != 5) continue;
        const Variant id = lines.ByName("Id", row);
        const Variant stored = cdsAssignment.Lookup("ItemLine_Id", {id}, "Quantity");
        cdsMaster.AppendLoaded({id, lines.ByName("Line_No", row), lines.ByName("Code", row),
                                lines.ByName("Description", row), lines.ByName("Quantity", row),
                                lines.ByName("TotalValue_LCY", row), stored.IsNull() ? Variant(0.0) : stored});
    }
    cdsMaster.AddAggregate("Agg_QtyToAssign", "SUM(QtyToAssign)");
    cdsMaster.First();
    UpdateFooters();
}

void TfEdItemChargeAssignment::SuggestBy(const std::string& field) {
    const double charge = cdsCharge.FieldByName("Quantity").AsFloat();
    double total = 0;
    for (cdsMaster.First(); !cdsMaster.Eof(); cdsMaster.Next()) total += cdsMaster.FieldByName(field).AsFloat();
    if (total == 0) return;
    double given = 0;
    for (cdsMaster.First(); !cdsMaster.Eof(); cdsMaster.Next()) {
        cdsMaster.Edit();
        const bool last = cdsMaster.RecNo() == cdsMaster.RecordCount();
        const double share = last ? RoundUp(charge - given, kShareDecimals)
                                  : RoundUp(charge * cdsMaster.FieldByName(field).AsFloat() / total, kShareDecimals);
        cdsMaster.FieldByName("QtyToAssign").SetAsFloat(share);
        cdsMaster.Post();
        given += share;
    }
    cdsMaster.First();
}

// The assignments stored anew: one row per item line that takes a share.
void TfEdItemChargeAssignment::StoreAssignments() {
    for (cdsAssignment.First(); !cdsAssignment.IsEmpty(); cdsAssignment.First()) cdsAssignment.Delete();
    for (cdsMaster.First(); !cdsMaster.Eof(); cdsMaster.Next()) {
        const double share = cdsMaster.FieldByName("QtyToAssign").AsFloat();
        if (share == 0) continue;
        cdsAssignment.Append();
        FillNewRecordKeys(*FindFormDataSet(cdsAssignment));
        cdsAssignment.FieldByName("Document_Id").SetValue(Default("Document_Id"));
        cdsAssignment.FieldByName("AppliesToDoc_Id").SetAsString(ChargeLineId());
        cdsAssignment.FieldByName("ItemLine_Id").SetValue(cdsMaster.FieldByName("ItemLine_Id").Value());
        cdsAssignment.FieldByName("ItemCharge_Id").SetValue(cdsCharge.FieldByName("ItemCharge_Id").Value());
        cdsAssignment.FieldByName("Quantity").SetAsFloat(share);
        cdsAssignment.Post();
    }
}

void TfEdItemChargeAssignment::acSaveExecute() {
    cdsMaster.CheckBrowseMode();
    const double assigned = RoundUp(cdsMaster.AggregateValue("Agg_QtyToAssign").AsFloat(), kShareDecimals);
    const double charge = RoundUp(cdsCharge.FieldByName("Quantity").AsFloat(), kShareDecimals);
    if (assigned != charge) {
        const std::string text = GetMessageText(
            "err_ChargeAssignmentSum", "Разпределеното количество %s не е равно на количеството на разхода %s.");
        MessageDlgEx(FormatMessage(text, {FixedText(assigned, kShareDecimals), FixedText(charge, kShareDecimals)}),
                     TMsgDlgType::mtError, mbOK);
        return;
    }
    StoreAssignments();
    // The shares live on in the stored assignments; the lines themselves are not saved.
    cdsMaster.MergeChangeLog();
    try {
        TfBase::acSaveExecute();
    } catch (...) {
        cdsAssignment.CancelUpdates();
        throw;
    }
}

namespace uEdItemChargeAssignment {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterOtherPackageForm("TfEdItemChargeAssignment", [] { return std::make_unique<TfEdItemChargeAssignment>(); });
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdItemChargeAssignment
}  // namespace tavrek
