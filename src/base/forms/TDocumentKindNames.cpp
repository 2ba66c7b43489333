#include "base/forms/TDocumentKindNames.h"

#include <algorithm>
#include <iterator>

namespace tavrek {
namespace {

using G = TGrammaticalGender;

constexpr TDocumentKindName kNames[] = {
    {1, "Фактура", G::ggFeminine},
    {3, "Глобална фактура", G::ggFeminine},
    {6, "Фактура", G::ggFeminine},
    {8, "Глобална фактура", G::ggFeminine},
    {11, "Кредитно известие", G::ggNeuter},
    {12, "Дебитно известие", G::ggNeuter},
    {13, "Кредитно известие", G::ggNeuter},
    {15, "Глобално кредитно известие", G::ggNeuter},
    {17, "Глобално кредитно известие", G::ggNeuter},
    {20, "Оферта", G::ggFeminine},
    {22, "Поръчка", G::ggFeminine},
    {23, "Буфер на поръчка", G::ggMasculine},
    {24, "Поръчка", G::ggFeminine},
    {25, "Връщане към доставчик", G::ggNeuter},
    {26, "Доставка", G::ggFeminine},
    {27, "Отказ от поръчка", G::ggMasculine},
    {30, "Авансово плащане", G::ggNeuter},
    {31, "Общ документ за покупка", G::ggMasculine},
    {32, "Общо кредитно известие", G::ggNeuter},
    {40, "Протокол", G::ggMasculine},
    {41, "Протокол към кредитно известие", G::ggMasculine},
};

constexpr TDocumentKindName kUnknown{0, "Документ", G::ggMasculine};

}  // namespace

const TDocumentKindName& DocumentKindName(int documentType) {
    const auto* found = std::find_if(std::begin(kNames), std::end(kNames),
                                     [documentType](const TDocumentKindName& n) { return n.DocumentType == documentType; });
    return found == std::end(kNames) ? kUnknown : *found;
}

std::string GenderKeySuffix(TGrammaticalGender gender) {
    switch (gender) {
        case G::ggFeminine: return "f";
        case G::ggNeuter: return "n";
        case G::ggMasculine: break;
    }
    return "m";
}

}  // namespace tavrek
