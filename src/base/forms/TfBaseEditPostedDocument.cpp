#include "base/forms/TfBaseEditPostedDocument.h"

namespace tavrek {

TfBaseEditPostedDocument::TfBaseEditPostedDocument() {
    for (TAction* action : {&acSave, &acInsertRecord, &acDeleteRecord}) action->Visible = false;
    // Posted documents change only through server methods; each view places the annulment
    // in its document menu where its own operations want it.
    acAnnulDocument.Visible = true;
}

bool TfBaseEditPostedDocument::CheckDataModification() {
    ReadOnly = true;
    for (TGrid* grid : Grids()) grid->ReadOnly = true;
    return false;
}

}  // namespace tavrek
