#pragma once

#include <string>

#include "base/forms/TFormRegistry.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {

// The demo company with our package of other packages' forms started, a headless host, and
// what the forms read: a posted invoice of vendor V03 (10 x 1008 at 0.95 and 2.5 x 1010 at
// 9.80, VAT included 38.11, due 2026-07-30) and an open order of vendor V01.
class OthersFixture : public SqliteFixture {
protected:
    OthersFixture();
    ~OthersFixture() override;

    // Fails on every error the session logged, and forgets them.
    void ExpectNoErrors();

    static constexpr const char* kInvoice = "{P1}";
    static constexpr const char* kOrder = "{O1}";

    HeadlessFormHost host;

private:
    TFormRegistryScope registry_;
};

}  // namespace tavrek::testing
