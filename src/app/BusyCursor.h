#pragma once

#include <QApplication>

namespace app {

/// Shows the hourglass for as long as it lives, and the normal pointer again afterwards
/// (also when an operation ends early or throws).
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace app
