#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "base/data/TClientDataSet.h"

namespace tavrek::testing {
Variant FilterText(const TFilter& filter) {
    std::string text;
    for (const TFilterCondition& c : filter.Conditions()) {
        if (!text.empty()) text += ' ';
        text += std::string(static_cast<size_t>(c.Open), '(') + c.Field + std::string(TFilter::OpText(c.Op)) +
                c.Value.DebugString() + std::string(static_cast<size_t>(c.Close), ')');
        if (c.Connector != TFilterConnector::fcNone) text += ' ' + std::string(TFilter::ConnectorText(c.Connector));
    }
    return Variant(text);
}

TRequestResult Rows(std::vector<std::string> columns, std::vector<TVariantArray> rows) {
    return TRequestResult{std::move(columns), std::move(rows)};
}

void ScriptedServer::Script(const std::string& method, const std::string& key, TScriptedAnswer answer, bool repeat) {
    answers_[{method, key}].push_back({std::move(answer), repeat});
}

void ScriptedServer::OnRequestValue(const std::string& source, TRequestResult rows, bool repeat) {
    Script("RequestValue", source, {.Rows = std::move(rows)}, repeat);
}

void ScriptedServer::OnStoredProcedure(const std::string& name, TRequestResult rows, bool repeat) {
    Script("ExecuteStoredProcedure", name, {.Rows = std::move(rows)}, repeat);
}

void ScriptedServer::OnSQLScript(const std::string& text, int result) { Script("ExecuteSQLScript", text, {.Result = result}); }

void ScriptedServer::OnPost(const std::string& method, int result, TVariantArray keys) {
    Script(method, "", {.Result = result, .Keys = std::move(keys)});
}

void ScriptedServer::OnPrice(int result, TItemParams params, bool repeat) {
    Script("GetItemPriceAndDiscount", "", {.Result = result, .Price = std::move(params)}, repeat);
}

void ScriptedServer::OnCurrencyRate(const std::string& currency, double rate, bool repeat) {
    Script("GetCurrencyRate", currency, {.Number = rate}, repeat);
}

std::vector<std::string> ScriptedServer::Methods() const {
    std::vector<std::string> methods;
    for (const TServerCall& call : calls_) methods.push_back(call.Method);
    return methods;
}

std::vector<TServerCall> ScriptedServer::CallsTo(const std::string& method) const {
    std::vector<TServerCall> out;
    for (const TServerCall& call : calls_)
        if (call.Method == method) out.push_back(call);
    return out;
}

void ScriptedServer::Otherwise(const std::string& method, const std::string& key, TScriptedAnswer answer) {
    otherwise_[{method, key}] = std::move(answer);
}

TScriptedAnswer ScriptedServer::Answer(const std::string& method, const std::string& key, TVariantArray args) {
    calls_.push_back({method, key, std::move(args)});
    for (const std::string& k : {key, std::string()}) {
        auto it = answers_.find({method, k});
        if (it == answers_.end() || it->second.empty()) continue;
        TScripted scripted = it->second.front();
        if (!scripted.Repeat) it->second.pop_front();
        return scripted.Answer;
    }
    if (auto fallback = otherwise_.find({method, key}); fallback != otherwise_.end()) return fallback->second;
    ADD_FAILURE() << "Unscripted server call: " << method << " '" << key << "'";
    throw std::runtime_error("Unscripted server call: " + method + " '" + key + "'");
}

int ScriptedServer::RequestValue(int mode, const std::string& source, const std::string& fields, const TFilter& filter,
                                 TRequestResult& result, bool allRows) {
    TScriptedAnswer answer = Answer("RequestValue", source, {mode, source, fields, FilterText(filter), allRows});
    result = answer.Rows;
    if (!allRows && result.Rows.size() > 1) result.Rows.resize(1);
    // A negative Result scripts a refused statement.
    return answer.Result < 0 ? answer.Result : static_cast<int>(answer.Rows.Rows.size());
}

void ScriptedServer::RequestData(const std::string& provider, const TFilter& filter, TClientDataSet& target) {
    TScriptedAnswer answer = Answer("RequestData", provider, {provider, FilterText(filter)});
    if (answer.Fill) answer.Fill(filter, target);
}

int ScriptedServer::ApplyUpdates(const std::vector<TUpdatePacket>& packets, std::string& errorText) {
    TVariantArray args;
    for (const TUpdatePacket& packet : packets) {
        args.emplace_back(packet.Provider);
        args.emplace_back(static_cast<int64_t>(packet.DataSet->ChangeCount()));
    }
    if (OnApply) OnApply(packets);
    TScriptedAnswer answer = Answer("ApplyUpdates", packets.empty() ? "" : packets.front().Provider, std::move(args));
    errorText = answer.Text;
    return answer.Result;
}

TRequestResult ScriptedServer::ExecuteStoredProcedure(const std::string& name, const TVariantArray& params) {
    return Answer("ExecuteStoredProcedure", name, params).Rows;
}

int ScriptedServer::ExecuteSQLScript(const std::string& text) {
    return Answer("ExecuteSQLScript", text, {text}).Result;
}

int ScriptedServer::GetNextSerieNo(const std::string& series, const std::string& businessGroup, std::string& number) {
    TScriptedAnswer answer = Answer("GetNextSerieNo", series, {series, businessGroup});
    number = answer.Text;
    return answer.Result;
}

int ScriptedServer::Post(const std::string& method, const std::string& id, TVariantArray args, TVariantArray& keys) {
    TScriptedAnswer answer = Answer(method, id, std::move(args));
    keys = answer.Keys;
    return answer.Result;
}

int ScriptedServer::PostPurchase(const std::string& id, TVariantArray& keys) {
    return Post("PostPurchase", id, {id}, keys);
}

int ScriptedServer::PostPurchCrMemo(const std::string& id, TVariantArray& keys, int option) {
    return Post("PostPurchCrMemo", id, {id, option}, keys);
}

int ScriptedServer::PostPurchOrder(const std::string& id, TVariantArray& keys, int operation) {
    return Post("PostPurchOrder", id, {id, operation}, keys);
}

int ScriptedServer::PostPurchProtocol(const std::string& id, int crMemo, TVariantArray& keys) {
    return Post("PostPurchProtocol", id, {id, crMemo}, keys);
}

int ScriptedServer::PostGlobalDoc(const std::string& id, int crMemo, TVariantArray& keys) {
    return Post("PostGlobalDoc", id, {id, crMemo}, keys);
}

int ScriptedServer::AnnulDocument(const std::string& id, int kind, const std::string& description, TDateTime date,
                                  int flag, Variant& output) {
    TScriptedAnswer answer = Answer("AnnulDocument", id, {id, kind, description, date, flag});
    output = answer.Output;
    if (answer.Result < 0) lastRefusal_ = answer.Text;
    return answer.Result;
}

int ScriptedServer::AnnulGlobalDoc(const std::string& id, int crMemo, const std::string& description, TDateTime date,
                                   int annulPayments) {
    return Answer("AnnulGlobalDoc", id, {id, crMemo, description, date, annulPayments}).Result;
}

int ScriptedServer::AnnulPurchProtocol(const std::string& id, int crMemo, const std::string& description,
                                       TDateTime date) {
    return Answer("AnnulPurchProtocol", id, {id, crMemo, description, date}).Result;
}

int ScriptedServer::DeleteGlobalDoc(const std::string& id, int crMemo) {
    return Answer("DeleteGlobalDoc", id, {id, crMemo}).Result;
}

TRequestResult ScriptedServer::GetContragentParams(const std::string& contragentId) {
    return Answer("GetContragentParams", contragentId, {contragentId}).Rows;
}

TRequestResult ScriptedServer::GetContragentPurchDue(const std::string& contragentId, const std::string& dateYyyymmdd) {
    return Answer("GetContragentPurchDue", contragentId, {contragentId, dateYyyymmdd}).Rows;
}

TRequestResult ScriptedServer::GetItemParams(const TVariantArray& request) {
    return Answer("GetItemParams", "", request).Rows;
}

int ScriptedServer::GetItemPriceAndDiscount(const TVariantArray& request, TItemParams& params) {
    TScriptedAnswer answer = Answer("GetItemPriceAndDiscount", "", request);
    params = answer.Price;
    return answer.Result;
}

double ScriptedServer::GetCurrencyRate(const std::string& currencyId, TDateTime date, int kind) {
    return Answer("GetCurrencyRate", currencyId, {currencyId, date, kind}).Number;
}

std::string ScriptedServer::GetMessageText(const std::string& key) {
    const auto it = messages_.find(key);
    return it == messages_.end() ? std::string() : it->second;
}

}  // namespace tavrek::testing
