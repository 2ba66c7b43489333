#include "OthersFixture.h"

#include <stdexcept>

#include "others/uOthersPackage.h"

namespace tavrek::testing {

OthersFixture::OthersFixture() {
    Exec(
        "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
        "DocumentDate, PostingDate, DueDate, BusinessGroup_Id, VATBusPostGroup_Id, GenBusPostGroup_Id, "
        "CntrPostingGroup_Id, PayMethod_Id, CurrencyFactor, DoNotIncInVATLedger, TotalValue, VATValue, TotalVAT, "
        "TotalValue_LCY, TotalVAT_LCY) "
        "SELECT '{P1}', 'DEMO', 1, 'SD-520', Id, '0000077001', 46200, 46200, 46233, 'BG-SOF', VATBusPostGroup_Id, "
        "GenBusPostGroup_Id, CntrPostingGroup_Id, PayMethod_Id, 1, 1, 34, 4.11, 38.11, 34, 38.11 FROM N_Contragent "
        "WHERE Id = 'V03';"
        "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Measure_Id, Quantity, "
        "DirectUnitCost_ACY, DirectUnitCost, TotalPrice, VATProdPostGroup_Id, GenProdPostGroup_Id, VATPercent, "
        "VATBaseAmount, TotalValue, VATValue, TotalVAT, TotalValue_LCY, VATValue_LCY, TotalVAT_LCY, UnitCost_ACY, "
        "UnitCost_LCY, BusinessGroup_Id) "
        "SELECT '{P1}', '{P1-' || Code || '}', 'DEMO', CASE Code WHEN '1008' THEN 1 ELSE 2 END, 1, Code, Name, "
        "PurchMeasure_Id, q, p, p, q * p, g, GenProdPostGroup_Id, v, q * p, q * p, vat, q * p + vat, "
        "q * p, vat, q * p + vat, p, p, 'BG-SOF' FROM N_Item JOIN (SELECT '1008' AS c, 10.0 AS q, 0.95 AS p, "
        "'VAT20' AS g, 20.0 AS v, 1.90 AS vat UNION ALL SELECT '1010', 2.5, 9.80, 'VAT9', 9.0, 2.21) v ON Code = c "
        "WHERE Comp_Id = 'DEMO';"
        "UPDATE D_PurchaseLine SET (VATBusPostGroup_Id, GenBusPostGroup_Id) = (SELECT VATBusPostGroup_Id, "
        "GenBusPostGroup_Id FROM D_PurchHeader WHERE Id = '{P1}') WHERE Master_Id = '{P1}';"
        "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentNo, DocumentDate) VALUES "
        "('{O1}', 'DEMO', 22, 'V01', '0000000501', 46201);"
        "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Quantity, "
        "ReceivedQty, RejectedQty, DirectUnitCost_ACY) VALUES "
        "('{O1}', '{O1-1}', 'DEMO', 1, 1, '1001', 'Брашно тип 500', 40, 15, 5, 1.05),"
        "('{O1}', '{O1-2}', 'DEMO', 2, 1, '1002', 'Брашно тип 700', 10, 10, 0, 0.98)");
    TVariantArray keys;
    if (Server().PostPurchase(kInvoice, keys) < 0)
        throw std::runtime_error("posting refused: " + Server().LastRefusalText());
    OthersPackageStartup();
}

OthersFixture::~OthersFixture() { OthersPackageShutdown(); }

void OthersFixture::ExpectNoErrors() {
    for (const TErrorLogEntry& entry : guard.Session().ErrorLog().Entries())
        ADD_FAILURE() << entry.Operation << ": " << entry.Message;
    guard.Session().ErrorLog().Clear();
}

}  // namespace tavrek::testing
