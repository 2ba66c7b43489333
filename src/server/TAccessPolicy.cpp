#include "server/TAccessPolicy.h"

#include <array>
#include <utility>

#include "base/server/PurchasesSetupAccounts.h"
#include "base/util/Text.h"
#include "server/TQueryBuilder.h"
#include "server/schema/DocumentTables.h"

namespace tavrek::server {
namespace {

constexpr std::array kEditedTables = {"D_PurchaseLineDetail", "D_PurchaseBufLineDetail", "S_PrintDocuments",
                                      "S_CopyDocTemplateHeader", "S_CopyDocTemplateLine", "D_VendorPayment",
                                      "D_ItemChargeAssigment", "D_FutureCostPeriod",
                                      "D_GoodsCheckHeader", "D_GoodsCheckLine", "D_SaleOrderHeader", "D_SaleOrderLine",
                                      "D_PurchOrderSuggestion", "D_PurchOrderSuggToVendorHeader",
                                      "D_PurchOrderSuggToVendorLine", "D_PurchOrderSeggBySaleOrder",
                                      "D_PurchOrdImportHeader", "D_PurchOrdImportLine"};

constexpr TAccessPolicy::TPostedLock kPostedLocks[] = {
    {"D_VendorPayment", "Posted", "err_PaymentPostedNotEditable"},
};

struct TServerColumn {
    const char* Table;
    const char* Column;
    TAccessPolicy::TColumnWrite Write;
};

using enum TAccessPolicy::TColumnWrite;

// What posting, annulment and the goods check keep on open documents: the quantities done
// on an order line, a document's status, kind and company, and the marks of a posted payment.
constexpr TServerColumn kServerColumns[] = {
    {"D_PurchaseLine", "ReceivedQty", cwNever},        {"D_PurchaseLine", "InvoicedQty", cwNever},
    {"D_PurchaseLine", "OutstandingQty", cwNever},     {"D_PurchaseLine", "QtyRcdNotInvoiced", cwNever},
    {"D_PurchaseLine", "RejectedQty", cwNever},        {"D_PurchaseLine", "ReturnedQty", cwNever},
    {"D_PurchaseLine", "Comp_Id", cwAtInsert},         {"D_PurchHeader", "DocStatus", cwOrderStatus},
    {"D_PurchHeader", "CheckStatus", cwNever},         {"D_PurchHeader", "DocumentType", cwAtInsert},
    {"D_PurchHeader", "Comp_Id", cwAtInsert},          {"D_PurchOrderBufHeader", "DocStatus", cwNever},
    {"D_PurchOrderBufHeader", "CheckStatus", cwNever}, {"D_PurchOrderBufHeader", "DocumentType", cwAtInsert},
    {"D_PurchOrderBufHeader", "Comp_Id", cwAtInsert},  {"D_GlobalPurchHeader", "DocStatus", cwNever},
    {"D_GlobalPurchHeader", "CheckStatus", cwNever},   {"D_GlobalPurchHeader", "DocumentType", cwAtInsert},
    {"D_GlobalPurchHeader", "Comp_Id", cwAtInsert},    {"D_VendorPayment", "TransactionNo", cwNever},
    {"D_VendorPayment", "Annul", cwNever},             {"D_VendorPayment", "Comp_Id", cwAtInsert},
    // A suggestion row keeps the figures the server computed it from.
    {"D_PurchOrderSuggestion", "OnHand", cwNever},     {"D_PurchOrderSuggestion", "OnOrder", cwNever},
    {"D_PurchOrderSuggestion", "Demand", cwNever},     {"D_PurchOrderSuggestion", "MinimumStock", cwNever},
    {"D_PurchOrderSuggestion", "Comp_Id", cwNever},    {"D_PurchOrderSeggBySaleOrder", "Processed", cwNever},
    {"D_SaleOrderLine", "ShippedQty", cwNever},        {"D_SaleOrderHeader", "Comp_Id", cwAtInsert},
    // What an import's lines still have to distribute follows their distribution.
    {"D_PurchOrdImportLine", "RemainingQty", cwNever}, {"D_PurchOrdImportHeader", "Comp_Id", cwAtInsert},
    // An imported line keeps what the file brought, so its distribution stays within it.
    {"D_PurchOrdImportLine", "Quantity", cwAtInsert},  {"D_PurchOrdImportLine", "ItemForConnetc", cwAtInsert},
};

bool IsOpenDocumentTable(std::string_view name) {
    for (const TDocumentTables& tables : DocumentTables())
        if (!tables.Posted && (EqualsIgnoreCase(name, tables.Header) || EqualsIgnoreCase(name, tables.Line))) return true;
    return false;
}

bool StartsWith(std::string_view name, std::string_view prefix) {
    return name.size() > prefix.size() && EqualsIgnoreCase(name.substr(0, prefix.size()), prefix);
}

// Rows of a company that carry no company column of their own: the condition that finds them.
constexpr std::pair<const char*, const char*> kOwnedThrough[] = {
    {"S_NoSeriesLine", "series_id IN (SELECT id FROM s_noseries WHERE comp_id = ?)"},
    {"N_ItemMeasure", "item_id IN (SELECT id FROM n_item WHERE comp_id = ?)"},
    {"G_LItemEntry_0", "fcomp_id = ?"},
};

}  // namespace

bool TAccessPolicy::MayChange(const TRelationInfo& table) {
    if (table.IsView) return false;
    if (IsOpenDocumentTable(table.Name) || StartsWith(table.Name, "N_") || StartsWith(table.Name, "C_")) return true;
    for (const char* edited : kEditedTables)
        if (EqualsIgnoreCase(table.Name, edited)) return true;
    return false;
}

bool TAccessPolicy::MayRead(const TRelationInfo& table) {
    return !EqualsIgnoreCase(table.Name, "S_User") && !EqualsIgnoreCase(table.Name, "S_ErrorLog") &&
           !EqualsIgnoreCase(table.Name, "S_NetSession");
}

bool TAccessPolicy::NamesAccount(const TRelationInfo& table, std::string_view column) {
    if (!EqualsIgnoreCase(table.Name, kPurchasesSetupTable)) return false;
    for (const char* account : kPurchasesSetupAccountFields)
        if (EqualsIgnoreCase(column, account)) return true;
    return false;
}

TAccessPolicy::TColumnWrite TAccessPolicy::ColumnWrite(const TRelationInfo& table, std::string_view column) {
    for (const TServerColumn& kept : kServerColumns)
        if (EqualsIgnoreCase(table.Name, kept.Table) && EqualsIgnoreCase(column, kept.Column)) return kept.Write;
    return cwClient;
}

const TAccessPolicy::TPostedLock* TAccessPolicy::PostedLock(const TRelationInfo& table) {
    for (const TPostedLock& lock : kPostedLocks)
        if (EqualsIgnoreCase(table.Name, lock.Table)) return &lock;
    return nullptr;
}

std::string TAccessPolicy::CompanyScope(const TRelationInfo& relation, const std::string& companyId,
                                        std::vector<Variant>& params) {
    if (companyId.empty()) return {};
    // Rows that belong to a company through what they hang on, or by a column of another name.
    for (const auto& [table, scope] : kOwnedThrough)
        if (EqualsIgnoreCase(relation.Name, table)) {
            params.push_back(companyId);
            return scope;
        }
    // Lines belong to the company of their header, whatever their own Comp_Id says.
    if (relation.Parent != nullptr && relation.Parent->Column("Comp_Id") != nullptr) {
        params.push_back(companyId);
        return "master_id IN (SELECT id FROM " + QuoteIdentifier(relation.Parent->Name) + " WHERE comp_id = ?)";
    }
    // A company's setup is the one row keyed by the company.
    const bool setup = StartsWith(relation.Name, "C_") && relation.Column("Id") != nullptr;
    if (relation.Column("Comp_Id") == nullptr && !setup) return {};
    params.push_back(companyId);
    return relation.Column("Comp_Id") == nullptr ? "id = ?" : "comp_id = ?";
}

}  // namespace tavrek::server
