#pragma once

#include <cstdint>
#include <string>

#include "base/session/TUserRights.h"

namespace tavrek {

// The current session: who works for which company, and the precisions amounts and
// unit prices are rounded to. Read at every use, never cached.
struct TLocalData {
    std::string CompanyId;
    std::string BusinessGroupId;
    std::string UserId;
    // The signed-in user's login and rights; a session nobody signed in to (tools, form
    // tests) has no rights loaded and asks the server for the right to edit properties.
    std::string UserLogin;
    bool RightsLoaded = false;
    TUserRights Rights;
    int8_t AmountDecimals = 2;
    int8_t UnitPriceDecimals = 2;
    // Local currency of the company; documents with an empty Currency_Id are in it.
    std::string LocalCurrencyId = "EUR";
    bool IsAdmin = false;
    bool UseGoodsCheck = false;
    // Lifts the goods-check lock: lines of a checked document may be changed and deleted.
    bool UnlockCheckedDocuments = false;
    // Shows the change-calculation window after postings paid in cash.
    bool ShowChangeCalculation = false;
    // Prints each document of a posting (receipt, order, invoice) with its own print form.
    bool PrintPostedDocumentsSeparately = false;
};

TLocalData& LocalData();

}  // namespace tavrek
