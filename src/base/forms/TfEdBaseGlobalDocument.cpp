#include "base/forms/TfEdBaseGlobalDocument.h"

namespace tavrek {

TfEdBaseGlobalDocument::TfEdBaseGlobalDocument() {
    pmDocument.Add("miPost", acPostDocument);
    pmDocument.Add("miPostAndPrint", acPostAndPrintDocument);
    pmDocument.Add("miReCalcDocument", acReCalcDocument);
}

}  // namespace tavrek
