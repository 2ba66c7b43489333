#pragma once

#include "base/forms/TFormRegistry.h"

namespace tavrek {

// The entry of our package of forms that belong to other packages (nomenclature, finance,
// stock) and that purchase forms open by number: the desktop client starts it beside the
// purchase package. Start-up registers every form class and selector once.
void OthersPackageStartup();
void OthersPackageShutdown();

// Registers a form of another package under the number and caption the catalogue gives its
// class.
void RegisterOtherPackageForm(const char* className, TFormFactory factory);

}  // namespace tavrek
