#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/forms/TFormDescription.h"

namespace tavrek {

// The grid settings users leave behind (column widths and visibility), kept per form class
// and grid for the life of the client, so a form opens as it was last closed. The desktop
// may load and store them between runs.
class TFormSettings {
public:
    struct TColumn {
        std::string FieldName;
        int Width = 0;
        bool Visible = true;
    };
    using TGridSettings = std::vector<TColumn>;

    static TFormSettings& Instance();

    void Save(const std::string& formClass, const TGrid& grid);
    // Applies stored widths and visibility to the grid's columns of the same fields.
    void Apply(const std::string& formClass, TGrid& grid) const;
    const std::map<std::string, TGridSettings>& All() const { return grids_; }
    void Set(const std::string& key, TGridSettings settings) { grids_[key] = std::move(settings); }

private:
    std::map<std::string, TGridSettings> grids_;  // "<form class>.<grid name>"
};

}  // namespace tavrek
