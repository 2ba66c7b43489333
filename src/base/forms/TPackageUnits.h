#pragma once

#include <span>

namespace tavrek {

// One unit of a package: its start-up registration and its shut-down.
struct TPackageUnit {
    void (*Initialization)();
    void (*Finalization)();
};

// Starts the units in their order; stops them in the reverse order.
void StartPackageUnits(std::span<const TPackageUnit> units);
void StopPackageUnits(std::span<const TPackageUnit> units);

}  // namespace tavrek
