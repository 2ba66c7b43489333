#include "server/demo/TDemoCompany.h"

#include <cmath>
#include <filesystem>
#include <initializer_list>

#include "base/data/TDateTime.h"
#include "base/forms/TFormCatalogue.h"
#include "base/session/TSignIn.h"
#include "base/session/Tdm.h"
#include "server/EmbeddedServer.h"
#include "server/CompanyDatabase.h"
#include "server/SqlValue.h"
#include "server/TQueryBuilder.h"
#include "server/db/TDbTransaction.h"
#include "server/session/TUserDirectory.h"
#include "server/demo/DemoLedgerSetup.h"
#include "server/demo/DemoMessages.h"
#include "server/demo/DemoReplenishment.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

class TDemoWriter {
public:
    explicit TDemoWriter(TDbSession& db) : db_(db) {}

    // Inserts one row; columns are given as "A, B, C" and values in the same order.
    void Row(const std::string& table, const std::string& columns, const TVariantArray& values) {
        std::string marks;
        for (size_t i = 0; i < values.size(); ++i) marks += i == 0 ? "?" : ", ?";
        ExecuteBound(db_, "INSERT INTO " + table + " (" + columns + ") VALUES (" + marks + ")", values);
    }

private:
    TDbSession& db_;
};

Variant Date(int year, int month, int day) { return Variant(TDateTime::FromDate(year, month, day)); }

void WriteCompany(TDemoWriter& w) {
    w.Row("C_CompanySetup",
          "Id, Name, Bulstat, VATRegistrationNo, Address, City, LocalCurrency_Id, AmountDecimals, UnitPriceDecimals, "
          "Transaction_Series_Id, VATBusPostGroup_Id, AllowNegativeQTY",
          {kDemoCompanyId, "Демо Търговия ЕООД", "204123456", "BG204123456", "бул. Витоша 100", "София", "EUR", 2, 2,
           "TRN", "DOM", 0});
    w.Row("N_Store", "Id, Comp_Id, Code, Name", {"S01", kDemoCompanyId, "01", "Основен склад София"});
    w.Row("N_Store", "Id, Comp_Id, Code, Name", {"S02", kDemoCompanyId, "02", "Склад Пловдив"});
    w.Row("N_BusinessGroup", "Id, Comp_Id, Code, Name, Store_Id", {kDemoBusinessGroupId, kDemoCompanyId, "SOF", "София", "S01"});
    w.Row("N_BusinessGroup", "Id, Comp_Id, Code, Name, Store_Id", {"BG-PLV", kDemoCompanyId, "PLV", "Пловдив", "S02"});
    const char* subjects[][2] = {{"01", "Доставка с право на пълен данъчен кредит"},
                                 {"02", "Доставка с право на частичен данъчен кредит"},
                                 {"03", "Доставка без право на данъчен кредит"},
                                 {"04", "Вътреобщностно придобиване"},
                                 {"05", "Внос"}};
    for (const auto& s : subjects) w.Row("N_LedgerSubjectTypes", "Id, Name", {s[0], s[1]});
}

void WriteCurrencies(TDemoWriter& w) {
    // The books are in euro since 2026; leva stay for documents of before, at the fixed rate.
    w.Row("N_Currency", "Id, Code, Name, IsLocal, FixedFactor", {"EUR", "EUR", "Евро", 1, 0.0});
    w.Row("N_Currency", "Id, Code, Name, IsLocal, FixedFactor", {"BGN", "BGN", "Български лев", 0, 1.0 / kEurFixedFactor});
    w.Row("N_Currency", "Id, Code, Name, IsLocal, FixedFactor", {"USD", "USD", "Щатски долар", 0, 0.0});
    // Monthly dollar rates for two years, moving around 0.92 euro.
    for (int month = 0; month < 24; ++month) {
        const double factor = std::round((0.92 + 0.03 * std::sin(month / 3.0)) * 100000.0) / 100000.0;
        w.Row("N_CurrencyRate", "Id, Currency_Id, StartingDate, Factor",
              {"USD-" + std::to_string(month + 1), "USD", Date(2025 + month / 12, month % 12 + 1, 1), factor});
    }
}

void WritePostingSetup(TDemoWriter& w) {
    const char* groups[][3] = {{"N_VATBusPostingGroup", "DOM", "Вътрешни доставки"},
                               {"N_VATBusPostingGroup", "EU", "Доставки от ЕС"},
                               {"N_VATBusPostingGroup", "IMP", "Внос"},
                               {"N_VATProdPostingGroup", "VAT20", "ДДС 20 %"},
                               {"N_VATProdPostingGroup", "VAT9", "ДДС 9 %"},
                               {"N_VATProdPostingGroup", "VAT0", "ДДС 0 %"},
                               {"N_GenBusPostingGroup", "DOM", "Вътрешен пазар"},
                               {"N_GenBusPostingGroup", "EU", "Европейски съюз"},
                               {"N_GenBusPostingGroup", "IMP", "Трети страни"},
                               {"N_GenProdPostingGroup", "GOODS", "Стоки"},
                               {"N_GenProdPostingGroup", "SERV", "Услуги"}};
    for (const auto& g : groups) w.Row(g[0], "Id, Comp_Id, Code, Name", {g[1], kDemoCompanyId, g[1], g[2]});
    w.Row("N_CntrPostingGroup", "Id, Comp_Id, Code, Name, PayablesAccount", {"SUP-DOM", kDemoCompanyId, "401", "Доставчици в страната", "4011"});
    w.Row("N_CntrPostingGroup", "Id, Comp_Id, Code, Name, PayablesAccount", {"SUP-FOR", kDemoCompanyId, "402", "Доставчици в чужбина", "4012"});
    struct TRate { const char* Bus; const char* Prod; double Percent; int CalcType; int Ledger; };
    // Calculation types: 0 normal, 2 acquisition from the EU (reverse charge), 3 import, 4 zero-rated.
    const TRate rates[] = {{"DOM", "VAT20", 20, 0, 1}, {"DOM", "VAT9", 9, 0, 1}, {"DOM", "VAT0", 0, 4, 0},
                           {"EU", "VAT20", 20, 2, 2},  {"EU", "VAT9", 9, 2, 2},   {"EU", "VAT0", 0, 2, 2},
                           {"IMP", "VAT20", 20, 3, 1}, {"IMP", "VAT9", 9, 3, 1},  {"IMP", "VAT0", 0, 3, 0}};
    for (const TRate& r : rates)
        w.Row("G_VATPostingSetup",
              "Id, Comp_Id, VATBus_PostingGroup, VATProd_PostingGroup, VATPercent, VATCalculationType, "
              "PurchaseVATLedger, SalesVATLedger, PurchaseVATAccount, SalesVATAccount, PurchaseChargedVATAccount",
              {std::string(r.Bus) + "-" + r.Prod, kDemoCompanyId, r.Bus, r.Prod, r.Percent, r.CalcType, r.Ledger,
               r.Ledger, "4531", "4532", std::string(r.Bus) == "IMP" ? "4535" : "4532"});
}

void WritePayment(TDemoWriter& w) {
    const std::tuple<const char*, const char*, int> terms[] = {
        {"CASH0", "Плащане веднага", 0}, {"D15", "15 дни", 15}, {"D30", "30 дни", 30}, {"D60", "60 дни", 60}};
    for (const auto& [id, name, days] : terms)
        w.Row("N_PaymentTerms", "Id, Comp_Id, Code, Name, DueDateCalculation", {id, kDemoCompanyId, id, name, days});
    const std::tuple<const char*, const char*, int> methods[] = {
        {"CASH", "В брой", 1}, {"BANK", "Банков превод", 0}, {"CARD", "С карта", 1}, {"OFFSET", "Прихващане", 0}};
    for (const auto& [id, name, direct] : methods)
        w.Row("N_PaymentMethod", "Id, Comp_Id, Code, Name, DirectPay", {id, kDemoCompanyId, id, name, direct});
}

struct TDemoVendor {
    const char* Name;
    const char* City;
    const char* Currency;  // empty: local currency
    const char* VATGroup;
    const char* PayTerm;
    const char* PayMethod;
};

constexpr TDemoVendor kVendors[] = {
    {"Мелница Добруджа ООД", "Добрич", "", "DOM", "D30", "BANK"},
    {"Захарни заводи АД", "Горна Оряховица", "", "DOM", "D30", "BANK"},
    {"Родопа Млечни Продукти ЕООД", "Смолян", "", "DOM", "D15", "BANK"},
    {"Тракия Напитки АД", "Пловдив", "", "DOM", "D30", "BANK"},
    {"Балкан Консерви ООД", "Пазарджик", "", "DOM", "D60", "BANK"},
    {"Дунав Олио АД", "Русе", "", "DOM", "D30", "BANK"},
    {"Витоша Хигиена ЕООД", "София", "", "DOM", "D15", "CARD"},
    {"Странджа Мед ООД", "Бургас", "", "DOM", "CASH0", "CASH"},
    {"Пирин Книга ЕООД", "Благоевград", "", "DOM", "D30", "BANK"},
    {"Бебешки свят ООД", "Варна", "", "DOM", "D30", "BANK"},
    {"Нордлихт Хандел ГмбХ", "Мюнхен", "EUR", "EU", "D30", "BANK"},
    {"Ориент Импорт ЕООД", "София", "USD", "IMP", "D60", "BANK"},
};

std::string VendorId(size_t index) { return (index < 9 ? "V0" : "V") + std::to_string(index + 1); }

void WriteVendors(TDemoWriter& w) {
    for (size_t i = 0; i < std::size(kVendors); ++i) {
        const TDemoVendor& v = kVendors[i];
        const std::string bulstat = std::to_string(200100000 + 7919 * (i + 1));
        const bool foreign = std::string(v.VATGroup) != "DOM";
        w.Row("N_Contragent",
              "Id, Comp_Id, Code, Name, Bulstat, VATRegistrationNo, City, IsVendor, Currency_Id, PayMethod_Id, "
              "PayTerm_Id, VATBusPostGroup_Id, GenBusPostGroup_Id, CntrPostingGroup_Id, PriceIncludingVAT",
              {VendorId(i), kDemoCompanyId, std::to_string(5001 + i), v.Name, bulstat,
               (std::string(v.Currency) == "EUR" ? "DE" : "BG") + bulstat, v.City, 1, v.Currency, v.PayMethod, v.PayTerm,
               v.VATGroup, v.VATGroup, foreign ? "SUP-FOR" : "SUP-DOM", 0});
    }
    w.Row("N_PartnerConnectionList",
          "Id, Comp_Id, Contragent_Id, BusinessGroup_Id, URLAddress, UserName, Password, ValidUntil",
          {"PC-V01", kDemoCompanyId, "V01", kDemoBusinessGroupId, "partners/V01", "demo", "demo", Date(2030, 12, 31)});
}

struct TDemoItem {
    const char* Name;
    const char* Measure;
    const char* VAT;
    double Cost;        // vendor price per base unit, in the vendor's currency
    double SalePrice;   // without VAT, in euro
    size_t Vendor;      // index into kVendors
    const char* Pack;   // a larger unit, with the base units it holds
    double PackQty;
};

constexpr TDemoItem kItems[] = {
    {"Брашно тип 500, 1 кг", "PCS", "VAT20", 1.05, 1.49, 0, "BOX", 10},
    {"Брашно тип 700, 1 кг", "PCS", "VAT20", 0.98, 1.39, 0, "BOX", 10},
    {"Брашно пълнозърнесто, 1 кг", "PCS", "VAT20", 1.45, 2.09, 0, "BOX", 10},
    {"Грис, 500 г", "PCS", "VAT20", 0.85, 1.29, 0, "BOX", 20},
    {"Захар кристална, 1 кг", "PCS", "VAT20", 1.35, 1.89, 1, "PACK", 10},
    {"Захар пудра, 500 г", "PCS", "VAT20", 1.10, 1.65, 1, "PACK", 20},
    {"Захар кафява, 1 кг", "PCS", "VAT20", 2.40, 3.45, 1, "PACK", 10},
    {"Кисело мляко 3,6 %, 400 г", "PCS", "VAT20", 0.95, 1.35, 2, "BOX", 24},
    {"Прясно мляко 3 %, 1 л", "L", "VAT20", 1.60, 2.29, 2, "BOX", 12},
    {"Сирене краве, 1 кг", "KG", "VAT20", 9.80, 13.90, 2, "BOX", 8},
    {"Кашкавал Витоша, 1 кг", "KG", "VAT20", 14.50, 19.90, 2, "BOX", 6},
    {"Масло краве, 125 г", "PCS", "VAT20", 2.30, 3.29, 2, "BOX", 40},
    {"Минерална вода, 1,5 л", "PCS", "VAT20", 0.55, 0.89, 3, "PACK", 6},
    {"Газирана напитка портокал, 2 л", "PCS", "VAT20", 1.20, 1.85, 3, "PACK", 6},
    {"Сок ябълка, 1 л", "PCS", "VAT20", 1.45, 2.15, 3, "BOX", 12},
    {"Бира светла, 0,5 л", "PCS", "VAT20", 0.95, 1.45, 3, "BOX", 20},
    {"Вино червено Мавруд, 0,75 л", "PCS", "VAT20", 6.20, 9.90, 3, "BOX", 6},
    {"Лютеница домашна, 260 г", "PCS", "VAT20", 1.95, 2.89, 4, "BOX", 12},
    {"Компот праскови, 720 мл", "PCS", "VAT20", 2.10, 3.19, 4, "BOX", 12},
    {"Кисели краставички, 680 г", "PCS", "VAT20", 1.75, 2.59, 4, "BOX", 12},
    {"Боб зрял, 1 кг", "PCS", "VAT20", 3.10, 4.49, 4, "PACK", 10},
    {"Леща червена, 500 г", "PCS", "VAT20", 1.90, 2.79, 4, "PACK", 20},
    {"Олио слънчогледово, 1 л", "L", "VAT20", 2.45, 3.49, 5, "BOX", 15},
    {"Зехтин екстра върджин, 0,5 л", "PCS", "VAT20", 7.80, 10.90, 5, "BOX", 12},
    {"Маргарин, 250 г", "PCS", "VAT20", 1.30, 1.95, 5, "BOX", 24},
    {"Оцет ябълков, 0,7 л", "PCS", "VAT20", 0.90, 1.39, 5, "BOX", 12},
    {"Препарат за съдове, 1 л", "PCS", "VAT20", 2.20, 3.39, 6, "BOX", 12},
    {"Прах за пране, 3 кг", "PCS", "VAT20", 9.50, 14.20, 6, "PACK", 4},
    {"Тоалетна хартия, 8 ролки", "PACK", "VAT20", 4.10, 5.99, 6, "BOX", 6},
    {"Кухненска ролка, 2 бр.", "PACK", "VAT20", 2.05, 2.99, 6, "BOX", 12},
    {"Сапун течен, 500 мл", "PCS", "VAT20", 1.85, 2.79, 6, "BOX", 12},
    {"Пчелен мед акациев, 400 г", "PCS", "VAT20", 7.40, 10.50, 7, "BOX", 12},
    {"Пчелен мед липов, 900 г", "PCS", "VAT20", 13.20, 18.90, 7, "BOX", 6},
    {"Прополис тинктура, 20 мл", "PCS", "VAT20", 3.60, 5.49, 7, "BOX", 24},
    {"Учебник по математика, 5. клас", "PCS", "VAT9", 11.00, 14.90, 8, "PACK", 10},
    {"Атлас по география", "PCS", "VAT9", 8.50, 12.00, 8, "PACK", 10},
    {"Речник българо-английски", "PCS", "VAT9", 15.20, 21.50, 8, "PACK", 5},
    {"Детска книжка с приказки", "PCS", "VAT9", 6.30, 8.90, 8, "PACK", 10},
    {"Бебешко пюре ябълка, 125 г", "PCS", "VAT9", 1.15, 1.69, 9, "BOX", 24},
    {"Бебешка каша оризова, 200 г", "PCS", "VAT9", 3.40, 4.89, 9, "BOX", 12},
    {"Адаптирано мляко 1, 400 г", "PCS", "VAT9", 14.80, 19.90, 9, "BOX", 6},
    {"Бебешки бисквити, 180 г", "PCS", "VAT9", 2.10, 2.99, 9, "BOX", 20},
    {"Кафе на зърна, 1 кг", "KG", "VAT20", 9.90, 27.90, 10, "BOX", 6},
    {"Шоколад млечен, 100 г", "PCS", "VAT20", 0.85, 2.49, 10, "BOX", 20},
    {"Бисквити с масло, 200 г", "PCS", "VAT20", 0.70, 1.99, 10, "BOX", 24},
    {"Паста спагети, 500 г", "PCS", "VAT20", 0.65, 1.79, 10, "BOX", 20},
    {"Ориз жасмин, 1 кг", "PCS", "VAT20", 1.40, 4.29, 11, "PACK", 10},
    {"Чай зелен, 20 пакетчета", "PCS", "VAT20", 0.90, 2.59, 11, "BOX", 24},
    {"Подправка черен пипер, 50 г", "PCS", "VAT20", 0.45, 1.49, 11, "BOX", 40},
    {"Кокосово мляко, 400 мл", "PCS", "VAT20", 0.95, 2.99, 11, "BOX", 24},
};

// An item's key is its number, so a line that holds the key shows the number the buyer typed.
std::string ItemId(size_t index) { return std::to_string(1001 + index); }

void WriteMeasures(TDemoWriter& w) {
    const char* measures[][2] = {{"PCS", "бр."}, {"KG", "кг"}, {"L", "л"}, {"BOX", "кашон"}, {"PACK", "стек"}, {"M", "м"}};
    for (const auto& m : measures) w.Row("N_Measure", "Id, Code, Name", {m[0], m[0], m[1]});
}

void WriteItems(TDemoWriter& w) {
    for (size_t i = 0; i < std::size(kItems); ++i) {
        const TDemoItem& item = kItems[i];
        const std::string id = ItemId(i), vendor = VendorId(item.Vendor);
        w.Row("N_Item",
              "Id, Comp_Id, Code, Name, Type, BaseMeasure_Id, PurchMeasure_Id, VATProdPostGroup_Id, "
              "GenProdPostGroup_Id, UnitPrice, LastDirectCost, UnitCost, Vendor_Id",
              {id, kDemoCompanyId, id, item.Name, 1, item.Measure, item.Measure, item.VAT, "GOODS",
               item.SalePrice, item.Cost, item.Cost, vendor});
        w.Row("N_ItemMeasure", "Id, Item_Id, Measure_Id, QtyPerUnitOfMeasure", {id + "-" + item.Measure, id, item.Measure, 1.0});
        w.Row("N_ItemMeasure", "Id, Item_Id, Measure_Id, QtyPerUnitOfMeasure", {id + "-" + item.Pack, id, item.Pack, item.PackQty});
        w.Row("N_ItemCrossReference", "Id, Comp_Id, Contragent_Id, CrossRefType, CrossRefNo, Item_Id",
              {"GTIN-" + id, kDemoCompanyId, "", 2, DemoGtin(i), id});
        const std::string currency = kVendors[item.Vendor].Currency;
        w.Row("N_VendorPrice",
              "Id, Comp_Id, Contragent_Id, Item_Id, Measure_Id, Currency_Id, StartingDate, MinimumQuantity, "
              "DirectUnitCost, PriceIncludingVAT, VendorItemNo",
              {"VP-" + id, kDemoCompanyId, vendor, id, item.Measure, currency, Date(2025, 1, 1), 0.0, item.Cost, 0,
               "A-" + std::to_string(7001 + i)});
        // Every third item is cheaper by the pack from a whole pack on.
        if (i % 3 == 0)
            w.Row("N_VendorPrice",
                  "Id, Comp_Id, Contragent_Id, Item_Id, Measure_Id, Currency_Id, StartingDate, MinimumQuantity, "
                  "DirectUnitCost, PriceIncludingVAT",
                  {"VP-" + id + "-Q", kDemoCompanyId, vendor, id, item.Measure, currency, Date(2025, 1, 1), item.PackQty,
                   std::round(item.Cost * 0.95 * 100.0) / 100.0, 0});
    }
}

void WriteDiscounts(TDemoWriter& w) {
    // Whole-assortment discounts of two vendors, and quantity discounts on a few items.
    w.Row("N_VendorDiscount", "Id, Comp_Id, Contragent_Id, LineDiscount, AllowInvoiceDisc", {"VD-V01", kDemoCompanyId, "V01", 2.0, 1});
    w.Row("N_VendorDiscount", "Id, Comp_Id, Contragent_Id, LineDiscount, AllowInvoiceDisc", {"VD-V06", kDemoCompanyId, "V06", 3.0, 1});
    w.Row("N_VendorDiscount", "Id, Comp_Id, Contragent_Id, Item_Id, MinimumQuantity, LineDiscount, AllowInvoiceDisc",
          {"VD-1005", kDemoCompanyId, "V02", "1005", 50.0, 5.0, 0});
    w.Row("N_VendorDiscount", "Id, Comp_Id, Contragent_Id, Item_Id, MinimumQuantity, LineDiscount, AllowInvoiceDisc",
          {"VD-1017", kDemoCompanyId, "V04", "1017", 12.0, 7.5, 1});
    w.Row("N_VendorDiscount",
          "Id, Comp_Id, Contragent_Id, Item_Id, StartingDate, EndingDate, LineDiscount, AllowInvoiceDisc",
          {"VD-1032", kDemoCompanyId, "V08", "1032", Date(2025, 12, 1), Date(2026, 1, 31), 10.0, 1});
}

struct TDemoSeries {
    const char* Id;
    const char* Name;
    int64_t LastNo;
};

constexpr TDemoSeries kSeries[] = {
    {"OFFER", "Оферти за покупка", 0},           {"ORDER", "Поръчки за покупка", 0},
    {"INV", "Фактури за покупка", 0},            {"PINV", "Осчетоводени фактури за покупка", 0},
    {"CRM", "Кредитни известия", 0},             {"PCRM", "Осчетоводени кредитни известия", 0},
    {"DEBIT", "Дебитни известия", 0},            {"ADV", "Авансови плащания", 0},
    {"PRCPT", "Осчетоводени складови разписки", 0}, {"PRET", "Експедиционни бележки за рекламация", 0},
    {"PREJ", "Откази от поръчки", 0},             {"PORD", "Осчетоводени поръчки", 0},
    {"BUF", "Буфери на поръчки", 0},              {"PROT", "Протоколи доставки", 0},
    {"PPROT", "Осчетоводени протоколи доставки", 0}, {"CRPROT", "Протоколи към кредитни известия", 0},
    {"PCRPROT", "Осчетоводени протоколи към кредитни известия", 0}, {"GLOB", "Глобални документи", 0},
    {"DOC", "Общи документи за покупка", 0},      {"SUGG", "Предложения за поръчки", 0},
    {"IMP", "Импорт на поръчки", 0},              {"TRN", "Счетоводни транзакции", 0},
    {"PAY", "Плащания към доставчици", 0},
};

void WriteSeries(TDemoWriter& w) {
    for (const TDemoSeries& s : kSeries)
        w.Row("S_NoSeries", "Id, Comp_Id, Code, Name, Prefix, Digits, LastNo", {s.Id, kDemoCompanyId, s.Id, s.Name, "", 10, s.LastNo});
    // Plovdiv numbers its invoices in a range of its own.
    for (const char* series : {"INV", "PINV"})
        w.Row("S_NoSeriesLine", "Id, Series_Id, BusinessGroup_Id, Prefix, LastNo",
              {std::string(series) + "-PLV", series, "BG-PLV", "", int64_t{2000000000}});
    w.Row("C_PurchasesSetup",
          "Id, Update_ItemDirectCost, UpdateAVGUnitCost, AdvancePaymentAccount, ProtocolTransitAccount, "
          "PurchProtocol_Code, PurchCRMemoProtocol_Code, Offer_Series_Id, Order_Series_Id, Invoice_Series_Id, "
          "PostedInvoice_Series_Id, CreditMemo_Series_Id, PostedCrMemo_Series_Id, PostedReceipt_Series_Id, "
          "PostedReturnShpt_Series_Id, PostRejectOrderSeries_Id, PostOrderSeries_Id, PurchProtocol_Series_Id, "
          "PostPurchProtocol_Series_Id, PurchCrMemoProtocol_Series_Id, PostPurchCrMemoProt_Series_Id, "
          "PurchOrdSegg_Series_Id, PurchOrdImpSeries_id, FutureCostsAccount, DirectPayAccount, ReceiptsNotInvoicedAccount, "
          "VendorPayment_Series_Id, PurchOrderBuf_Series_Id",
          {kDemoCompanyId, "True", "True", "4091", "4539", "560", "561", "OFFER", "ORDER", "INV", "PINV", "CRM", "PCRM",
           "PRCPT", "PRET", "PREJ", "PORD", "PROT", "PPROT", "CRPROT", "PCRPROT", "SUGG", "IMP", "4901", "501", "4019", "PAY", "BUF"});
}

struct TDemoSubType {
    const char* Code;
    const char* Name;
    int DocumentType;
    const char* Series;
    const char* PostSeries;
    int Copies;
};

constexpr TDemoSubType kSubTypes[] = {
    {"500", "Оферта за покупка", DocumentType::PurchOffer, "OFFER", "OFFER", 1},
    {"510", "Поръчка за покупка", DocumentType::PurchOrder, "ORDER", "PORD", 1},
    {"520", "Фактура за покупка", DocumentType::PurchInvoice, "INV", "PINV", 2},
    {"521", "Фактура за покупка - внос", DocumentType::PurchInvoice, "INV", "PINV", 2},
    {"530", "Дебитно известие", DocumentType::PurchDebitMemo, "DEBIT", "PINV", 2},
    {"540", "Кредитно известие", DocumentType::PurchCrMemo, "CRM", "PCRM", 2},
    {"550", "Авансово плащане", DocumentType::PurchAdvancePayment, "ADV", "PINV", 1},
    {"560", "Протокол по чл. 117 ЗДДС", DocumentType::PurchProtocol, "PROT", "PPROT", 1},
    {"561", "Протокол към кредитно известие", DocumentType::PurchCrMemoProtocol, "CRPROT", "PCRPROT", 1},
    {"570", "Глобална фактура", DocumentType::GlobalInvoice, "GLOB", "PINV", 2},
    {"575", "Глобално кредитно известие", DocumentType::GlobalCrMemo, "GLOB", "PCRM", 2},
    {"580", "Буфер на поръчка", DocumentType::PurchOrderBuffer, "BUF", "PRCPT", 1},
    {"590", "Общ документ за покупка", DocumentType::PurchGenericDoc, "DOC", "PINV", 1},
    {"591", "Общо кредитно известие", DocumentType::PurchGenericCrMemoDoc, "DOC", "PCRM", 1},
    // What a buffer posts reads as what it is, not as the buffer it came from.
    {"585", "Доставка по поръчка", DocumentType::PostedReceipt, "PRCPT", "PRCPT", 1},
    {"586", "Връщане към доставчик", DocumentType::PostedPurchReturnOrder, "PRET", "PRET", 1},
    {"587", "Отказ от поръчка", DocumentType::PostedPurchRejectOrder, "PREJ", "PREJ", 1},
};

// Every subtype prints on the layout of its kind.
std::string PrintFormOf(const TDemoSubType& s) {
    const std::pair<int, const char*> layouts[] = {
        {DocumentType::PurchInvoice, kPurchInvoicePrintForm},
        {DocumentType::PurchDebitMemo, kPurchDebitMemoPrintForm},
        {DocumentType::PurchAdvancePayment, kPurchAdvancePrintForm},
        {DocumentType::PurchCrMemo, kPurchCrMemoPrintForm},
        {DocumentType::PurchProtocol, kPurchProtocolPrintForm},
        {DocumentType::PurchCrMemoProtocol, kPurchCrMemoProtocolPrintForm},
        {DocumentType::PurchOffer, "PurchOffer"},
        {DocumentType::PurchOrder, "PurchOrder"},
        {DocumentType::PurchOrderBuffer, "PurchOrderBuffer"},
        {DocumentType::PurchGenericDoc, "PurchGenericDoc"},
        {DocumentType::PurchGenericCrMemoDoc, "PurchGenericCrMemo"},
        {DocumentType::GlobalInvoice, "PurchGlobalInvoice"},
        {DocumentType::GlobalCrMemo, "PurchGlobalCrMemo"},
        {DocumentType::PostedReceipt, "PurchReceipt"},
        {DocumentType::PostedPurchReturnOrder, "PurchReturnOrder"},
        {DocumentType::PostedPurchRejectOrder, "PurchRejectOrder"},
    };
    for (const auto& [type, layout] : layouts)
        if (type == s.DocumentType) return layout;
    return std::string("Purch_") + s.Code;
}

void WriteSubTypes(TDemoWriter& w) {
    for (const TDemoSubType& s : kSubTypes) {
        const std::string id = std::string("SD-") + s.Code;
        w.Row("N_SubDocument",
              "Id, Comp_Id, Code, Name, DocumentType, SaleOrPurchase, Series_Id, Post_Series_Id, PaymentMethod, VATSeries_Id",
              {id, kDemoCompanyId, s.Code, s.Name, s.DocumentType, 1, s.Series, s.PostSeries, "BANK", s.PostSeries});
        w.Row("S_PrintDocuments", "Id, Comp_Id, SaleOrPurchase, SubDoc_Id, PF_Id, Form_id, Copies, PF_Type, Doc_Type",
              {"PF-" + std::string(s.Code), kDemoCompanyId, 1, id, PrintFormOf(s), s.DocumentType, s.Copies, 0, 2});
    }
}

// Copy templates by form number: the order editor makes buffers, posted invoices make
// credit memos and payments, posted credit memos make payments.
struct TCopyField {
    const char* Source;
    const char* Target;
    const char* Default;
};

void WriteTemplateFields(TDemoWriter& w, const char* templateId, int isLine, std::initializer_list<TCopyField> fields,
                         int& n) {
    for (const TCopyField& f : fields)
        w.Row("S_CopyDocTemplateLine", "Id, Master_Id, IsLine, SrcField, TrgField, DefaultValue",
              {std::string(templateId) + "-" + std::to_string(++n), templateId, isLine, f.Source, f.Target,
               f.Default == nullptr ? Variant() : Variant(f.Default)});
}

// The demo user may re-open closed orders and release the batches of posted invoices and
// advance payments.
void WriteFormRights(TDemoWriter& w) {
    for (int form : {10201, 10220, 10131})
        w.Row("S_UserFormRight", "Id, Comp_Id, User_Id, Form_Id, EditProps",
              {"UFR-" + std::string(kDemoUserId) + "-" + std::to_string(form), kDemoCompanyId, kDemoUserId, form, 1});
}

void WriteCopyTemplates(TDemoWriter& w) {
    struct TTemplate { const char* Id; int Source; int Target; const char* Name; };
    const TTemplate templates[] = {{"CT-ORD-BUF", 10201, 10501, "Поръчка към буфер"},
                                   {"CT-INV-CRM", 10220, 10181, "Фактура към кредитно известие"},
                                   {"CT-INV-PAY", 10220, 1040, "Фактура към плащане"},
                                   {"CT-CRM-PAY", 10190, 1040, "Кредитно известие към плащане"}};
    for (const TTemplate& t : templates) {
        w.Row("S_CopyDocTemplateHeader", "Id, Comp_Id, SrcForm_Id, TrgForm_Id, Name", {t.Id, kDemoCompanyId, t.Source, t.Target, t.Name});
        int n = 0;
        WriteTemplateFields(w, t.Id, 0,
                            {{"Contragent_Id", "Contragent_Id", nullptr}, {"Currency_Id", "Currency_Id", nullptr},
                             {"CurrencyFactor", "CurrencyFactor", nullptr}, {"PriceIncludingVAT", "PriceIncludingVAT", nullptr},
                             {"VATBusPostGroup_Id", "VATBusPostGroup_Id", nullptr},
                             {"GenBusPostGroup_Id", "GenBusPostGroup_Id", nullptr},
                             {"BusinessGroup_Id", "BusinessGroup_Id", nullptr}, {"Id", "AppliesToDoc_Id", nullptr}},
                            n);
        if (t.Target == 1040) continue;
        WriteTemplateFields(w, t.Id, 1,
                            {{"Type", "Type", nullptr}, {"Code", "Code", nullptr}, {"Description", "Description", nullptr},
                             {"Measure_Id", "Measure_Id", nullptr}, {"QtyPerUnitOfMeasure", "QtyPerUnitOfMeasure", nullptr},
                             {"DirectUnitCost_ACY", "DirectUnitCost_ACY", nullptr}, {"LineDiscount", "LineDiscount", nullptr},
                             {"VATProdPostGroup_Id", "VATProdPostGroup_Id", nullptr},
                             {"GenProdPostGroup_Id", "GenProdPostGroup_Id", nullptr}},
                            n);
        if (t.Target != 10501) {
            WriteTemplateFields(w, t.Id, 1, {{"Quantity", "Quantity", nullptr}}, n);
            continue;
        }
        // A buffer gets what is open of each order line, tied to it, on the buffer subtype.
        WriteTemplateFields(w, t.Id, 0,
                            {{"CntrPostingGroup_Id", "CntrPostingGroup_Id", nullptr},
                             {"PayMethod_Id", "PayMethod_Id", nullptr}, {"PayTerm_Id", "PayTerm_Id", nullptr},
                             {"DocumentDate", "OrderDate", nullptr}, {"DocumentNo", "ToOrderNo", nullptr},
                             {"", "DocSubType_Id", "SD-580"}},
                            n);
        WriteTemplateFields(w, t.Id, 1,
                            {{"CalculatedQTY", "Quantity", nullptr}, {"Id", "OrderLine_Id", nullptr},
                             {"VATBusPostGroup_Id", "VATBusPostGroup_Id", nullptr}, {"VATPercent", "VATPercent", nullptr},
                             {"PriceIncludingVAT", "PriceIncludingVAT", nullptr}, {"Currency_Id", "Currency_Id", nullptr}},
                            n);
    }
}

void WriteLedgerSetup(TDemoWriter& w) {
    for (const TDemoRow& r : DemoLedgerRows()) w.Row(r.Table, r.Columns, r.Values);
}

void WriteFormCatalogue(TDemoWriter& w) {
    for (const TFormCatalogueEntry& e : FormCatalogue())
        w.Row("S_FormCatalogue", "FormNumber, ClassName, Caption, Package", {e.FormNumber, e.ClassName, e.Caption, e.Package ? 1 : 0});
}

void WriteMessages(TDemoWriter& w) {
    for (const TMessageText& m : DemoMessages()) w.Row("S_Messages", "Id, Text", {m.Key, m.Text});
}

// Each role's rights on every form; editing document properties is granted per user and
// form (S_UserFormRight), so that the demo administrator re-opens orders where the forms allow.
void WriteUsers(TDbSession& db, const std::string& adminPassword) {
    using R = TFormRight;
    const auto mask = [](std::initializer_list<R> rights) {
        TUserRights::TMask m = 0;
        for (R right : rights) m |= TUserRights::Bit(right);
        return m;
    };
    const TUserRights::TMask all = mask({R::frOpen, R::frInsert, R::frEdit, R::frDelete, R::frPost, R::frPrint, R::frAnnul});
    TUserDirectory users(db);
    users.SetRoleRights(kDemoCompanyId, "admin", kEveryForm, all | mask({R::frSetup, R::frApprove}));
    users.SetRoleRights(kDemoCompanyId, "buyer", kEveryForm, all & ~mask({R::frAnnul}));
    users.SetRoleRights(kDemoCompanyId, "accountant", kEveryForm, all | mask({R::frApprove}));
    users.SetRoleRights(kDemoCompanyId, "viewer", kEveryForm, mask({R::frOpen, R::frPrint}));
    for (const TDemoUser& user : DemoUsers())
        users.AddUser(kDemoCompanyId, user.Login, user.Role,
                      user.Role == std::string("admin") && !adminPassword.empty() ? adminPassword : user.Password,
                      user.Id, user.Name, kDemoBusinessGroupId);
}

}  // namespace

std::span<const TDemoUser> DemoUsers() {
    static const TDemoUser users[] = {
        {kDemoUserId, "admin", "admin", "demo-admin", "Администратор"},
        {"BUYER", "buyer", "buyer", "demo-buyer", "Иван Петров, снабдител"},
        {"ACCOUNTANT", "accountant", "accountant", "demo-accountant", "Мария Георгиева, счетоводител"},
        {"VIEWER", "viewer", "viewer", "demo-viewer", "Стоян Илиев, наблюдател"},
    };
    return users;
}

void CreateDemoCompany(const std::string& address, const std::string& adminPassword) {
    if (!IsPostgresAddress(address) && std::filesystem::exists(address))
        throw ECompanyDatabaseError("Файлът '" + address + "' вече съществува; демо фирма се създава само в нов файл");
    std::unique_ptr<TDbSession> db = OpenCompanyDatabase(address, TOpenMode::omCreate, false);
    TDbTransaction transaction(*db, TTransactionKind::tkWrite);
    UpgradeSchema(*db);
    TDemoWriter w(*db);
    WriteCompany(w);
    WriteCurrencies(w);
    WritePostingSetup(w);
    WritePayment(w);
    WriteVendors(w);
    WriteMeasures(w);
    WriteItems(w);
    WriteDiscounts(w);
    WriteSeries(w);
    WriteSubTypes(w);
    WriteCopyTemplates(w);
    WriteFormRights(w);
    WriteLedgerSetup(w);
    WriteFormCatalogue(w);
    WriteMessages(w);
    WriteUsers(*db, adminPassword);
    WriteDemoReplenishment(*db);
    transaction.Commit();
}

std::string DemoGtin(size_t item) {
    const std::string digits = "380100" + std::to_string(100000 + item);
    int sum = 0;
    for (size_t i = 0; i < digits.size(); ++i) sum += (digits[i] - '0') * (i % 2 == 0 ? 1 : 3);
    return digits + std::to_string((10 - sum % 10) % 10);
}

void SignInDemoUser(EmbeddedServer& server) {
    server.SetSession({kDemoCompanyId, kDemoBusinessGroupId, kDemoUserId});
    const TServerSession& signedIn = server.Session();
    TakeSignedInUser(server, {signedIn.CompanyId, signedIn.BusinessGroupId, signedIn.UserId, "admin", signedIn.Rights});
}

}  // namespace tavrek::server
