#include "Fixtures.h"
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"

#include "admin/AccountAdmin.h"
#include "admin/AdministratorWindows.h"
#include "shell/MainMenuWindow.h"
#include "shell/ShellController.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "tools/WindowsShop.h"

#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

using namespace horunea;
using namespace horunea::test;

namespace {

QString accountFile(const QString& folder, const QString& name)
{
    return QDir(DataFolder::path()).filePath(folder + u'/' + name + u".mdb"_qs);
}

QLineEdit* box(QWidget* w, const char* name)
{
    return child<QLineEdit>(w, QString::fromLatin1(name));
}
QPushButton* pushButton(QWidget* w, const char* name)
{
    return child<QPushButton>(w, QString::fromLatin1(name));
}

// Types text key by key, as a keyboard (or an input method committing one
// character at a time) would.
void typeText(QWidget* box, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &release);
    }
}

} // namespace

class TstAdministration : public GuiTestCase
{
    Q_OBJECT

    void prepare() override { Connections::instance().OpenMasterDatabase(); }

private slots:
    void loginWindow()
    {
        AdministratorLoginWindow login;
        login.show();
        QVERIFY(QTest::qWaitForWindowExposed(&login));
        QCOMPARE(login.objectName(), u"Form13"_qs);
        QCOMPARE(login.windowTitle(), u"ホルネア→管理者ログイン"_qs);
        QVERIFY(child<QLabel>(&login, u"Label4"_qs)
                    ->text()
                    .contains(u"『"_qs + shippedAdministratorName() + u"』"_qs));
        QVERIFY(child<QLabel>(&login, u"Label4"_qs)->text().contains(u"ﾊﾟｽﾜｰﾄﾞは『空白』"_qs));
        QLineEdit* name = box(&login, "Text1");
        QLineEdit* password = box(&login, "Text2");
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QVERIFY(!password->testAttribute(Qt::WA_InputMethodEnabled) ||
                password->echoMode() == QLineEdit::Password);

        // Enter moves on and never presses ログイン by itself.
        name->setFocus();
        typeText(name, shippedAdministratorName() + u' ');
        QTest::keyClick(name, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(password));
        QTest::keyClick(password, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(),
                     static_cast<QWidget*>(pushButton(&login, "Command1")));
        QVERIFY(login.isVisible());
        QVERIFY(m_dialogs->messages.isEmpty());

        // A trailing space is a wrong name; the typed texts stay.
        pushButton(&login, "Command1")->click();
        QCOMPARE(m_dialogs->lastMessage(), u"管理者名 または パスワードが違います。"_qs);
        QCOMPARE(m_dialogs->messages.last().icon, Dialogs::Icon::Critical);
        QVERIFY(login.isVisible());
        QCOMPARE(name->text(), shippedAdministratorName() + u' ');
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(name));

        name->setText(shippedAdministratorName());
        pushButton(&login, "Command1")->click();
        QCOMPARE(login.result(), int(QDialog::Accepted));
        QVERIFY(!login.isVisible());
    }

    void backupAndRestoreFromTheMenu()
    {
        CreateAccount(MasterConnection(), AccountKind::Operator, u"一課"_qs, QString());
        QTemporaryDir out;
        AdministratorMenuWindow menu;
        menu.show();
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        // Cancelled: nothing is made.
        pushButton(&menu, "Command20")->click();
        QVERIFY(QDir(out.path()).isEmpty());
        m_dialogs->folderAnswers.enqueue(out.path());
        pushButton(&menu, "Command20")->click();
        QVERIFY2(m_dialogs->lastMessage().startsWith(u"バックアップしました。"_qs),
                 qPrintable(m_dialogs->lastMessage()));
        const QStringList made = QDir(out.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(made.size(), 1);
        const QString backup = QDir(out.path()).filePath(made.first());
        QVERIFY(QFileInfo::exists(backup + u"/kelvo/一課.mdb"_qs));

        // A day's work, then the backup is put back from the same menu.
        CreateAccount(MasterConnection(), AccountKind::Operator, u"二課"_qs, QString());
        menu.LoadAdminOperatorList();
        QCOMPARE(child<ReportListView>(&menu, u"ListView1"_qs)->rowCount(), 2);
        m_dialogs->folderAnswers.enqueue(backup);
        m_dialogs->confirmAnswers.enqueue(false);
        pushButton(&menu, "Command21")->click();
        QVERIFY(QFileInfo::exists(customerFile(u"二課"_qs)));
        m_dialogs->folderAnswers.enqueue(backup);
        m_dialogs->confirmAnswers.enqueue(true);
        pushButton(&menu, "Command21")->click();
        QCOMPARE(m_dialogs->lastMessage(), u"復元しました。"_qs);
        QVERIFY(!QFileInfo::exists(customerFile(u"二課"_qs)));
        QCOMPARE(child<ReportListView>(&menu, u"ListView1"_qs)->rowCount(), 1);
        QVERIFY(Connections::instance().masterOpen());
        QCOMPARE(MasterConnection().scalar(u"select count(*) from 使用者"_qs), 1);
    }

    void aWindowsShopFromTheMenu()
    {
        QTemporaryDir windows, empty;
        DaysWindowsShop().write(windows.path());
        AdministratorMenuWindow menu;
        menu.show();
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        // A folder that is not the Windows version's is said so.
        m_dialogs->folderAnswers.enqueue(empty.path());
        pushButton(&menu, "Command22")->click();
        QVERIFY2(
            m_dialogs->lastMessage().startsWith(
                u"このフォルダーには Windows版のデータ (Access の main.mdb) がありません。"_qs),
            qPrintable(m_dialogs->lastMessage()));
        // Declined when asked: nothing moves.
        m_dialogs->folderAnswers.enqueue(windows.path());
        m_dialogs->confirmAnswers.enqueue(false);
        pushButton(&menu, "Command22")->click();
        QCOMPARE(m_dialogs->questions.last(),
                 u"アカウント 2 件、17 行のデータがあります。\nホルネアのデータに移します。"
                 u"よろしいですか？"_qs);
        QCOMPARE(child<ReportListView>(&menu, u"ListView1"_qs)->rowCount(), 0);
        // Moved: the menu shows the shop's accounts at once.
        m_dialogs->folderAnswers.enqueue(windows.path());
        pushButton(&menu, "Command22")->click();
        QVERIFY2(m_dialogs->lastMessage().startsWith(u"移しました。アカウント 2 件。"_qs),
                 qPrintable(m_dialogs->lastMessage()));
        QCOMPARE(child<ReportListView>(&menu, u"ListView1"_qs)->rowCount(), 1);
        QCOMPARE(child<ReportListView>(&menu, u"ListView2"_qs)->rowCount(), 1);
        QVERIFY(Connections::instance().masterOpen());
        QVERIFY(QFileInfo::exists(accountFile(u"kelvo"_qs, u"営業一課"_qs)));
        // A second shop finds accounts there: refused, nothing touched.
        m_dialogs->folderAnswers.enqueue(windows.path());
        pushButton(&menu, "Command22")->click();
        QVERIFY(m_dialogs->lastMessage().startsWith(
            u"このデータフォルダーにはもうアカウントがあります。"_qs));
        QCOMPARE(child<ReportListView>(&menu, u"ListView1"_qs)->rowCount(), 1);
    }

    void credentials()
    {
        AdministratorMenuWindow menu;
        menu.show();
        QCOMPARE(menu.objectName(), u"Form10"_qs);
        QCOMPARE(menu.windowTitle(), u"ホルネア→管理者メニュー"_qs);
        QLineEdit* name = box(&menu, "Text11");
        QLineEdit* password = box(&menu, "Text12");
        QCOMPARE(name->text(), shippedAdministratorName());
        QCOMPARE(password->text(), QString());
        QCOMPARE(password->echoMode(), QLineEdit::Normal);

        name->clear();
        name->setFocus();
        typeText(name, u"店:長?=*"_qs);
        QCOMPARE(name->text(), u"店長="_qs);
        name->clear();
        pushButton(&menu, "Command8")->click();
        QCOMPARE(m_dialogs->lastMessage(), u"管理者名は空白禁止です。"_qs);
        QVERIFY(CheckAdministratorLogin(MasterConnection(), shippedAdministratorName(), {}));

        name->setText(u"店長"_qs);
        password->setText(u"pw"_qs);
        pushButton(&menu, "Command8")->click();
        QCOMPARE(m_dialogs->lastMessage(), u"管理者名を変更しました。"_qs);
        QCOMPARE(m_dialogs->messages.last().icon, Dialogs::Icon::Information);
        QVERIFY(CheckAdministratorLogin(MasterConnection(), u"店長"_qs, u"pw"_qs));
        // Only the password: the same message.
        password->clear();
        pushButton(&menu, "Command8")->click();
        QCOMPARE(m_dialogs->lastMessage(), u"管理者名を変更しました。"_qs);
        QVERIFY(CheckAdministratorLogin(MasterConnection(), u"店長"_qs, {}));
    }

    void accountBands_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("controls"); // new name, password, create, edit name,
                                                   // old, new, change, remove, number
        QTest::addColumn<QString>("folder");
        QTest::newRow("customer") << "ListView1"
                                  << QStringList{"Text1", "Text5",    "Command1", "Text3",  "Text4",
                                                 "Text7", "Command4", "Command5", "Label16"}
                                  << "kelvo";
        QTest::newRow("repair") << "ListView2"
                                << QStringList{"Text2",  "Text6",    "Command3", "Text8",  "Text9",
                                               "Text10", "Command6", "Command7", "Label17"}
                                << "care";
    }
    void accountBands()
    {
        QFETCH(QString, list);
        QFETCH(QStringList, controls);
        QFETCH(QString, folder);
        AdministratorMenuWindow menu;
        menu.show();
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        auto* view = child<ReportListView>(&menu, list);
        auto* newName = child<QLineEdit>(&menu, controls[0]);
        auto* newPassword = child<QLineEdit>(&menu, controls[1]);
        auto* create = child<QPushButton>(&menu, controls[2]);
        auto* editName = child<QLineEdit>(&menu, controls[3]);
        auto* oldPassword = child<QLineEdit>(&menu, controls[4]);
        auto* changedPassword = child<QLineEdit>(&menu, controls[5]);
        auto* change = child<QPushButton>(&menu, controls[6]);
        auto* remove = child<QPushButton>(&menu, controls[7]);
        QVERIFY(view->isColumnHidden(0));
        QCOMPARE(oldPassword->echoMode(), QLineEdit::Password);
        QCOMPARE(changedPassword->echoMode(), QLineEdit::Password);
        QCOMPARE(newPassword->echoMode(), QLineEdit::Normal);
        QVERIFY(!change->isEnabled() && !remove->isEnabled());

        create->click();
        QCOMPARE(m_dialogs->lastMessage(), u"空白はいけません。"_qs);
        newName->setFocus();
        typeText(newName, u"営業/一?課"_qs);
        QCOMPARE(newName->text(), u"営業一課"_qs);
        newPassword->setText(u"pw"_qs);
        create->click();
        QCOMPARE(column(view, 1), QStringList{u"営業一課"_qs});
        QVERIFY(QFileInfo(accountFile(folder, u"営業一課"_qs)).isFile());
        QVERIFY(newName->text().isEmpty() && newPassword->text().isEmpty());
        newName->setText(u"営業一課"_qs);
        create->click();
        QCOMPARE(m_dialogs->lastMessage(), u"同じ名前が存在します。登録できません。"_qs);
        QCOMPARE(view->rowCount(), 1);
        QCOMPARE(newName->text(), u"営業一課"_qs);

        clickRow(view, 0);
        QCOMPARE(editName->text(), u"営業一課"_qs);
        QCOMPARE(child<QLabel>(&menu, controls[8])->text(), column(view, 0).first());
        QVERIFY(change->isEnabled() && remove->isEnabled());
        editName->clear();
        typeText(editName, u"営業:二課"_qs);
        QCOMPARE(editName->text(), u"営業二課"_qs);
        oldPassword->setText(u"wrong"_qs);
        change->click();
        QCOMPARE(m_dialogs->lastMessage(), u"旧パスワードが違います。"_qs);
        QVERIFY(QFileInfo::exists(accountFile(folder, u"営業一課"_qs)));
        oldPassword->setText(u"pw"_qs);
        change->click();
        QCOMPARE(column(view, 1), QStringList{u"営業二課"_qs});
        QVERIFY(!QFileInfo::exists(accountFile(folder, u"営業一課"_qs)));
        QVERIFY(QFileInfo::exists(accountFile(folder, u"営業二課"_qs)));
        QVERIFY(!change->isEnabled() && !remove->isEnabled());

        // The empty new password left the account without one.
        clickRow(view, 0);
        QVERIFY(oldPassword->text().isEmpty());
        m_dialogs->confirmAnswers.enqueue(false);
        remove->click();
        QCOMPARE(m_dialogs->questions.last(), u"営業二課 を削除しますか？"_qs);
        QCOMPARE(view->rowCount(), 1);
        QVERIFY(QFileInfo::exists(accountFile(folder, u"営業二課"_qs)));
        m_dialogs->confirmAnswers.enqueue(true);
        remove->click();
        QCOMPARE(view->rowCount(), 0);
        QVERIFY(!QFileInfo::exists(accountFile(folder, u"営業二課"_qs)));
        QVERIFY(!change->isEnabled() && !remove->isEnabled());
    }

    void removingAnAccountWhoseFileIsGoneSaysSo()
    {
        CreateAccount(MasterConnection(), AccountKind::Operator, u"一課"_qs, QString());
        QFile::remove(accountFile(u"kelvo"_qs, u"一課"_qs));
        AdministratorMenuWindow menu;
        menu.show();
        auto* view = child<ReportListView>(&menu, u"ListView1"_qs);
        clickRow(view, 0);
        m_dialogs->confirmAnswers.enqueue(false);
        pushButton(&menu, "Command5")->click();
        QVERIFY(m_dialogs->questions.last().startsWith(u"一課 を削除しますか？\n"_qs));
        QVERIFY(m_dialogs->questions.last().contains(u"すでにありません"_qs));
        QCOMPARE(view->rowCount(), 1);
        m_dialogs->confirmAnswers.enqueue(true);
        pushButton(&menu, "Command5")->click();
        QCOMPARE(view->rowCount(), 0);
    }

    void throughTheMainMenu()
    {
        Connections::instance().reset();
        ShellController shell;
        QCOMPARE(shell.start(false), ShellController::StartResult::Started);
        MainMenuWindow* mainMenu = shell.mainMenu();
        bool menuShown = false;
        withModal([&] { pushButton(mainMenu, "Command1")->click(); },
                  [&](QDialog* login) {
                      QCOMPARE(login->objectName(), u"Form13"_qs);
                      box(login, "Text1")->setText(shippedAdministratorName());
                      whenModal([&](QWidget* menu) {
                          QCOMPARE(menu->objectName(), u"Form10"_qs);
                          menuShown = true;
                          box(menu, "Text1")->setText(u"新しい課"_qs);
                          pushButton(menu, "Command1")->click();
                          box(menu, "Text2")->setText(u"修理部"_qs);
                          pushButton(menu, "Command3")->click();
                          pushButton(menu, "Command2")->click();
                      });
                      pushButton(login, "Command1")->click();
                  });
        QVERIFY(menuShown);
        // The main menu shows the accounts as they now are.
        QCOMPARE(column(child<ReportListView>(mainMenu, u"ListView1"_qs), 1),
                 QStringList{u"新しい課"_qs});
        QCOMPARE(column(child<ReportListView>(mainMenu, u"ListView2"_qs), 1),
                 QStringList{u"修理部"_qs});

        // 最適化 needs a click on an account, and no password.
        auto* compact = pushButton(mainMenu, "Command4");
        QVERIFY(!compact->isEnabled());
        clickRow(child<ReportListView>(mainMenu, u"ListView1"_qs), 0);
        QVERIFY(compact->isEnabled());
        compact->click();
        QCOMPARE(m_dialogs->lastMessage(), u"最適化が終了しました。"_qs);
        QCOMPARE(QDir(DataFolder::customerFolder()).entryList(QDir::Files),
                 QStringList{u"新しい課.mdb"_qs});
        QFile::remove(accountFile(u"care"_qs, u"修理部"_qs));
        clickRow(child<ReportListView>(mainMenu, u"ListView2"_qs), 0);
        pushButton(mainMenu, "Command5")->click();
        QVERIFY(m_dialogs->lastMessage().startsWith(u"最適化できませんでした。"_qs));
        QCOMPARE(m_dialogs->messages.last().icon, Dialogs::Icon::Critical);

        // キャンセル brings the main menu back, nothing else.
        const int messages = int(m_dialogs->messages.size());
        withModal([&] { pushButton(mainMenu, "Command1")->click(); },
                  [&](QDialog* login) { pushButton(login, "Command2")->click(); });
        QCOMPARE(m_dialogs->messages.size(), messages);
        QVERIFY(mainMenu->isVisible());
    }
};

QTEST_MAIN(TstAdministration)
#include "tst_administration.moc"
