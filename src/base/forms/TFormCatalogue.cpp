#include "base/forms/TFormCatalogue.h"

#include <algorithm>

#include "base/util/Text.h"

namespace tavrek {
namespace {

constexpr TFormCatalogueEntry kCatalogue[] = {
    // Purchase documents and their lists.
    {10010, "TfBrPurchase", "Фактури за покупка", true},
    {10011, "TfEdPurchase", "Фактура за покупка", true},
    {10300, "TfBrPurchOffer", "Оферти за покупка", true},
    {10301, "TfEdPurchOffer", "Оферта за покупка", true},
    {10129, "TfBrPurchAdvancePayment", "Авансови плащания", true},
    {10130, "TfEdPurchAdvancePayment", "Авансово плащане", true},
    {10131, "TfEdPostPurchAdvancePayment", "Осчетоводено авансово плащане", true},
    {10160, "TfEdPurchaseDoc", "Общ документ за покупка", true},
    {10170, "TfEdPurchDebitMemo", "Дебитно известие", true},
    {10180, "TfBrPurchCrMemo", "Кредитни известия", true},
    {10181, "TfEdPurchCrMemo", "Кредитно известие", true},
    {10183, "TfEdPurchCrMemoDoc", "Общо кредитно известие", true},
    {10200, "TfBrPurchOrder", "Поръчки за покупка", true},
    {10201, "TfEdPurchOrder", "Поръчка за покупка", true},
    // Posted documents.
    {10190, "TfEdPostedPurchCrMemo", "Осчетоводено кредитно известие", true},
    {10191, "TfBrPostPurchCrMemo", "Осчетоводени кредитни известия", true},
    {10220, "TfEdPostedPurchInvoice", "Осчетоводена фактура за покупка", true},
    {10221, "TfBrPostedPurchInvoice", "Осчетоводени фактури за покупка", true},
    {10050, "TfEdPostedReceipt", "Осчетоводена доставка", true},
    {10051, "TfBrPostedReceipt", "Осчетоводени доставки", true},
    {10530, "TfEdPostPurchOrder", "Осчетоводена поръчка", true},
    {10520, "TfEdPostPurchRejectOrder", "Отказана поръчка", true},
    {10540, "TfEdPostPurchReturnOrder", "Върната поръчка", true},
    {10545, "TfBrPostPurchOrder", "Осчетоводени поръчки", true},
    // Order buffer, selection, import, replenishment, setup.
    {10500, "TfBrPurchOrderBufer", "Буфери на поръчки", true},
    {10501, "TfEdPurchOrderBufer", "Буфер на поръчка", true},
    {10510, "TfBrSelectPurchOrder", "Избор на редове от поръчки", true},
    {10560, "TfEdPurchOrdImport", "Импорт на поръчки", true},
    {10750, "TfBrPurchOrderSuggestion", "Предложение за поръчки", true},
    {10760, "TfBrPurchOrderSuggestionToVendor", "Предложения към доставчик", true},
    {10761, "TfEdPurchOrderSuggestionToVendor", "Предложение към доставчик", true},
    {10780, "TfBrPurchOrderSuggBySaleOrder", "Предложение по поръчки за продажба", true},
    {10900, "TfPurchasesSetup", "Настройки на покупките", true},
    {10910, "TfBrAuditTrail", "Журнал на промените", true},
    {10920, "TfBrPurchAnalysis", "Анализ на покупките", true},
    {10950, "TfVATPurchaseLedger", "Дневник за покупките", true},
    // Global documents.
    {10820, "TfBrGlobalPurchInvoice", "Глобални фактури", true},
    {10821, "TfEdPurchGlobalInvoice", "Глобална фактура", true},
    {10822, "TfEdPostGlobalPurchInvoice", "Осчетоводена глобална фактура", true},
    {10850, "TfBrGloablPurchCrMemo", "Глобални кредитни известия", true},
    {10851, "TfEdPurchGlobalCrMemo", "Глобално кредитно известие", true},
    {10852, "TfEdPostGlobalPurchCrMemo", "Осчетоводено глобално кредитно известие", true},
    {11420, "TfBrGlobalPurchProtocol", "Глобални протоколи", true},
    {11421, "TfEdPurchGlobalProtocol", "Глобален протокол", true},
    {11422, "TfEdPostGlobalPurchProtocol", "Осчетоводен глобален протокол", true},
    {11461, "TfEdPurchGlobalCrMemoProtocol", "Глобален протокол към кредитно известие", true},
    {11462, "TfEdPostGlobalPurchCrMemoProtocol", "Осчетоводен глобален протокол към кредитно известие", true},
    // Forms of the other packages that purchase forms open.
    {380, "TfBrContragentEntries", "Задължения към контрагент", false},
    {390, "TfBrItemEntries", "Движения на артикул", false},
    {401, "TfEdItem", "Карта на артикул", false},
    {411, "TfEdContragent", "Карта на контрагент", false},
    {622, "TfBrItemDiscounts", "Отстъпки", false},
    {710, "TfBrSalesPrices", "Продажни цени", false},
    {880, "TfBrItemAvailByBG", "Наличност по обекти", false},
    {1040, "TfEdPayment", "Плащане", false},
    {2060, "TfBrContragentHistory", "История на контрагент", false},
    {3260, "TfBrPostPurchOrderLineDetail", "Детайли на ред от поръчка", false},
    {3590, "TfBrLineSubDetails", "Списък детайли на редове", false},
    {3730, "TfBrOverdueDebts", "Просрочени задължения", false},
    {4230, "TfEdGoodsCheck", "Проверка на стоки", false},
    {4490, "TfBrBufLineDetail", "Детайли на ред от буфер", false},
    {5100, "TfBrSaleOrder", "Поръчки за продажба", false},
    {5101, "TfEdSaleOrder", "Поръчка за продажба", false},
    {9070, "TfBrAccountDimensionAdvances", "Аванси по аналитичност", false},
    {10600, "TfEdItemChargeAssignment", "Разпределение на допълнителни разходи", false},
    {10620, "TfBrPostItemChargeAssignment", "Разпределени допълнителни разходи", false},
    {10680, "TfBrSelectPurchInvoiceLines", "Избор на редове от фактури", false},
    {10700, "TfBrSelectPurchCrMemoLines", "Избор на редове от кредитни известия", false},
    {10770, "TfBrSelectDocSubType", "Избор на вид документ", false},
    {10790, "TfBrPurchOrdersByLines", "Количества по поръчки за доставка", false},
    {10800, "TfBrBlockedQty", "Блокирани количества", false},
    {10830, "TrpPostGlobalPurchInvoice", "Справка за глобална фактура", false},
    {10831, "TrpGlobalPurchInvoice", "Печат на глобална фактура", false},
    {10840, "TrpPostGlobalPurchCrMemo", "Справка за глобално кредитно известие", false},
    {10841, "TrpGlobalPurchCrMemo", "Печат на глобално кредитно известие", false},
    {11001, "TfEdPurchProtocol", "Протокол по чл. 117 ЗДДС", false},
    {11410, "TrpPostGlobalPurchProtocol", "Справка за глобален протокол", false},
    {11411, "TrpGlobalPurchProtocol", "Печат на глобален протокол", false},
    {11441, "TfEdPurchCrMemoProtocol", "Протокол към кредитно известие", false},
    {11451, "TrpGlobalPurchCrMemoProtocol", "Печат на глобален протокол към кредитно известие", false},
    {12230, "TfEdFutureCostPeriods", "Бъдещи разходи", false},
};

}  // namespace

std::span<const TFormCatalogueEntry> FormCatalogue() { return kCatalogue; }

const TFormCatalogueEntry* FindCatalogueNumber(int formNumber) {
    const auto it = std::find_if(std::begin(kCatalogue), std::end(kCatalogue),
                                 [formNumber](const TFormCatalogueEntry& e) { return e.FormNumber == formNumber; });
    return it == std::end(kCatalogue) ? nullptr : &*it;
}

const TFormCatalogueEntry* FindCatalogueClass(std::string_view className) {
    const auto it = std::find_if(std::begin(kCatalogue), std::end(kCatalogue),
                                 [className](const TFormCatalogueEntry& e) { return EqualsIgnoreCase(e.ClassName, className); });
    return it == std::end(kCatalogue) ? nullptr : &*it;
}

}  // namespace tavrek
