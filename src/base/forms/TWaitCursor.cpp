#include "base/forms/TWaitCursor.h"

#include "base/forms/IFormHost.h"
#include "base/session/Tdm.h"

namespace tavrek {

TWaitCursor::TWaitCursor() : shown_(dm().FormHost() != nullptr) {
    if (shown_) dm().FormHost()->SetWaitCursor(true);
}

TWaitCursor::~TWaitCursor() {
    if (shown_ && dm().FormHost() != nullptr) dm().FormHost()->SetWaitCursor(false);
}

}  // namespace tavrek
