#include "admin/WindowsMigration.h"
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"
#include "tools/WindowsShop.h"

#include "shell/HelpWindow.h"
#include "shell/MainMenuWindow.h"
#include "shell/ShellController.h"
#include "shell/SplashWindow.h"
#include "shell/VersionWindow.h"
#include "store/Accounts.h"
#include "store/Database.h"
#include "ui/Twips.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeView>

using namespace horunea;
using namespace horunea::test;

namespace {

void addAccounts(const QStringList& operators, const QStringList& repairs)
{
    Database master = Database::open(DataFolder::masterPath());
    for (const QString& name : operators)
        master.insert(u"使用者"_qs, {{u"使用者名"_qs, name}, {u"パスワード"_qs, QVariant()}});
    for (const QString& name : repairs)
        master.insert(u"修理"_qs, {{u"修理名"_qs, name}, {u"パスワード"_qs, QVariant()}});
}

} // namespace

class TstMainMenu : public GuiTestCase
{
    Q_OBJECT
private slots:
    void listsShowAccountsWithNoneChosen();
    void clickEnablesOpenAndCompactOfItsSide();
    void noAccountsLeavesListEmptyAndButtonsDisabled();
    void layouts_data();
    void layouts();
    void secondInstanceIsRefused();
    void unreadableMasterIsReportedUntouched();
    void startRemovesFoldersOfAKilledRestore();
    void startOnTheWindowsVersionsFolderOffersTheMove();
    void closeUnloadsAndClosesMaster();
    void escapeDoesNotCloseFullLayout();
    void quitButtonEndsProgram();
    void helpOpensTheManual();
    void versionWindowLeadsToTheManual();
    void splashEndsOnClickOrAfterASecond();
};

void TstMainMenu::listsShowAccountsWithNoneChosen()
{
    FakeDialogs& dialogs = *m_dialogs;
    addAccounts({u"営業一課"_qs, u"山田"_qs}, {u"修理係"_qs});
    ShellController& shell = *m_shell;
    QCOMPARE(shell.start(false), ShellController::StartResult::Started);
    MainMenuWindow* menu = shell.mainMenu();
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), u"Form4"_qs);
    QCOMPARE(menu->windowTitle(), u"ホルネア Version 2.0.1 　データベース版"_qs);
    QVERIFY(Connections::instance().masterOpen());

    auto* list1 = child<QTreeView>(menu, u"ListView1"_qs);
    QCOMPARE(list1->model()->rowCount(), 2);
    QVERIFY(list1->isColumnHidden(0));
    QCOMPARE(list1->model()->headerData(1, Qt::Horizontal).toString(), u"使用者"_qs);
    QCOMPARE(list1->model()->index(1, 1).data().toString(), u"山田"_qs);
    QCOMPARE(list1->model()->index(1, 0).data().toString(), u"2"_qs);
    QCOMPARE(list1->currentIndex().row(), -1);
    auto* list2 = child<QTreeView>(menu, u"ListView2"_qs);
    QCOMPARE(list2->model()->headerData(1, Qt::Horizontal).toString(), u"修理"_qs);
    QCOMPARE(list2->currentIndex().row(), -1);

    // Nothing is chosen at load, and nothing is highlighted as if it were.
    QCOMPARE(child<QLabel>(menu, u"Label8"_qs)->text(), QString());
    for (const char* name : {"Command12", "Command4", "Command13", "Command5"})
        QVERIFY2(!child<QPushButton>(menu, QString::fromLatin1(name))->isEnabled(), name);
    QVERIFY(dialogs.messages.isEmpty());
}

void TstMainMenu::clickEnablesOpenAndCompactOfItsSide()
{
    addAccounts({u"一"_qs, u"二"_qs}, {u"修理A"_qs});
    ShellController& shell = *m_shell;
    shell.start(false);
    MainMenuWindow* menu = shell.mainMenu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));

    clickRow(child<QTreeView>(menu, u"ListView1"_qs), 1);
    QCOMPARE(child<QLabel>(menu, u"Label8"_qs)->text(), u"2"_qs);
    QCOMPARE(menu->selectedOperatorName(), u"二"_qs);
    QVERIFY(child<QPushButton>(menu, u"Command12"_qs)->isEnabled());
    QVERIFY(child<QPushButton>(menu, u"Command4"_qs)->isEnabled());
    QVERIFY(!child<QPushButton>(menu, u"Command13"_qs)->isEnabled());
    QVERIFY(!child<QPushButton>(menu, u"Command5"_qs)->isEnabled());

    clickRow(child<QTreeView>(menu, u"ListView2"_qs), 0);
    QCOMPARE(child<QLabel>(menu, u"Label9"_qs)->text(), u"1"_qs);
    QVERIFY(child<QPushButton>(menu, u"Command13"_qs)->isEnabled());
    QVERIFY(child<QPushButton>(menu, u"Command5"_qs)->isEnabled());
    QCOMPARE(menu->operatorNames(), (QStringList{u"一"_qs, u"二"_qs}));

    // Enter on an account goes on to its password box.
    auto* list1 = child<QTreeView>(menu, u"ListView1"_qs);
    list1->setFocus();
    QTest::keyClick(list1, Qt::Key_Up);
    QCOMPARE(child<QLabel>(menu, u"Label8"_qs)->text(), u"1"_qs); // moving counts as a click
    QTest::keyClick(list1, Qt::Key_Return);
    QVERIFY(child<QLineEdit>(menu, u"Text3"_qs)->hasFocus());

    // The password box shows what is typed.
    auto* password = child<QLineEdit>(menu, u"Text3"_qs);
    QCOMPARE(password->echoMode(), QLineEdit::Normal);
    QVERIFY(!password->testAttribute(Qt::WA_InputMethodEnabled));
}

void TstMainMenu::noAccountsLeavesListEmptyAndButtonsDisabled()
{
    addAccounts({}, {u"修理A"_qs});
    ShellController& shell = *m_shell;
    shell.start(false);
    MainMenuWindow* menu = shell.mainMenu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    auto* list1 = child<QTreeView>(menu, u"ListView1"_qs);
    QCOMPARE(list1->model()->rowCount(), 0);
    QVERIFY(!list1->currentIndex().isValid());
    QTest::mouseClick(list1->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!child<QPushButton>(menu, u"Command12"_qs)->isEnabled());
    QCOMPARE(child<QLabel>(menu, u"Label8"_qs)->text(), QString());
    // The repair side works on its own.
    clickRow(child<QTreeView>(menu, u"ListView2"_qs), 0);
    QVERIFY(child<QPushButton>(menu, u"Command13"_qs)->isEnabled());
}

void TstMainMenu::layouts_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("openWidth");

    const QStringList all{u"Frame3"_qs,   u"ListView1"_qs, u"Text3"_qs,   u"Command12"_qs,
                          u"Command4"_qs, u"ListView2"_qs, u"Text4"_qs,   u"Command13"_qs,
                          u"Command5"_qs, u"Command2"_qs,  u"Command3"_qs};
    QTest::newRow("full") << int(MainMenuWindow::Layout::Full) << all << QStringList{} << 13020
                          << 2300;
    QTest::newRow("customer only")
        << int(MainMenuWindow::Layout::CustomerOnlyMenu)
        << QStringList{u"ListView1"_qs, u"Text3"_qs, u"Command12"_qs, u"Command2"_qs}
        << QStringList{u"Frame3"_qs,   u"ListView2"_qs, u"Text4"_qs,   u"Command13"_qs,
                       u"Command4"_qs, u"Command5"_qs,  u"Command3"_qs}
        << 4900 << 4690;
    QTest::newRow("repair only") << int(MainMenuWindow::Layout::RepairOnlyMenu)
                                 << QStringList{u"ListView2"_qs, u"Text4"_qs, u"Command13"_qs,
                                                u"Command2"_qs}
                                 << QStringList{u"Frame3"_qs,    u"ListView1"_qs, u"Text3"_qs,
                                                u"Command12"_qs, u"Command4"_qs,  u"Command5"_qs,
                                                u"Command3"_qs}
                                 << 4900 << 4690;
}

void TstMainMenu::layouts()
{
    QFETCH(int, layout);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    QFETCH(int, width);
    QFETCH(int, openWidth);
    auto* menu = new MainMenuWindow();
    QVERIFY(menu->load());
    menu->setMenuLayout(MainMenuWindow::Layout(layout));
    menu->show();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    for (const QString& name : shown)
        QVERIFY2(child(menu, name)->isVisible(), qPrintable(name));
    for (const QString& name : hidden)
        QVERIFY2(!child(menu, name)->isVisible(), qPrintable(name));
    QCOMPARE(menu->width(), twips(width));
    QCOMPARE(menu->height(), twips(5090));
    const auto layoutKind = MainMenuWindow::Layout(layout);
    const QString open =
        layoutKind == MainMenuWindow::Layout::RepairOnlyMenu ? u"Command13"_qs : u"Command12"_qs;
    QCOMPARE(child(menu, open)->width(), twips(openWidth));
    if (layoutKind != MainMenuWindow::Layout::Full) {
        QCOMPARE(child(menu, u"Command2"_qs)->width(), twips(4695));
        QCOMPARE(child(menu, u"Label2"_qs)->width(), twips(4820));
    }
    if (layoutKind == MainMenuWindow::Layout::RepairOnlyMenu)
        QCOMPARE(child(menu, u"ListView2"_qs)->x(), twips(60));
    menu->close();
}

void TstMainMenu::secondInstanceIsRefused()
{
    FakeDialogs& dialogs = *m_dialogs;
    QLockFile first(DataFolder::lockPath());
    QVERIFY(first.tryLock(0));
    const QByteArray masterBefore = [] {
        QFile f(DataFolder::masterPath());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    ShellController& shell = *m_shell;
    QCOMPARE(shell.start(false), ShellController::StartResult::AlreadyRunning);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.lastMessage(), u"すでに「ホルネア」は起動されています。"_qs);
    QCOMPARE(dialogs.messages.last().icon, Dialogs::Icon::Exclamation);
    QVERIFY(!shell.mainMenu());
    QVERIFY(!Connections::instance().masterOpen());
    // The first instance keeps its lock and its data.
    QVERIFY(QFile::exists(DataFolder::lockPath()));
    QFile f(DataFolder::masterPath());
    f.open(QIODevice::ReadOnly);
    QCOMPARE(f.readAll(), masterBefore);
    first.unlock();
}

void TstMainMenu::unreadableMasterIsReportedUntouched()
{
    TempDataFolder& folder = *m_folder;
    FakeDialogs& dialogs = *m_dialogs;
    QFile::remove(DataFolder::masterPath());
    {
        QFile f(DataFolder::masterPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database at all");
    }
    ShellController& shell = *m_shell;
    QCOMPARE(shell.start(false), ShellController::StartResult::Failed);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages.last().icon, Dialogs::Icon::Critical);
    QVERIFY(dialogs.lastMessage().contains(u"開けません"_qs));
    QFile f(DataFolder::masterPath());
    f.open(QIODevice::ReadOnly);
    QCOMPARE(f.readAll(), QByteArray("not a database at all"));
}

// A restore killed before its switch leaves its private copy, one killed
// after it the old files: the program, holding the folder, removes both.
void TstMainMenu::startRemovesFoldersOfAKilledRestore()
{
    addAccounts({u"営業一課"_qs}, {});
    QDir data(DataFolder::path());
    for (const QString& left : {u".復元中-a1b2c3/kelvo"_qs, u"復元前-20261209-101500/kelvo"_qs})
        QVERIFY(data.mkpath(left));
    QFile copy(data.filePath(u".復元中-a1b2c3/main.mdb"_qs));
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write("copy");
    copy.close();
    ShellController& shell = *m_shell;
    QCOMPARE(shell.start(false), ShellController::StartResult::Started);
    QVERIFY(!data.exists(u".復元中-a1b2c3"_qs));
    QVERIFY(!data.exists(u"復元前-20261209-101500"_qs));
    QCOMPARE(LoadAccounts(MasterConnection(), AccountKind::Operator).size(), 1);
}

void TstMainMenu::startOnTheWindowsVersionsFolderOffersTheMove()
{
    // The program folder copied over from the Windows PC: its Access files.
    QDir data(DataFolder::path());
    for (const QString& file : {u"main.mdb"_qs, u"kelvo.mdb"_qs, u"care.mdb"_qs})
        QVERIFY(data.remove(file));
    DaysWindowsShop().write(data.path());
    FakeDialogs& dialogs = *m_dialogs;
    dialogs.confirmAnswers.enqueue(false);
    {
        ShellController declined;
        QCOMPARE(declined.start(false), ShellController::StartResult::Failed);
    }
    QVERIFY(dialogs.questions.first().startsWith(
        u"このデータフォルダーには Windows版のデータ (Access のファイル) があります。"_qs));
    QVERIFY(IsWindowsDataFolder(data.path()));

    ShellController& again = *m_shell;
    QCOMPARE(again.start(false), ShellController::StartResult::Started);
    QVERIFY2(dialogs.lastMessage().startsWith(u"移しました。アカウント 2 件。"_qs),
             qPrintable(dialogs.lastMessage()));
    auto* list1 = child<QTreeView>(again.mainMenu(), u"ListView1"_qs);
    QCOMPARE(list1->model()->index(0, 1).data().toString(), u"営業一課"_qs);
    const QStringList aside = data.entryList({u"Windows版-*"_qs}, QDir::Dirs);
    QCOMPARE(aside.size(), 1);
    QVERIFY(IsWindowsDataFolder(data.filePath(aside.first())));
    QVERIFY(!IsWindowsDataFolder(data.path()));
}

void TstMainMenu::closeUnloadsAndClosesMaster()
{
    ShellController& shell = *m_shell;
    shell.start(false);
    QPointer<MainMenuWindow> menu = shell.mainMenu();
    QVERIFY(Connections::instance().masterOpen());
    child<QPushButton>(menu, u"Command2"_qs)->click();
    QTRY_VERIFY(!menu);
    QVERIFY(!Connections::instance().masterOpen());
}

void TstMainMenu::escapeDoesNotCloseFullLayout()
{
    ShellController& shell = *m_shell;
    shell.start(false);
    QPointer<MainMenuWindow> menu = shell.mainMenu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTest::keyClick(menu, Qt::Key_Escape);
    QVERIFY(menu && menu->isVisible());
    menu->setMenuLayout(MainMenuWindow::Layout::CustomerOnlyMenu);
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!menu);
}

void TstMainMenu::quitButtonEndsProgram()
{
    auto* menu = new MainMenuWindow();
    QVERIFY(menu->load());
    QSignalSpy quit(menu, &MainMenuWindow::quitRequested);
    child<QPushButton>(menu, u"Command8"_qs)->click();
    QCOMPARE(quit.count(), 1);
    QCOMPARE(child<QPushButton>(menu, u"Command8"_qs)->text(), u"終　　　　了"_qs);
    delete menu;
}

// ヘルプ opens the program's own help window on the contents; the old
// document is one button away and still goes to the desktop.
void TstMainMenu::helpOpensTheManual()
{
    FakeDialogs& dialogs = *m_dialogs;
    auto* menu = new MainMenuWindow();
    QVERIFY(menu->load());
    child<QPushButton>(menu, u"Command9"_qs)->click();
    QPointer<HelpWindow> help = HelpWindow::current();
    QVERIFY(help);
    QVERIFY(help->isVisible());
    QCOMPARE(help->currentFile(), u"index.html"_qs);
    QVERIFY(dialogs.urls.isEmpty());
    // A second ヘルプ brings the same window to the front.
    child<QPushButton>(menu, u"Command9"_qs)->click();
    QCOMPARE(HelpWindow::current(), help.data());

    child<QPushButton>(help, u"HelpDocument"_qs)->click();
    QCOMPARE(dialogs.urls.size(), 1);
    QCOMPARE(
        dialogs.urls.first(),
        QUrl::fromLocalFile(QDir(DataFolder::programFolder()).filePath(u"ホルネア2.0.0.doc"_qs)));
    QVERIFY(QFile::exists(dialogs.urls.first().toLocalFile()));
    QVERIFY(dialogs.messages.isEmpty());
    // A desktop with nothing for a Word document says so and names the file.
    dialogs.desktopOpens = false;
    child<QPushButton>(help, u"HelpDocument"_qs)->click();
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.messages[0].text.startsWith(u"Word 文書を開くプログラムが見つかりません。"_qs));
    QTest::keyClick(help, Qt::Key_Escape);
    QTRY_VERIFY(!help); // closed and gone
    delete menu;
}

// The version window names no address the project does not have; its one
// other button leads to the manual, usable once the window has closed.
void TstMainMenu::versionWindowLeadsToTheManual()
{
    FakeDialogs& dialogs = *m_dialogs;
    auto* menu = new MainMenuWindow();
    QVERIFY(menu->load());
    QString title;
    QStringList texts;
    whenModal([&](QWidget* modal) {
        QVERIFY(modal);
        title = modal->objectName();
        for (QLabel* label : modal->findChildren<QLabel*>())
            texts << label->text() << label->toolTip();
        for (QPushButton* button : modal->findChildren<QPushButton*>())
            texts << button->text() << button->toolTip();
        child<QPushButton>(modal, u"Command1"_qs)->click();
    });
    child<QPushButton>(menu, u"Command10"_qs)->click();
    QCOMPARE(title, u"Form9"_qs);
    QVERIFY(!texts.join(u' ').contains(u"example"_qs));
    QVERIFY(!texts.join(u' ').contains(u"@"_qs));
    QTRY_VERIFY(HelpWindow::current() && HelpWindow::current()->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(dialogs.urls.isEmpty());
    // The master connection stays open beneath it.
    QVERIFY(Connections::instance().masterOpen());
    HelpWindow::current()->close();
    delete menu;
}

void TstMainMenu::splashEndsOnClickOrAfterASecond()
{
    {
        auto* splash = new SplashWindow();
        QSignalSpy done(splash, &SplashWindow::finished);
        splash->show();
        QTest::mouseClick(child(splash, u"Image1"_qs), Qt::LeftButton);
        QCOMPARE(done.count(), 1);
    }
    {
        QElapsedTimer clock;
        clock.start();
        auto* splash = new SplashWindow();
        QSignalSpy done(splash, &SplashWindow::finished);
        splash->show();
        QVERIFY(done.wait(3000));
        QVERIFY(clock.elapsed() >= 1000);
    }
}

QTEST_MAIN(TstMainMenu)
#include "tst_mainmenu.moc"
