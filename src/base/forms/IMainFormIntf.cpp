#include "base/forms/IMainFormIntf.h"

#include "base/forms/IFormHost.h"
#include "base/session/Tdm.h"

namespace tavrek {

IMainFormIntf* MainFormIntf() { return dynamic_cast<IMainFormIntf*>(dm().FormHost()); }

}  // namespace tavrek
