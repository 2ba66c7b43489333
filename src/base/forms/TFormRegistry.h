#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavrek {

class TfBase;

// The groups of the desktop's "Покупки" menu; the forms of other packages that purchase
// forms open by number come last.
enum class TFormGroup { fgDocuments, fgPostedDocuments, fgGlobalDocuments, fgReplenishment, fgLists, fgSetup,
                        fgOtherPackages, fgReports };

using TFormFactory = std::function<std::unique_ptr<TfBase>()>;

struct TFormClassInfo {
    std::string ClassName;
    int FormNumber = 0;
    TFormFactory Factory;
    std::string Caption;
    TFormGroup Group = TFormGroup::fgDocuments;
};

// The form classes known to the client, in registration order. A class registers once; a
// second registration of the same class, or another class under a taken number, is
// refused and leaves the first in place. A class of the form catalogue registers under
// its catalogued number (EFormError otherwise).
class TFormRegistry {
public:
    // False when the class name or the form number is already registered.
    bool Register(TFormClassInfo info);
    const TFormClassInfo* FindClass(std::string_view className) const;  // case-insensitive
    const TFormClassInfo* FindNumber(int formNumber) const;
    const std::vector<TFormClassInfo>& Classes() const { return classes_; }
    bool Empty() const { return classes_.empty(); }

    // A new instance with its class name and form number set; throws EFormError with a
    // message for the user when nothing is registered under the number or name.
    std::unique_ptr<TfBase> CreateForm(int formNumber) const;
    std::unique_ptr<TfBase> CreateForm(std::string_view className) const;

private:
    std::unique_ptr<TfBase> Create(const TFormClassInfo& info) const;

    std::vector<TFormClassInfo> classes_;
};

// The registry of the process; start-up code of each form unit registers into it.
TFormRegistry& FormRegistry();

// Registers a class; returns false when it (or its number) was registered before.
bool RegisterFormClass(const std::string& className, int formNumber, TFormFactory factory,
                       const std::string& caption, TFormGroup group);

// Installs an empty registry for its lifetime (tests) and puts the previous one back.
class TFormRegistryScope {
public:
    TFormRegistryScope();
    ~TFormRegistryScope();
    TFormRegistryScope(const TFormRegistryScope&) = delete;
    TFormRegistryScope& operator=(const TFormRegistryScope&) = delete;

    TFormRegistry& Registry() { return *registry_; }

private:
    std::unique_ptr<TFormRegistry> registry_;
    TFormRegistry* previous_;
};

}  // namespace tavrek
