#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/forms/TLookupDefinition.h"
#include "base/forms/TfBase.h"

namespace tavrek {

// "Анализ на покупките": what the company bought over a period, one page per view (by vendor,
// item, item group and month, an item's price history, the open orders and what of them is
// late, each vendor's on-time rate), each a table with its chart beside it. The server computes
// every view; the page in front is computed when it comes to the front or the period changes.
// A click on a bar or a row opens the documents behind it.
class TfBrPurchAnalysis : public TfBase {
public:
    TfBrPurchAnalysis();
    ~TfBrPurchAnalysis() override;
    std::string ClassName() const override { return "TfBrPurchAnalysis"; }

    static constexpr int kFormNumber = 10920;

    // DateFrom, DateTo, ItemCode (the item of the price history) and its ItemName.
    TClientDataSet cdsParams{"cdsParams"};

    struct TView;
    const std::vector<std::unique_ptr<TView>>& Views() const { return views_; }
    // The view shown on a page (tsVendor ...) and its rows; throws for an unknown page.
    TView& ViewOf(const std::string& page);
    TClientDataSet& RowsOf(const std::string& page);

    void FormShow() override;
    void acRefreshExecute() override;
    const TLookupDefinition* LookupOf(TClientDataSet& dataSet, std::string_view field) override;
    // The documents behind the row at the position among the visible rows of the page's view.
    void OpenDocumentsOf(const std::string& page, int row);

private:
    void AddView(const char* code, const char* page, const char* caption, std::vector<TGridColumnRow> columns,
                 TChartKind chart, const char* category, const char* value, const char* series = "");
    void ComputeShownView();
    void Compute(TView& view);
    void PeriodChanged();
    void OpenList(const char* className, TFilter filter);
    TFilter PeriodFilter(const char* dateField);

    std::vector<std::unique_ptr<TView>> views_;
    bool settingParams_ = false;
    TLookupDefinition itemLookup_;
};

// A view of the analysis: the server's code of it, its page, rows, grid and chart.
struct TfBrPurchAnalysis::TView {
    std::string Code;
    std::string Page;
    TClientDataSet Rows;
    TGrid Grid;
    bool Stale = true;

    TView(const std::string& code, const std::string& page)
        : Code(code), Page(page), Rows("cds_" + code), Grid("dbg_" + code, "cds_" + code) {}
};

namespace uBrPurchAnalysis {
void Initialization();
void Finalization();
}  // namespace uBrPurchAnalysis

}  // namespace tavrek
