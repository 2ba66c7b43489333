#include "base/forms/TTimer.h"

namespace tavrek {

void TTimer::Fire() {
    if (Enabled && OnTimer) OnTimer();
}

}  // namespace tavrek
