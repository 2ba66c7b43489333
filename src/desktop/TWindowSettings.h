#pragma once

#include <QSize>

namespace tavrek::desktop {

class TFormHostWidget;

// How a user left a form's window, kept between runs (QSettings) per user and form class:
// the window's size and the widths of its grids' columns, by field.
class TWindowSettings {
public:
    // An invalid size keeps the size stored before (a maximized window has no size of its own).
    static void Save(const TFormHostWidget& host, QSize windowSize);
    // Gives the grids their kept column widths; the kept window size, invalid when none.
    static QSize Restore(const TFormHostWidget& host);
};

}  // namespace tavrek::desktop
