#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace tavrek {

// What a user may do on a form. frSetup covers the company's setup tables; frApprove lets an
// order above the purchases setup's amount be carried out.
enum class TFormRight { frOpen, frInsert, frEdit, frDelete, frPost, frPrint, frAnnul, frEditProps, frSetup, frApprove };

inline constexpr int kFormRightCount = 10;
// The form number that stands for every form without a row of its own.
inline constexpr int kEveryForm = 0;

// The column of S_RoleFormRight that holds the right, and its Bulgarian name for messages.
const char* RightColumn(TFormRight right);
const char* RightCaption(TFormRight right);
// The right of a column name or of its Bulgarian or English short name ("annul"); empty
// when the word names none.
std::optional<TFormRight> RightOfWord(const std::string& word);

// The rights of the signed-in user, form by form: a form without a row of its own has
// the rights of kEveryForm.
class TUserRights {
public:
    using TMask = uint16_t;
    static TMask Bit(TFormRight right) { return static_cast<TMask>(1u << static_cast<unsigned>(right)); }

    void Grant(int form, TMask mask) { masks_[form] |= mask; }
    bool Allows(int form, TFormRight right) const;
    // Whether the right is granted on some form.
    bool AllowsAnywhere(TFormRight right) const;
    const std::map<int, TMask>& Masks() const { return masks_; }

private:
    std::map<int, TMask> masks_;
};

}  // namespace tavrek
