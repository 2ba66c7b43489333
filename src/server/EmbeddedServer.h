#pragma once

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

#include <soci/soci.h>

#include "base/server/IAppServer.h"
#include "server/TCallParser.h"
#include "server/TProcedureRegistry.h"
#include "server/TSchemaCatalog.h"
#include "server/TScriptRecognizer.h"
#include "server/TServerContext.h"
#include "server/db/TDbSession.h"
#include "server/db/TDbTransaction.h"
#include "server/posting/IPostingMethods.h"

namespace tavrek::server {

// The database server went away in the middle of a call: nothing of the call is written.
// The text is for the user: the company's message of that key, read while the server was there.
class EConnectionLost : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    static constexpr const char* kMessageKey = "err_DatabaseConnectionLost";
};

// The application server inside the client process, over one company database: a SQLite
// file or a PostgreSQL database.
// Every method runs in one transaction: a refusal (negative result, message key in the
// error log), an exception or a killed process leaves the database as it was before the
// call. Names from the client are checked against the schema and values are bound, so
// nothing the client sends is run as SQL.
class EmbeddedServer : public IAppServer {
public:
    // Opens an existing company database by its file path or postgresql:// address,
    // upgrading its schema; throws ECompanyDatabaseError.
    explicit EmbeddedServer(const std::string& address);
    EmbeddedServer(const std::string& address, std::unique_ptr<IPostingMethods> posting);
    ~EmbeddedServer() override;

    // Runs the calls that follow as the user of the session, with the rights the database
    // gives that user; for the processes that sign in without a password (tools, tests).
    void SetSession(TServerSession session);
    const TServerSession& Session() const { return session_; }
    // As SetSession, with the rights and other companies already loaded by one: a server
    // that serves many sessions in turn sets each without reading it again.
    void AdoptSession(TServerSession session) { session_ = std::move(session); }
    // The next LastRefusalText tells only of refusals from here on.
    void ForgetLastRefusal() { lastRefusal_.clear(); }
    // Whether a posting's transaction (BeginPosting) is open and waits for its posting.
    bool InPosting() const { return postingTransaction_ != nullptr; }
    // How long a refused login waits before it answers: a second, or TAVREK_LOGIN_DELAY_MS.
    void SetLoginRefusalDelay(std::chrono::milliseconds delay) { loginRefusalDelay_ = delay; }
    // Where further procedures and recognised statements are registered.
    TProcedureRegistry& Procedures() { return procedures_; }
    TScriptRecognizer& Scripts() { return scripts_; }
    TDbSession& Database() { return *db_; }

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
    TServerContext Context();
    // Runs body in a write transaction; commits when it returns 0 or more and no refusal
    // key was set, otherwise rolls back and logs the refusal under the operation's name.
    // Inside a posting's transaction the call is a savepoint of it, and a posting call
    // (endsPosting) commits or rolls back the whole of it.
    template <typename Body>
    int Write(const char* operation, Body&& body, bool endsPosting = false);
    template <typename Body>
    int WriteInPosting(const char* operation, Body&& body, bool endsPosting);
    void EndPostingTransaction(bool commit);
    // A posting or annulment by body, refused outside the posting period and noted in the
    // audit trail when it passes.
    template <typename Body>
    int Posting(TServerContext& ctx, const std::string& id, Body&& body);
    template <typename Body>
    int Annulment(TServerContext& ctx, const std::string& id, TDateTime date, Body&& body);
    // Runs body in a read transaction, so it sees one state of the database. Unless the
    // read is one a client makes before it signs in, it is refused without a signed-in user.
    template <typename Body>
    auto Read(const char* operation, Body&& body, bool beforeSignIn = false);
    // Every call that reads or changes a company's data needs a signed-in user; without one it
    // is refused by "err_NotSignedIn": a write by its result, a read by EQueryRefused.
    bool SignedIn(TServerContext& ctx) const;
    void LogRefusal(const char* operation, const TServerContext& ctx);
    // Whether the session's user has the right on the document's form; refuses when not.
    static bool Authorized(TServerContext& ctx, const std::string& documentId, TFormRight right);
    // Runs body on the connection, made anew when it was lost; a loss on the way is told as one.
    template <typename Body>
    void OnLiveConnection(Body&& body);
    // Turns a lost connection into EConnectionLost; the next call connects anew.
    void ThrowIfConnectionLost(const soci::soci_error& e);
    // A request the server would not run (an unknown name, a table the client may not change).
    void LogRefusedRequest(const char* operation, const std::string& why);
    // Rows of a provider from Skip on, at most Count of them (all when Count is 0).
    struct TPage {
        int Skip = 0;
        int Count = 0;
    };
    int FillDataSet(TServerContext& ctx, const std::string& provider, const TFilter& filter, TClientDataSet& target,
                    TPage page);
    TRequestResult CallProcedure(TServerContext& ctx, TProcedureKind kind, const TParsedCall& call);
    TRequestResult SelectFromTableFunction(TServerContext& ctx, const std::string& source, const std::string& fields,
                                           const TFilter& filter);
    TRequestResult SelectFromTable(TServerContext& ctx, const std::string& source, const std::string& fields,
                                   const TFilter& filter);

    std::unique_ptr<TDbSession> db_;
    std::unique_ptr<TSchemaCatalog> catalog_;
    TProcedureRegistry procedures_;
    TScriptRecognizer scripts_;
    std::unique_ptr<IPostingMethods> posting_;
    TServerSession session_;
    std::string lastRefusal_;
    // The transaction of a posting that saves its document first (BeginPosting), and whether
    // the last one was rolled back.
    std::unique_ptr<TDbTransaction> postingTransaction_;
    bool postingRolledBack_ = false;
    // Error log entries written while a posting's transaction is open wait for its end, so
    // that a rollback does not take them with it.
    struct THeldLogEntry {
        std::string Message, Operation, UserId;
    };
    std::vector<THeldLogEntry> heldLog_;
    std::string connectionLostText_;
    std::chrono::milliseconds loginRefusalDelay_{1000};
};

}  // namespace tavrek::server
