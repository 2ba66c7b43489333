#include "base/forms/Selectors.h"

#include <map>

#include "base/forms/EFormError.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/IDialogs.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

std::vector<std::string> SplitFields(const std::string& list) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = list.find(',', start);
        const std::string name = Trim(list.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (!name.empty()) names.push_back(name);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return names;
}

struct TFieldMap {
    std::vector<std::string> Source;
    std::vector<std::string> Target;
};

TFieldMap MapFields(const std::string& selectorFields, const std::string& targetFields) {
    TFieldMap map{SplitFields(selectorFields), SplitFields(targetFields)};
    if (map.Source.size() != map.Target.size())
        throw EFormError("Полетата на избора не съответстват: " + selectorFields + " / " + targetFields);
    return map;
}

int RequireColumn(const TRequestResult& rows, const std::string& name) {
    const int column = rows.ColumnIndex(name);
    if (column < 0) throw EFormError("Изборът не връща поле " + name);
    return column;
}

bool Choose(const std::string& selector, const TFilter& filter, bool multiSelect, TRequestResult& chosen) {
    return dm().Dialogs().Select(selector, filter, multiSelect, chosen) && !chosen.Empty();
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string result;
    size_t start = 0;
    for (size_t at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
        result.append(text.substr(start, at - start)).append(to);
        start = at + from.size();
    }
    return result.append(text.substr(start));
}

TFilter WithWildcards(const TFilter& filter) {
    TFilter result;
    for (TFilterCondition condition : filter.Conditions()) {
        if (condition.Value.Type() == TVarType::varString)
            condition.Value = ReplaceAll(condition.Value.AsString(), "%s", "%");
        result.Add(std::move(condition));
    }
    return result;
}

std::map<std::string, TSelectorRows>& ProvidedSelectors() {
    static std::map<std::string, TSelectorRows> selectors;
    return selectors;
}

}  // namespace

bool RegisterSelectorRows(const std::string& selector, TSelectorRows rows) {
    return ProvidedSelectors().emplace(selector, std::move(rows)).second;
}

void UnregisterSelectorRows(const std::string& selector) { ProvidedSelectors().erase(selector); }

void LoadSelectorRows(const std::string& selector, const TFilter& filter, TClientDataSet& rows) {
    const auto provided = ProvidedSelectors().find(selector);
    if (provided != ProvidedSelectors().end()) provided->second(filter, rows);
    else dm().Server().RequestData(selector, filter, rows);
}

bool GetSelector(const std::string& selector, const TFilter& filter, const std::string& selectorFields,
                 const std::string& targetFields, TClientDataSet& target) {
    MapFields(selectorFields, targetFields);
    TRequestResult chosen;
    if (!Choose(selector, filter, false, chosen)) return false;
    CopySelectedRecord(chosen, selectorFields, targetFields, target);
    return true;
}

void CopySelectedRecord(const TRequestResult& chosen, const std::string& selectorFields,
                        const std::string& targetFields, TClientDataSet& target) {
    const TFieldMap map = MapFields(selectorFields, targetFields);
    std::vector<int> columns;
    for (const std::string& name : map.Source) columns.push_back(RequireColumn(chosen, name));
    if (target.State() == TDataSetState::dsBrowse) target.Edit();
    for (size_t i = 0; i < columns.size(); ++i)
        target.FieldByName(map.Target[i]).SetValue(chosen.Value(0, static_cast<size_t>(columns[i])));
}

bool GetSelectorRows(const std::string& selector, const TFilter& filter, const std::string& selectorFields,
                     const std::string& targetFields, TRequestResult& rows) {
    const TFieldMap map = MapFields(selectorFields, targetFields);
    TRequestResult chosen;
    if (!Choose(selector, filter, true, chosen)) return false;
    std::vector<int> columns;
    for (const std::string& name : map.Source) columns.push_back(RequireColumn(chosen, name));
    rows = TRequestResult{map.Target, {}};
    for (size_t row = 0; row < chosen.Rows.size(); ++row) {
        TVariantArray values;
        for (int column : columns) values.push_back(chosen.Value(row, static_cast<size_t>(column)));
        rows.Rows.push_back(std::move(values));
    }
    return true;
}

bool GetControlSelector(const std::string& selector, const TFilter& filter, const std::string& selectorFields,
                        const std::vector<std::string*>& controls) {
    const std::vector<std::string> names = SplitFields(selectorFields);
    if (names.size() != controls.size())
        throw EFormError("Полетата на избора не съответстват на контролите: " + selectorFields);
    TRequestResult chosen;
    if (!Choose(selector, WithWildcards(filter), false, chosen)) return false;
    std::vector<int> columns;
    for (const std::string& name : names) columns.push_back(RequireColumn(chosen, name));
    for (size_t i = 0; i < controls.size(); ++i)
        *controls[i] = chosen.Value(0, static_cast<size_t>(columns[i])).AsString();
    return true;
}

}  // namespace tavrek
