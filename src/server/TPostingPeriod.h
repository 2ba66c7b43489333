#pragma once

#include <string>

#include "base/data/TDateTime.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// The days between which the purchases setup lets the company post ("Разрешено
// осчетоводяване от" / "до"); an end left empty does not bound. A posting or an annulment
// dated outside is refused with "err_PostingDateNotAllowed", naming the date.
class TPostingPeriod {
public:
    static constexpr const char* kRefusalKey = "err_PostingDateNotAllowed";

    // Whether the period holds date; otherwise sets the refusal on ctx.
    static bool Allows(TServerContext& ctx, TDateTime date);
    // The same for the date an open document is posted on (its posting date, else its
    // document date); a document not found is left to the posting to refuse.
    static bool AllowsDocument(TServerContext& ctx, const std::string& id);
};

}  // namespace tavrek::server
