#pragma once

namespace tavrek {

// The columns of the purchases setup (C_PurchasesSetup) that hold an account code: the setup
// form offers the chart of accounts for each, and the server accepts only a code of the chart.
inline constexpr const char* kPurchasesSetupTable = "C_PurchasesSetup";
inline constexpr const char* kPurchasesSetupAccountFields[] = {"AdvancePaymentAccount", "ProtocolTransitAccount",
                                                               "ReceiptsNotInvoicedAccount", "FutureCostsAccount",
                                                               "DirectPayAccount"};

}  // namespace tavrek
