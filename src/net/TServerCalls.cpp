#include "net/TServerCalls.h"

#include <functional>
#include <set>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "net/TWireFormat.h"

namespace tavrek::net {
namespace {

using server::EmbeddedServer;
using THandler = std::function<void(EmbeddedServer&, const CallRequest&, CallReply&)>;

const Variant& Arg(const TVariantArray& args, size_t index) {
    static const Variant null;
    return index < args.size() ? args[index] : null;
}

std::string Text(const TVariantArray& args, size_t index) { return Arg(args, index).AsString(); }
int Int(const TVariantArray& args, size_t index) { return static_cast<int>(Arg(args, index).AsInteger()); }
TDateTime Date(const TVariantArray& args, size_t index) { return Arg(args, index).AsDateTime(); }

// Fills a dataset of the client's fields (or of the provider's, when it had none) and sends it back.
void SendData(EmbeddedServer& server, const CallRequest& request, CallReply& reply, bool paged) {
    const TVariantArray args = FromWire(request.args());
    TClientDataSet data(Text(args, 0));
    AddFields(request.fields(), data);
    const TFilter filter = FromWire(request.filter());
    const int skip = paged ? Int(args, 1) : 0;
    if (skip > 0) data.CreateDataSet();
    if (paged) reply.set_result(server.RequestDataPacket(Text(args, 0), filter, skip, Int(args, 2), data));
    else server.RequestData(Text(args, 0), filter, data);
    ToWire(data, 0, request.fields_size() == 0, *reply.mutable_data());
}

void ApplyUpdates(EmbeddedServer& server, const CallRequest& request, CallReply& reply) {
    std::vector<std::unique_ptr<TClientDataSet>> changes;
    std::vector<TUpdatePacket> packets;
    for (const Packet& packet : request.packets()) {
        changes.push_back(ChangesFromWire(packet));
        packets.push_back({packet.provider(), changes.back().get()});
    }
    std::string errorText;
    reply.set_result(server.ApplyUpdates(packets, errorText));
    reply.set_error_text(errorText);
}

template <typename Post>
THandler Posting(Post post) {
    return [post](EmbeddedServer& server, const CallRequest& request, CallReply& reply) {
        const TVariantArray args = FromWire(request.args());
        TVariantArray keys(args.begin() + std::min<std::ptrdiff_t>(2, static_cast<std::ptrdiff_t>(args.size())), args.end());
        reply.set_result(post(server, Text(args, 0), Int(args, 1), keys));
        ToWire(keys, *reply.mutable_outputs());
    };
}

template <typename Call>
THandler Rows(Call call) {
    return [call](EmbeddedServer& server, const CallRequest& request, CallReply& reply) {
        ToWire(call(server, FromWire(request.args())), *reply.mutable_rows());
    };
}

template <typename Call>
THandler Result(Call call) {
    return [call](EmbeddedServer& server, const CallRequest& request, CallReply& reply) {
        reply.set_result(call(server, FromWire(request.args())));
    };
}

const std::unordered_map<std::string_view, THandler>& Handlers() {
    using A = const TVariantArray&;
    static const std::unordered_map<std::string_view, THandler> handlers = {
        {"RequestValue",
         [](EmbeddedServer& s, const CallRequest& request, CallReply& reply) {
             const TVariantArray args = FromWire(request.args());
             TRequestResult rows;
             reply.set_result(s.RequestValue(Int(args, 0), Text(args, 1), Text(args, 2), FromWire(request.filter()),
                                             rows, Arg(args, 3).AsBoolean()));
             ToWire(rows, *reply.mutable_rows());
         }},
        {"RequestData", [](EmbeddedServer& s, const CallRequest& r, CallReply& reply) { SendData(s, r, reply, false); }},
        {"RequestDataPacket", [](EmbeddedServer& s, const CallRequest& r, CallReply& reply) { SendData(s, r, reply, true); }},
        {"ApplyUpdates", ApplyUpdates},
        {"ExecuteStoredProcedure",
         [](EmbeddedServer& s, const CallRequest& request, CallReply& reply) {
             const TVariantArray args = FromWire(request.args());
             ToWire(s.ExecuteStoredProcedure(Text(args, 0), TVariantArray(args.begin() + 1, args.end())),
                    *reply.mutable_rows());
         }},
        {"ExecuteSQLScript", Result([](EmbeddedServer& s, A a) { return s.ExecuteSQLScript(Text(a, 0)); })},
        {"GetNextSerieNo",
         [](EmbeddedServer& s, const CallRequest& request, CallReply& reply) {
             const TVariantArray args = FromWire(request.args());
             std::string number = Text(args, 2);
             reply.set_result(s.GetNextSerieNo(Text(args, 0), Text(args, 1), number));
             ToWire(Variant(number), *reply.add_outputs());
         }},
        {"BeginPosting", Result([](EmbeddedServer& s, A) { return s.BeginPosting() ? 1 : 0; })},
        {"EndPosting", Result([](EmbeddedServer& s, A) { return s.EndPosting() ? 1 : 0; })},
        {"PostPurchase", Posting([](EmbeddedServer& s, const std::string& id, int, TVariantArray& keys) {
             return s.PostPurchase(id, keys);
         })},
        {"PostPurchCrMemo", Posting([](EmbeddedServer& s, const std::string& id, int option, TVariantArray& keys) {
             return s.PostPurchCrMemo(id, keys, option);
         })},
        {"PostPurchOrder", Posting([](EmbeddedServer& s, const std::string& id, int operation, TVariantArray& keys) {
             return s.PostPurchOrder(id, keys, operation);
         })},
        {"PostPurchProtocol", Posting([](EmbeddedServer& s, const std::string& id, int crMemo, TVariantArray& keys) {
             return s.PostPurchProtocol(id, crMemo, keys);
         })},
        {"PostGlobalDoc", Posting([](EmbeddedServer& s, const std::string& id, int crMemo, TVariantArray& keys) {
             return s.PostGlobalDoc(id, crMemo, keys);
         })},
        {"AnnulDocument",
         [](EmbeddedServer& s, const CallRequest& request, CallReply& reply) {
             const TVariantArray args = FromWire(request.args());
             Variant output = Arg(args, 5);
             reply.set_result(s.AnnulDocument(Text(args, 0), Int(args, 1), Text(args, 2), Date(args, 3), Int(args, 4), output));
             ToWire(output, *reply.add_outputs());
         }},
        {"AnnulGlobalDoc", Result([](EmbeddedServer& s, A a) {
             return s.AnnulGlobalDoc(Text(a, 0), Int(a, 1), Text(a, 2), Date(a, 3), Int(a, 4));
         })},
        {"AnnulPurchProtocol",
         Result([](EmbeddedServer& s, A a) { return s.AnnulPurchProtocol(Text(a, 0), Int(a, 1), Text(a, 2), Date(a, 3)); })},
        {"DeleteGlobalDoc", Result([](EmbeddedServer& s, A a) { return s.DeleteGlobalDoc(Text(a, 0), Int(a, 1)); })},
        {"GetContragentParams", Rows([](EmbeddedServer& s, A a) { return s.GetContragentParams(Text(a, 0)); })},
        {"GetContragentPurchDue",
         Rows([](EmbeddedServer& s, A a) { return s.GetContragentPurchDue(Text(a, 0), Text(a, 1)); })},
        {"GetItemParams", Rows([](EmbeddedServer& s, A a) { return s.GetItemParams(a); })},
        {"GetItemPriceAndDiscount",
         [](EmbeddedServer& s, const CallRequest& request, CallReply& reply) {
             TItemParams params;
             reply.set_result(s.GetItemPriceAndDiscount(FromWire(request.args()), params));
             ToWire({params.Price, params.Discount, params.AllowInvoiceDisc, params.Currency_Id, params.Measure_Id},
                    *reply.mutable_outputs());
         }},
        {"GetCurrencyRate",
         [](EmbeddedServer& s, const CallRequest& request, CallReply& reply) {
             const TVariantArray args = FromWire(request.args());
             reply.set_real_result(s.GetCurrencyRate(Text(args, 0), Date(args, 1), Int(args, 2)));
         }},
        {"GetMessageText",
         [](EmbeddedServer& s, const CallRequest& request, CallReply& reply) {
             ToWire(Variant(s.GetMessageText(Text(FromWire(request.args()), 0))), *reply.add_outputs());
         }},
        // The entry is the session's user's, whoever the client names.
        {"WriteErrorLog",
         [](EmbeddedServer& s, const CallRequest& request, CallReply&) {
             const TVariantArray args = FromWire(request.args());
             s.WriteErrorLog(Text(args, 0), Text(args, 1), s.Session().UserId);
         }},
    };
    return handlers;
}

}  // namespace

void RunServerCall(EmbeddedServer& server, const CallRequest& request, CallReply& reply) {
    const auto it = Handlers().find(request.method());
    if (it == Handlers().end()) throw std::invalid_argument("Непознат метод на сървъра '" + request.method() + "'");
    it->second(server, request, reply);
}

bool IsReadOnlyCall(const CallRequest& request) {
    static const std::set<std::string_view> reads = {"RequestData",         "RequestDataPacket", "GetContragentParams",
                                                     "GetContragentPurchDue", "GetItemParams",    "GetItemPriceAndDiscount",
                                                     "GetCurrencyRate",     "GetMessageText",    "ScenarioSelect"};
    if (request.method() == "RequestValue")
        return request.args_size() > 0 && request.args(0).kind_case() == Value::kInteger && request.args(0).integer() == 0;
    return reads.contains(request.method());
}

}  // namespace tavrek::net
