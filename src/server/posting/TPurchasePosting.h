#pragma once

#include <functional>
#include <string>

#include "server/posting/PostingSteps.h"
#include "server/posting/TPostingDocument.h"
#include "server/posting/TPostingRefusal.h"

namespace tavrek::server {

// Posting and annulment of purchase invoices, with the procedures the invoice editor calls
// around them; global documents and protocols are handed to TGlobalDocPosting.
class TPurchasePosting : public TPostingRefusal {
public:
    // Called between the steps of a posting with the step's name; lets a test stop the
    // process half way through to show that the transaction leaves nothing half done.
    using TStepHook = std::function<void(const char* step)>;

    TPurchasePosting() = default;
    explicit TPurchasePosting(TStepHook onStep) : onStep_(std::move(onStep)) {}

    // The open invoice becomes a posted one: number from the posting series, posted header
    // and lines, vendor entry, VAT entries per rate, the open invoice removed. Keys: posted
    // Id and its DocumentNo. Refusals leave everything as it was.
    int PostPurchase(TServerContext& ctx, const std::string& id, TVariantArray& keys) override;
    // Global documents and protocols: TGlobalDocPosting.
    int PostPurchProtocol(TServerContext& ctx, const std::string& id, int crMemo, TVariantArray& keys) override;
    int PostGlobalDoc(TServerContext& ctx, const std::string& id, int crMemo, TVariantArray& keys) override;
    int DeleteGlobalDoc(TServerContext& ctx, const std::string& id, int crMemo) override;
    // Reverses every entry of a posted invoice or credit memo on the annulment date; flag 1
    // unapplies the payments applied to its vendor entry.
    int AnnulDocument(TServerContext& ctx, const std::string& id, int kind, const std::string& description,
                      TDateTime date, int flag, Variant& output) override;
    // Reverses every entry of a posted global document, on the credit memos' side when crMemo
    // is 1: a posted protocol is one, and its views annul it as such. The document it was made
    // from may then have a new protocol, its sources a new global document. annulPayments 1
    // unapplies its payments as AnnulDocument's flag does.
    int AnnulGlobalDoc(TServerContext& ctx, const std::string& id, int crMemo, const std::string& description,
                       TDateTime date, int annulPayments) override;
    // Reverses the entries of a posted protocol (a credit memo protocol when crMemo is 1).
    int AnnulPurchProtocol(TServerContext& ctx, const std::string& id, int crMemo, const std::string& description,
                           TDateTime date) override;
    void RegisterProcedures(TProcedureRegistry& registry) override;

protected:
    // Adjusts the posted invoice (its lines as the ledgers take them) before its ledgers are
    // worked out; posting an order's invoice marks the goods already received.
    using TPrepareInvoice = std::function<void(TServerContext&, TPostingDocument&)>;
    // Posts the open document that from names as a purchase invoice; removeOpen false leaves
    // the open document to the caller.
    int PostOpenInvoice(TServerContext& ctx, const TPostedCopy& from, const std::string& id, TVariantArray& keys,
                        const TPrepareInvoice& prepare, bool removeOpen = true);

private:
    void Step(const char* name) const {
        if (onStep_) onStep_(name);
    }

    TStepHook onStep_;
};

}  // namespace tavrek::server
