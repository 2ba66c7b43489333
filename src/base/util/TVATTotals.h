#pragma once

#include <map>
#include <string>

namespace tavrek {

// VAT per rate for a whole document. Each group keeps its base and base in local
// currency; its VAT is the base times the rate rounded once per group to the session's
// amount decimals, so the document VAT is not a sum of per-line roundings.
class TVATTotals {
public:
    struct TGroup {
        double Percent = 0.0;
        double Base = 0.0;
        double BaseLCY = 0.0;
    };

    void ClearVATGroups();
    void AddVATGroups(const std::string& key, double percent, double value, double valueLCY);

    const std::map<std::string, TGroup>& Groups() const { return groups_; }
    double GroupVAT(const TGroup& group) const;
    double GroupVATLCY(const TGroup& group) const;

    double TotalBase() const;
    double TotalVAT() const;
    double TotalGross() const;
    double TotalBaseLCY() const;
    double TotalVATLCY() const;
    double TotalGrossLCY() const;

private:
    std::map<std::string, TGroup> groups_;
};

}  // namespace tavrek
