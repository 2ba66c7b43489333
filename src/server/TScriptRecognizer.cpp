#include "server/TScriptRecognizer.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

#include "base/util/Text.h"

namespace tavrek::server {
namespace {

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

}  // namespace

void TScriptRecognizer::Add(std::string_view pattern, TProcedure operation) {
    patterns_.push_back({Tokenize(pattern), std::move(operation)});
}

const TProcedure* TScriptRecognizer::Match(std::string_view text, TVariantArray& values) const {
    std::vector<TToken> tokens;
    try {
        tokens = Tokenize(text);
    } catch (const std::invalid_argument&) {
        return nullptr;
    }
    while (!tokens.empty() && tokens.back().Text == ";") tokens.pop_back();
    for (const TPattern& pattern : patterns_) {
        if (pattern.Tokens.size() != tokens.size()) continue;
        TVariantArray found;
        bool fits = true;
        for (size_t i = 0; fits && i < tokens.size(); ++i) {
            const TToken& expected = pattern.Tokens[i];
            const bool placeholder = expected.Text == "?";
            fits = placeholder ? tokens[i].Literal
                               : !tokens[i].Literal && EqualsIgnoreCase(expected.Text, tokens[i].Text);
            if (placeholder) found.push_back(tokens[i].Value);
        }
        if (fits) {
            values = std::move(found);
            return &pattern.Operation;
        }
    }
    return nullptr;
}

std::vector<TScriptRecognizer::TToken> TScriptRecognizer::Tokenize(std::string_view text) {
    std::vector<TToken> tokens;
    size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++pos;
        } else if (c == '\'') {
            std::string value;
            for (++pos;; ++pos) {
                if (pos >= text.size()) throw std::invalid_argument("незатворени кавички");
                if (text[pos] != '\'') {
                    value += text[pos];
                } else if (pos + 1 < text.size() && text[pos + 1] == '\'') {
                    value += '\'';
                    ++pos;
                } else {
                    ++pos;
                    break;
                }
            }
            tokens.push_back({"'", true, Variant(value)});
        } else if (IsWordChar(c)) {
            const size_t start = pos;
            while (pos < text.size() && IsWordChar(text[pos])) ++pos;
            const std::string word(text.substr(start, pos - start));
            TToken token{word, false, Variant()};
            if (std::isdigit(static_cast<unsigned char>(word[0]))) {
                char* end = nullptr;
                const double number = std::strtod(word.c_str(), &end);
                token.Literal = end != nullptr && *end == '\0';
                if (token.Literal) token.Value = Variant(number);
            }
            tokens.push_back(std::move(token));
        } else {
            const bool pair = pos + 1 < text.size() && (text.substr(pos, 2) == "<>" || text.substr(pos, 2) == "<=" ||
                                                        text.substr(pos, 2) == ">=");
            tokens.push_back({std::string(text.substr(pos, pair ? 2 : 1)), false, Variant()});
            pos += pair ? 2 : 1;
        }
    }
    return tokens;
}

}  // namespace tavrek::server
