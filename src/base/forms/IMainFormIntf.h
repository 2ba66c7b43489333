#pragma once

namespace tavrek {

class TfBase;

// The main window's side of a hand-over between forms (a posted view closing after it
// generated a payment, say): told which form now leads, nullptr for none, so that its menus
// and window list follow. A host may implement it next to IFormHost.
class IMainFormIntf {
public:
    virtual ~IMainFormIntf() = default;
    virtual void FormNotification(TfBase* form) = 0;
};

// The main window's interface when the session's form host implements it, else nullptr.
IMainFormIntf* MainFormIntf();

}  // namespace tavrek
