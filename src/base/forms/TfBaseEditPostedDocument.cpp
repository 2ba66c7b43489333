#include "base/forms/TfBaseEditPostedDocument.h"

namespace tavrek {

TfBaseEditPostedDocument::TfBaseEditPostedDocument() {
    for (TAction* action : {&acSave, &acInsertRecord, &acDeleteRecord}) action->Visible = false;
    // Posted documents change only through server methods; each view places the annulment
    // in its document menu where its own operations want it.
    acAnnulDocument.Visible = true;
    // This client keeps no operation templates: the item stays disabled, and the views
    // that do not want it hide it.
    pmDocument.Add("miSaveOperationTemplate", "Запис като шаблон на операция", nullptr).SetEnabled(false);
}

bool TfBaseEditPostedDocument::CheckDataModification() {
    ReadOnly = true;
    for (TGrid* grid : Grids()) grid->ReadOnly = true;
    NeedDocumentForOperations();
    return false;
}

// A view opened on no document offers none of its operations; the ones with a rule of their
// own keep it.
void TfBaseEditPostedDocument::NeedDocumentForOperations() {
    for (const auto& action : AcListBase.Actions())
        if (!action->OnUpdate)
            action->OnUpdate = [this](TAction& a) { a.Enabled = cdsMaster.Active() && !cdsMaster.IsEmpty(); };
}

}  // namespace tavrek
