#include "base/forms/TfBaseBrowseCardPostedDocument.h"

namespace tavrek {

TfBaseBrowseCardPostedDocument::TfBaseBrowseCardPostedDocument() {
    for (TAction* action : {&acInsertRecord, &acDeleteRecord, &acPostDocument, &acPostAndPrintDocument})
        action->Visible = false;
}

bool TfBaseBrowseCardPostedDocument::CheckDataModification() {
    ReadOnly = true;
    for (TGrid* grid : Grids()) grid->ReadOnly = true;
    return false;
}

}  // namespace tavrek
