#include "documents/uPurchPrintForms.h"

#include <algorithm>

#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"

namespace tavrek {

int PurchPrintForms(const Variant& docSubTypeId, TRequestResult& forms) {
    TFilter filter;
    filter.Add("S_PrintDocuments.SaleOrPurchase", "=", 1, "AND")
        .Add("S_PrintDocuments.SubDoc_Id", "=", docSubTypeId, "AND")
        .Add("S_PrintDocuments.Comp_Id", "=", LocalData().CompanyId);
    return dm().Server().RequestValue(0, "S_PrintDocuments", "PF_Id, Form_id, Copies, PF_Type, Doc_Type", filter, forms,
                                      true);
}

TRequestResult PurchPrintFormsOr(TClientDataSet& record, TRequestResult otherForms) {
    const TField* subType = record.FindField("DocSubType_Id");
    TRequestResult forms;
    return PurchPrintForms(subType == nullptr ? Variant() : subType->Value(), forms) > 0 ? forms : otherForms;
}

TRequestResult PurchDefaultSubType(const Variant& documentType) {
    TRequestResult subTypes;
    if (documentType.IsEmpty()) return subTypes;
    TFilter filter;
    filter.Add("N_SubDocument.Comp_Id", "=", LocalData().CompanyId, "AND")
        .Add("N_SubDocument.SaleOrPurchase", "=", 1, "AND")
        .Add("N_SubDocument.DocumentType", "=", documentType);
    dm().Server().RequestValue(0, "N_SubDocument", "Id, Code, Name", filter, subTypes, true);
    // The first by code: ids are the company's own and need not follow the codes.
    if (subTypes.Rows.size() > 1) {
        const int code = subTypes.ColumnIndex("Code");
        std::stable_sort(subTypes.Rows.begin(), subTypes.Rows.end(),
                         [code](const auto& a, const auto& b) { return a[code].AsString() < b[code].AsString(); });
        subTypes.Rows.resize(1);
    }
    return subTypes;
}

}  // namespace tavrek
