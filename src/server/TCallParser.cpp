#include "server/TCallParser.h"

#include <cctype>

#include "base/data/EVariantError.h"
#include "base/util/Text.h"

namespace tavrek::server {
namespace {

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '[' || c == ']';
}

class TCallTextParser {
public:
    explicit TCallTextParser(std::string_view text) : text_(text) {}

    TParsedCall Exec() {
        const std::string keyword = Word();
        if (!EqualsIgnoreCase(keyword, "exec") && !EqualsIgnoreCase(keyword, "execute")) Fail("очаква се exec");
        TParsedCall call{Name(), {}};
        SkipSpaces();
        if (pos_ < text_.size()) Arguments(call.Args, '\0');
        return call;
    }

    TParsedCall Function() {
        TParsedCall call{Name(), {}};
        SkipSpaces();
        if (!Take('(')) Fail("очаква се '('");
        SkipSpaces();
        if (!Take(')')) {
            Arguments(call.Args, ')');
            if (!Take(')')) Fail("очаква се ')'");
        }
        SkipSpaces();
        if (pos_ != text_.size()) Fail("излишен текст след ')'");
        return call;
    }

private:
    void Arguments(TVariantArray& args, char closing) {
        for (;;) {
            args.push_back(Literal());
            SkipSpaces();
            if (pos_ == text_.size() || text_[pos_] == closing) return;
            if (!Take(',')) Fail("очаква се ',' между аргументите");
        }
    }

    Variant Literal() {
        SkipSpaces();
        if (pos_ < text_.size() && (text_[pos_] == 'N' || text_[pos_] == 'n') && pos_ + 1 < text_.size() &&
            text_[pos_ + 1] == '\'')
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\'') return Quoted();
        const size_t start = pos_;
        while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '.' ||
                                       text_[pos_] == '-' || text_[pos_] == '+'))
            ++pos_;
        const std::string word(text_.substr(start, pos_ - start));
        if (word.empty()) Fail("очаква се стойност");
        if (EqualsIgnoreCase(word, "NULL")) return Variant();
        if (word.find_first_of(".eE") == std::string::npos) {
            try {
                size_t used = 0;
                const long long number = std::stoll(word, &used);
                if (used == word.size()) return Variant(static_cast<int64_t>(number));
            } catch (const std::exception&) {
            }
        }
        try {
            size_t used = 0;
            const double number = std::stod(word, &used);
            if (used == word.size()) return Variant(number);
        } catch (const std::exception&) {
        }
        Fail("невалидна стойност " + word);
    }

    Variant Quoted() {
        std::string value;
        for (++pos_; pos_ < text_.size(); ++pos_) {
            if (text_[pos_] != '\'') {
                value += text_[pos_];
            } else if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                value += '\'';
                ++pos_;
            } else {
                ++pos_;
                return Variant(value);
            }
        }
        Fail("незатворени кавички");
    }

    std::string Name() {
        SkipSpaces();
        const size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
        const std::string name = NormalizeProcedureName(text_.substr(start, pos_ - start));
        if (name.empty()) Fail("очаква се име на процедура");
        return name;
    }

    std::string Word() {
        SkipSpaces();
        const size_t start = pos_;
        while (pos_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        return std::string(text_.substr(start, pos_ - start));
    }

    bool Take(char c) {
        SkipSpaces();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    void SkipSpaces() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw ECallSyntaxError("Невалидно извикване '" + std::string(text_) + "': " + what);
    }

    std::string_view text_;
    size_t pos_ = 0;
};

}  // namespace

TParsedCall ParseExec(std::string_view text) { return TCallTextParser(text).Exec(); }

TParsedCall ParseFunctionCall(std::string_view text) { return TCallTextParser(text).Function(); }

bool IsFunctionCall(std::string_view text) { return text.find('(') != std::string_view::npos; }

std::string NormalizeProcedureName(std::string_view name) {
    std::string clean;
    for (char c : Trim(name))
        if (c != '[' && c != ']') clean += c;
    const size_t dot = clean.rfind('.');
    if (dot != std::string::npos) clean = clean.substr(dot + 1);
    for (char c : clean)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return {};
    return clean;
}

}  // namespace tavrek::server
