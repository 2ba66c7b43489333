#pragma once

#include <span>
#include <string_view>

namespace tavrek {

// One form number of the application: the class it opens and what the user calls it.
// Package marks the forms of the purchasing package; the others belong to other packages
// and open only where those are loaded.
struct TFormCatalogueEntry {
    int FormNumber;
    const char* ClassName;
    const char* Caption;
    bool Package;
};

// The form catalogue: every form number that forms open, copy templates name or the
// registry knows, mapped to its class. The registry takes the numbers of the package's
// classes from here, and the company database keeps the same table (S_FormCatalogue).
std::span<const TFormCatalogueEntry> FormCatalogue();
const TFormCatalogueEntry* FindCatalogueNumber(int formNumber);
const TFormCatalogueEntry* FindCatalogueClass(std::string_view className);  // case-insensitive

}  // namespace tavrek
