#pragma once

#include <QString>
#include <Qt>

namespace horunea {

// Which accounts are open and how their windows last stood; one for the process.
struct SessionState
{
    QString CustomerAccountName;
    QString RepairAccountName;
    Qt::WindowStates CustomerWindowState = Qt::WindowNoState;
    Qt::WindowStates RepairWindowState = Qt::WindowNoState;

    static SessionState& instance();
    void reset() { *this = SessionState(); }
};

} // namespace horunea
