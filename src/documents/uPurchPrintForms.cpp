#include "documents/uPurchPrintForms.h"

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

}  // namespace tavrek
