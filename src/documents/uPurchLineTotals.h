#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/util/TVATTotals.h"

namespace tavrek {

// The sums of a document's lines by VAT rate, kept in step with the line dataset as lines
// are posted, changed and deleted: reading them costs the same on ten lines as on ten
// thousand. Amounts are held in millionths so that adding and removing a line leaves no
// residue. Only reopening the lines, or a change made while their controls were off, sums
// them all again.
class TPurchLineTotals : private IDataSetObserver {
public:
    explicit TPurchLineTotals(TClientDataSet& lines);
    ~TPurchLineTotals() override;
    TPurchLineTotals(const TPurchLineTotals&) = delete;
    TPurchLineTotals& operator=(const TPurchLineTotals&) = delete;

    // The VAT groups of the lines as the document recalculation forms them, with the current
    // line's unposted values in place of its posted ones; lines' local bases typed apart from
    // their value convert at factor.
    TVATTotals VATGroups(double factor) const;
    // The sum of the lines' values without VAT, each rounded to the amount decimals, the
    // current line as it is being edited.
    double LinesValue() const;

private:
    struct TShare {
        int64_t Rate = 0;       // VATPercent in millionths
        int64_t Value = 0;      // TotalValue rounded
        int64_t Base = 0;       // the VAT base
        int64_t BaseLCY = 0;    // the local base where it is the line's local value
        int64_t Converted = 0;  // a typed VAT base, converted at the header's factor
    };
    struct TRateSums {
        int Lines = 0;
        TShare Sum;
    };

    TShare ShareOf(const std::vector<Variant>& values) const;
    void Add(const TShare& share, int sign, std::map<int64_t, TRateSums>& rates) const;
    // The rates with the current record's edit buffer in place of its stored values.
    std::map<int64_t, TRateSums> Current() const;
    void Rebuild();

    void DataSetChanged() override;
    void RecordChanged(int index) override;
    void RecordInserted(int index) override;
    void RecordDeleted(int index) override;

    TClientDataSet& lines_;
    std::vector<TShare> shares_;  // one per stored record, by position
    std::map<int64_t, TRateSums> rates_;
    int rate_ = -1, value_ = -1, base_ = -1, valueLCY_ = -1;
};

}  // namespace tavrek
