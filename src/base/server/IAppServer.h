#pragma once

#include <string>
#include <vector>

#include "base/data/TDateTime.h"
#include "base/data/TFilter.h"
#include "base/data/Variant.h"
#include "base/server/TItemParams.h"
#include "base/server/TRequestResult.h"
#include "base/session/TUserRights.h"

namespace tavrek {

class TClientDataSet;

// One dataset's change log to save through a data provider.
struct TUpdatePacket {
    std::string Provider;
    TClientDataSet* DataSet = nullptr;
};

// Who a login signed in: the server keeps the same as the session of every later call.
struct TSignedInUser {
    std::string CompanyId;
    std::string BusinessGroupId;
    std::string UserId;
    std::string Login;
    TUserRights Rights;
};

// The application server as the package sees it: one method per server call. Methods
// that post or annul return a negative number for a refusal and leave the data as it
// was; failures of the machinery throw.
class IAppServer {
public:
    virtual ~IAppServer() = default;

    // Signs a user in with login and password; companyId may be empty when the login is of
    // one company only. 0 with the user filled in; negative when refused ("err_LoginFailed"),
    // after a short delay. Every later call runs as that user. A server without users of
    // its own refuses every login.
    virtual int Login(const std::string& companyId, const std::string& login, const std::string& password,
                      TSignedInUser& user);

    // Mode 0: source is a table or a table function call ("fn_X('a', 1)"), fields a comma
    // separated list; mode -1: source is "exec name 'a', 'b'". Returns the rows found; the
    // result holds the first row, or every row when allRows is true.
    virtual int RequestValue(int mode, const std::string& source, const std::string& fields, const TFilter& filter,
                             TRequestResult& result, bool allRows = false) = 0;
    // Defines the fields of the provider's dataset (when the dataset has none) and fills it.
    virtual void RequestData(const std::string& provider, const TFilter& filter, TClientDataSet& target) = 0;
    // One packet of a provider's rows, in the provider's order: with skip 0 it opens target
    // as RequestData does, then appends up to count rows after the first skip. Returns the
    // rows appended. A server that cannot page sends every row with the first packet.
    virtual int RequestDataPacket(const std::string& provider, const TFilter& filter, int skip, int count,
                                  TClientDataSet& target);
    // Applies the change logs of the packets in one transaction. Returns 0, or the number of
    // refused records with errorText saying why; nothing is applied then.
    virtual int ApplyUpdates(const std::vector<TUpdatePacket>& packets, std::string& errorText) = 0;
    virtual TRequestResult ExecuteStoredProcedure(const std::string& name, const TVariantArray& params) = 0;
    // Runs one of the statements the package sends (recognised, never arbitrary); 0 on success.
    virtual int ExecuteSQLScript(const std::string& text) = 0;
    // 0 on success with the next number of the series.
    virtual int GetNextSerieNo(const std::string& series, const std::string& businessGroup, std::string& number) = 0;

    // A posting that saves its document first. From BeginPosting to the next posting call,
    // every call runs in one transaction, which that posting commits when it posts and rolls
    // back when it is refused; EndPosting rolls back whatever is still open (a check stopped
    // the posting) and tells whether the calls were rolled back, so that the form keeps its
    // changes unsaved. A server that saves each call at once answers false to both.
    virtual bool BeginPosting() { return false; }
    virtual bool EndPosting() { return false; }

    virtual int PostPurchase(const std::string& id, TVariantArray& keys) = 0;
    // option: what the memo credits (0 goods sent back, 1 a price reduction moving no stock).
    virtual int PostPurchCrMemo(const std::string& id, TVariantArray& keys, int option) = 0;
    virtual int PostPurchOrder(const std::string& id, TVariantArray& keys, int operation) = 0;
    virtual int PostPurchProtocol(const std::string& id, int crMemo, TVariantArray& keys) = 0;
    virtual int PostGlobalDoc(const std::string& id, int crMemo, TVariantArray& keys) = 0;
    virtual int AnnulDocument(const std::string& id, int kind, const std::string& description, TDateTime date,
                              int flag, Variant& output) = 0;
    // annulPayments: 1 when the payments applied to the document are annulled with it.
    virtual int AnnulGlobalDoc(const std::string& id, int crMemo, const std::string& description, TDateTime date,
                               int annulPayments) = 0;
    virtual int AnnulPurchProtocol(const std::string& id, int crMemo, const std::string& description,
                                   TDateTime date) = 0;
    virtual int DeleteGlobalDoc(const std::string& id, int crMemo) = 0;

    virtual TRequestResult GetContragentParams(const std::string& contragentId) = 0;
    virtual TRequestResult GetContragentPurchDue(const std::string& contragentId, const std::string& dateYyyymmdd) = 0;
    virtual TRequestResult GetItemParams(const TVariantArray& request) = 0;
    // The 18-value price request; 0 when a proposal exists, filled into params.
    virtual int GetItemPriceAndDiscount(const TVariantArray& request, TItemParams& params) = 0;
    // Local units per one unit of the currency at the date; 0 when there is no rate.
    virtual double GetCurrencyRate(const std::string& currencyId, TDateTime date, int kind) = 0;

    // The text of a message key; empty when the key is unknown.
    virtual std::string GetMessageText(const std::string& key) = 0;
    virtual void WriteErrorLog(const std::string& message, const std::string& operation,
                               const std::string& userId) = 0;
    // Why the last refused call was refused, as text for the user; empty when unknown.
    virtual std::string LastRefusalText() { return {}; }
};

}  // namespace tavrek
