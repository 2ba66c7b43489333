#pragma once

#include <string>
#include <vector>

namespace tavrek {

// The package entry: the desktop client calls PurchasePackageStartup once after loading the
// base, sales and nomenclature parts, and PurchasePackageShutdown when it unloads them.
// Start-up runs the start-up code of every form unit of the package in the package's unit
// order; each unit registers its form class once however often start-up runs.
void PurchasePackageStartup();
void PurchasePackageShutdown();

// Every form class of the package in registration order, built or not.
const std::vector<std::string>& PurchaseFormClassOrder();

}  // namespace tavrek
