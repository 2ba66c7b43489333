#include "server/demo/DemoGlobalSources.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>

#include "amounts/PurchLineAmounts.h"
#include "server/SqlValue.h"
#include "server/TSchemaCatalog.h"
#include "server/db/TDbTransaction.h"
#include "server/demo/TDemoCompany.h"
#include "server/posting/IPostingMethods.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

constexpr const char* kVendor = "V13";

struct TSourceLine {
    const char* Code;
    const char* VATGroup;
    double Quantity, Price;
};

struct TSourceDocument {
    const char* VendorNo;
    bool CreditMemo;
    double Date;  // serial day in November 2026
    std::initializer_list<TSourceLine> Lines;
};

const TSourceDocument kDocuments[] = {
    {"МД-1001", false, 46331, {{"1013", "VAT20", 6, 0.55}, {"1035", "VAT9", 1, 11.00}}},
    {"МД-1002", false, 46338, {{"1015", "VAT20", 4, 1.45}, {"1038", "VAT9", 2, 6.30}}},
    {"МД-1003", false, 46345, {{"1013", "VAT20", 12, 0.55}}},
    {"МДК-11", true, 46346, {{"1013", "VAT20", 2, 0.55}}},
    {"МДК-12", true, 46347, {{"1038", "VAT9", 1, 6.30}}},
};

void WriteVendorAndSubTypes(TDbSession& db) {
    ExecuteBound(db,
                 "INSERT INTO N_Contragent (Id, Comp_Id, Code, Name, Bulstat, VATRegistrationNo, City, IsVendor, "
                 "PayMethod_Id, PayTerm_Id, VATBusPostGroup_Id, GenBusPostGroup_Id, CntrPostingGroup_Id, "
                 "PriceIncludingVAT) VALUES (?, ?, '5013', 'Бързи доставки ЕООД', '200199999', 'BG200199999', "
                 "'София', 1, 'BANK', 'D30', 'DOM', 'DOM', 'SUP-DOM', 0)",
                 {kVendor, kDemoCompanyId});
    for (const auto& [code, name, type, series, seriesName, layout] :
         {std::tuple{"522", "Фактура за покупка - дребни доставки", DocumentType::PurchInvoice, "PINVD",
                     "Фактури за дребни доставки", kPurchInvoicePrintForm},
          std::tuple{"542", "Кредитно известие - дребни доставки", DocumentType::PurchCrMemo, "PCRMD",
                     "Кредитни известия за дребни доставки", kPurchCrMemoPrintForm}}) {
        ExecuteBound(db, "INSERT INTO S_NoSeries (Id, Comp_Id, Code, Name, Prefix, Digits, LastNo) VALUES (?, ?, ?, ?, 'Д', 9, 0)",
                     {series, kDemoCompanyId, series, seriesName});
        const std::string id = std::string("SD-") + code;
        ExecuteBound(db,
                     "INSERT INTO N_SubDocument (Id, Comp_Id, Code, Name, DocumentType, SaleOrPurchase, Series_Id, "
                     "Post_Series_Id, PaymentMethod, VATSeries_Id) VALUES (?, ?, ?, ?, ?, 1, ?, ?, 'BANK', ?)",
                     {id, kDemoCompanyId, code, name, type, series, series, series});
        ExecuteBound(db,
                     "INSERT INTO S_PrintDocuments (Id, Comp_Id, SaleOrPurchase, SubDoc_Id, PF_Id, Form_id, Copies, "
                     "PF_Type, Doc_Type) VALUES (?, ?, 1, ?, ?, ?, 2, 0, 2)",
                     {"PF-" + std::string(code), kDemoCompanyId, id, layout, type});
    }
}

std::string WriteOpenDocument(TDbSession& db, const TSourceDocument& doc, size_t index) {
    const std::string id = "DEMO-SMALL-" + std::to_string(index + 1);
    ExecuteBound(db,
                 "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
                 "VendorCreditMemoNo, DocumentDate, PostingDate, PayMethod_Id, PayTerm_Id, CntrPostingGroup_Id, "
                 "GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id, User_Id, DoNotIncInVATLedger) VALUES "
                 "(?, ?, ?, ?, ?, ?, ?, ?, ?, 'BANK', 'D30', 'SUP-DOM', 'DOM', 'DOM', ?, ?, 1)",
                 {id, kDemoCompanyId, doc.CreditMemo ? DocumentType::PurchCrMemo : DocumentType::PurchInvoice,
                  doc.CreditMemo ? "SD-542" : "SD-522", kVendor, doc.CreditMemo ? Variant() : Variant(doc.VendorNo),
                  doc.CreditMemo ? Variant(doc.VendorNo) : Variant(), doc.Date, doc.Date, kDemoBusinessGroupId,
                  kDemoUserId});
    int lineNo = 0;
    for (const TSourceLine& line : doc.Lines) {
        amounts::TPurchLine computed;
        computed.Quantity = line.Quantity;
        computed.DirectUnitCost_ACY = line.Price;
        computed.VATPercent = std::string(line.VATGroup) == "VAT9" ? 9 : 20;
        amounts::CalcTotalPrice(computed, {});
        amounts::UpdateVATAmounts(computed, 1.0, 2);
        using amounts::TLineAmount;
        ExecuteBound(db,
                     "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Measure_Id, "
                     "Quantity, QtyPerUnitOfMeasure, Quantity_Base, DirectUnitCost_ACY, DirectUnitCost, UnitCost_ACY, "
                     "UnitCost_LCY, TotalPrice, TotalValue, TotalValue_LCY, VATBaseAmount, VATValue, VATValue_LCY, "
                     "TotalVAT, TotalVAT_LCY, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id, GenProdPostGroup_Id) "
                     "SELECT ?, ?, ?, ?, 1, Code, Name, PurchMeasure_Id, ?, 1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                     "'DOM', ?, GenProdPostGroup_Id FROM N_Item WHERE Comp_Id = ? AND Code = ?",
                     {id, id + "-" + std::to_string(++lineNo), kDemoCompanyId, lineNo, line.Quantity, line.Quantity,
                      line.Price, line.Price, line.Price, line.Price, computed.Get(TLineAmount::TotalPrice),
                      computed.Get(TLineAmount::TotalValue), computed.Get(TLineAmount::TotalValue_LCY),
                      computed.Get(TLineAmount::VATBaseAmount), computed.Get(TLineAmount::VATValue),
                      computed.Get(TLineAmount::VATValue_LCY), computed.Get(TLineAmount::TotalVAT),
                      computed.Get(TLineAmount::TotalVAT_LCY), computed.VATPercent, line.VATGroup, kDemoCompanyId,
                      line.Code});
    }
    return id;
}

}  // namespace

void AddGlobalDocumentSources(TDbSession& db) {
    TDbTransaction transaction(db, TTransactionKind::tkWrite);
    WriteVendorAndSubTypes(db);
    const TSchemaCatalog catalog(db);
    TServerContext ctx{db, catalog, {kDemoCompanyId, kDemoBusinessGroupId, kDemoUserId}, {}, {}};
    const std::unique_ptr<IPostingMethods> posting = CreatePostingMethods();
    for (size_t i = 0; i < std::size(kDocuments); ++i) {
        const std::string id = WriteOpenDocument(db, kDocuments[i], i);
        TVariantArray keys;
        constexpr int kGoodsReturned = 0;
        const int result = kDocuments[i].CreditMemo ? posting->PostPurchCrMemo(ctx, id, keys, kGoodsReturned)
                                                    : posting->PostPurchase(ctx, id, keys);
        if (result != 0) throw std::logic_error("demo document " + id + " not posted: " + ctx.RefusalKey);
    }
    transaction.Commit();
}

}  // namespace tavrek::server
