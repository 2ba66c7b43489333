#pragma once

#include <string>
#include <vector>

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
};

}  // namespace tavrek
