#include "net/TRemoteServer.h"

#include <grpcpp/grpcpp.h>

#include <cstdlib>
#include <exception>
#include <fstream>
#include <map>
#include <sstream>

#include "base/data/TClientDataSet.h"
#include "net/TNetAddress.h"
#include "net/TServerCalls.h"
#include "net/TWireFormat.h"
#include "net/tavrek.grpc.pb.h"
#include "server/EmbeddedServer.h"
#include "server/TQueryBuilder.h"

namespace tavrek::net {
namespace {

// What the user reads when the server cannot be asked for its own words.
const std::map<std::string, std::string>& FallbackTexts() {
    static const std::map<std::string, std::string> texts = {
        {server::EConnectionLost::kMessageKey,
         "Връзката със сървъра е прекъсната. Последното действие не е записано; опитайте отново, когато сървърът е "
         "достъпен."},
        {ECallOutcomeUnknown::kMessageKey,
         "Връзката със сървъра на приложението прекъсна, докато действието се записваше. Не е известно дали е "
         "записано: проверете документа, преди да го повторите."},
        {EServerBusy::kMessageKey, "Сървърът на приложението е зает. Нищо не е записано; опитайте отново след малко."},
    };
    return texts;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("Файлът " + path + " не може да бъде прочетен");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::shared_ptr<grpc::ChannelCredentials> CredentialsFor(const TNetAddress& address) {
    const char* authority = std::getenv("TAVREK_SERVER_CA");
    if ((authority == nullptr || *authority == '\0') && address.IsLoopback()) return grpc::InsecureChannelCredentials();
    grpc::SslCredentialsOptions options;
    if (authority != nullptr && *authority != '\0') options.pem_root_certs = ReadFile(authority);
    return grpc::SslCredentials(options);
}

template <typename... Values>
void AddArgs(CallRequest& request, const Values&... values) {
    (ToWire(Variant(values), *request.add_args()), ...);
}

Variant Output(const CallReply& reply, int index) {
    return index < reply.outputs_size() ? FromWire(reply.outputs(index)) : Variant();
}

}  // namespace

struct TRemoteServer::TChannel {
    std::shared_ptr<grpc::Channel> Channel;
    std::unique_ptr<AppServer::Stub> Stub;
    std::string Token, Login;
    std::map<std::string, std::string> Texts = FallbackTexts();
    std::function<bool()> Renewal;
    bool Renewing = false;

    void Prepare(grpc::ClientContext& context) const {
        context.AddMetadata(kTokenHeader, Token);
        context.AddMetadata(kLoginHeader, Login);
        // A posting of many thousand lines takes seconds; a server that stopped answering is given up on.
        context.set_deadline(std::chrono::system_clock::now() + std::chrono::minutes(10));
    }

    [[noreturn]] void Throw(const grpc::Status& status, bool readOnly) const {
        const std::string& kind = status.error_details();
        const std::string& text = status.error_message();
        if (kind == kErrorConnectionLost) throw server::EConnectionLost(text);
        if (kind == kErrorRefused) throw server::EQueryRefused(text);
        if (kind == kErrorSession) throw ESessionRefused(text);
        if (kind == kErrorBusy) throw EServerBusy(text);
        if (kind == kErrorFailure) throw std::runtime_error(text);
        // The service is gone: a change that was on its way may have been committed.
        if (!readOnly) throw ECallOutcomeUnknown(Texts.at(ECallOutcomeUnknown::kMessageKey));
        throw Lost();
    }

    server::EConnectionLost Lost() const { return server::EConnectionLost(Texts.at(server::EConnectionLost::kMessageKey)); }

    // Whether the channel has an open connection, one being opened (a first call, or the first
    // after the channel idled) waited for.
    bool Connected() const {
        const auto deadline = std::chrono::system_clock::now() + std::chrono::seconds(20);
        grpc_connectivity_state state = Channel->GetState(true);
        while (state == GRPC_CHANNEL_IDLE || state == GRPC_CHANNEL_CONNECTING) {
            if (!Channel->WaitForStateChange(state, deadline)) return false;
            state = Channel->GetState(true);
        }
        return state == GRPC_CHANNEL_READY;
    }

    CallReply CallOnce(const CallRequest& request) const {
        // Nothing is sent without a connection, so nothing can have been written; over one, a
        // change that gets no answer may have been committed.
        if (!Connected()) throw Lost();
        grpc::ClientContext context;
        Prepare(context);
        CallReply reply;
        const grpc::Status status = Stub->Call(&context, request, &reply);
        if (!status.ok()) Throw(status, IsReadOnlyCall(request));
        return reply;
    }

    // The server runs nothing for a refused session, so the call is repeated once signed in again.
    CallReply Call(const CallRequest& request) {
        std::exception_ptr refused;
        try {
            return CallOnce(request);
        } catch (const ESessionRefused&) {
            if (Token.empty() || !Renewal || Renewing) throw;
            refused = std::current_exception();
        }
        const bool renewed = [this] {
            Renewing = true;
            struct TDone {
                bool& Flag;
                ~TDone() { Flag = false; }
            } done{Renewing};
            return Renewal();
        }();
        if (!renewed) std::rethrow_exception(refused);
        return CallOnce(request);
    }
};

TRemoteServer::TRemoteServer(const std::string& address) : channel_(std::make_unique<TChannel>()) {
    const std::optional<TNetAddress> parsed = TNetAddress::Parse(address);
    if (!parsed) throw std::invalid_argument("Адресът на сървъра трябва да е ХОСТ:ПОРТ, не '" + address + "'");
    grpc::ChannelArguments args;
    args.SetMaxReceiveMessageSize(-1);
    args.SetMaxSendMessageSize(-1);
    // A restarted server is found again within a second, not after gRPC's minutes of backoff.
    // (The minimum backoff is left alone: it is also how long a connection may take to open.)
    args.SetInt(GRPC_ARG_INITIAL_RECONNECT_BACKOFF_MS, 100);
    args.SetInt(GRPC_ARG_MAX_RECONNECT_BACKOFF_MS, 1000);
    if (const char* name = std::getenv("TAVREK_SERVER_NAME"); name != nullptr && *name != '\0')
        args.SetSslTargetNameOverride(name);
    channel_->Channel = grpc::CreateCustomChannel(parsed->ToString(), CredentialsFor(*parsed), args);
    channel_->Stub = AppServer::NewStub(channel_->Channel);
}

TRemoteServer::~TRemoteServer() = default;

const std::string& TRemoteServer::Token() const { return channel_->Token; }

void TRemoteServer::UseToken(const std::string& token, const std::string& login) {
    channel_->Token = token;
    channel_->Login = login;
}

void TRemoteServer::SetSessionRenewal(std::function<bool()> renewal) { channel_->Renewal = std::move(renewal); }

int TRemoteServer::Login(const std::string& companyId, const std::string& login, const std::string& password,
                         TSignedInUser& user) {
    LoginRequest request;
    request.set_company_id(companyId);
    request.set_login(login);
    request.set_password(password);
    grpc::ClientContext context;
    channel_->Prepare(context);
    LoginReply reply;
    const grpc::Status status = channel_->Stub->Login(&context, request, &reply);
    if (!status.ok()) channel_->Throw(status, true);
    if (reply.result() != 0) {
        lastRefusal_ = reply.refusal();
        return reply.result();
    }
    UseToken(reply.token(), reply.login());
    user = TSignedInUser{reply.company_id(), reply.business_group_id(), reply.user_id(), reply.login(),
                         FromWire(reply.rights())};
    // Read while the server is there: when it is gone, these are what the user reads.
    for (auto& [key, text] : channel_->Texts)
        if (std::string own = GetMessageText(key); !own.empty()) text = own;
    return 0;
}

void TRemoteServer::Logout() {
    grpc::ClientContext context;
    channel_->Prepare(context);
    LogoutReply reply;
    const grpc::Status status = channel_->Stub->Logout(&context, LogoutRequest(), &reply);
    if (!status.ok()) channel_->Throw(status, true);
    channel_->Token.clear();
}

TRequestResult TRemoteServer::ScenarioSelect(const std::string& sql, const TVariantArray& values) {
    CallRequest request;
    request.set_method("ScenarioSelect");
    AddArgs(request, sql);
    ToWire(values, *request.mutable_args());
    return FromWire(channel_->Call(request).rows());
}

int TRemoteServer::ScenarioExecute(const std::string& sql, const TVariantArray& values) {
    CallRequest request;
    request.set_method("ScenarioExecute");
    AddArgs(request, sql);
    ToWire(values, *request.mutable_args());
    return static_cast<int>(channel_->Call(request).result());
}

int TRemoteServer::RequestValue(int mode, const std::string& source, const std::string& fields, const TFilter& filter,
                                TRequestResult& result, bool allRows) {
    CallRequest request;
    request.set_method("RequestValue");
    AddArgs(request, mode, source, fields, allRows);
    ToWire(filter, *request.mutable_filter());
    const CallReply reply = channel_->Call(request);
    if (!reply.refusal().empty()) lastRefusal_ = reply.refusal();
    result = FromWire(reply.rows());
    return static_cast<int>(reply.result());
}

void TRemoteServer::RequestData(const std::string& provider, const TFilter& filter, TClientDataSet& target) {
    CallRequest request;
    request.set_method("RequestData");
    AddArgs(request, provider);
    ToWire(filter, *request.mutable_filter());
    ToWire(target.FieldDefs(), *request.mutable_fields());
    const CallReply reply = channel_->Call(request);
    FromWire(reply.data(), true, target);
}

int TRemoteServer::RequestDataPacket(const std::string& provider, const TFilter& filter, int skip, int count,
                                     TClientDataSet& target) {
    CallRequest request;
    request.set_method("RequestDataPacket");
    AddArgs(request, provider, skip, count);
    ToWire(filter, *request.mutable_filter());
    ToWire(target.FieldDefs(), *request.mutable_fields());
    const CallReply reply = channel_->Call(request);
    FromWire(reply.data(), skip == 0, target);
    return static_cast<int>(reply.result());
}

int TRemoteServer::ApplyUpdates(const std::vector<TUpdatePacket>& packets, std::string& errorText) {
    CallRequest request;
    request.set_method("ApplyUpdates");
    for (const TUpdatePacket& packet : packets) ToWire(packet, *request.add_packets());
    const CallReply reply = channel_->Call(request);
    if (!reply.refusal().empty()) lastRefusal_ = reply.refusal();
    errorText = reply.error_text();
    if (reply.result() == 0)
        for (const TUpdatePacket& packet : packets) packet.DataSet->MergeChangeLog();
    return static_cast<int>(reply.result());
}

TRequestResult TRemoteServer::ExecuteStoredProcedure(const std::string& name, const TVariantArray& params) {
    CallRequest request;
    request.set_method("ExecuteStoredProcedure");
    AddArgs(request, name);
    ToWire(params, *request.mutable_args());
    const CallReply reply = channel_->Call(request);
    if (!reply.refusal().empty()) lastRefusal_ = reply.refusal();
    return FromWire(reply.rows());
}

int TRemoteServer::ExecuteSQLScript(const std::string& text) {
    CallRequest request;
    request.set_method("ExecuteSQLScript");
    AddArgs(request, text);
    const CallReply reply = channel_->Call(request);
    if (!reply.refusal().empty()) lastRefusal_ = reply.refusal();
    return static_cast<int>(reply.result());
}

int TRemoteServer::GetNextSerieNo(const std::string& series, const std::string& businessGroup, std::string& number) {
    CallRequest request;
    request.set_method("GetNextSerieNo");
    AddArgs(request, series, businessGroup, number);
    const CallReply reply = channel_->Call(request);
    if (!reply.refusal().empty()) lastRefusal_ = reply.refusal();
    number = Output(reply, 0).AsString();
    return static_cast<int>(reply.result());
}

bool TRemoteServer::BeginPosting() {
    CallRequest request;
    request.set_method("BeginPosting");
    return channel_->Call(request).result() == 1;
}

// When the connection broke inside the posting, the server rolled it back (or will, when it
// gives up waiting): the form keeps its changes unsaved either way.
bool TRemoteServer::EndPosting() {
    CallRequest request;
    request.set_method("EndPosting");
    try {
        return channel_->Call(request).result() == 1;
    } catch (const server::EConnectionLost&) {
        return true;
    } catch (const ECallOutcomeUnknown&) {
        return true;
    }
}

int TRemoteServer::Posting(const char* method, const std::string& id, int option, TVariantArray& keys) {
    CallRequest request;
    request.set_method(method);
    AddArgs(request, id, option);
    ToWire(keys, *request.mutable_args());
    const CallReply reply = channel_->Call(request);
    if (!reply.refusal().empty()) lastRefusal_ = reply.refusal();
    keys = FromWire(reply.outputs());
    return static_cast<int>(reply.result());
}

int TRemoteServer::PostPurchase(const std::string& id, TVariantArray& keys) { return Posting("PostPurchase", id, 0, keys); }

int TRemoteServer::PostPurchCrMemo(const std::string& id, TVariantArray& keys, int option) {
    return Posting("PostPurchCrMemo", id, option, keys);
}

int TRemoteServer::PostPurchOrder(const std::string& id, TVariantArray& keys, int operation) {
    return Posting("PostPurchOrder", id, operation, keys);
}

int TRemoteServer::PostPurchProtocol(const std::string& id, int crMemo, TVariantArray& keys) {
    return Posting("PostPurchProtocol", id, crMemo, keys);
}

int TRemoteServer::PostGlobalDoc(const std::string& id, int crMemo, TVariantArray& keys) {
    return Posting("PostGlobalDoc", id, crMemo, keys);
}

int TRemoteServer::AnnulDocument(const std::string& id, int kind, const std::string& description, TDateTime date,
                                 int flag, Variant& output) {
    CallRequest request;
    request.set_method("AnnulDocument");
    AddArgs(request, id, kind, description, date, flag, output);
    const CallReply reply = channel_->Call(request);
    if (!reply.refusal().empty()) lastRefusal_ = reply.refusal();
    output = Output(reply, 0);
    return static_cast<int>(reply.result());
}

int TRemoteServer::AnnulGlobalDoc(const std::string& id, int crMemo, const std::string& description, TDateTime date,
                                  int annulPayments) {
    CallRequest request;
    request.set_method("AnnulGlobalDoc");
    AddArgs(request, id, crMemo, description, date, annulPayments);
    const CallReply reply = channel_->Call(request);
    if (!reply.refusal().empty()) lastRefusal_ = reply.refusal();
    return static_cast<int>(reply.result());
}

int TRemoteServer::AnnulPurchProtocol(const std::string& id, int crMemo, const std::string& description,
                                      TDateTime date) {
    CallRequest request;
    request.set_method("AnnulPurchProtocol");
    AddArgs(request, id, crMemo, description, date);
    const CallReply reply = channel_->Call(request);
    if (!reply.refusal().empty()) lastRefusal_ = reply.refusal();
    return static_cast<int>(reply.result());
}

int TRemoteServer::DeleteGlobalDoc(const std::string& id, int crMemo) {
    CallRequest request;
    request.set_method("DeleteGlobalDoc");
    AddArgs(request, id, crMemo);
    const CallReply reply = channel_->Call(request);
    if (!reply.refusal().empty()) lastRefusal_ = reply.refusal();
    return static_cast<int>(reply.result());
}

TRequestResult TRemoteServer::GetContragentParams(const std::string& contragentId) {
    CallRequest request;
    request.set_method("GetContragentParams");
    AddArgs(request, contragentId);
    return FromWire(channel_->Call(request).rows());
}

TRequestResult TRemoteServer::GetContragentPurchDue(const std::string& contragentId, const std::string& dateYyyymmdd) {
    CallRequest request;
    request.set_method("GetContragentPurchDue");
    AddArgs(request, contragentId, dateYyyymmdd);
    return FromWire(channel_->Call(request).rows());
}

TRequestResult TRemoteServer::GetItemParams(const TVariantArray& values) {
    CallRequest request;
    request.set_method("GetItemParams");
    ToWire(values, *request.mutable_args());
    return FromWire(channel_->Call(request).rows());
}

int TRemoteServer::GetItemPriceAndDiscount(const TVariantArray& values, TItemParams& params) {
    CallRequest request;
    request.set_method("GetItemPriceAndDiscount");
    ToWire(values, *request.mutable_args());
    const CallReply reply = channel_->Call(request);
    params.Price = Output(reply, 0).AsFloat();
    params.Discount = Output(reply, 1).AsFloat();
    params.AllowInvoiceDisc = Output(reply, 2).AsBoolean();
    params.Currency_Id = Output(reply, 3).AsString();
    params.Measure_Id = Output(reply, 4).AsString();
    return static_cast<int>(reply.result());
}

double TRemoteServer::GetCurrencyRate(const std::string& currencyId, TDateTime date, int kind) {
    CallRequest request;
    request.set_method("GetCurrencyRate");
    AddArgs(request, currencyId, date, kind);
    return channel_->Call(request).real_result();
}

std::string TRemoteServer::GetMessageText(const std::string& key) {
    CallRequest request;
    request.set_method("GetMessageText");
    AddArgs(request, key);
    return Output(channel_->Call(request), 0).AsString();
}

void TRemoteServer::WriteErrorLog(const std::string& message, const std::string& operation, const std::string& userId) {
    CallRequest request;
    request.set_method("WriteErrorLog");
    AddArgs(request, message, operation, userId);
    // Written on the way of a failure, which may be the session's own: nobody is asked to sign in for it.
    channel_->CallOnce(request);
}

}  // namespace tavrek::net
