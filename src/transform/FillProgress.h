#pragma once

#include <QString>

namespace transform {

/// What the operator sees while a list is filled or listed: the busy pointer and the progress
/// window. The window implements it over frmInitialize; tests record the calls.
class FillProgress {
public:
    virtual ~FillProgress() = default;

    /// Shows the busy pointer over the whole screen (true) or the normal pointer again (false).
    virtual void setBusy(bool busy) = 0;
    /// Shows the progress window with `caption` and a bar from 0 to `maximum`, not modal.
    virtual void open(const QString& caption, int maximum) = 0;
    /// Moves the bar of the open progress window one step on.
    virtual void step() = 0;
    /// Closes the progress window.
    virtual void close() = 0;
};

} // namespace transform
