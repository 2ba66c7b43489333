#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/server/IAppServer.h"
#include "server/db/TDbSession.h"

namespace tavrek::server {

// A change of users the directory cannot make (an unknown user or role, a login taken);
// the text is for the administrator.
class EUserDirectoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TUserListEntry {
    std::string Login;
    std::string Name;
    bool Active = true;
    std::string Roles;  // comma separated
};

// The users of the companies of a database, their roles and the rights of the roles per
// form. Runs inside the caller's transaction.
class TUserDirectory {
public:
    explicit TUserDirectory(TDbSession& db) : db_(db) {}

    // Sets the role's rights on a form (kEveryForm for every form without a row of its
    // own), creating the role when it is new.
    void SetRoleRights(const std::string& company, const std::string& role, int form, TUserRights::TMask mask);
    // A new user with one role; userId empty: the login in capitals.
    void AddUser(const std::string& company, const std::string& login, const std::string& role,
                 const std::string& password, const std::string& userId = {}, const std::string& name = {},
                 const std::string& businessGroup = {});
    void SetPassword(const std::string& company, const std::string& login, const std::string& password);
    void SetActive(const std::string& company, const std::string& login, bool active);
    void GrantRole(const std::string& company, const std::string& login, const std::string& role);
    std::vector<TUserListEntry> List(const std::string& company);

    // The active user of the login whose password it is; company empty: the one company
    // that has the login.
    std::optional<TSignedInUser> Authenticate(const std::string& company, const std::string& login,
                                              const std::string& password);
    // The rights the user's roles and own grants of editing properties give, form by form.
    TUserRights Rights(const std::string& company, const std::string& userId);

private:
    std::string RoleId(const std::string& company, const std::string& role);
    std::string UserIdOf(const std::string& company, const std::string& login);
    void AddUserRole(const std::string& company, const std::string& userId, const std::string& roleId);

    TDbSession& db_;
};

}  // namespace tavrek::server
