#pragma once

#include <string>

namespace tavrek {

// Bulgarian participles agree with the noun: "фактура ... осчетоводена", "протокол ...
// осчетоводен", "известие ... осчетоводено".
enum class TGrammaticalGender { ggMasculine, ggFeminine, ggNeuter };

// How a person calls a document of a kind (the header's DocumentType, which is also the
// form's kind code), as it starts a sentence.
struct TDocumentKindName {
    int DocumentType = 0;
    const char* Name = "";
    TGrammaticalGender Gender = TGrammaticalGender::ggMasculine;
};

// The kind's name; "Документ" for a kind without one.
const TDocumentKindName& DocumentKindName(int documentType);

// The suffix of message keys that differ by gender: "m", "f" or "n".
std::string GenderKeySuffix(TGrammaticalGender gender);

}  // namespace tavrek
