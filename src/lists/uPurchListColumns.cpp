#include "lists/uPurchListColumns.h"

#include "base/forms/TfBaseBrowseCardDocument.h"

namespace tavrek::uPurchListColumns {

void DescribeDocumentList(TfBaseBrowseCardDocument& list, const std::string& table) {
    list.dbgMaster.AddColumns({
        {"DocumentNo", "Номер", 90, ""},
        {"DocumentDate", "Дата", 80, "dd.mm.yyyy"},
        {"N_SubDocument_Name", "Вид документ", 150, ""},
        {"N_Contragent_Code", "Код", 60, ""},
        {"N_Contragent_Name", "Доставчик", 200, ""},
        {"N_Contragent_VATRegistrationNo", "ДДС номер", 110, ""},
        {"VendorInvoiceNo", "Фактура на доставчика", 150, ""},
        {"Currency_Id", "Валута", 50, ""},
        {"TotalValue", "Сума без ДДС", 100, "0.00"},
        {"VATValue", "ДДС", 90, "0.00"},
        {"TotalVAT", "Сума с ДДС", 100, "0.00"},
        {"TotalVAT_LCY", "Сума с ДДС (евро)", 110, "0.00"},
    });
    list.SearchFields = {table + ".DocumentNo", table + ".N_Contragent_Code", table + ".N_Contragent_Name",
                         table + ".VendorInvoiceNo"};
    list.DateField = table + ".DocumentDate";
}

}  // namespace tavrek::uPurchListColumns
