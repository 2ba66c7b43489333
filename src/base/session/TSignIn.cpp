#include "base/session/TSignIn.h"

#include "base/session/Tdm.h"

namespace tavrek {

int SignIn(IAppServer& server, const std::string& companyId, const std::string& login, const std::string& password) {
    TSignedInUser user;
    const int result = server.Login(companyId, login, password, user);
    if (result == 0) TakeSignedInUser(server, user);
    return result;
}

void TakeSignedInUser(IAppServer& server, const TSignedInUser& user) {
    dm().SetServer(&server);
    TLocalData& session = LocalData();
    session.CompanyId = user.CompanyId;
    session.BusinessGroupId = user.BusinessGroupId;
    session.UserId = user.UserId;
    session.UserLogin = user.Login;
    session.Rights = user.Rights;
    session.RightsLoaded = true;
    TRequestResult setup;
    const TFilter filter = TFilter().Add("C_CompanySetup.Id", "=", session.CompanyId);
    if (server.RequestValue(0, "C_CompanySetup", "AmountDecimals,UnitPriceDecimals,LocalCurrency_Id", filter, setup) > 0) {
        session.AmountDecimals = static_cast<int8_t>(setup.Value(0, 0).AsInteger());
        session.UnitPriceDecimals = static_cast<int8_t>(setup.Value(0, 1).AsInteger());
        if (!setup.Value(0, 2).IsEmpty()) session.LocalCurrencyId = setup.Value(0, 2).AsString();
    }
}

}  // namespace tavrek
