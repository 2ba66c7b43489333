#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "server/TProcedureRegistry.h"

namespace tavrek::server {

// The few SQL statements the package sends as text, recognised by their shape and run as
// registered operations with the literals of the text as bound values. A pattern is the
// statement with '?' where a literal stands: "UPDATE T SET F = ? WHERE Id = ?".
class TScriptRecognizer {
public:
    void Add(std::string_view pattern, TProcedure operation);
    // The operation whose pattern the text fits, with the literals in values; nullptr when none.
    const TProcedure* Match(std::string_view text, TVariantArray& values) const;

private:
    struct TToken {
        std::string Text;
        bool Literal = false;
        Variant Value;
    };
    static std::vector<TToken> Tokenize(std::string_view text);

    struct TPattern {
        std::vector<TToken> Tokens;
        TProcedure Operation;
    };
    std::vector<TPattern> patterns_;
};

}  // namespace tavrek::server
