#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "base/data/TClientDataSet.h"

namespace tavrek {

// The totals of a document's lines as they stand while the person types: without VAT, the
// VAT of each rate and with VAT, in document and local currency, computed as the saved
// document's recalculation computes them (VAT taken once per rate on the rate's base, the
// local amounts converted from the document's totals). Each record's share is kept as the
// lines change, so a changed line costs the same on ten lines as on ten thousand.
class TDocumentTotals : private IDataSetObserver {
public:
    struct TRate {
        double Percent = 0.0;
        double VAT = 0.0;
        double VATLCY = 0.0;
    };
    struct TFigures {
        double Value = 0.0;
        double ValueLCY = 0.0;
        std::vector<TRate> Rates;  // by percent, highest first
        double VAT = 0.0;
        double VATLCY = 0.0;
        double Gross = 0.0;
        double GrossLCY = 0.0;
    };

    TDocumentTotals(TClientDataSet& header, TClientDataSet& lines);
    ~TDocumentTotals() override;
    TDocumentTotals(const TDocumentTotals&) = delete;
    TDocumentTotals& operator=(const TDocumentTotals&) = delete;

    // Whether the lines carry amounts at all (a worksheet's lines may not).
    bool Available() const { return valueField_ >= 0; }
    // The stored lines and, when one is being edited or inserted, that line as typed.
    TFigures Figures() const;
    // The stored lines only.
    TFigures StoredFigures() const;
    // Called after the stored lines' totals changed.
    std::function<void()> OnChanged;

private:
    struct TShare {
        int64_t Value = 0;  // the line's amount without VAT, rounded, in 10^-9 units
        int64_t Taxed = 0;  // the base its VAT is taken on
        int64_t Rate = 0;   // the VAT percent, in 10^-9 units
    };
    struct TGroup {
        int64_t Taxed = 0;
        int Lines = 0;
    };
    struct TSums {
        int64_t Value = 0;
        std::map<int64_t, TGroup> Groups;
        void Add(const TShare& share, int sign);
    };

    void DataSetChanged() override;
    void RecordChanged(int index) override;
    void RecordInserted(int index) override;
    void RecordDeleted(int index) override;

    TShare ShareOf(const std::vector<Variant>& values) const;
    TFigures FiguresOf(const TSums& sums) const;
    double CurrencyFactor() const;
    void Changed();

    TClientDataSet& header_;
    TClientDataSet& lines_;
    int valueField_ = -1;
    int baseField_ = -1;
    int rateField_ = -1;
    std::vector<TShare> shares_;  // by raw record position
    TSums sums_;
};

}  // namespace tavrek
