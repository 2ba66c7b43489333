#include "base/session/TUserRights.h"

#include <array>

#include "base/util/Text.h"

namespace tavrek {
namespace {

struct TRightNames {
    TFormRight Right;
    const char* Column;
    const char* Word;
    const char* Caption;
};

constexpr std::array<TRightNames, kFormRightCount> kRights = {{
    {TFormRight::frOpen, "AllowOpen", "open", "отваряне"},
    {TFormRight::frInsert, "AllowInsert", "insert", "добавяне"},
    {TFormRight::frEdit, "AllowEdit", "edit", "редактиране"},
    {TFormRight::frDelete, "AllowDelete", "delete", "изтриване"},
    {TFormRight::frPost, "AllowPost", "post", "осчетоводяване"},
    {TFormRight::frPrint, "AllowPrint", "print", "печат"},
    {TFormRight::frAnnul, "AllowAnnul", "annul", "анулиране"},
    {TFormRight::frEditProps, "EditProps", "editprops", "промяна на свойства"},
    {TFormRight::frSetup, "AllowSetup", "setup", "настройка"},
    {TFormRight::frApprove, "AllowApprove", "approve", "одобряване"},
}};

}  // namespace

const char* RightColumn(TFormRight right) { return kRights[static_cast<size_t>(right)].Column; }

const char* RightCaption(TFormRight right) { return kRights[static_cast<size_t>(right)].Caption; }

std::optional<TFormRight> RightOfWord(const std::string& word) {
    for (const TRightNames& names : kRights)
        if (EqualsIgnoreCase(word, names.Word) || EqualsIgnoreCase(word, names.Column) || word == names.Caption)
            return names.Right;
    return std::nullopt;
}

bool TUserRights::Allows(int form, TFormRight right) const {
    auto it = masks_.find(form);
    if (it == masks_.end()) it = masks_.find(kEveryForm);
    return it != masks_.end() && (it->second & Bit(right)) != 0;
}

bool TUserRights::AllowsAnywhere(TFormRight right) const {
    for (const auto& [form, mask] : masks_)
        if ((mask & Bit(right)) != 0) return true;
    return false;
}

}  // namespace tavrek
