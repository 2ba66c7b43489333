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

// The subtype a new document of the kind starts with, so that it numbers and prints as its
// kind: the company's first purchase subtype of that DocumentType by code ("Id, Code, Name";
// empty when the company has none).
TRequestResult PurchDefaultSubType(const Variant& documentType);

}  // namespace tavrek
