#pragma once

#include <memory>
#include <string>
#include <vector>

#include "documents/uEdPurchase.h"
#include "editors/uEdPurchCrMemo.h"
#include "editors/uEdPurchOffer.h"
#include "editors/uEdPurchOrder.h"
#include "others/uEdPurchProtocol.h"
#include "replenishment/uEdPurchOrderBufer.h"
#include "scenario/IScenarioStore.h"
#include "scenario/TScenarioFile.h"
#include "scenario/TScenarioHost.h"
#include "server/EmbeddedServer.h"

namespace tavrek::scenario {

// The outcome of one expectation: what it checked and, when it failed, how the stored
// values differ from the expected ones.
struct TScenarioResult {
    bool Ok = true;
    int LineNo = 0;
    std::string Step;
    std::string Difference;
};

// Runs a scenario on one new purchase invoice as a buyer would: values typed into the
// invoice editor (codes through their lookups), saved, recalculated and posted through its
// actions, against the company server the session is signed in to. The expectation steps
// read what the server stored. After "credit" the steps concern the credit memo generated
// from the posted invoice in the credit memo editor. A scenario that opens with "offer"
// types a purchase offer instead; after "convert" the steps concern the document the
// server made of it (an invoice in an invoice editor, to be posted), and "source" reads the
// offer. After "order" the steps concern a purchase
// order, and after an order operation the order buffer it opened; the expectations then read
// what was posted from the order's buffers, and "annul" annuls the invoice posted last from
// them. After "credit", D_PurchInvoiceHeader is the
// credited invoice; "pay" pays the posted (or credited) invoice. "advance", "invoice" and
// "generic" start a new advance payment, invoice or generic document, the first before any;
// "edit" types on a line, "advanceline" adds the vendor's open advances. "protocol" makes the
// VAT protocol of the posted invoice (or credit memo) from its posted view; the steps then
// concern the protocol, posted and annulled as the invoice would be. "vatledger" compares the
// purchase ledger files of a period with the scenario's own; "global" posts a global invoice of
// every line the vendor's documents kept out of the VAT ledger offer.
class TScenarioRunner {
public:
    explicit TScenarioRunner(server::EmbeddedServer& server);
    // The editors go through server; the expectations read the store.
    TScenarioRunner(IAppServer& server, IScenarioStore& store);
    ~TScenarioRunner();

    // One result per expectation, in order; a step that cannot be carried out ends the run
    // with a failed result of its own.
    std::vector<TScenarioResult> Run(const std::vector<TScenarioStep>& steps);

    const std::string& OpenId() const { return openId_; }
    // The folder of the scenario's file, which the files it compares with are named from.
    void SetFolder(const std::string& folder) { folder_ = folder; }
    TfEdPurchase& Form() { return *form_; }

private:
    void Perform(const TScenarioStep& step, std::vector<TScenarioResult>& results);
    void SetFields(TClientDataSet& dataSet, const std::vector<TScenarioPair>& pairs);
    void AddLine(const std::vector<TScenarioPair>& pairs);
    std::string Scope(const std::string& table) const;
    std::string PostedId();
    std::string ExpectRow(const TScenarioStep& step, const std::string& id);
    std::string ExpectSums(const TScenarioStep& step);
    std::string ExpectCount(const TScenarioStep& step);
    std::string Post(const TScenarioStep& step);
    std::string Annul(const TScenarioStep& step);
    std::string LastOrderDocument(const std::string& table, const std::string& newest, int kind = 0);
    std::string AnnulTarget(const TScenarioStep& step);
    void Assign(const TScenarioStep& step);
    void Consume(const TScenarioStep& step);
    void Credit(const TScenarioStep& step);
    void CreditLine(const TScenarioStep& step);
    std::string Pay(const TScenarioStep& step);
    void Start(const std::string& kind);
    void AddAdvanceLines();
    void StartOffer();
    std::string Convert(const TScenarioStep& step);
    void OpenConvertedInvoice();
    void Order(const TScenarioStep& step);
    void Operation(const TScenarioStep& step);
    void ReopenOrder();
    void SetLineFields(TClientDataSet& lines, const TScenarioStep& step);
    std::string PostBuffer(const TScenarioStep& step);
    std::string OrderScope(const std::string& table) const;
    std::string ExpectBooksBalanced();
    std::string ExpectAnalysis(const TScenarioStep& step);
    std::string Protocol(const TScenarioStep& step);
    std::string Global(const TScenarioStep& step);
    std::unique_ptr<TfBase> OpenPostedView(const std::string& documentId);
    // The editor of the document the steps concern, and the table it posts into.
    TfEdBasePurchDocument& Editor();
    std::string PostedTable() const;

    TScenarioRunner(IAppServer& server, std::unique_ptr<IScenarioStore> store);

    IAppServer& server_;
    IScenarioStore& store_;
    std::unique_ptr<IScenarioStore> ownStore_;
    TScenarioHost host_;
    std::unique_ptr<TfEdPurchase> form_;
    std::unique_ptr<TfBase> creditedView_;
    std::unique_ptr<TfEdPurchCrMemo> crMemo_;
    std::unique_ptr<TfEdPurchOffer> offer_;
    std::unique_ptr<TfEdPurchOffer> convertedOffer_;  // the offer an invoice being edited came from
    std::unique_ptr<TfEdPurchOrder> order_;
    TfEdPurchOrderBufer* buffer_ = nullptr;  // owned by the host, opened by the order
    std::unique_ptr<TfBase> protocolSource_;  // the posted view the protocol was made from
    std::unique_ptr<TfEdPurchProtocol> protocol_;  // the protocol that view asked to open
    std::string openId_;
    std::string sourceId_;
    std::string creditedId_;  // the posted invoice a credit memo was generated from
    std::string previousId_;  // the document posted before "advance" or "invoice" (annul Of=previous)
    std::string folder_ = ".";
};

// "ok" or "FAIL", the line and step, and the differing values.
std::string ResultLine(const std::string& file, const TScenarioResult& result);

}  // namespace tavrek::scenario
