#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/data/TClientDataSet.h"

namespace tavrek {

// What the generic desktop host needs to lay a form out: pages, labelled header edits,
// grids with footers and the side panel. The form fills it; the host only reads it and
// writes back what the user changed (grid selection, footer texts stay the form's).

enum class TFieldKind { fkText, fkNumber, fkDate, fkFlag, fkLookup, fkCombo };

// A tabbed page (tsMainData ...); the empty name is the area above the pages.
struct TFormPage {
    std::string Name;
    std::string Caption;
    bool Visible = true;
};

// A labelled edit bound to a field of a dataset of the form.
struct THeaderField {
    std::string FieldName;
    std::string Caption;
    TFieldKind Kind = TFieldKind::fkText;
    bool ReadOnly = false;
    std::string Page;                    // name of a TFormPage, empty for the top area
    std::string ControlName;             // the control's own name where it is not the field's
    std::string DataSet = "cdsMaster";
    // fkFlag: the stored values of the checked and unchecked states.
    std::string CheckedValue = "1";
    std::string UncheckedValue = "0";
    // fkCombo: the items offered; the form may refill them (on FormShow, say).
    std::vector<std::string> Items;
    // fkLookup: the selector opened by the "..." button, its filter field for the typed text,
    // and the selector fields copied into the listed dataset fields.
    std::string Selector;
    std::string SelectorFilterField;
    std::string SelectorFields;
    std::string TargetFields;
    std::string DisplayFormat;  // fkNumber/fkDate, such as "0.00" or "dd.mm.yyyy"
    int Width = 0;
    bool Visible = true;
    // Shown when the pointer rests on the field: what tells apart fields of the same caption.
    std::string Hint;
    // A search field: the text is taken as it is typed, not only when the field is left.
    bool TakesTextAsTyped = false;
};

// A column of a grid. The footer shows FooterText when the form set one, otherwise the
// value of the named aggregate of the grid's dataset.
struct TGridColumn {
    std::string FieldName;
    std::string Caption;
    int Width = 80;
    std::string FooterAggregate;
    std::string FooterText;
    bool ReadOnly = false;
    bool Visible = true;
    std::string DisplayFormat;
};

// The display format of a 0/1 column that the grid shows as a check box.
inline constexpr const char kCheckBoxFormat[] = "checkbox";

// The display format of an integer column whose values the grid shows by name, as
// "names:25=Върната;27=Отказана"; a value without a name shows as the number.
inline constexpr const char kValueNamesFormat[] = "names:";

// One column of a grid's layout table: field, caption, and optionally width and display format.
struct TGridColumnRow {
    const char* Field;
    const char* Caption;
    int Width = 80;
    const char* Format = "";
};

// A grid over a dataset of the form (dbgMaster, dbgDetail). SelectedRows are the rows the
// user multi-selected, as bookmarks of the dataset; the host keeps them current.
struct TGrid {
    TGrid(std::string name, std::string dataSet) : Name(std::move(name)), DataSet(std::move(dataSet)) {}

    std::string Name;
    std::string DataSet;
    std::string Page;
    // Shown above the grid where a form has several, so a person knows which is which.
    std::string Caption;
    std::vector<TGridColumn> Columns;
    bool ReadOnly = false;   // no editing in the grid
    bool Enabled = true;     // disabled while the form walks the dataset
    bool MultiSelect = false;
    bool Visible = true;
    std::vector<TBookmark> SelectedRows;
    // The fields whose cells Tab and Enter stop at, where the grid shows them; a grid showing
    // none of them stops at every editable cell.
    std::vector<std::string> EntryFields;
    // A double click or Enter on a row (lists open the row's card).
    std::function<void()> OnDblClick;

    TGridColumn& AddColumn(const std::string& fieldName, const std::string& caption, int width = 80);
    void AddColumns(std::initializer_list<TGridColumnRow> rows);
    TGridColumn* FindColumn(std::string_view fieldName);
};

// One clickable list of the side panel: rows of caption and value; a click reaches the
// form with the row's position.
struct TPanelRow {
    std::string Caption;
    std::string Value;
};

struct TPanelList {
    std::string Name;
    std::string Caption;
    std::vector<TPanelRow> Rows;
    std::function<void(int row)> OnClick;

    void ClearValues();
};

// The side panel pFloat: free text and lists of rows.
struct TSidePanel {
    std::string Name = "pFloat";
    bool Visible = false;
    std::string Text;
    std::vector<TPanelList> Lists;

    TPanelList& AddList(const std::string& name, const std::string& caption, std::vector<std::string> rowCaptions);
    TPanelList* FindList(std::string_view name);
};

// One header edit of a layout table: field, caption, kind and page.
struct THeaderFieldRow {
    const char* Field;
    const char* Caption;
    TFieldKind Kind;
    const char* Page;
};

enum class TChartKind { ckBar, ckLine };

// A chart beside the grid of its page, drawn from the visible rows of a dataset of the form:
// a bar or a point per row at ValueField, labelled by CategoryField (a date field gives a
// time axis). A line chart with a SeriesField draws one line per value of that field. The
// form raises Version when it refilled the rows, so the host draws them anew.
struct TChart {
    std::string Name;
    std::string Page;
    std::string DataSet;
    TChartKind Kind = TChartKind::ckBar;
    std::string Title;
    std::string CategoryField;
    std::string ValueField;
    std::string SeriesField;
    int Version = 0;
    // A click on a bar or a point: the position of its row among the visible rows.
    std::function<void(int row)> OnClick;
};

struct TFormDescription {
    std::string Caption;
    std::vector<TFormPage> Pages;
    // The page in front: the host shows the one the form names and writes back the one the
    // user chose, then tells the form through OnPageShown.
    std::string ShownPage;
    std::function<void()> OnPageShown;
    std::vector<TChart> Charts;
    std::vector<THeaderField> Fields;
    // The field a new record is filled in from; empty: the first of the record's own fields.
    std::string FirstField;

    TFormPage& AddPage(const std::string& name, const std::string& caption);
    THeaderField& AddField(const std::string& fieldName, const std::string& caption, TFieldKind kind,
                           const std::string& page = "");
    void AddFields(std::initializer_list<THeaderFieldRow> rows);
    // Posted views show every field and let none be changed.
    void AddReadOnlyFields(std::initializer_list<THeaderFieldRow> rows);
    THeaderField* FindField(std::string_view fieldName);
    TFormPage* FindPage(std::string_view name);
    TChart* FindChart(std::string_view name);
};

}  // namespace tavrek
