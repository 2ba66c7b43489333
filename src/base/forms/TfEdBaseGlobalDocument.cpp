#include "base/forms/TfEdBaseGlobalDocument.h"

namespace tavrek {

TfEdBaseGlobalDocument::TfEdBaseGlobalDocument() { acReCalcDocument.ShortCut = "F9"; }

}  // namespace tavrek
