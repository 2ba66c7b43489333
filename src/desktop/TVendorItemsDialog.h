#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "base/server/TRequestResult.h"

class QTableWidget;

namespace tavrek::desktop {

// Lists the lines of a vendor's document whose item we do not know, each with a button
// that lets the user name our item for it; what is named is remembered for the vendor.
class TVendorItemsDialog : public QDialog {
    Q_OBJECT
public:
    // Lets the user choose one item; the row comes with at least "Id", "Code" and "Name".
    using TChooseItem = std::function<bool(TRequestResult& item)>;

    // lines: columns "Line,VendorKey,Description,Quantity".
    TVendorItemsDialog(const TRequestResult& lines, TChooseItem choose, QWidget* parent = nullptr);

    QTableWidget& Table() const { return *table_; }
    // Our item Id per line, empty where none was named.
    const std::vector<std::string>& ItemIds() const { return itemIds_; }
    // Runs the choice for one line, as its button does.
    void ChooseFor(int row);

private:
    QTableWidget* table_;
    TChooseItem choose_;
    std::vector<std::string> itemIds_;
};

}  // namespace tavrek::desktop
