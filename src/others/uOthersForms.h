#pragma once

#include <vector>

#include "others/uOthersBrowse.h"

namespace tavrek {

// The read-only forms and the selectors of other packages that purchase forms open by
// number, each a description over the generic browse form.
namespace uOthersForms {

const std::vector<TBrowseDescription>& BrowseDescriptions();
// The description of a catalogued class or of a selector name; null when there is none.
const TBrowseDescription* FindByClass(std::string_view className);
const TBrowseDescription* FindBySelector(std::string_view selector);

// Registers every described form under its catalogued number and every selector by name.
void Initialization();
void Finalization();

}  // namespace uOthersForms
}  // namespace tavrek
