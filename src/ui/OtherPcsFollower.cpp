#include "ui/OtherPcsFollower.h"

#include "store/DataView.h"
#include "store/Database.h"
#include "store/ServerWatch.h"
#include "ui/Dialogs.h"
#include "ui/ReportListView.h"

#include <QScrollBar>

namespace horunea {

OtherPcsFollower::OtherPcsFollower(Database& db, DataView& view, QList<ReportListView*> lists,
                                   QWidget* window)
    : m_view(&view), m_lists(std::move(lists)), m_window(window)
{
    if (!db.isServer())
        return;
    m_watch = std::make_unique<ServerWatch>(db);
    connect(m_watch.get(), &ServerWatch::changed, this, &OtherPcsFollower::reload);
}

OtherPcsFollower::~OtherPcsFollower() = default;

void OtherPcsFollower::reload()
{
    QList<int> scrolls;
    for (ReportListView* list : std::as_const(m_lists))
        scrolls << list->verticalScrollBar()->value();
    if (!runGuarded(m_window, [this] { m_view->reloadKeepingCurrent(); }))
        return;
    const QList<int> rows = m_view->chosenRows();
    for (qsizetype i = 0; i < m_lists.size(); ++i) {
        m_lists[i]->verticalScrollBar()->setValue(scrolls[i]);
        if (rows.value(i, -1) >= 0)
            m_lists[i]->selectRow(rows[i]);
    }
}

} // namespace horunea
