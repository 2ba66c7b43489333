#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "base/server/IAppServer.h"

namespace tavrek::net {

// The connection to tavrek-server broke while a change was being written: the server may
// have committed it or not. The text says so and asks the user to look before repeating.
class ECallOutcomeUnknown : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    static constexpr const char* kMessageKey = "err_CallOutcomeUnknown";
};

// The server refused the call for its load; nothing was written.
class EServerBusy : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    static constexpr const char* kMessageKey = "err_ServerBusy";
};

// The session is not (or no longer) valid: the user signs in again.
class ESessionRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The application server on another machine, reached through tavrek-server: every method
// is one network call that the server runs as the signed-in user. A dropped connection
// throws server::EConnectionLost, and the next call connects anew.
// TLS is used when TAVREK_SERVER_CA names the certificate of the server's authority, or for
// any address but this machine's (then with the system's authorities).
class TRemoteServer : public IAppServer {
public:
    explicit TRemoteServer(const std::string& address);
    ~TRemoteServer() override;

    // Ends the session on the server; the token is worthless from then on.
    void Logout();
    // The token of the session, for tests that try it where it must not work.
    const std::string& Token() const;
    void UseToken(const std::string& token, const std::string& login);
    // Asked when the server refuses a signed-in client's session (expired, or ended on the
    // server): true once signed in again, and the refused call, which did not run, runs once
    // more. Not asked again while it is asking.
    void SetSessionRenewal(std::function<bool()> renewal);

    // The document scenarios' direct reads and arrangements, which a server allows only
    // when started for testing.
    TRequestResult ScenarioSelect(const std::string& sql, const TVariantArray& values);
    int ScenarioExecute(const std::string& sql, const TVariantArray& values);

    int Login(const std::string& companyId, const std::string& login, const std::string& password,
              TSignedInUser& user) override;
    int RequestValue(int mode, const std::string& source, const std::string& fields, const TFilter& filter,
                     TRequestResult& result, bool allRows = false) override;
    void RequestData(const std::string& provider, const TFilter& filter, TClientDataSet& target) override;
    int RequestDataPacket(const std::string& provider, const TFilter& filter, int skip, int count,
                          TClientDataSet& target) override;
    int ApplyUpdates(const std::vector<TUpdatePacket>& packets, std::string& errorText) override;
    TRequestResult ExecuteStoredProcedure(const std::string& name, const TVariantArray& params) override;
    int ExecuteSQLScript(const std::string& text) override;
    int GetNextSerieNo(const std::string& series, const std::string& businessGroup, std::string& number) override;

    bool BeginPosting() override;
    bool EndPosting() override;
    int PostPurchase(const std::string& id, TVariantArray& keys) override;
    int PostPurchCrMemo(const std::string& id, TVariantArray& keys, int option) override;
    int PostPurchOrder(const std::string& id, TVariantArray& keys, int operation) override;
    int PostPurchProtocol(const std::string& id, int crMemo, TVariantArray& keys) override;
    int PostGlobalDoc(const std::string& id, int crMemo, TVariantArray& keys) override;
    int AnnulDocument(const std::string& id, int kind, const std::string& description, TDateTime date, int flag,
                      Variant& output) override;
    int AnnulGlobalDoc(const std::string& id, int crMemo, const std::string& description, TDateTime date,
                       int annulPayments) override;
    int AnnulPurchProtocol(const std::string& id, int crMemo, const std::string& description,
                           TDateTime date) override;
    int DeleteGlobalDoc(const std::string& id, int crMemo) override;

    TRequestResult GetContragentParams(const std::string& contragentId) override;
    TRequestResult GetContragentPurchDue(const std::string& contragentId, const std::string& dateYyyymmdd) override;
    TRequestResult GetItemParams(const TVariantArray& request) override;
    int GetItemPriceAndDiscount(const TVariantArray& request, TItemParams& params) override;
    double GetCurrencyRate(const std::string& currencyId, TDateTime date, int kind) override;

    std::string GetMessageText(const std::string& key) override;
    void WriteErrorLog(const std::string& message, const std::string& operation, const std::string& userId) override;
    std::string LastRefusalText() override { return lastRefusal_; }

private:
    struct TChannel;
    int Posting(const char* method, const std::string& id, int option, TVariantArray& keys);

    std::unique_ptr<TChannel> channel_;
    std::string lastRefusal_;
};

}  // namespace tavrek::net
