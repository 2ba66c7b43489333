#include "base/forms/TFormRegistry.h"

#include "base/forms/EFormError.h"
#include "base/forms/TFormCatalogue.h"
#include "base/forms/TfBase.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

TFormRegistry*& CurrentRegistry() {
    static TFormRegistry processRegistry;
    static TFormRegistry* current = &processRegistry;
    return current;
}

}  // namespace

bool TFormRegistry::Register(TFormClassInfo info) {
    if (info.ClassName.empty() || !info.Factory) throw EFormError("Непълна регистрация на форма");
    // A catalogued class opens under its catalogued number only.
    const TFormCatalogueEntry* entry = FindCatalogueClass(info.ClassName);
    if (entry != nullptr && entry->FormNumber != info.FormNumber)
        throw EFormError("Формата " + info.ClassName + " е с номер " + std::to_string(entry->FormNumber) +
                         " в каталога на формите, а не " + std::to_string(info.FormNumber));
    if (FindClass(info.ClassName) != nullptr) return false;
    if (info.FormNumber != 0 && FindNumber(info.FormNumber) != nullptr) return false;
    classes_.push_back(std::move(info));
    return true;
}

const TFormClassInfo* TFormRegistry::FindClass(std::string_view className) const {
    for (const TFormClassInfo& info : classes_)
        if (EqualsIgnoreCase(info.ClassName, className)) return &info;
    return nullptr;
}

const TFormClassInfo* TFormRegistry::FindNumber(int formNumber) const {
    for (const TFormClassInfo& info : classes_)
        if (info.FormNumber == formNumber) return &info;
    return nullptr;
}

std::unique_ptr<TfBase> TFormRegistry::CreateForm(int formNumber) const {
    const TFormClassInfo* info = FindNumber(formNumber);
    if (info == nullptr) {
        const std::string text = GetMessageText("err_FormNotRegistered", "Няма регистрирана форма с номер %s.");
        throw EFormError(FormatMessage(text, {std::to_string(formNumber)}));
    }
    return Create(*info);
}

std::unique_ptr<TfBase> TFormRegistry::CreateForm(std::string_view className) const {
    const TFormClassInfo* info = FindClass(className);
    if (info == nullptr) {
        const std::string text = GetMessageText("err_FormClassNotRegistered", "Няма регистрирана форма %s.");
        throw EFormError(FormatMessage(text, {std::string(className)}));
    }
    return Create(*info);
}

std::unique_ptr<TfBase> TFormRegistry::Create(const TFormClassInfo& info) const {
    std::unique_ptr<TfBase> form = info.Factory();
    if (!form) throw EFormError("Формата " + info.ClassName + " не беше създадена");
    form->FormNumber = info.FormNumber;
    if (form->Description.Caption.empty()) form->Description.Caption = info.Caption;
    return form;
}

TFormRegistry& FormRegistry() { return *CurrentRegistry(); }

bool RegisterFormClass(const std::string& className, int formNumber, TFormFactory factory,
                       const std::string& caption, TFormGroup group) {
    return FormRegistry().Register({className, formNumber, std::move(factory), caption, group});
}

TFormRegistryScope::TFormRegistryScope()
    : registry_(std::make_unique<TFormRegistry>()), previous_(CurrentRegistry()) {
    CurrentRegistry() = registry_.get();
}

TFormRegistryScope::~TFormRegistryScope() { CurrentRegistry() = previous_; }

}  // namespace tavrek
