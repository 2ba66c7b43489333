#pragma once

#include <string>
#include <string_view>

#include "base/forms/TFormRegistry.h"
#include "base/forms/TFormRequest.h"

namespace tavrek {

// The entry of our package of forms that belong to other packages (nomenclature, finance,
// stock) and that purchase forms open by number: the desktop client starts it beside the
// purchase package. Start-up registers every form class and selector once.
void OthersPackageStartup();
void OthersPackageShutdown();

// Registers a form of another package under the number and caption the catalogue gives its
// class.
void RegisterOtherPackageForm(const char* className, TFormFactory factory);

// The value a caller passed for a field (the name compared without regard to case); null
// when it passed none.
Variant DefaultValueOf(const TDefaultValues& values, std::string_view name);
// A number with a fixed count of decimals, as the messages of the forms show it.
std::string FixedText(double value, int decimals);

}  // namespace tavrek
