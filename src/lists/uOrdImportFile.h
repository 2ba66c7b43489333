#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace tavrek {

// A line of a vendor's delivery file as every filter reads it.
struct TOrdImportFileLine {
    std::string Where;           // how a message names it: "ред 3", "DespatchLine 2"
    std::string VendorItemNo;    // the vendor's own item number
    std::string BuyerItemNo;     // our item number, when the vendor states it
    std::string StandardItemNo;  // GTIN, when given
    std::string Description;
    std::string UnitCode;
    std::string OrderNo;         // the purchase order the line delivers
    double Quantity = 0.0;
};

// A vendor's delivery: its number and the lines, in the file's order.
struct TOrdImportFile {
    std::string DocumentNo;
    std::vector<TOrdImportFileLine> Lines;
};

// A file that cannot be imported: the text names the line or element and says why, in
// Bulgarian, for the person to read.
class EOrdImportFile : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A quantity of a file: a finite number with a decimal point (or a comma when there is no
// point), greater than zero. False when the text is not one.
bool ParseFileQuantity(const std::string& text, double& quantity);

}  // namespace tavrek
