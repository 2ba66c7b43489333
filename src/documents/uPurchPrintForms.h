#pragma once

#include "base/data/TClientDataSet.h"
#include "base/data/Variant.h"
#include "base/server/TRequestResult.h"

namespace tavrek {

// The print forms of a purchase document subtype for the session's company: the rows of
// "PF_Id, Form_id, Copies, PF_Type, Doc_Type" of S_PrintDocuments (purchase side). Returns
// the number of rows found.
int PurchPrintForms(const Variant& docSubTypeId, TRequestResult& forms);

// The print forms of the record's subtype (its DocSubType_Id), or otherForms when the subtype
// has none: what a purchase form prints.
TRequestResult PurchPrintFormsOr(TClientDataSet& record, TRequestResult otherForms);

}  // namespace tavrek
