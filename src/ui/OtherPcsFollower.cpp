#include "ui/OtherPcsFollower.h"

#include "store/DataView.h"
#include "store/Database.h"
#include "store/server/ServerWatch.h"
#include "ui/Dialogs.h"
#include "ui/ReportListView.h"

#include <QApplication>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>

namespace horunea {

namespace {

// How often a lost connection is tried again.
constexpr int RetryMs = 2000;

const QString LostText = u"サーバーとの接続が切れました。"_qs;
const QString BackText = u"サーバーとまたつながりました。表示を読み直しました。"_qs;

// The box that says the connection is lost, while the clerk has not closed
// it yet: once the connection is back it has nothing true left to say.
void closeLostBoxes()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box && box->isVisible() && box->text() == LostText)
            box->done(QMessageBox::Ok);
    }
}
// A burst of changes (another PC adding thirty users) is read once, this
// long after its first change came.
constexpr int GatherMs = 150;

} // namespace

OtherPcsFollower::OtherPcsFollower(Database& db, DataView& view, QList<ReportListView*> lists,
                                   QWidget* window)
    : m_db(&db), m_view(&view), m_lists(std::move(lists)), m_window(window)
{
    if (!db.tellsOfOtherPcs())
        return;
    m_retry = new QTimer(this);
    m_retry->setInterval(RetryMs);
    connect(m_retry, &QTimer::timeout, this, &OtherPcsFollower::tryAgain);
    m_gather = new QTimer(this);
    m_gather->setSingleShot(true);
    m_gather->setInterval(GatherMs);
    connect(m_gather, &QTimer::timeout, this, &OtherPcsFollower::readGathered);
    watch();
}

void OtherPcsFollower::watch()
{
    m_watch = std::make_unique<ServerWatch>(*m_db);
    connect(m_watch.get(), &ServerWatch::changed, this, &OtherPcsFollower::gather);
    connect(m_watch.get(), &ServerWatch::lost, this, &OtherPcsFollower::connectionLost);
}

void OtherPcsFollower::connectionLost()
{
    if (m_retry->isActive())
        return;
    m_retry->start();
    // Said once the watch that lost it has returned.
    QTimer::singleShot(0, this, [this] {
        Dialogs::instance().message(m_window, LostText, Dialogs::Icon::Exclamation);
    });
}

void OtherPcsFollower::tryAgain()
{
    try {
        watch();
    } catch (const Failure&) {
        return; // not yet: the next try comes
    }
    m_retry->stop();
    // The view's own connection learns of the loss on its first statement,
    // which then fails; the next makes it again. That first one is this.
    try {
        m_db->scalar(u"SELECT 1"_qs);
    } catch (const Failure&) {
    }
    reload({});
    closeLostBoxes();
    QTimer::singleShot(0, this, [this] {
        Dialogs::instance().message(m_window, BackText, Dialogs::Icon::Information);
    });
}

OtherPcsFollower::~OtherPcsFollower() = default;

void OtherPcsFollower::gather(const QStringList& tables)
{
    for (const QString& table : tables)
        m_changed.insert(table);
    if (!m_gather->isActive())
        m_gather->start();
}

void OtherPcsFollower::readGathered()
{
    // While the user has a dialog open (an editor, a message), the lists
    // beneath wait: nothing the user does is held up for them.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        m_gather->start();
        return;
    }
    const QStringList tables(m_changed.cbegin(), m_changed.cend());
    m_changed.clear();
    reload(tables);
}

void OtherPcsFollower::reload(const QStringList& tables)
{
    QList<int> scrolls;
    for (ReportListView* list : std::as_const(m_lists))
        scrolls << list->verticalScrollBar()->value();
    if (!runGuarded(m_window, [&] { m_view->reloadKeepingCurrent(tables); }))
        return;
    for (qsizetype i = 0; i < m_lists.size(); ++i)
        m_lists[i]->verticalScrollBar()->setValue(scrolls[i]);
    ReportListView::showChoices(m_lists, m_view->chosenRows());
}

} // namespace horunea
