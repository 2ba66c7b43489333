#pragma once

namespace tavrek {

class TfBase;

// The main window's side of a hand-over between forms (a view closing after it generated
// a payment, say): first told that no form leads any more, then that the closing form is
// gone, so that its menus and window list follow the new form. A host may implement it next
// to IFormHost.
class IMainFormIntf {
public:
    virtual ~IMainFormIntf() = default;
    virtual void ActiveFormChanged(TfBase* form) = 0;
    virtual void FormClosed(TfBase* form) = 0;
};

// The main window's interface when the session's form host implements it, else nullptr.
IMainFormIntf* MainFormIntf();

}  // namespace tavrek
