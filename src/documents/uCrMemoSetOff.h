#pragma once

#include <string>

#include "base/data/TClientDataSet.h"
#include "base/server/TRequestResult.h"

namespace tavrek {

// How a credit memo is linked when it is posted, from its editor or from the list: the option
// dialog of the sale link and, while the invoice it credits is still owed, the set-off against
// that invoice, proposed checked. The answer is kept in the memo's AppliesToDoc_Id, which the
// posting reads.
class TCrMemoSetOff {
public:
    explicit TCrMemoSetOff(TClientDataSet& header);

    // The posted invoice the memo's ToInvoiceNo names (of its vendor and company, not global,
    // not annulled), read for fields.
    static TRequestResult CreditedInvoice(TClientDataSet& header, const std::string& fields);

    // Whether the credited invoice is found and still owed, so that a set-off can be offered.
    bool Offered() const { return offered_; }
    // The option dialog, with the set-off box when offered; -1 when cancelled. The options
    // are what the memo credits, which the posting acts on: 0 goods sent back to the vendor,
    // 1 a price reduction that moves no stock.
    int Ask(bool& setOff) const;
    // The set-off alone, asked when the option was chosen before; true when it is wanted.
    bool AskSetOff() const;
    // Writes the answer to AppliesToDoc_Id and posts the header; false when it was there already.
    bool Apply(bool setOff);

private:
    std::string SetOffCaption() const;

    TClientDataSet& header_;
    Variant invoiceId_;
    bool offered_ = false;
};

}  // namespace tavrek
