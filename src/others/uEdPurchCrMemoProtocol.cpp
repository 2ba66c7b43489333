#include "others/uEdPurchCrMemoProtocol.h"

#include "others/uOthersPackage.h"

namespace tavrek {

TfEdPurchCrMemoProtocol::TfEdPurchCrMemoProtocol() { CrMemo = 1; }

namespace uEdPurchCrMemoProtocol {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterOtherPackageForm("TfEdPurchCrMemoProtocol", [] { return std::make_unique<TfEdPurchCrMemoProtocol>(); });
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchCrMemoProtocol
}  // namespace tavrek
