#pragma once

#include <QList>
#include <QObject>
#include <QSet>

#include <memory>

class QTimer;
class QWidget;

namespace horunea {

class Database;
class DataView;
class ReportListView;
class ServerWatch;

// A data window's part in working with other PCs on the server: another
// PC's change reloads the view, and the window's lists keep their scroll
// positions and choose the view's current rows again. On the files there
// is no other PC, and nothing is watched.
class OtherPcsFollower : public QObject
{
    Q_OBJECT
public:
    // `lists` in the order of the view's chosenRows().
    OtherPcsFollower(Database& db, DataView& view, QList<ReportListView*> lists, QWidget* window);
    ~OtherPcsFollower() override;

    // What the window does when another PC changed the account's tables
    // (all of them when none is named): the lists that show them read again.
    void reload(const QStringList& tables);

private:
    void watch();
    // Changes are gathered for a moment and read at once, once no dialog is
    // open.
    void gather(const QStringList& tables);
    void readGathered();
    // The watch's connection is gone: said once, then made again every few
    // seconds; once it is back, what is shown is read again, the box that
    // said it was lost closes if still open, and the return is said.
    void connectionLost();
    void tryAgain();

    Database* m_db;
    DataView* m_view;
    QList<ReportListView*> m_lists;
    QWidget* m_window;
    std::unique_ptr<ServerWatch> m_watch;
    QTimer* m_retry = nullptr;
    QTimer* m_gather = nullptr;
    QSet<QString> m_changed;
};

} // namespace horunea
