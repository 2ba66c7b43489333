#include "server/EmbeddedServer.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <thread>

#include "base/data/TClientDataSet.h"
#include "base/util/Text.h"
#include "server/CompanyDatabase.h"
#include "server/MasterDataQueries.h"
#include "server/SqlValue.h"
#include "server/TCallParser.h"
#include "server/TAuditTrail.h"
#include "server/TChangeApplier.h"
#include "server/TNumberSeries.h"
#include "server/TPostingPeriod.h"
#include "server/TPriceLookup.h"
#include "server/TQueryBuilder.h"
#include "server/db/TDbTransaction.h"
#include "server/db/TRetryPolicy.h"
#include "server/procedures/StandardProcedures.h"
#include "server/session/TCallAuthority.h"
#include "server/session/TUserDirectory.h"

namespace tavrek::server {
namespace {

std::vector<std::string> SplitFields(const std::string& fields) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= fields.size()) {
        const size_t comma = std::min(fields.find(',', start), fields.size());
        const std::string name = Trim(std::string_view(fields).substr(start, comma - start));
        if (!name.empty()) names.push_back(name);
        start = comma + 1;
    }
    return names;
}

// A procedure's rows under the columns the caller named: by name, else by position, so
// that a caller reading "Result,ErrMsg" from a procedure answering "Code,Msg" still gets
// its values.
TRequestResult UnderColumns(const TRequestResult& rows, const std::string& fields) {
    const std::vector<std::string> names = SplitFields(fields);
    if (names.empty() || (names.size() == 1 && names[0] == "*")) return rows;
    TRequestResult result{names, {}};
    std::vector<int> sources;
    for (size_t i = 0; i < names.size(); ++i) {
        const int byName = rows.ColumnIndex(names[i]);
        sources.push_back(byName >= 0 ? byName : static_cast<int>(i));
    }
    for (size_t row = 0; row < rows.Rows.size(); ++row) {
        TVariantArray values;
        for (int source : sources) values.push_back(rows.Value(row, static_cast<size_t>(source)));
        result.Rows.push_back(std::move(values));
    }
    return result;
}

TRequestResult RunQuery(TDbSession& db, const TQuery& query) {
    TRequestResult rows = db.Select(query.Sql, query.Params);
    rows.Columns = query.Columns;
    return rows;
}

const char* SqlTypeOf(TFieldType type) {
    switch (type) {
        case TFieldType::ftInteger:
        case TFieldType::ftBoolean: return "INTEGER";
        case TFieldType::ftFloat: return "DOUBLE PRECISION";
        case TFieldType::ftDateTime: return "DATEREAL";
        case TFieldType::ftString: break;
    }
    return "TEXT";
}

// The type of a procedure's column by its first value; a column without one takes the type
// of the table columns of its name, else it is a number (an aggregate over no rows).
std::string DeclaredTypeOf(const TRequestResult& rows, size_t column, const TSchemaCatalog& catalog) {
    for (const TVariantArray& row : rows.Rows) {
        if (column >= row.size() || row[column].IsNull()) continue;
        switch (row[column].Type()) {
            case TVarType::varInteger:
            case TVarType::varBoolean: return "INTEGER";
            case TVarType::varDouble: return "DOUBLE PRECISION";
            case TVarType::varDate: return "DATEREAL";
            default: return "TEXT";
        }
    }
    return SqlTypeOf(catalog.ColumnType(rows.Columns[column]).value_or(TFieldType::ftFloat));
}

bool StartsWithExec(const std::string& text) {
    const std::string start = ToLowerAscii(Trim(text).substr(0, 5));
    return start == "exec" || (start.starts_with("exec") && std::isspace(static_cast<unsigned char>(start[4])));
}

}  // namespace

EmbeddedServer::EmbeddedServer(const std::string& address) : EmbeddedServer(address, CreatePostingMethods()) {}

EmbeddedServer::EmbeddedServer(const std::string& address, std::unique_ptr<IPostingMethods> posting)
    : db_(OpenCompanyDatabase(address, TOpenMode::omExisting)),
      catalog_(std::make_unique<TSchemaCatalog>(*db_)),
      posting_(std::move(posting)) {
    RegisterStandardProcedures(procedures_);
    RegisterStandardScripts(scripts_);
    posting_->RegisterProcedures(procedures_);
    // The administrator of a server may shorten or lengthen the wait of a refused login.
    if (const char* delay = std::getenv("TAVREK_LOGIN_DELAY_MS"))
        loginRefusalDelay_ = std::chrono::milliseconds(std::atoi(delay));
    connectionLostText_ = GetMessageText(EConnectionLost::kMessageKey);
    if (connectionLostText_.empty())
        connectionLostText_ = "Връзката със сървъра на базата данни е прекъсната. Последното действие не е записано.";
}

EmbeddedServer::~EmbeddedServer() = default;

TServerContext EmbeddedServer::Context() {
    try {
        if (db_->Broken()) db_->Reconnect();
    } catch (const soci::soci_error&) {
        throw EConnectionLost(connectionLostText_);  // the server is not back yet
    }
    return TServerContext{*db_, *catalog_, session_, {}, {}};
}

template <typename Body>
void EmbeddedServer::OnLiveConnection(Body&& body) {
    Context();  // connects anew when the connection was lost
    try {
        body();
    } catch (const soci::soci_error& e) {
        ThrowIfConnectionLost(e);
        throw;
    }
}

template <typename Body>
int EmbeddedServer::Write(const char* operation, Body&& body, bool endsPosting) {
    if (postingTransaction_) return WriteInPosting(operation, body, endsPosting);
    TServerContext ctx = Context();
    if (!SignedIn(ctx)) {
        LogRefusal(operation, ctx);
        return -1;
    }
    int result = 0;
    try {
        result = TRetryPolicy::Run(db_->Dialect(), [&] {
            ctx.RefusalKey.clear();
            ctx.RefusalArg.clear();
            TDbTransaction transaction(*db_, TTransactionKind::tkWrite);
            const int outcome = body(ctx);
            if (outcome >= 0 && ctx.RefusalKey.empty()) transaction.Commit();
            return outcome;
        });
    } catch (const EQueryRefused& e) {
        LogRefusedRequest(operation, e.what());
        throw;
    } catch (const soci::soci_error& e) {
        ThrowIfConnectionLost(e);
        throw;
    }
    if (result < 0 || !ctx.RefusalKey.empty()) LogRefusal(operation, ctx);
    return result;
}

template <typename Body>
int EmbeddedServer::WriteInPosting(const char* operation, Body&& body, bool endsPosting) {
    TServerContext ctx = Context();
    if (!SignedIn(ctx)) {
        LogRefusal(operation, ctx);
        if (endsPosting) EndPostingTransaction(false);
        return -1;
    }
    int result = 0;
    bool refused = false;
    try {
        db_->Exec("SAVEPOINT server_call");
        result = body(ctx);
        refused = result < 0 || !ctx.RefusalKey.empty();
        if (refused) db_->Exec("ROLLBACK TO SAVEPOINT server_call");
        db_->Exec("RELEASE SAVEPOINT server_call");
    } catch (const EQueryRefused& e) {
        db_->Exec("ROLLBACK TO SAVEPOINT server_call");
        db_->Exec("RELEASE SAVEPOINT server_call");
        if (endsPosting) EndPostingTransaction(false);
        LogRefusedRequest(operation, e.what());
        throw;
    } catch (const soci::soci_error& e) {
        EndPostingTransaction(false);
        ThrowIfConnectionLost(e);
        throw;
    } catch (...) {
        EndPostingTransaction(false);
        throw;
    }
    if (endsPosting) EndPostingTransaction(!refused);
    if (refused) LogRefusal(operation, ctx);
    return result;
}

template <typename Body>
int EmbeddedServer::Posting(TServerContext& ctx, const std::string& id, Body&& body) {
    if (!Authorized(ctx, id, TFormRight::frPost) || !TPostingPeriod::AllowsDocument(ctx, id)) return -1;
    return TAuditTrail::Outcome(ctx, TAuditTrail::kPosted, id, body());
}

template <typename Body>
int EmbeddedServer::Annulment(TServerContext& ctx, const std::string& id, TDateTime date, Body&& body) {
    if (!Authorized(ctx, id, TFormRight::frAnnul) || !TPostingPeriod::Allows(ctx, date)) return -1;
    return TAuditTrail::Outcome(ctx, TAuditTrail::kAnnulled, id, body());
}

bool EmbeddedServer::BeginPosting() {
    if (postingTransaction_) throw std::logic_error("A posting's transaction is open already");
    OnLiveConnection([&] { postingTransaction_ = std::make_unique<TDbTransaction>(*db_, TTransactionKind::tkWrite); });
    postingRolledBack_ = false;
    return true;
}

bool EmbeddedServer::EndPosting() {
    if (postingTransaction_) EndPostingTransaction(false);
    const bool rolledBack = postingRolledBack_;
    postingRolledBack_ = false;
    return rolledBack;
}

void EmbeddedServer::EndPostingTransaction(bool commit) {
    if (!postingTransaction_) return;
    std::unique_ptr<TDbTransaction> transaction = std::move(postingTransaction_);
    if (commit) transaction->Commit();
    transaction.reset();
    postingRolledBack_ = !commit;
    std::vector<THeldLogEntry> held = std::move(heldLog_);
    heldLog_.clear();
    for (const THeldLogEntry& entry : held) WriteErrorLog(entry.Message, entry.Operation, entry.UserId);
}

template <typename Body>
auto EmbeddedServer::Read(const char* operation, Body&& body, bool beforeSignIn) {
    TServerContext ctx = Context();
    if (!beforeSignIn && !SignedIn(ctx)) {
        LogRefusal(operation, ctx);
        throw EQueryRefused(lastRefusal_);
    }
    try {
        // A posting's transaction shows what it saved so far.
        std::optional<TDbTransaction> transaction;
        if (!postingTransaction_) transaction.emplace(*db_, TTransactionKind::tkRead);
        auto result = body(ctx);
        if (transaction) transaction->Commit();
        if (!ctx.RefusalKey.empty()) LogRefusal(operation, ctx);
        return result;
    } catch (const EQueryRefused& e) {
        LogRefusedRequest(operation, e.what());
        throw;
    } catch (const soci::soci_error& e) {
        ThrowIfConnectionLost(e);
        throw;
    }
}

bool EmbeddedServer::SignedIn(TServerContext& ctx) const {
    if (!session_.UserId.empty() && !session_.CompanyId.empty()) return true;
    ctx.RefusalKey = "err_NotSignedIn";
    return false;
}

void EmbeddedServer::ThrowIfConnectionLost(const soci::soci_error& e) {
    if (!db_->Dialect().IsConnectionLost(e)) return;
    db_->MarkBroken();
    throw EConnectionLost(connectionLostText_);
}

void EmbeddedServer::LogRefusedRequest(const char* operation, const std::string& why) {
    WriteErrorLog("Отказана заявка: " + why, std::string("EmbeddedServer.") + operation, session_.UserId);
}

void EmbeddedServer::LogRefusal(const char* operation, const TServerContext& ctx) {
    const std::string& key = ctx.RefusalKey;
    std::string text = key.empty() ? std::string() : GetMessageText(key);
    if (!ctx.RefusalArg.empty()) text = FormatMessage(text, {ctx.RefusalArg});
    const std::string message = key.empty() ? "Отказ без съобщение" : (text.empty() ? key : text + " (" + key + ")");
    lastRefusal_ = text.empty() ? key : text;
    WriteErrorLog(message, std::string("EmbeddedServer.") + operation, session_.UserId);
}

void EmbeddedServer::SetSession(TServerSession session) {
    session_ = std::move(session);
    Read("SetSession", [&](TServerContext& ctx) {
        session_.Rights = TUserDirectory(ctx.Db).Rights(session_.CompanyId, session_.UserId);
        session_.OtherCompanies = TCallAuthority::OtherCompanies(ctx.Db, session_.CompanyId);
        return 0;
    }, true);
}

// A refused login waits before it answers, so that passwords cannot be tried quickly,
// and says the same whether the login, the password or a lock refused it.
int EmbeddedServer::Login(const std::string& companyId, const std::string& login, const std::string& password,
                          TSignedInUser& user) {
    const std::optional<TSignedInUser> found = Read("Login", [&](TServerContext& ctx) {
        return TUserDirectory(ctx.Db).Authenticate(companyId, login, password);
    }, true);
    if (!found) {
        std::this_thread::sleep_for(loginRefusalDelay_);
        const std::string text = GetMessageText("err_LoginFailed");
        lastRefusal_ = text.empty() ? "err_LoginFailed" : text;
        WriteErrorLog("Неуспешно влизане на потребител '" + login + "'" +
                          (companyId.empty() ? std::string() : " във фирма " + companyId) + " (err_LoginFailed)",
                      "EmbeddedServer.Login", login);
        return -1;
    }
    SetSession(TServerSession{found->CompanyId, found->BusinessGroupId, found->UserId});
    user = *found;
    return 0;
}

bool EmbeddedServer::Authorized(TServerContext& ctx, const std::string& documentId, TFormRight right) {
    return TCallAuthority(ctx).MayOnDocument(documentId, right);
}

TRequestResult EmbeddedServer::CallProcedure(TServerContext& ctx, TProcedureKind kind, const TParsedCall& call) {
    const TProcedure* procedure = procedures_.Find(kind, call.Name);
    if (procedure == nullptr) throw EQueryRefused("Непозната процедура '" + call.Name + "'");
    if (!TCallAuthority(ctx).MayCall(call.Name, call.Args)) return {};
    return (*procedure)(ctx, call.Args);
}

// The function's rows go to a temporary table so that the caller's field list and filter
// are checked and applied exactly as on a table.
TRequestResult EmbeddedServer::SelectFromTableFunction(TServerContext& ctx, const std::string& source,
                                                       const std::string& fields, const TFilter& filter) {
    const TParsedCall call = ParseFunctionCall(source);
    const TRequestResult rows = CallProcedure(ctx, TProcedureKind::pkTableFunction, call);
    if (!ctx.RefusalKey.empty()) return {};
    TRelationInfo relation{"tf_" + call.Name, false, {}, nullptr};
    std::string columns, marks;
    for (size_t i = 0; i < rows.Columns.size(); ++i) {
        const std::string type = DeclaredTypeOf(rows, i, ctx.Catalog);
        relation.Columns.push_back({rows.Columns[i], FieldTypeOfDeclared(type)});
        columns += (i == 0 ? "" : ", ") + QuoteIdentifier(rows.Columns[i]) + " " + type;
        marks += i == 0 ? "?" : ", ?";
    }
    const std::string table = QuoteIdentifier(relation.Name);
    db_->Exec("DROP TABLE IF EXISTS " + table);
    db_->Exec("CREATE TEMPORARY TABLE " + table + " (" + columns + ")");
    for (const TVariantArray& row : rows.Rows) db_->Execute("INSERT INTO " + table + " VALUES (" + marks + ")", row);
    TRequestResult result = RunQuery(*db_, BuildSelect(relation, {call.Name, relation.Name}, fields, filter));
    db_->Exec("DROP TABLE " + table);
    return result;
}

TRequestResult EmbeddedServer::SelectFromTable(TServerContext& ctx, const std::string& source,
                                               const std::string& fields, const TFilter& filter) {
    const TDataProvider provider = ctx.Catalog.Provider(source);
    if (!TCallAuthority(ctx).MayFilter(filter)) return TRequestResult{};
    return RunQuery(*db_, BuildSelect(*provider.Source, {provider.Name, provider.Source->Name}, fields, filter, {},
                                      ctx.Session.CompanyId));
}

int EmbeddedServer::RequestValue(int mode, const std::string& source, const std::string& fields,
                                 const TFilter& filter, TRequestResult& result, bool allRows) {
    TRequestResult rows;
    if (mode == -1) {
        Write("RequestValue", [&](TServerContext& ctx) {
            rows = UnderColumns(CallProcedure(ctx, TProcedureKind::pkProcedure, ParseExec(source)), fields);
            return 0;
        });
    } else if (mode == 0) {
        rows = Read("RequestValue", [&](TServerContext& ctx) {
            return IsFunctionCall(source) ? SelectFromTableFunction(ctx, source, fields, filter)
                                          : SelectFromTable(ctx, source, fields, filter);
        });
    } else {
        throw std::invalid_argument("Непознат режим на заявка " + std::to_string(mode));
    }
    const int count = static_cast<int>(rows.Rows.size());
    if (!allRows && rows.Rows.size() > 1) rows.Rows.resize(1);
    result = std::move(rows);
    return count;
}

void EmbeddedServer::RequestData(const std::string& provider, const TFilter& filter, TClientDataSet& target) {
    Read("RequestData", [&](TServerContext& ctx) { return FillDataSet(ctx, provider, filter, target, TPage{}); });
}

int EmbeddedServer::RequestDataPacket(const std::string& provider, const TFilter& filter, int skip, int count,
                                      TClientDataSet& target) {
    return Read("RequestDataPacket",
                [&](TServerContext& ctx) { return FillDataSet(ctx, provider, filter, target, TPage{skip, count}); });
}

int EmbeddedServer::FillDataSet(TServerContext& ctx, const std::string& provider, const TFilter& filter,
                                TClientDataSet& target, TPage page) {
    const TDataProvider source = ctx.Catalog.Provider(provider);
    TQuery query =
        BuildSelect(*source.Source, {source.Name, source.Source->Name}, "*", filter, source.OrderBy, ctx.Session.CompanyId);
    if (page.Count > 0) {
        query.Sql += " LIMIT " + std::to_string(page.Count) + " OFFSET " + std::to_string(page.Skip);
    }
    if (page.Skip == 0) {
        target.Close();
        if (target.FieldCount() == 0)
            for (const TColumnInfo& column : source.Source->Columns) target.AddField(column.Name, column.Type);
        target.CreateDataSet();
    }
    std::vector<int> columnOf;
    for (int i = 0; i < target.FieldCount(); ++i) {
        const auto& columns = source.Source->Columns;
        const auto it = std::find_if(columns.begin(), columns.end(), [&](const TColumnInfo& c) {
            return EqualsIgnoreCase(c.Name, target.Fields(i).FieldName());
        });
        columnOf.push_back(it == columns.end() ? -1 : static_cast<int>(it - columns.begin()));
    }
    int appended = 0;
    if (!TCallAuthority(ctx).MayFilter(filter)) return appended;
    db_->Prepared(query.Sql, query.Params, true).ForEachRow(query.Params, [&](const TVariantArray& row) {
        std::vector<Variant> values(columnOf.size());
        for (size_t i = 0; i < columnOf.size(); ++i)
            if (columnOf[i] >= 0)
                values[i] = ReadColumn(row[static_cast<size_t>(columnOf[i])], target.Fields(static_cast<int>(i)).DataType());
        target.AppendLoaded(std::move(values));
        ++appended;
    });
    if (page.Skip == 0) target.First();
    return appended;
}

int EmbeddedServer::ApplyUpdates(const std::vector<TUpdatePacket>& packets, std::string& errorText) {
    int refused = 0;
    bool rightRefused = false;
    Write("ApplyUpdates", [&](TServerContext& ctx) {
        if (!TCallAuthority(ctx).MayApply(packets)) {
            rightRefused = true;
            return -1;
        }
        refused = TChangeApplier(ctx).Apply(packets, errorText);
        return refused == 0 ? 0 : -1;
    });
    if (rightRefused) {
        errorText = lastRefusal_;
        return 1;
    }
    if (refused == 0)
        for (const TUpdatePacket& packet : packets) packet.DataSet->MergeChangeLog();
    return refused;
}

TRequestResult EmbeddedServer::ExecuteStoredProcedure(const std::string& name, const TVariantArray& params) {
    TRequestResult rows;
    Write("ExecuteStoredProcedure", [&](TServerContext& ctx) {
        const TProcedure* procedure = procedures_.Find(TProcedureKind::pkProcedure, name);
        if (procedure == nullptr) throw EQueryRefused("Непозната процедура '" + name + "'");
        if (!TCallAuthority(ctx).MayCall(name, params)) return -1;
        rows = (*procedure)(ctx, params);
        return 0;
    });
    return rows;
}

int EmbeddedServer::ExecuteSQLScript(const std::string& text) {
    return Write("ExecuteSQLScript", [&](TServerContext& ctx) {
        TRequestResult rows;
        if (StartsWithExec(text)) {
            TParsedCall call;
            try {
                call = ParseExec(text);
            } catch (const ECallSyntaxError&) {
                ctx.RefusalKey = "err_UnknownSQLScript";
                return -1;
            }
            const TProcedure* procedure = procedures_.Find(TProcedureKind::pkScript, call.Name);
            if (procedure == nullptr) {
                ctx.RefusalKey = "err_UnknownSQLScript";
                return -1;
            }
            if (!TCallAuthority(ctx).MayCall(call.Name, call.Args)) return -1;
            rows = (*procedure)(ctx, call.Args);
        } else {
            TVariantArray values;
            const TProcedure* operation = scripts_.Match(text, values);
            if (operation == nullptr) {
                ctx.RefusalKey = "err_UnknownSQLScript";
                return -1;
            }
            TCallAuthority authority(ctx);
            if (!authority.MayCall({}, values) || !authority.MayOnForm(0, TFormRight::frEdit)) return -1;
            rows = (*operation)(ctx, values);
        }
        return rows.Empty() ? 0 : static_cast<int>(rows.Value().AsInteger());
    });
}

int EmbeddedServer::GetNextSerieNo(const std::string& series, const std::string& businessGroup, std::string& number) {
    return Write("GetNextSerieNo",
                 [&](TServerContext& ctx) { return NextSerieNo(ctx, series, businessGroup, number); });
}

int EmbeddedServer::PostPurchase(const std::string& id, TVariantArray& keys) {
    return Write("PostPurchase",
                 [&](TServerContext& ctx) {
                     return Posting(ctx, id, [&] { return posting_->PostPurchase(ctx, id, keys); });
                 },
                 true);
}

int EmbeddedServer::PostPurchCrMemo(const std::string& id, TVariantArray& keys, int option) {
    return Write("PostPurchCrMemo",
                 [&](TServerContext& ctx) {
                     return Posting(ctx, id, [&] { return posting_->PostPurchCrMemo(ctx, id, keys, option); });
                 },
                 true);
}

int EmbeddedServer::PostPurchOrder(const std::string& id, TVariantArray& keys, int operation) {
    return Write("PostPurchOrder",
                 [&](TServerContext& ctx) {
                     return Posting(ctx, id, [&] { return posting_->PostPurchOrder(ctx, id, keys, operation); });
                 },
                 true);
}

int EmbeddedServer::PostPurchProtocol(const std::string& id, int crMemo, TVariantArray& keys) {
    return Write("PostPurchProtocol",
                 [&](TServerContext& ctx) {
                     return Posting(ctx, id, [&] { return posting_->PostPurchProtocol(ctx, id, crMemo, keys); });
                 },
                 true);
}

int EmbeddedServer::PostGlobalDoc(const std::string& id, int crMemo, TVariantArray& keys) {
    return Write("PostGlobalDoc",
                 [&](TServerContext& ctx) {
                     return Posting(ctx, id, [&] { return posting_->PostGlobalDoc(ctx, id, crMemo, keys); });
                 },
                 true);
}

int EmbeddedServer::AnnulDocument(const std::string& id, int kind, const std::string& description, TDateTime date,
                                  int flag, Variant& output) {
    return Write("AnnulDocument", [&](TServerContext& ctx) {
        return Annulment(ctx, id, date,
                         [&] { return posting_->AnnulDocument(ctx, id, kind, description, date, flag, output); });
    });
}

int EmbeddedServer::AnnulGlobalDoc(const std::string& id, int crMemo, const std::string& description, TDateTime date,
                                   int annulPayments) {
    return Write("AnnulGlobalDoc", [&](TServerContext& ctx) {
        return Annulment(ctx, id, date,
                         [&] { return posting_->AnnulGlobalDoc(ctx, id, crMemo, description, date, annulPayments); });
    });
}

int EmbeddedServer::AnnulPurchProtocol(const std::string& id, int crMemo, const std::string& description,
                                       TDateTime date) {
    return Write("AnnulPurchProtocol", [&](TServerContext& ctx) {
        return Annulment(ctx, id, date,
                         [&] { return posting_->AnnulPurchProtocol(ctx, id, crMemo, description, date); });
    });
}

int EmbeddedServer::DeleteGlobalDoc(const std::string& id, int crMemo) {
    return Write("DeleteGlobalDoc", [&](TServerContext& ctx) {
        if (!Authorized(ctx, id, TFormRight::frDelete)) return -1;
        return TAuditTrail::Outcome(ctx, TAuditTrail::kDeleted, id, posting_->DeleteGlobalDoc(ctx, id, crMemo));
    });
}

TRequestResult EmbeddedServer::GetContragentParams(const std::string& contragentId) {
    return Read("GetContragentParams", [&](TServerContext& ctx) { return ContragentParams(ctx, contragentId); });
}

TRequestResult EmbeddedServer::GetContragentPurchDue(const std::string& contragentId, const std::string& dateYyyymmdd) {
    return Read("GetContragentPurchDue", [&](TServerContext& ctx) { return ContragentPurchDue(ctx, contragentId, dateYyyymmdd); });
}

TRequestResult EmbeddedServer::GetItemParams(const TVariantArray& request) {
    return Read("GetItemParams", [&](TServerContext& ctx) { return ItemParams(ctx, request); });
}

int EmbeddedServer::GetItemPriceAndDiscount(const TVariantArray& request, TItemParams& params) {
    return Read("GetItemPriceAndDiscount", [&](TServerContext& ctx) { return ItemPriceAndDiscount(ctx, request, params); });
}

double EmbeddedServer::GetCurrencyRate(const std::string& currencyId, TDateTime date, int) {
    return Read("GetCurrencyRate", [&](TServerContext& ctx) { return CurrencyRate(ctx, currencyId, date); });
}

std::string EmbeddedServer::GetMessageText(const std::string& key) {
    return Read("GetMessageText", [&](TServerContext& ctx) {
        return ctx.Db.Select("SELECT Text FROM S_Messages WHERE Id = ?", {key}).Value().AsString();
    }, true);
}

void EmbeddedServer::WriteErrorLog(const std::string& message, const std::string& operation,
                                   const std::string& userId) {
    if (postingTransaction_) {
        heldLog_.push_back({message, operation, userId});
        return;
    }
    OnLiveConnection([&] {
        TDbTransaction transaction(*db_, TTransactionKind::tkWrite);
        db_->Execute("INSERT INTO S_ErrorLog (C_Datetime, User_Id, Operation, Message) VALUES (?, ?, ?, ?)",
                     {TDateTime::Now(), userId, operation, message});
        transaction.Commit();
    });
}

}  // namespace tavrek::server
