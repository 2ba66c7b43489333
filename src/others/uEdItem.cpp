#include "others/uEdItem.h"

#include "base/util/Text.h"
#include "others/uOthersPackage.h"

namespace tavrek {

TfEdItem::TfEdItem() : TfOthersCard("N_Item") {
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsPrices", "Цени и групи");
    Description.AddPage("tsReplenishment", "Снабдяване");
    Description.AddFields({
        {"Code", "Код", TFieldKind::fkText, "tsMainData"},
        {"Name", "Наименование", TFieldKind::fkText, "tsMainData"},
        {"Description2", "Допълнително описание", TFieldKind::fkText, "tsMainData"},
        {"BaseMeasure_Id", "Основна мярка", TFieldKind::fkText, "tsMainData"},
        {"PurchMeasure_Id", "Мярка за покупка", TFieldKind::fkText, "tsMainData"},
        {"Producer_Id", "Производител", TFieldKind::fkText, "tsMainData"},
        {"ItemProductGroup_Id", "Продуктова група", TFieldKind::fkText, "tsMainData"},
        {"Vendor_Id", "Доставчик по подразбиране", TFieldKind::fkText, "tsMainData"},
        {"Blocked", "Блокиран", TFieldKind::fkFlag, "tsMainData"},
        {"VATProdPostGroup_Id", "ДДС група", TFieldKind::fkLookup, "tsPrices"},
        {"GenProdPostGroup_Id", "Счетоводна група", TFieldKind::fkLookup, "tsPrices"},
        {"UnitPrice", "Продажна цена", TFieldKind::fkNumber, "tsPrices"},
        {"LastDirectCost", "Последна доставна цена", TFieldKind::fkNumber, "tsPrices"},
        {"UnitCost", "Себестойност", TFieldKind::fkNumber, "tsPrices"},
        {"MinimumStock", "Минимален запас", TFieldKind::fkNumber, "tsReplenishment"},
        {"OrderMultiple", "Кратност на поръчка", TFieldKind::fkNumber, "tsReplenishment"},
    });
    Description.FindField("LastDirectCost")->ReadOnly = true;
    Description.FindField("UnitCost")->ReadOnly = true;
    AddKeyLookup("BaseMeasure_Id", "мерна единица", "N_Measure", "Code", false);
    AddKeyLookup("PurchMeasure_Id", "мерна единица", "N_Measure", "Code", false);
    AddKeyLookup("Producer_Id", "производител", "N_Producer", "Id");
    AddKeyLookup("ItemProductGroup_Id", "продуктова група", "N_ItemProductGroup", "Id");
    AddKeyLookup("Vendor_Id", "доставчик", "N_Contragent");
    AddDataSet({&cdsVendors, "N_ItemVendor", &cdsMaster, "N_ItemVendor.Item_Id", "Id", true});
    cdsVendors.OnNewRecord = [this](TClientDataSet&) { FillNewRecordKeys(*FindFormDataSet(cdsVendors)); };
    dbgVendors.Page = "tsReplenishment";
    dbgVendors.AddColumns({{"Contragent_Id", "Доставчик", 90},
                           {"MinOrderQty", "Мин. к-во за поръчка", 110, "0.###"},
                           {"LeadTimeDays", "Доставка (дни)", 90}});
    AddGrid(dbgVendors);
    vendorLookup_.Field = "Contragent_Id";
    vendorLookup_.Caption = "доставчик";
    vendorLookup_.MasterTable = "N_Contragent";
    vendorLookup_.Copies = {{"Id", "Contragent_Id", true}};
}

const TLookupDefinition* TfEdItem::LookupOf(TClientDataSet& dataSet, std::string_view field) {
    if (&dataSet == &cdsVendors && EqualsIgnoreCase(field, "Contragent_Id")) return &vendorLookup_;
    return TfOthersCard::LookupOf(dataSet, field);
}

namespace uEdItem {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterOtherPackageForm("TfEdItem", [] { return std::make_unique<TfEdItem>(); });
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdItem
}  // namespace tavrek
