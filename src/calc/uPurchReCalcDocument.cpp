#include "calc/uPurchReCalcDocument.h"

#include "base/data/TClientDataSet.h"
#include "base/forms/TWaitCursor.h"
#include "base/util/TVATTotals.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchCallculations.h"

namespace tavrek::uPurchCallculations {

using namespace uPurchCalcHelpers;

namespace {

void RecalcLines(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, TVATTotals& VATTotals) {
    int position = 0;
    for (Line.First(); !Line.Eof(); Line.Next()) {
        Line.Edit();
        TField& lineNo = Line.FieldByName("Line_No");
        if (lineNo.AsInteger() != ++position) lineNo.SetAsInteger(position);
        PurchLineDiscountOnChange(Header, Line, Calculating);
        TField& percent = Line.FieldByName("VATPercent");
        VATTotals.AddVATGroups(percent.AsString(), percent.AsFloat(), Num(Line, "TotalValue"),
                               Num(Line, "TotalValue_LCY"));
        Line.Post();
    }
}

void WriteHeaderTotals(TClientDataSet& Header, const TVATTotals& VATTotals) {
    Header.Edit();
    SetNum(Header, "TotalValue", VATTotals.TotalBase());
    SetNum(Header, "TotalVAT", VATTotals.TotalGross());
    SetNum(Header, "VATValue", VATTotals.TotalVAT());
    SetNum(Header, "TotalValue_LCY", VATTotals.TotalBaseLCY());
    SetNum(Header, "VATValue_LCY", VATTotals.TotalVATLCY());
    SetNum(Header, "TotalVAT_LCY", VATTotals.TotalGrossLCY());
}

}  // namespace

void PurchReCalcDocumentExecute(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating,
                                TVATTotals& VATTotals) {
    const TWaitCursor hourglass;
    Line.DisableControls();
    try {
        VATTotals.ClearVATGroups();
        const Variant current = Line.IsEmpty() ? Variant() : Line.FieldByName("Id").Value();
        RecalcLines(Header, Line, Calculating, VATTotals);
        LocateLine(Line, current);
        WriteHeaderTotals(Header, VATTotals);
    } catch (...) {
        LogFailure("TfEdPurchase.acReCalDocumentExecute");
    }
    Line.EnableControls();
}

}  // namespace tavrek::uPurchCallculations
