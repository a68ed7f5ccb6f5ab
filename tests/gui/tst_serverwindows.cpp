// The program's windows on a shop whose data are on a server: the data
// folder holds only server.conf (the files were moved with server import),
// the main menu lists the server's accounts, an account opens and lists as
// it did from its file, a user added in the editor lands on the server, and
// the repair window shows the server's repairs. Against a private cluster.
#include "Fixtures.h"
#include "PgCluster.h"
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"

#include "customer/CustomerView.h"
#include "editor/RecordEditorDialog.h"
#include "store/Accounts.h"
#include "store/Connections.h"
#include "store/ServerMove.h"
#include "store/Store.h"
#include "store/server/ServerConnection.h"
#include "ui/MultiLineBox.h"

#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QTreeView>

#include <csignal>

using namespace horunea;
using namespace horunea::test;

class TstServerWindows : public GuiTestCase
{
    Q_OBJECT
public:
    TstServerWindows() : GuiTestCase(QDate(2003, 8, 19)) {}

private slots:
    void initTestCase();
    void theWindowsWorkOnTheServer();
    void aChangeFromAnotherPcIsNotOverwritten();
    void aBurstOfChangesIsReadOnce();
    void aServerThatStopsAnsweringIsSaid();
    void anotherPcsUserShowsWithTheChoiceKept();
    void aLogChangedElsewhereKeepsWhatWasTyped();
    void theOwnCompanyChangedElsewhereIsNotOverwritten();
    void aLostConnectionIsSaidAndTheWindowComesBack();
    void theLostBoxGivesWayToTheReturn();

private:
    void prepare() override;
    void tidy() override { Store::setServer(std::nullopt); }

    std::unique_ptr<PgCluster> m_cluster;
    int m_databases = 0;
};

void TstServerWindows::initTestCase()
{
    m_cluster = std::make_unique<PgCluster>();
    QVERIFY2(m_cluster->isRunning(), qPrintable(m_cluster->error()));
}

// A shop made in files, moved to a new database of the server; then the
// files go and only server.conf stays.
void TstServerWindows::prepare()
{
    makeOperator(u"山田"_qs);
    makeRepairAccount(u"修理係"_qs);
    {
        Database db = Database::open(customerFile(u"山田"_qs));
        const qint64 kato = addUser(db, u"ｶﾄｳ"_qs, u"加藤"_qs, {{u"会社名"_qs, u"加藤工業"_qs}});
        addUser(db, u"ｺﾊﾞﾔｼ"_qs, u"小林"_qs);
        addLog(db, addSubject(db, kato, u"複合機"_qs), kato, u"訪問した"_qs);
    }
    {
        Database db = Database::open(repairFile(u"修理係"_qs));
        addRepair(db, u"河合"_qs, u"北村商店"_qs, u"続行"_qs, {{u"入金"_qs, u"未入"_qs}});
    }
    const QString database = QStringLiteral("windows%1").arg(++m_databases);
    {
        ServerConnection admin =
            ServerConnection::open(ServerAddress::parse(m_cluster->connectionString()));
        admin.exec(u"CREATE DATABASE "_qs + database);
    }
    const ServerAddress address = ServerAddress::parse(m_cluster->connectionString(database));
    QCOMPARE(ImportFolderToServer(address, m_folder->path()), 2);
    Connections::instance().reset();
    for (const QString& gone : {u"main.mdb"_qs, u"kelvo.mdb"_qs, u"care.mdb"_qs})
        QVERIFY(QFile::remove(m_folder->file(gone)));
    QVERIFY(QDir(m_folder->file(u"kelvo"_qs)).removeRecursively());
    QVERIFY(QDir(m_folder->file(u"care"_qs)).removeRecursively());
    QFile conf(m_folder->file(u"server.conf"_qs));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(address.connectionString().toUtf8());
}

void TstServerWindows::theWindowsWorkOnTheServer()
{
    QCOMPARE(m_shell->start(false), ShellController::StartResult::Started);
    QVERIFY(Store::isServer());
    MainMenuWindow* menu = m_shell->mainMenu();
    QCOMPARE(column(child<ReportListView>(menu, u"ListView1"_qs), 1), QStringList{u"山田"_qs});
    CustomerWindow* w = openCustomerWindow(*m_shell);
    QVERIFY(w);
    QVERIFY(CustomerConnection().isServer());
    w->toolbarButton(21)->trigger(); // か
    QCOMPARE(column(w->userList(), 1), (QStringList{u"加藤"_qs, u"小林"_qs}));
    clickRow(w->userList(), 0);
    QCOMPARE(column(w->subjectList(), 4), QStringList{u"複合機"_qs});
    clickRow(w->subjectList(), 0);
    QCOMPARE(column(w->logList(), 5), QStringList{u"訪問した"_qs});
    if (const QString pictures = qEnvironmentVariable("HORUNEA_SCREENSHOTS"); !pictures.isEmpty())
        w->grab().save(QDir(pictures).filePath(u"Form1-server.png"_qs));

    withModal([w] { QTest::keyClick(w->userList(), Qt::Key_F7); },
              [](QDialog* e) {
                  child<QLineEdit>(e, u"Text31"_qs)->setText(u"ｶﾜｲ"_qs);
                  child<QLineEdit>(e, u"Text32"_qs)->setText(u"河合"_qs);
                  child<QPushButton>(e, u"Command1"_qs)->click();
              });
    QCOMPARE(column(w->userList(), 1), (QStringList{u"加藤"_qs, u"河合"_qs, u"小林"_qs}));
    QCOMPARE(columnOf(CustomerConnection(), u"SELECT 表示名 FROM ユーザー ORDER BY ユーザーID"_qs),
             (QStringList{u"加藤"_qs, u"小林"_qs, u"河合"_qs}));
    QVERIFY(m_dialogs->messages.isEmpty());

    w->close(); // the main menu comes back, its lists read again from the server
    QTRY_VERIFY(m_shell->mainMenu() && m_shell->mainMenu()->isVisible());
    QCOMPARE(column(child<ReportListView>(m_shell->mainMenu(), u"ListView2"_qs), 1),
             QStringList{u"修理係"_qs});
    RepairWindow* r = openRepairWindow(*m_shell);
    QVERIFY(r);
    QVERIFY(RepairConnection().isServer());
    QCOMPARE(column(r->repairList(), 3), QStringList{u"河合"_qs});
    QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->lastMessage()));
}

// Another PC changes the user while the editor has it open: 変更 writes
// nothing and says so; the editor shows the stored company, keeps the name
// that was typed, marked; a second 変更 then writes both.
void TstServerWindows::aChangeFromAnotherPcIsNotOverwritten()
{
    QCOMPARE(m_shell->start(false), ShellController::StartResult::Started);
    CustomerWindow* w = openCustomerWindow(*m_shell);
    QVERIFY(w);
    w->toolbarButton(21)->trigger(); // か
    clickRow(w->userList(), 0);
    QCOMPARE(w->panelValues().at(8), u"加藤工業"_qs);
    withModal([w] { clickRow(w->userList(), 0, true); },
              [&](QDialog* e) {
                  auto* name = child<QLineEdit>(e, u"Text32"_qs);
                  auto* company = child<QLineEdit>(e, u"Text39"_qs);
                  name->setText(u"加藤一郎"_qs);
                  // The other PC, on a connection of its own.
                  {
                      Database other = OpenAccountFile(AccountKind::Operator, u"山田"_qs);
                      other.exec(
                          u"UPDATE ユーザー SET 会社名 = '加藤商事' WHERE 表示名 = '加藤'"_qs);
                  }
                  child<QPushButton>(e, u"Command1"_qs)->click();
                  QVERIFY(e->isVisible());
                  QCOMPARE(m_dialogs->lastMessage(),
                           u"他の端末で変更されています。最新の内容を表示します。"_qs);
                  QCOMPARE(company->text(), u"加藤商事"_qs);
                  QVERIFY(!company->property("changedElsewhere").toBool());
                  QCOMPARE(name->text(), u"加藤一郎"_qs);
                  QVERIFY(name->property("changedElsewhere").toBool());
                  QCOMPARE(w->panelValues().at(8), u"加藤商事"_qs);
                  QCOMPARE(columnOf(CustomerConnection(),
                                    u"SELECT 表示名 FROM ユーザー ORDER BY ユーザーID"_qs)
                               .first(),
                           u"加藤"_qs);
                  child<QPushButton>(e, u"Command1"_qs)->click();
                  QVERIFY(!e->isVisible());
              });
    QCOMPARE(columnOf(CustomerConnection(), u"SELECT 表示名 FROM ユーザー ORDER BY ユーザーID"_qs)
                 .first(),
             u"加藤一郎"_qs);
    QCOMPARE(columnOf(CustomerConnection(), u"SELECT 会社名 FROM ユーザー ORDER BY ユーザーID"_qs)
                 .first(),
             u"加藤商事"_qs);
}

// Another PC adds a user that sorts first: within a second the window's
// list shows it, and the user chosen here stays chosen, one row down.
// Thirty users another PC adds one after another are read in one go or a
// few, not thirty times; and while a dialog is open here, not at all until
// it closes.
void TstServerWindows::aBurstOfChangesIsReadOnce()
{
    QCOMPARE(m_shell->start(false), ShellController::StartResult::Started);
    CustomerWindow* w = openCustomerWindow(*m_shell);
    QVERIFY(w);
    w->toolbarButton(21)->trigger(); // か
    int reads = 0;
    connect(w->view(), &CustomerView::stateChanged, this, [&] { ++reads; });
    {
        Database other = OpenAccountFile(AccountKind::Operator, u"山田"_qs);
        for (int i = 0; i < 30; ++i)
            other.insert(u"ユーザー"_qs, {{u"表示ふりがな"_qs, u"ｶｶ"_qs},
                                          {u"表示名"_qs, QStringLiteral("加%1").arg(i)}});
    }
    QTRY_COMPARE_WITH_TIMEOUT(w->userList()->model()->rowCount(), 32, 3000);
    QTest::qWait(300);
    QVERIFY2(reads <= 3, qPrintable(QString::number(reads)));

    // A message box is open: the lists wait for it.
    reads = 0;
    whenModal([&](QWidget* dialog) {
        {
            Database other = OpenAccountFile(AccountKind::Operator, u"山田"_qs);
            other.insert(u"ユーザー"_qs,
                         {{u"表示ふりがな"_qs, u"ｶｶ"_qs}, {u"表示名"_qs, u"後"_qs}});
        }
        QTest::qWait(600);
        QCOMPARE(reads, 0);
        dialog->close();
    });
    QMessageBox box(QMessageBox::Information, u"ホルネア"_qs, u"待つ"_qs, QMessageBox::Ok, w);
    box.exec();
    QTRY_COMPARE_WITH_TIMEOUT(w->userList()->model()->rowCount(), 33, 3000);
}

void TstServerWindows::anotherPcsUserShowsWithTheChoiceKept()
{
    QCOMPARE(m_shell->start(false), ShellController::StartResult::Started);
    CustomerWindow* w = openCustomerWindow(*m_shell);
    QVERIFY(w);
    w->toolbarButton(21)->trigger(); // か
    clickRow(w->userList(), 1);
    QCOMPARE(w->panelValues().at(1), u"小林"_qs);
    {
        Database other = OpenAccountFile(AccountKind::Operator, u"山田"_qs);
        other.insert(u"ユーザー"_qs, {{u"表示ふりがな"_qs, u"ｶｱ"_qs}, {u"表示名"_qs, u"加阿"_qs}});
    }
    QTRY_COMPARE_WITH_TIMEOUT(column(w->userList(), 1),
                              (QStringList{u"加阿"_qs, u"加藤"_qs, u"小林"_qs}), 1000);
    QCOMPARE(w->userList()->currentRow(), 2);
    QCOMPARE(w->panelValues().at(1), u"小林"_qs);
    QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->lastMessage()));
}

// The log editor likewise: another PC changed the recorder while the text
// was being rewritten here; the recorder shows the stored one, the date
// stays, the text typed stays, marked; the second 変更 writes it.
void TstServerWindows::aLogChangedElsewhereKeepsWhatWasTyped()
{
    QCOMPARE(m_shell->start(false), ShellController::StartResult::Started);
    CustomerWindow* w = openCustomerWindow(*m_shell);
    QVERIFY(w);
    w->toolbarButton(21)->trigger(); // か
    clickRow(w->userList(), 0);
    clickRow(w->subjectList(), 0);
    withModal([w] { clickRow(w->logList(), 0, true); },
              [&](QDialog* e) {
                  auto* date = child<QDateEdit>(e, u"DTPicker2"_qs);
                  auto* recorder = child<QComboBox>(e, u"Combo2"_qs);
                  auto* text = child<MultiLineBox>(e, u"Text24"_qs);
                  const QDate shown = date->date();
                  text->setText(u"訪問して見積を渡した"_qs);
                  {
                      Database other = OpenAccountFile(AccountKind::Operator, u"山田"_qs);
                      other.exec(u"UPDATE ログ SET 記録者 = '佐藤'"_qs);
                  }
                  child<QPushButton>(e, u"Command1"_qs)->click();
                  QVERIFY(e->isVisible());
                  QCOMPARE(m_dialogs->lastMessage(),
                           u"他の端末で変更されています。最新の内容を表示します。"_qs);
                  QCOMPARE(recorder->currentText(), u"佐藤"_qs);
                  QCOMPARE(date->date(), shown);
                  QVERIFY(!date->property("changedElsewhere").toBool());
                  QCOMPARE(text->text(), u"訪問して見積を渡した"_qs);
                  QVERIFY(text->property("changedElsewhere").toBool());
                  child<QPushButton>(e, u"Command1"_qs)->click();
                  QVERIFY(!e->isVisible());
              });
    QCOMPARE(columnOf(CustomerConnection(), u"SELECT 記録者 FROM ログ"_qs),
             QStringList{u"佐藤"_qs});
    QCOMPARE(columnOf(CustomerConnection(), u"SELECT ログ FROM ログ"_qs),
             QStringList{u"訪問して見積を渡した"_qs});
}

// The own company (F8 of the repair window): another PC changed its address
// while the name was being typed here; 変更 writes nothing, the address
// follows the stored one, the name stays, marked; the next 変更 writes it.
void TstServerWindows::theOwnCompanyChangedElsewhereIsNotOverwritten()
{
    QCOMPARE(m_shell->start(false), ShellController::StartResult::Started);
    RepairWindow* r = openRepairWindow(*m_shell);
    QVERIFY(r);
    withModal([r] { QTest::keyClick(r->repairList(), Qt::Key_F8); },
              [&](QDialog* d) {
                  auto* name = child<QLineEdit>(d, u"Text1"_qs);
                  auto* address = child<QLineEdit>(d, u"Text2"_qs);
                  name->setText(u"ホルネア商会"_qs);
                  {
                      Database other = OpenAccountFile(AccountKind::Repair, u"修理係"_qs);
                      other.exec(u"UPDATE 自社 SET 自社住所 = '大阪市北区'"_qs);
                  }
                  child<QPushButton>(d, u"Command1"_qs)->click();
                  QCOMPARE(m_dialogs->lastMessage(),
                           u"他の端末で変更されています。最新の内容を表示します。"_qs);
                  QCOMPARE(address->text(), u"大阪市北区"_qs);
                  QCOMPARE(name->text(), u"ホルネア商会"_qs);
                  QVERIFY(name->property("changedElsewhere").toBool());
                  QCOMPARE(columnOf(RepairConnection(), u"SELECT 自社名 FROM 自社"_qs),
                           QStringList{QString()});
                  child<QPushButton>(d, u"Command1"_qs)->click();
              });
    QCOMPARE(columnOf(RepairConnection(), u"SELECT 自社名 FROM 自社"_qs),
             QStringList{u"ホルネア商会"_qs});
    QCOMPARE(columnOf(RepairConnection(), u"SELECT 自社住所 FROM 自社"_qs),
             QStringList{u"大阪市北区"_qs});
}

// The backend of the window's connection stops and says nothing (a hung
// server, a link that dropped without a reset): the window waits no longer
// than its limit, says the connection is lost, and its next read works on a
// new connection.
void TstServerWindows::aServerThatStopsAnsweringIsSaid()
{
    QCOMPARE(m_shell->start(false), ShellController::StartResult::Started);
    CustomerWindow* w = openCustomerWindow(*m_shell);
    QVERIFY(w);
    ServerConnection* server = Connections::instance().customer().serverConnection();
    QVERIFY(server);
    server->setWaitLimit(1500);
    const pid_t backend = server->backendPid();
    QCOMPARE(::kill(backend, SIGSTOP), 0);
    struct Resume
    {
        pid_t pid;
        ~Resume() { ::kill(pid, SIGCONT); }
    } resume{backend};
    QElapsedTimer waited;
    waited.start();
    w->toolbarButton(21)->trigger(); // か: the user list is read
    QVERIFY2(waited.elapsed() < 10000, qPrintable(QString::number(waited.elapsed())));
    QVERIFY2(m_dialogs->lastMessage().contains(u"との接続が切れました。"_qs),
             qPrintable(m_dialogs->lastMessage()));
    w->toolbarButton(21)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(column(w->userList(), 1), (QStringList{u"加藤"_qs, u"小林"_qs}),
                              5000);
}

// The server drops every connection of the program: the window says so,
// makes its watch again as soon as it can, and then shows what another PC
// did meanwhile; the window's own next read works on a new connection.
void TstServerWindows::aLostConnectionIsSaidAndTheWindowComesBack()
{
    QCOMPARE(m_shell->start(false), ShellController::StartResult::Started);
    CustomerWindow* w = openCustomerWindow(*m_shell);
    QVERIFY(w);
    w->toolbarButton(21)->trigger(); // か
    clickRow(w->userList(), 1);
    ServerConnection admin = ServerConnection::open(
        ServerAddress::read(QDir(m_folder->path()).filePath(u"server.conf"_qs)));
    admin.exec(u"SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
               u"application_name = 'horunea' AND pid <> pg_backend_pid()"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->lastMessage(), u"サーバーとの接続が切れました。"_qs, 5000);
    {
        Database other = OpenAccountFile(AccountKind::Operator, u"山田"_qs);
        other.insert(u"ユーザー"_qs, {{u"表示ふりがな"_qs, u"ｶｱ"_qs}, {u"表示名"_qs, u"加阿"_qs}});
    }
    QTRY_COMPARE_WITH_TIMEOUT(column(w->userList(), 1),
                              (QStringList{u"加阿"_qs, u"加藤"_qs, u"小林"_qs}), 8000);
    QCOMPARE(w->panelValues().at(1), u"小林"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(m_dialogs->messages.size(), 2, 2000);
    QCOMPARE(m_dialogs->lastMessage(), u"サーバーとまたつながりました。表示を読み直しました。"_qs);
}

// The box that says the connection is lost is still open when it comes
// back: the box closes by itself, and the return is said in its place.
void TstServerWindows::theLostBoxGivesWayToTheReturn()
{
    QCOMPARE(m_shell->start(false), ShellController::StartResult::Started);
    CustomerWindow* w = openCustomerWindow(*m_shell);
    QVERIFY(w);
    Dialogs::setInstance(nullptr); // the real boxes, shown and left to the code
    struct Back
    {
        Dialogs* fake;
        ~Back() { Dialogs::setInstance(fake); }
    } back{m_dialogs};
    QStringList shown;
    QElapsedTimer lostFor;
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(top);
            if (!box || !box->isVisible())
                continue;
            if (shown.isEmpty() || shown.last() != box->text())
                shown << box->text();
            // Only the return is the clerk's to close here; a lost box
            // left open long after the server is back is closed by hand.
            if (box->text().startsWith(u"サーバーとまたつながりました"_qs)) {
                box->done(QMessageBox::Ok);
            } else if (!lostFor.isValid()) {
                lostFor.start();
            } else if (lostFor.elapsed() > 9000) {
                shown << u"(closed by hand)"_qs;
                box->done(QMessageBox::Ok);
            }
        }
    });
    watcher.start();
    ServerConnection admin = ServerConnection::open(
        ServerAddress::read(QDir(m_folder->path()).filePath(u"server.conf"_qs)));
    admin.exec(u"SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
               u"application_name = 'horunea' AND pid <> pg_backend_pid()"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(
        shown,
        (QStringList{u"サーバーとの接続が切れました。"_qs,
                     u"サーバーとまたつながりました。表示を読み直しました。"_qs}),
        10000);
    QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget(), 2000);
}

QTEST_MAIN(TstServerWindows)
#include "tst_serverwindows.moc"
