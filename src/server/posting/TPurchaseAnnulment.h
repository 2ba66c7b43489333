#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/data/TDateTime.h"
#include "base/data/Variant.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// What the user asked for when annulling a posted document.
struct TAnnulRequest {
    std::string DocumentId;
    std::string Description;
    TDateTime Date;
    bool AnnulPayments = false;  // annul the payments applied to the vendor entry with the document
};

// Annuls a posted purchase document (an invoice, a credit memo, a receipt, or a return or
// rejection order): every entry of its posting is reversed on the annulment date in the
// transaction numbered transactionNo, the open stock and debt close, and the document is
// marked annulled. Refuses (negative, with ctx.RefusalKey) a document already annulled, a
// date before the posting date, stock already consumed (unless the company allows negative
// stock), an advance a later invoice settled, an invoice a credit memo was set off against,
// applied payments the user did not ask to annul, and what OrderDocumentAnnulmentRefusal
// refuses of the order's documents. Payments the user asked to annul are annulled in the same
// transaction, their ledger reversed. A credit memo's set-off against its invoice is undone.
// The order lines an invoice, a receipt, a return or a rejection carried out get their
// quantities back, and the goods of a return go back to the receipts it took them from.
// output receives the amount of the payments unapplied.
class TPurchaseAnnulment {
public:
    using TStepHook = std::function<void(const char* step)>;

    TPurchaseAnnulment(TServerContext& ctx, TStepHook onStep) : ctx_(ctx), onStep_(std::move(onStep)) {}

    int Annul(const TAnnulRequest& request, const std::function<int64_t()>& nextTransactionNo, Variant& output);

private:
    const char* Refusal(const std::string& table, const TAnnulRequest& request, int64_t transactionNo);
    double UnapplyPayments(const std::string& documentId);
    void Step(const char* name) const {
        if (onStep_) onStep_(name);
    }

    TServerContext& ctx_;
    TStepHook onStep_;
};

}  // namespace tavrek::server
