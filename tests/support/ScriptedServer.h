#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/server/IAppServer.h"

namespace tavrek::testing {

// A filter as the calls record it: "Table.Field=value AND ...".
Variant FilterText(const TFilter& filter);

// One call the code under test made, with its arguments in call order.
struct TServerCall {
    std::string Method;
    std::string Key;  // source, provider, procedure, id ...: what answers are matched by
    TVariantArray Args;
};

// What a scripted call gives back; each method reads the members it needs.
struct TScriptedAnswer {
    int Result = 0;
    TRequestResult Rows{};
    TVariantArray Keys{};
    TItemParams Price{};
    double Number = 0.0;
    std::string Text{};
    Variant Output{};
    // RequestData: fills the target dataset (its fields already defined by the caller).
    std::function<void(const TFilter&, TClientDataSet&)> Fill{};
};

// An IAppServer that answers only what a test scripted and records every call, so a test
// can assert the exact sequence. An unscripted call fails the test and throws.
// Answers are matched by method and key (an empty key matches any) and consumed in order,
// unless scripted as repeating.
class ScriptedServer : public IAppServer {
public:
    ScriptedServer() = default;

    void Script(const std::string& method, const std::string& key, TScriptedAnswer answer, bool repeat = false);
    // The answer to every call of method and key that nothing scripted answers: what a fixture
    // gives for a lookup each form makes, without shadowing a test's own answers.
    void Otherwise(const std::string& method, const std::string& key, TScriptedAnswer answer);

    // Shortcuts for the common answers.
    void OnRequestValue(const std::string& source, TRequestResult rows, bool repeat = false);
    void OnStoredProcedure(const std::string& name, TRequestResult rows, bool repeat = false);
    void OnSQLScript(const std::string& text, int result = 0);
    void OnPost(const std::string& method, int result, TVariantArray keys = {});
    void OnPrice(int result, TItemParams params = {}, bool repeat = false);
    void OnCurrencyRate(const std::string& currency, double rate, bool repeat = true);
    void SetMessage(const std::string& key, const std::string& text) { messages_[key] = text; }

    const std::vector<TServerCall>& Calls() const { return calls_; }
    std::vector<std::string> Methods() const;
    std::vector<TServerCall> CallsTo(const std::string& method) const;
    void ClearCalls() { calls_.clear(); }
    // Sees the change logs of each ApplyUpdates call before it is answered.
    std::function<void(const std::vector<TUpdatePacket>&)> OnApply;

    int RequestValue(int mode, const std::string& source, const std::string& fields, const TFilter& filter,
                     TRequestResult& result, bool allRows = false) override;
    void RequestData(const std::string& provider, const TFilter& filter, TClientDataSet& target) override;
    int ApplyUpdates(const std::vector<TUpdatePacket>& packets, std::string& errorText) override;
    TRequestResult ExecuteStoredProcedure(const std::string& name, const TVariantArray& params) override;
    int ExecuteSQLScript(const std::string& text) override;
    int GetNextSerieNo(const std::string& series, const std::string& businessGroup, std::string& number) override;
    int PostPurchase(const std::string& id, TVariantArray& keys) override;
    int PostPurchCrMemo(const std::string& id, TVariantArray& keys, int option) override;
    int PostPurchOrder(const std::string& id, TVariantArray& keys, int operation) override;
    int PostPurchProtocol(const std::string& id, int crMemo, TVariantArray& keys) override;
    int PostGlobalDoc(const std::string& id, int crMemo, TVariantArray& keys) override;
    // A refused AnnulDocument (negative Result) leaves its answer's Text as the refusal's.
    std::string LastRefusalText() override { return lastRefusal_; }
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
    // The session keeps the log the tests read.
    void WriteErrorLog(const std::string&, const std::string&, const std::string&) override {}

private:
    struct TScripted {
        TScriptedAnswer Answer;
        bool Repeat;
    };
    TScriptedAnswer Answer(const std::string& method, const std::string& key, TVariantArray args);
    int Post(const std::string& method, const std::string& id, TVariantArray args, TVariantArray& keys);

    std::map<std::pair<std::string, std::string>, std::deque<TScripted>> answers_;
    std::map<std::pair<std::string, std::string>, TScriptedAnswer> otherwise_;
    std::vector<TServerCall> calls_;
    std::map<std::string, std::string> messages_;
    std::string lastRefusal_;
};

// Builds a TRequestResult in one expression: Rows({"Result", "ErrMsg"}, {{0, ""}}).
TRequestResult Rows(std::vector<std::string> columns, std::vector<TVariantArray> rows);

}  // namespace tavrek::testing
