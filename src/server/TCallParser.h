#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "base/server/TRequestResult.h"

namespace tavrek::server {

class ECallSyntaxError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// A procedure or table function call as the package writes it, taken apart: the name
// without owner or brackets ("dbo.usp_X" -> "usp_X") and the literal arguments.
struct TParsedCall {
    std::string Name;
    TVariantArray Args;
};

// "exec name 'a', 'b', 1": quoted texts (quotes doubled inside), numbers and NULL,
// separated by commas. Nothing in the text is ever run as SQL.
TParsedCall ParseExec(std::string_view text);
// "fn_Name('a', 'b', 1)".
TParsedCall ParseFunctionCall(std::string_view text);
bool IsFunctionCall(std::string_view text);
// A procedure name as the registry keys it: trimmed, without "dbo." and brackets.
std::string NormalizeProcedureName(std::string_view name);

}  // namespace tavrek::server
