#include "base/forms/TfBaseEditPostedDocument.h"

namespace tavrek {

TfBaseEditPostedDocument::TfBaseEditPostedDocument() {
    for (TAction* action : {&acSave, &acInsertRecord, &acDeleteRecord}) action->Visible = false;
    acAnnulDocument.Visible = true;
    // Posted documents change only through server methods (annulment and the like).
    pmDocument.Add("miAnnulDoc", acAnnulDocument);
    pmDocument.Add("miPrint", acPrint);
}

bool TfBaseEditPostedDocument::CheckDataModification() {
    ReadOnly = true;
    for (TGrid* grid : Grids()) grid->ReadOnly = true;
    return false;
}

}  // namespace tavrek
