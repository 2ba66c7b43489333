#include "base/forms/TPackageUnits.h"

namespace tavrek {

void StartPackageUnits(std::span<const TPackageUnit> units) {
    for (const TPackageUnit& unit : units) unit.Initialization();
}

void StopPackageUnits(std::span<const TPackageUnit> units) {
    for (auto it = units.rbegin(); it != units.rend(); ++it) it->Finalization();
}

}  // namespace tavrek
