#pragma once

#include <string>
#include <vector>

#include "base/data/TDateTime.h"
#include "base/data/TFilter.h"
#include "base/server/TRequestResult.h"

namespace tavrek {

enum class TMsgDlgType { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3 };

using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;

constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7;

// Everything a form asks the user goes through here, so a test can script the answers.
class IDialogs {
public:
    virtual ~IDialogs() = default;

    // Returns mrYes, mrNo, mrOk or mrCancel.
    virtual int MessageDlgEx(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) = 0;
    // Asks for a quantity up to maximum; false when the user cancelled.
    virtual bool InputQuantity(const std::string& caption, double& value, double maximum) = 0;
    // Asks for a line of text; false when the user cancelled.
    virtual bool InputText(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    // Lets the user choose rows of a selector (a table or provider of master data) under a
    // filter; the chosen rows come back with every column. False when nothing was chosen.
    virtual bool Select(const std::string& selector, const TFilter& filter, bool multiSelect,
                        TRequestResult& chosen) = 0;
    // Asks for a file to open (save=false) or to write; false when cancelled.
    virtual bool SelectFile(const std::string& caption, const std::string& pattern, bool save, std::string& path) = 0;
    // Lets the user choose one of rows that did not come from the server (a vendor's
    // documents, say); chosen is the row's index. False when cancelled. Unless a client
    // offers a grid, the rows are listed and the user types the number of one.
    virtual bool ChooseRow(const std::string& caption, const TRequestResult& rows, int& chosen);
    // The annulment dialog: the annulment date (proposed by the caller) and its reason.
    // False when the user did not confirm.
    virtual bool AnnulDocument(TDateTime& date, std::string& description);
    // The change-calculation window: the amount due in local currency; the cashier types
    // what was handed over and reads the change. Shown modally.
    virtual void ChangeCalculation(double due, double received);
    // The currency-rate window: the rate of currency as text; readOnly only shows it.
    // False when the user did not confirm.
    virtual bool CurrencyRate(const std::string& currency, std::string& rate, bool readOnly);
    // An option dialog: a title, the question it asks (none when empty) and the options, one
    // per line. Returns the index of the chosen option, -1 when cancelled.
    virtual int ChooseOption(const std::string& title, const std::string& options, const std::string& question = "");
    // The option dialog with a check box captioned flagCaption that starts as flag; flag
    // gets its state when an option is chosen. Unless a client shows the box in the dialog,
    // it is asked as a question after the choice.
    virtual int ChooseOptionWithFlag(const std::string& title, const std::string& options,
                                     const std::string& flagCaption, bool& flag, const std::string& question = "");
    // Lets the user name our item (an Id of N_Item) for each vendor line of lines (columns
    // "Line,VendorKey,Description,Quantity"); itemIds gets one entry per line, empty where
    // none was named. False when cancelled. Unless a client offers a dialog of its own, the
    // item selector is shown once per line.
    virtual bool MapVendorItems(const TRequestResult& lines, std::vector<std::string>& itemIds);
};

}  // namespace tavrek
