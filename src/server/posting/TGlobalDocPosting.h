#pragma once

#include <functional>
#include <string>

#include "base/data/TDateTime.h"
#include "base/server/TRequestResult.h"
#include "server/TServerContext.h"
#include "server/posting/TLedgerStore.h"
#include "server/posting/TPurchaseLedgerPosting.h"

namespace tavrek::server {

struct TGlobalSide;

// Posting, deletion and annulment of global documents: global invoices and credit memos and
// protocols (of invoices and of credit memos), the open ones in D_GlobalPurchHeader. A global
// document takes lines of posted documents of its vendor kept out of the VAT ledger; posting
// it claims each source line for it once (the database refuses a second claim), stamps its
// number and the vendor's document number on each source, and writes its VAT entries and
// ledger transaction under the transaction number its first save drew. Annulment reverses the
// entries and frees the sources, which may be chosen again.
class TGlobalDocPosting {
public:
    using TStepHook = std::function<void(const char* step)>;

    TGlobalDocPosting(TServerContext& ctx, TStepHook onStep) : ctx_(ctx), onStep_(std::move(onStep)) {}

    // crMemo 0 posts a global invoice, 1 a global credit memo.
    int PostGlobalDoc(const std::string& id, int crMemo, TVariantArray& keys);
    // A protocol made from one document (AppliesToDoc_Id) or a global protocol of source lines;
    // crMemo 1 for the credit memos' protocols.
    int PostPurchProtocol(const std::string& id, int crMemo, TVariantArray& keys);
    // Removes the lines of an open global document: marker 0 a global invoice, 1 any other kind.
    int DeleteGlobalDoc(const std::string& id, int crMemo);
    // The annulment of a posted global document of the side crMemo names (a protocol is one),
    // done by annul; then its sources are free again.
    int AnnulGlobalDoc(const std::string& id, int crMemo, const std::function<int()>& annul);

private:
    int Post(const std::string& id, const TGlobalSide& side, TVariantArray& keys);
    int PostSingleProtocol(const std::string& id, int crMemo, const TRequestResult& doc, TVariantArray& keys);
    const char* Refusal(const TRequestResult& doc, const TGlobalSide& side);
    const char* LinesRefusal(const std::string& id, const TGlobalSide& side, const Variant& vendor);
    TLedgerPosting Ledgers(TPostingDocument& posted, const TGlobalSide& side, const TLedgerStore& store);
    bool Claim(const std::string& postedId, const TGlobalSide& side);
    void Stamp(const std::string& postedId, const TGlobalSide& side, const std::string& number,
               const std::string& vendorNo);
    int64_t TransactionOf(const TRequestResult& doc);
    void Step(const char* name) const {
        if (onStep_) onStep_(name);
    }

    TServerContext& ctx_;
    TStepHook onStep_;
};

}  // namespace tavrek::server
