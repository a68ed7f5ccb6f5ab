// The import window as a user meets it: opened from the main menu, the
// choosers filled per tab, the source password, the start checks, and a
// transfer with its progress and summary.
#include "Fixtures.h"
#include "PreviousVersionFixture.h"
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"

#include "import/ImportWindow.h"
#include "shell/MainMenuWindow.h"
#include "shell/ShellController.h"
#include "store/SessionState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace horunea;
using namespace horunea::test;

namespace {

QStringList items(QComboBox* combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

// Chooses an entry as the user does (the activated signal).
void choose(QComboBox* combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

class TstImport : public GuiTestCase
{
    Q_OBJECT
private slots:
    void theMainMenuOpensTheWindowOnItsFirstTab();
    void choosersFollowTheTabAndTheSourcePassword();
    void enterMovesAndStartChecks();
    void aCustomerTransferRunsFromTheWindow();
    void aRepairTransferCopiesTheTickedGroups();
    void thePreviousVersionIsConvertedFromTheWindow();

private:
    void prepare() override;
};

void TstImport::prepare()
{
    makeOperator(u"青木"_qs);
    makeOperator(u"加藤"_qs, u"pw"_qs);
    makeOperator(u"佐藤"_qs);
    makeRepairAccount(u"本店"_qs);
    makeRepairAccount(u"支店"_qs);
}

void TstImport::theMainMenuOpensTheWindowOnItsFirstTab()
{
    ShellController shell;
    shell.start(false);
    MainMenuWindow* menu = shell.mainMenu();
    QVERIFY(menu);
    withModal([&] { child<QPushButton>(menu, u"Command3"_qs)->click(); },
              [&](QDialog* d) {
                  QCOMPARE(d->objectName(), u"Form8"_qs);
                  QCOMPARE(d->windowTitle(), u"外部ﾃﾞｰﾀ読込"_qs);
                  auto* tabs = child<QTabWidget>(d, u"SSTab1"_qs);
                  QStringList captions;
                  for (int i = 0; i < tabs->count(); ++i)
                      captions << tabs->tabText(i);
                  QCOMPARE(captions,
                           (QStringList{u"コンバート"_qs, u"顧客管理"_qs, u"修理管理"_qs,
                                        u"前ﾊﾞｰｼﾞｮﾝ→顧客管理"_qs, u"前ﾊﾞｰｼﾞｮﾝ→修理管理"_qs}));
                  QCOMPARE(tabs->currentIndex(), 0);
                  QVERIFY(!child<QComboBox>(d, u"Combo8"_qs)->isVisible());
                  QVERIFY(!child<QComboBox>(d, u"Combo9"_qs)->isVisible());
                  QCOMPARE(child<QComboBox>(d, u"Combo1"_qs)->count(), 0);
                  QCOMPARE(child<QPushButton>(d, u"Command4"_qs)->text(), u"閉　じ　る"_qs);
                  child<QPushButton>(d, u"Command4"_qs)->click();
                  QVERIFY(!d->isVisible());
              });
}

void TstImport::choosersFollowTheTabAndTheSourcePassword()
{
    ImportWindow w;
    w.show();
    auto* tabs = child<QTabWidget>(&w, u"SSTab1"_qs);
    auto* combo1 = child<QComboBox>(&w, u"Combo1"_qs);
    auto* combo3 = child<QComboBox>(&w, u"Combo3"_qs);
    tabs->setCurrentIndex(1);
    QCOMPARE(items(combo1), (QStringList{QString(), u"青木"_qs, u"加藤"_qs, u"佐藤"_qs}));
    QCOMPARE(combo3->count(), 0);

    // No password: no prompt, the others offered.
    choose(combo1, 1);
    QVERIFY(m_dialogs->prompts.isEmpty());
    QCOMPARE(items(combo3), (QStringList{QString(), u"加藤"_qs, u"佐藤"_qs}));

    // Cancelled prompt: back on the empty entry, every operator offered.
    choose(combo1, 2);
    QCOMPARE(m_dialogs->prompts,
             QStringList{u"ﾊﾟｽﾜｰﾄﾞﾛｯｸされています,ﾊﾟｽﾜｰﾄﾞを入力して下さい。"_qs});
    QCOMPARE(combo1->currentIndex(), 0);
    QCOMPARE(items(combo3), (QStringList{u"青木"_qs, u"加藤"_qs, u"佐藤"_qs}));

    // Wrong (or empty) answer: the error, then as cancelled.
    for (const QString& wrong : {u"PW"_qs, QString()}) {
        m_dialogs->inputAnswers.enqueue(wrong);
        choose(combo1, 2);
        QCOMPARE(m_dialogs->lastMessage(), u"ﾊﾟｽﾜｰﾄﾞが違います。"_qs);
        QCOMPARE(combo1->currentIndex(), 0);
    }
    m_dialogs->inputAnswers.enqueue(u"pw"_qs);
    choose(combo1, 2);
    QCOMPARE(combo1->currentText(), u"加藤"_qs);
    QCOMPARE(items(combo3), (QStringList{QString(), u"青木"_qs, u"佐藤"_qs}));

    // Leaving the tab and coming back refills the source, keeps the destination.
    combo3->setCurrentIndex(1);
    tabs->setCurrentIndex(2);
    QCOMPARE(items(child<QComboBox>(&w, u"Combo2"_qs)),
             (QStringList{QString(), u"本店"_qs, u"支店"_qs}));
    tabs->setCurrentIndex(1);
    QCOMPARE(combo1->currentIndex(), 0);
    QCOMPARE(combo1->count(), 4);
    QCOMPARE(combo3->currentText(), u"青木"_qs);
    tabs->setCurrentIndex(3);
    QCOMPARE(items(child<QComboBox>(&w, u"Combo5"_qs)),
             (QStringList{u"青木"_qs, u"加藤"_qs, u"佐藤"_qs}));
    tabs->setCurrentIndex(4);
    QCOMPARE(items(child<QComboBox>(&w, u"Combo6"_qs)), (QStringList{u"本店"_qs, u"支店"_qs}));
}

void TstImport::enterMovesAndStartChecks()
{
    ImportWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* tabs = child<QTabWidget>(&w, u"SSTab1"_qs);
    tabs->setCurrentIndex(1);
    auto* combo1 = child<QComboBox>(&w, u"Combo1"_qs);
    combo1->setFocus();
    QTest::keyClick(combo1, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), child<QComboBox>(&w, u"Combo3"_qs));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), child<QPushButton>(&w, u"Command1"_qs));

    choose(combo1, 1);
    child<QPushButton>(&w, u"Command1"_qs)->click(); // destination still empty
    QCOMPARE(m_dialogs->lastMessage(), u"取り込み元・取り込み先を指定してください。"_qs);
    tabs->setCurrentIndex(2);
    child<QPushButton>(&w, u"Command2"_qs)->click();
    QCOMPARE(m_dialogs->messages.size(), 2);
    tabs->setCurrentIndex(4);
    child<QComboBox>(&w, u"Combo6"_qs)->clear();
    // No folder chosen: nothing is read from the working folder.
    child<QPushButton>(&w, u"Command5"_qs)->click();
    QCOMPARE(m_dialogs->lastMessage(), u"前ﾊﾞｰｼﾞｮﾝの場所を指定してください。"_qs);
    child<QLabel>(&w, u"Label20"_qs)->setText(m_folder->path() + u'/');
    child<QPushButton>(&w, u"Command5"_qs)->click();
    QCOMPARE(m_dialogs->lastMessage(), u"取り込み先を指定してください。"_qs);
    tabs->setCurrentIndex(3);
    child<QPushButton>(&w, u"Command3"_qs)->click();
    QCOMPARE(m_dialogs->lastMessage(), u"取り込み元・取り込み先を指定してください。"_qs);
    // The previous-version tabs move on with Enter as the others do.
    child<QComboBox>(&w, u"Combo7"_qs)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), child<QComboBox>(&w, u"Combo5"_qs));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), child<QPushButton>(&w, u"Command3"_qs));
    tabs->setCurrentIndex(4);
    child<QComboBox>(&w, u"Combo6"_qs)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), child<QPushButton>(&w, u"Command5"_qs));
    tabs->setCurrentIndex(3);
    // 参照 takes the folder of the chosen file, whatever it is called.
    m_dialogs->fileAnswers.enqueue(u"/srv/old/horunea/ホルネア.exe"_qs);
    child<QPushButton>(&w, u"Command6"_qs)->click();
    QCOMPARE(child<QLabel>(&w, u"Label19"_qs)->text(), u"/srv/old/horunea/"_qs);
    QCOMPARE(m_dialogs->lastMessage(), u"ファイルが読めません: /srv/old/horunea/ユーザー.ssk"_qs);
    QCOMPARE(m_dialogs->messages.last().icon, Dialogs::Icon::Plain);
}

void TstImport::aCustomerTransferRunsFromTheWindow()
{
    {
        Database src = Database::open(customerFile(u"青木"_qs));
        const qint64 u = addUser(src, u"ｱ"_qs, u"顧客一"_qs);
        addLog(src, addSubject(src, u, u"件名一"_qs), u, u"ログ一"_qs);
    }
    ImportWindow w;
    w.show();
    child<QTabWidget>(&w, u"SSTab1"_qs)->setCurrentIndex(1);
    choose(child<QComboBox>(&w, u"Combo1"_qs), 1);
    child<QComboBox>(&w, u"Combo3"_qs)->setCurrentIndex(2); // 佐藤
    child<QPushButton>(&w, u"Command1"_qs)->click();
    QCOMPARE(m_dialogs->lastMessage(), u"ユーザー 1 件、件名 1 件、ログ 1 件を追加しました。"_qs);
    QCOMPARE(w.statusText(), u"取り込み完了"_qs);
    QCOMPARE(child<QProgressBar>(&w, u"ProgressBar1"_qs)->value(), 0);
    Database dst = Database::open(customerFile(u"佐藤"_qs));
    QCOMPARE(dst.scalar(u"select count(*) from ログ"_qs), 1);
    Database other = Database::open(customerFile(u"加藤"_qs));
    QCOMPARE(other.scalar(u"select count(*) from ユーザー"_qs), 0);
}

void TstImport::aRepairTransferCopiesTheTickedGroups()
{
    {
        Database src = Database::open(repairFile(u"本店"_qs));
        src.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"日立"_qs}});
        addRepair(src, u"伊藤"_qs, u"伊藤商会"_qs);
    }
    ImportWindow w;
    w.show();
    child<QTabWidget>(&w, u"SSTab1"_qs)->setCurrentIndex(2);
    choose(child<QComboBox>(&w, u"Combo2"_qs), 1);
    child<QComboBox>(&w, u"Combo4"_qs)->setCurrentIndex(1); // 支店
    child<QCheckBox>(&w, u"Check2_1"_qs)->setChecked(true);
    child<QPushButton>(&w, u"Command2"_qs)->click();
    QVERIFY2(m_dialogs->lastMessage().contains(u"メーカー 1 件"_qs),
             qPrintable(m_dialogs->lastMessage()));
    Database dst = Database::open(repairFile(u"支店"_qs));
    QCOMPARE(dst.scalar(u"select count(*) from 修理先"_qs), 1);
    QCOMPARE(dst.scalar(u"select count(*) from 修理"_qs), 0);
}

void TstImport::thePreviousVersionIsConvertedFromTheWindow()
{
    QTemporaryDir oldDir;
    PreviousFolder old(oldDir.path());
    old.setUsers({{u"旧一"_qs, u"旧二"_qs}});
    old.addCustomer(2, u"か行"_qs, {.key = 1, .reading = u"かとう"_qs, .name = u"加藤①"_qs});
    old.addRepair(true, {.key = 3,
                         .date = u"2002/1/2"_qs,
                         .customer = u"田中"_qs,
                         .flags = u"10"_qs,
                         .state = u"終"_qs});
    old.write();

    ImportWindow w;
    w.show();
    auto* tabs = child<QTabWidget>(&w, u"SSTab1"_qs);
    tabs->setCurrentIndex(3);
    // The program file of the old version, as the user picks it.
    m_dialogs->fileAnswers.enqueue(old.file(u"ホルネア.exe"_qs));
    child<QPushButton>(&w, u"Command6"_qs)->click();
    QCOMPARE(child<QLabel>(&w, u"Label19"_qs)->text(), old.path());
    auto* combo7 = child<QComboBox>(&w, u"Combo7"_qs);
    QCOMPARE(items(combo7), (QStringList{u"旧一"_qs, u"旧二"_qs}));
    combo7->setCurrentIndex(1);
    auto* combo5 = child<QComboBox>(&w, u"Combo5"_qs);
    combo5->setCurrentIndex(combo5->findText(u"佐藤"_qs));
    child<QPushButton>(&w, u"Command3"_qs)->click();
    QCOMPARE(m_dialogs->lastMessage(), u"ユーザー 1 件、件名 0 件、ログ 0 件を追加しました。"_qs);
    QCOMPARE(w.statusText(), u"取り込み完了"_qs);
    QCOMPARE(child<QProgressBar>(&w, u"ProgressBar1"_qs)->value(), 0);
    {
        Database dst = Database::open(customerFile(u"佐藤"_qs));
        QCOMPARE(columnOf(dst, u"select 表示名 from ユーザー"_qs), QStringList{u"加藤①"_qs});
    }

    // A file gone: the error names it and nothing more is added.
    QFile::remove(old.file(u"2/その他.ssk"_qs));
    child<QPushButton>(&w, u"Command3"_qs)->click();
    QCOMPARE(m_dialogs->lastMessage(),
             u"取り込みに失敗しました。\nファイルが読めません: "_qs + old.file(u"2/その他.ssk"_qs));
    QCOMPARE(w.statusText(), u"取り込みに失敗しました。"_qs);
    {
        Database dst = Database::open(customerFile(u"佐藤"_qs));
        QCOMPARE(dst.scalar(u"select count(*) from ユーザー"_qs), 1);
    }

    // The repair tab takes its own folder and leaves the old users alone.
    tabs->setCurrentIndex(4);
    m_dialogs->fileAnswers.enqueue(old.file(u"別の名前.exe"_qs));
    child<QPushButton>(&w, u"Command7"_qs)->click();
    QCOMPARE(child<QLabel>(&w, u"Label20"_qs)->text(), old.path());
    QCOMPARE(combo7->count(), 2);
    auto* combo6 = child<QComboBox>(&w, u"Combo6"_qs);
    combo6->setCurrentIndex(combo6->findText(u"支店"_qs));
    child<QPushButton>(&w, u"Command5"_qs)->click();
    QCOMPARE(m_dialogs->lastMessage(), u"修理 1 件、修理ログ 0 件を追加しました。"_qs);
    Database repairs = Database::open(repairFile(u"支店"_qs));
    QCOMPARE(columnOf(repairs, u"select 見積納期 from 修理"_qs), QStringList{u"10"_qs});
}

QTEST_MAIN(TstImport)
#include "tst_import.moc"
