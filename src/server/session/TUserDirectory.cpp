#include "server/session/TUserDirectory.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "base/util/Text.h"
#include "server/SqlValue.h"
#include "server/session/TPasswordHash.h"

namespace tavrek::server {
namespace {

std::string RightColumns() {
    std::string columns;
    for (int i = 0; i < kFormRightCount; ++i)
        columns += std::string(i == 0 ? "" : ", ") + RightColumn(static_cast<TFormRight>(i));
    return columns;
}

// Each role's row of a form stands in for its row of every form; the user has what any role gives.
TUserRights CombineRoles(const std::map<std::string, std::map<int, TUserRights::TMask>>& roles) {
    TUserRights rights;
    std::map<int, bool> forms;
    for (const auto& [role, masks] : roles)
        for (const auto& [form, mask] : masks) forms[form] = true;
    for (const auto& [role, masks] : roles) {
        const auto every = masks.find(kEveryForm);
        for (const auto& [form, unused] : forms) {
            const auto own = masks.find(form);
            if (own != masks.end()) rights.Grant(form, own->second);
            else if (every != masks.end()) rights.Grant(form, every->second);
            else rights.Grant(form, 0);
        }
    }
    return rights;
}

std::string Capitals(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

std::string TUserDirectory::RoleId(const std::string& company, const std::string& role) {
    const TRequestResult found =
        SelectRows(db_, "SELECT Id FROM S_Role WHERE Comp_Id = ? AND Name = ?", {company, role});
    if (found.Empty()) throw EUserDirectoryError("Фирма " + company + " няма роля '" + role + "'");
    return found.Value().AsString();
}

std::string TUserDirectory::UserIdOf(const std::string& company, const std::string& login) {
    const TRequestResult found =
        SelectRows(db_, "SELECT Id FROM S_User WHERE Comp_Id = ? AND Login = ?", {company, login});
    if (found.Empty()) throw EUserDirectoryError("Фирма " + company + " няма потребител '" + login + "'");
    return found.Value().AsString();
}

void TUserDirectory::SetRoleRights(const std::string& company, const std::string& role, int form,
                                   TUserRights::TMask mask) {
    if (SelectRows(db_, "SELECT 1 FROM C_CompanySetup WHERE Id = ?", {company}).Empty())
        throw EUserDirectoryError("Няма фирма " + company);
    const std::string roleId = company + "/" + role;
    if (SelectRows(db_, "SELECT 1 FROM S_Role WHERE Id = ?", {roleId}).Empty())
        ExecuteBound(db_, "INSERT INTO S_Role (Id, Comp_Id, Name) VALUES (?, ?, ?)", {roleId, company, role});
    ExecuteBound(db_, "DELETE FROM S_RoleFormRight WHERE Role_Id = ? AND Form_Id = ?", {roleId, form});
    TVariantArray values(4 + kFormRightCount);
    values[0] = roleId + "/" + std::to_string(form);
    values[1] = company;
    values[2] = roleId;
    values[3] = form;
    std::string marks = "?, ?, ?, ?";
    for (int i = 0; i < kFormRightCount; ++i) {
        values[static_cast<size_t>(4 + i)] = (mask & TUserRights::Bit(static_cast<TFormRight>(i))) != 0 ? 1 : 0;
        marks += ", ?";
    }
    ExecuteBound(db_, "INSERT INTO S_RoleFormRight (Id, Comp_Id, Role_Id, Form_Id, " + RightColumns() +
                          ") VALUES (" + marks + ")",
                 values);
}

void TUserDirectory::AddUser(const std::string& company, const std::string& login, const std::string& role,
                             const std::string& password, const std::string& userId, const std::string& name,
                             const std::string& businessGroup) {
    if (login.empty() || password.empty()) throw EUserDirectoryError("Потребителят има нужда от име и парола");
    const std::string roleId = RoleId(company, role);
    if (!SelectRows(db_, "SELECT 1 FROM S_User WHERE Comp_Id = ? AND Login = ?", {company, login}).Empty())
        throw EUserDirectoryError("Фирма " + company + " вече има потребител '" + login + "'");
    const std::string id = userId.empty() ? Capitals(login) : userId;
    ExecuteBound(db_,
                 "INSERT INTO S_User (Comp_Id, Id, Login, Name, PasswordHash, Active, BusinessGroup_Id) "
                 "VALUES (?, ?, ?, ?, ?, 1, ?)",
                 {company, id, login, name.empty() ? login : name, HashPassword(password),
                  businessGroup.empty() ? Variant() : Variant(businessGroup)});
    AddUserRole(company, id, roleId);
}

void TUserDirectory::AddUserRole(const std::string& company, const std::string& userId, const std::string& roleId) {
    ExecuteBound(db_, "INSERT INTO S_UserRole (Id, Comp_Id, User_Id, Role_Id) VALUES (?, ?, ?, ?)",
                 {company + "/" + userId + "/" + roleId, company, userId, roleId});
}

void TUserDirectory::SetPassword(const std::string& company, const std::string& login, const std::string& password) {
    if (password.empty()) throw EUserDirectoryError("Паролата не може да бъде празна");
    const std::string id = UserIdOf(company, login);
    ExecuteBound(db_, "UPDATE S_User SET PasswordHash = ? WHERE Comp_Id = ? AND Id = ?",
                 {HashPassword(password), company, id});
}

void TUserDirectory::SetActive(const std::string& company, const std::string& login, bool active) {
    const std::string id = UserIdOf(company, login);
    ExecuteBound(db_, "UPDATE S_User SET Active = ? WHERE Comp_Id = ? AND Id = ?", {active ? 1 : 0, company, id});
}

void TUserDirectory::GrantRole(const std::string& company, const std::string& login, const std::string& role) {
    const std::string id = UserIdOf(company, login);
    const std::string roleId = RoleId(company, role);
    if (SelectRows(db_, "SELECT 1 FROM S_UserRole WHERE Comp_Id = ? AND User_Id = ? AND Role_Id = ?",
                   {company, id, roleId})
            .Empty())
        AddUserRole(company, id, roleId);
}

std::vector<TUserListEntry> TUserDirectory::List(const std::string& company) {
    const TRequestResult users = SelectRows(
        db_, "SELECT u.Login, u.Name, u.Active, r.Name FROM S_User u LEFT JOIN S_UserRole ur ON ur.Comp_Id = u.Comp_Id "
             "AND ur.User_Id = u.Id LEFT JOIN S_Role r ON r.Id = ur.Role_Id WHERE u.Comp_Id = ? ORDER BY u.Login, r.Name",
        {company});
    std::vector<TUserListEntry> entries;
    for (size_t i = 0; i < users.Rows.size(); ++i) {
        const std::string login = users.Value(i, 0).AsString();
        const std::string role = users.Value(i, 3).IsNull() ? std::string() : users.Value(i, 3).AsString();
        if (entries.empty() || entries.back().Login != login)
            entries.push_back({login, users.Value(i, 1).AsString(), users.Value(i, 2).AsInteger() == 1, role});
        else
            entries.back().Roles += "," + role;
    }
    return entries;
}

std::optional<TSignedInUser> TUserDirectory::Authenticate(const std::string& company, const std::string& login,
                                                          const std::string& password) {
    const std::string columns = "SELECT Comp_Id, Id, PasswordHash, Active, BusinessGroup_Id FROM S_User WHERE Login = ?";
    const TRequestResult found = company.empty() ? SelectRows(db_, columns, {login})
                                                 : SelectRows(db_, columns + " AND Comp_Id = ?", {login, company});
    if (found.Rows.size() != 1 || found.Value(0, 3).AsInteger() != 1) return std::nullopt;
    const Variant& hash = found.Value(0, 2);
    if (hash.IsNull() || !VerifyPassword(hash.AsString(), password)) return std::nullopt;
    TSignedInUser user;
    user.CompanyId = found.Value(0, 0).AsString();
    user.UserId = found.Value(0, 1).AsString();
    user.Login = login;
    const Variant& group = found.Value(0, 4);
    if (!group.IsNull()) user.BusinessGroupId = group.AsString();
    user.Rights = Rights(user.CompanyId, user.UserId);
    return user;
}

TUserRights TUserDirectory::Rights(const std::string& company, const std::string& userId) {
    const TRequestResult rows = SelectRows(
        db_, "SELECT rf.Role_Id, rf.Form_Id, " + RightColumns() +
                 " FROM S_RoleFormRight rf JOIN S_UserRole ur ON ur.Role_Id = rf.Role_Id "
                 "WHERE ur.Comp_Id = ? AND ur.User_Id = ?",
        {company, userId});
    std::map<std::string, std::map<int, TUserRights::TMask>> roles;
    for (size_t i = 0; i < rows.Rows.size(); ++i) {
        TUserRights::TMask mask = 0;
        for (int r = 0; r < kFormRightCount; ++r)
            if (rows.Value(i, static_cast<size_t>(2 + r)).AsInteger() == 1) mask |= TUserRights::Bit(static_cast<TFormRight>(r));
        roles[rows.Value(i, 0).AsString()][static_cast<int>(rows.Value(i, 1).AsInteger())] = mask;
    }
    TUserRights rights = CombineRoles(roles);
    // A user's own grant of editing a form's properties comes on top of the roles.
    const TRequestResult own = SelectRows(
        db_, "SELECT Form_Id FROM S_UserFormRight WHERE Comp_Id = ? AND User_Id = ? AND EditProps = 1", {company, userId});
    for (size_t i = 0; i < own.Rows.size(); ++i) {
        const int form = static_cast<int>(own.Value(i, 0).AsInteger());
        const auto& masks = rights.Masks();
        const auto every = masks.find(kEveryForm);
        if (masks.find(form) == masks.end() && every != masks.end()) rights.Grant(form, every->second);
        rights.Grant(form, TUserRights::Bit(TFormRight::frEditProps));
    }
    return rights;
}

}  // namespace tavrek::server
