#include "others/uEdContragent.h"

#include "others/uOthersPackage.h"

namespace tavrek {

TfEdContragent::TfEdContragent() : TfOthersCard("N_Contragent") {
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsPurchases", "Покупки");
    Description.AddFields({
        {"Code", "Код", TFieldKind::fkText, "tsMainData"},
        {"Name", "Наименование", TFieldKind::fkText, "tsMainData"},
        {"Bulstat", "ЕИК", TFieldKind::fkText, "tsMainData"},
        {"VATRegistrationNo", "ДДС номер", TFieldKind::fkText, "tsMainData"},
        {"Address", "Адрес", TFieldKind::fkText, "tsMainData"},
        {"City", "Град", TFieldKind::fkText, "tsMainData"},
        {"Phone", "Телефон", TFieldKind::fkText, "tsMainData"},
        {"Email", "Електронна поща", TFieldKind::fkText, "tsMainData"},
        {"IsVendor", "Доставчик", TFieldKind::fkFlag, "tsMainData"},
        {"IsCustomer", "Клиент", TFieldKind::fkFlag, "tsMainData"},
        {"Blocked", "Блокиран", TFieldKind::fkFlag, "tsMainData"},
        {"Currency_Id", "Валута", TFieldKind::fkLookup, "tsPurchases"},
        {"PayMethod_Id", "Начин на плащане", TFieldKind::fkLookup, "tsPurchases"},
        {"PayTerm_Id", "Условие за плащане", TFieldKind::fkLookup, "tsPurchases"},
        {"VATBusPostGroup_Id", "ДДС група", TFieldKind::fkLookup, "tsPurchases"},
        {"GenBusPostGroup_Id", "Счетоводна група", TFieldKind::fkLookup, "tsPurchases"},
        {"CntrPostingGroup_Id", "Група за задължения", TFieldKind::fkText, "tsPurchases"},
        {"PriceIncludingVAT", "Цени с ДДС", TFieldKind::fkFlag, "tsPurchases"},
    });
    AddKeyLookup("CntrPostingGroup_Id", "група за задължения", "N_CntrPostingGroup");
}

namespace uEdContragent {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterOtherPackageForm("TfEdContragent", [] { return std::make_unique<TfEdContragent>(); });
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdContragent
}  // namespace tavrek
