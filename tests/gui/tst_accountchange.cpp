// Faults found in use of the two data windows: an account change that kept
// the old account's state, logs that could hang on no record, headings and
// buttons that did not follow the holders, and the dialogs' keyboard rules.
#include "Fixtures.h"
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"

#include "customer/CustomerWindow.h"
#include "editor/RecordEditorDialog.h"
#include "repair/MakerWindow.h"
#include "repair/OwnCompanyWindow.h"
#include "repair/RepairWindow.h"
#include "shell/MainMenuWindow.h"
#include "shell/ShellController.h"
#include "store/DateText.h"
#include "store/SessionState.h"
#include "ui/Application.h"
#include "ui/MultiLineBox.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocumentFragment>

using namespace horunea;
using namespace horunea::test;

namespace {

QString label(QWidget* w, int n)
{
    return child<QLabel>(w, QStringLiteral("Label%1").arg(n))->text();
}

bool shown(DataWindow* w, int button)
{
    return w->toolbarButton(button)->isVisible();
}

// Opens an account from a main menu: the full one, or the reduced one that
// F3 shows over a data window.
void openFrom(MainMenuWindow* menu, bool repair, const QString& name)
{
    auto* list = child<QTreeView>(menu, repair ? u"ListView2"_qs : u"ListView1"_qs);
    for (int i = 0; i < list->model()->rowCount(); ++i)
        if (list->model()->index(i, 1).data().toString() == name)
            clickRow(list, i);
    child<QPushButton>(menu, repair ? u"Command13"_qs : u"Command12"_qs)->click();
}

void pressF3AndOpen(QWidget* window, bool repair, const QString& name)
{
    bool opened = false;
    whenModal([&](QWidget* modal) {
        auto* menu = qobject_cast<MainMenuWindow*>(modal);
        QVERIFY(menu);
        openFrom(menu, repair, name);
        opened = true;
    });
    QTest::keyClick(window, Qt::Key_F3);
    QVERIFY(opened);
}

qint64 count(const QString& path, const QString& sql)
{
    Database db = Database::open(path);
    return db.scalar(sql);
}

} // namespace

class TstAccountChange : public GuiTestCase
{
    Q_OBJECT
public:
    TstAccountChange() : GuiTestCase(QDate(2003, 8, 19)) {}

private slots:
    void initTestCase();

    void customerAccountChangeStartsClean();
    void repairAccountChangeStartsClean();
    void unpaidToggleNeverBringsBackTheLogButtonOfADeletedRepair();
    void subjectFilterLeavesNoSubjectToAddALogTo();
    void deletedUserLeavesNoHeadingOrButtonBehind();
    void enterOnAFocusedSaveButtonPressesIt();
    void enterOnMakerAndOwnCompanyButtons();
    void messageBoxesSpeakJapaneseAndDeleteDefaultsToNo();
    void titlesAreTheSystemsOwn();
    void changingASubjectWithoutDateKeepsIt();
    void logsKeepTheirLineBreaks();

private:
    void prepare() override;
    QMainWindow* openAccount(bool repair, const QString& name);
    CustomerWindow* openCustomer(const QString& name);
    RepairWindow* openRepair(const QString& name);
};

void TstAccountChange::initTestCase()
{
    configureApplication(*qApp);
}

void TstAccountChange::prepare()
{
    makeOperator(u"田中"_qs);
    makeOperator(u"佐藤"_qs);
    Database tanaka = Database::open(customerFile(u"田中"_qs));
    for (int i = 0; i < 3; ++i) {
        const qint64 u = addUser(tanaka, QString(u"ｶ"_qs + QString::number(i)), u"田中の客"_qs);
        addLog(tanaka, addSubject(tanaka, u, u"田中の件名"_qs), u, u"田中のログ"_qs);
    }
    Database sato = Database::open(customerFile(u"佐藤"_qs));
    const qint64 satoUser = addUser(sato, u"ｻﾄｳ"_qs, u"佐藤の客"_qs);
    addSubject(sato, satoUser, u"佐藤の件名"_qs);
    makeRepairAccount(u"修理A"_qs);
    makeRepairAccount(u"修理B"_qs);
    Database a = Database::open(repairFile(u"修理A"_qs));
    for (int i = 0; i < 3; ++i)
        addRepair(a, u"Aの客"_qs, QString(), u"続行"_qs, {{u"入金"_qs, u"未入"_qs}});
    Database b = Database::open(repairFile(u"修理B"_qs));
    addRepair(b, u"Bの客"_qs, QString());
}

QMainWindow* TstAccountChange::openAccount(bool repair, const QString& name)
{
    if (!m_shell->mainMenu())
        m_shell->start(false);
    openFrom(m_shell->mainMenu(), repair, name);
    QMainWindow* w = repair ? static_cast<QMainWindow*>(m_shell->repairWindow())
                            : static_cast<QMainWindow*>(m_shell->customerWindow());
    if (w && !QTest::qWaitForWindowExposed(w))
        return nullptr;
    return w;
}

CustomerWindow* TstAccountChange::openCustomer(const QString& name)
{
    return static_cast<CustomerWindow*>(openAccount(false, name));
}

RepairWindow* TstAccountChange::openRepair(const QString& name)
{
    return static_cast<RepairWindow*>(openAccount(true, name));
}

void TstAccountChange::customerAccountChangeStartsClean()
{
    CustomerWindow* w = openCustomer(u"田中"_qs);
    QVERIFY(w);
    w->triggerButton(21); // か
    clickRow(w->userList(), 2);
    child<QCheckBox>(w, u"Check1"_qs)->click(); // 個々で表示
    clickRow(w->subjectList(), 0);
    QCOMPARE(w->view()->SelectedUserId, u"3"_qs);
    QVERIFY(shown(w, 10) && shown(w, 11));

    pressF3AndOpen(w, false, u"佐藤"_qs);
    QCOMPARE(m_shell->customerWindow(), w);
    QCOMPARE(w->windowTitle(), u"佐藤"_qs);
    // Exactly as at a first opening.
    const CustomerView* v = w->view();
    for (const QString& holder : {v->SelectedUserId, v->SelectedSubjectId, v->SelectedLogId})
        QCOMPARE(holder, u"0"_qs);
    QVERIFY(v->SelectedUserName.isEmpty() && v->SelectedSubjectTitle.isEmpty());
    QCOMPARE(label(w, 22), u"ユーザー表示"_qs);
    QCOMPARE(label(w, 23), u" 件名表示　"_qs);
    QCOMPARE(label(w, 25), u"　ログ（メモ）表示"_qs);
    QCOMPARE(label(w, 26), u"続行中の件名"_qs);
    auto* check = child<QCheckBox>(w, u"Check1"_qs);
    QVERIFY(!check->isEnabled() && !check->isChecked());
    for (int b : {10, 11, 16, 17, 18})
        QVERIFY2(!shown(w, b), qPrintable(QString::number(b)));
    for (int b : {13, 14, 15})
        QVERIFY(shown(w, b));
    QCOMPARE(w->userList()->rowCount(), 0);
    QCOMPARE(column(w->subjectList(), 4), QStringList{u"佐藤の件名"_qs});
    QCOMPARE(w->logList()->rowCount(), 0);
    for (const QString& value : w->panelValues())
        QVERIFY(value.isEmpty());
    QCOMPARE(v->query().SubjectUserClause.text, QString());

    // F8 has no user to add to; after a click it adds to 佐藤's own user.
    QTest::keyClick(w->userList(), Qt::Key_F8);
    QVERIFY(!QApplication::activeModalWidget());
    w->triggerButton(22); // さ
    clickRow(w->userList(), 0);
    withModal([w] { QTest::keyClick(w->userList(), Qt::Key_F8); },
              [](QDialog* e) {
                  child<QLineEdit>(e, u"Text22"_qs)->setText(u"新しい件名"_qs);
                  child<QPushButton>(e, u"Command1"_qs)->click();
              });
    const QString sato = customerFile(u"佐藤"_qs);
    QCOMPARE(
        count(sato, u"SELECT COUNT(*) FROM 件名 WHERE ユーザーID = 1 AND 件名 = '新しい件名'"_qs),
        1);
    QCOMPARE(count(customerFile(u"田中"_qs), u"SELECT COUNT(*) FROM 件名"_qs), 3);
}

void TstAccountChange::repairAccountChangeStartsClean()
{
    RepairWindow* w = openRepair(u"修理A"_qs);
    QVERIFY(w);
    clickRow(w->repairList(), 2);
    QVERIFY(shown(w, 14));
    QTest::keyClick(w, Qt::Key_F7); // the unpaid list
    QVERIFY(w->unpaidShown());

    pressF3AndOpen(w, true, u"修理B"_qs);
    QCOMPARE(w->windowTitle(), u"修理B"_qs);
    const RepairView* v = w->view();
    QCOMPARE(v->SelectedRepairId, u"0"_qs);
    QCOMPARE(v->SelectedRepairLogId, u"0"_qs);
    QVERIFY(v->SelectedRepairName.isEmpty());
    QCOMPARE(label(w, 26), u"0"_qs);
    QCOMPARE(label(w, 24), u"ログを表示します"_qs);
    QCOMPARE(label(w, 23), u"終了していない修理"_qs);
    QVERIFY(!w->unpaidShown());
    QVERIFY(w->repairList()->isVisible() && !w->unpaidList()->isVisible());
    QVERIFY(!shown(w, 14));
    for (int b : {11, 12, 13, 16, 17, 18})
        QVERIFY(shown(w, b));
    QCOMPARE(column(w->repairList(), 3), QStringList{u"Bの客"_qs});
    QCOMPARE(w->repairLogList()->rowCount(), 0);
    QVERIFY(w->panelText(u"お客様名"_qs).isEmpty());

    QTest::keyClick(w, Qt::Key_F11); // no repair: nothing opens
    QVERIFY(!QApplication::activeModalWidget());
    clickRow(w->repairList(), 0);
    withModal([w] { QTest::keyClick(w, Qt::Key_F11); },
              [](QDialog* e) {
                  child<MultiLineBox>(e, u"Text19"_qs)->setText(u"Bのログ"_qs);
                  child<QPushButton>(e, u"Command1"_qs)->click();
              });
    QCOMPARE(count(repairFile(u"修理B"_qs),
                   u"SELECT COUNT(*) FROM 修理ログ WHERE 修理ID = 1 AND ログ = 'Bのログ'"_qs),
             1);
    QCOMPARE(count(repairFile(u"修理A"_qs), u"SELECT COUNT(*) FROM 修理ログ"_qs), 0);
}

void TstAccountChange::unpaidToggleNeverBringsBackTheLogButtonOfADeletedRepair()
{
    RepairWindow* w = openRepair(u"修理A"_qs);
    clickRow(w->repairList(), 0);
    withModal([w] { clickRow(w->repairList(), 0, true); },
              [](QDialog* e) { child<QPushButton>(e, u"Command2"_qs)->click(); }); // 削除, Yes
    QCOMPARE(w->view()->SelectedRepairId, u"0"_qs);
    QVERIFY(!shown(w, 14));
    QTest::keyClick(w, Qt::Key_F7);
    QTest::keyClick(w, Qt::Key_F7);
    QVERIFY(!w->unpaidShown());
    QVERIFY(!shown(w, 14));
    QTest::keyClick(w, Qt::Key_F11);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(count(repairFile(u"修理A"_qs), u"SELECT COUNT(*) FROM 修理ログ"_qs), 0);

    // A repair chosen in the unpaid list brings button 14 back; a return
    // to the repair list keeps it for that repair; a filter takes it away.
    QTest::keyClick(w, Qt::Key_F7);
    clickRow(w->unpaidList(), 0);
    QVERIFY(shown(w, 14));
    QTest::keyClick(w, Qt::Key_F7);
    QVERIFY(shown(w, 14));
    QTest::keyClick(w, Qt::Key_F1, Qt::ShiftModifier);
    QVERIFY(!shown(w, 14));
    QCOMPARE(label(w, 24), u"ログを表示します"_qs);
}

void TstAccountChange::subjectFilterLeavesNoSubjectToAddALogTo()
{
    CustomerWindow* w = openCustomer(u"田中"_qs);
    clickRow(w->subjectList(), 1);
    QVERIFY(shown(w, 11));
    QCOMPARE(label(w, 25), u"　田中の件名 のログ(メモ)表示"_qs);
    for (Qt::Key key : {Qt::Key_F10, Qt::Key_F11, Qt::Key_F12}) {
        clickRow(w->subjectList(), 0);
        QTest::keyClick(w->subjectList(), key);
        QCOMPARE(w->view()->SelectedSubjectId, u"0"_qs);
        QVERIFY(!shown(w, 11));
        QCOMPARE(label(w, 25), u"　ログ（メモ）表示"_qs);
        QTest::keyClick(w->subjectList(), Qt::Key_F9);
        QVERIFY(!QApplication::activeModalWidget());
    }
    QCOMPARE(count(customerFile(u"田中"_qs), u"SELECT COUNT(*) FROM ログ"_qs), 3);
}

void TstAccountChange::deletedUserLeavesNoHeadingOrButtonBehind()
{
    CustomerWindow* w = openCustomer(u"田中"_qs);
    clickRow(w->subjectList(), 0);
    QCOMPARE(label(w, 23), u"　田中の客 の件名表示"_qs);
    const QString user = w->view()->SelectedUserId;
    w->triggerButton(21);
    const int row = column(w->userList(), 0).indexOf(user);
    withModal([w, row] { clickRow(w->userList(), row, true); },
              [](QDialog* e) { child<QPushButton>(e, u"Command2"_qs)->click(); });
    QCOMPARE(w->view()->SelectedUserId, u"0"_qs);
    QCOMPARE(label(w, 23), u" 件名表示　"_qs);
    QCOMPARE(label(w, 25), u"　ログ（メモ）表示"_qs);
    QVERIFY(!shown(w, 10) && !shown(w, 11));
    QVERIFY(child<QLabel>(w, u"Label2"_qs)->text().isEmpty()); // the panel's 表示名
    QTest::keyClick(w->userList(), Qt::Key_F8);
    QVERIFY(!QApplication::activeModalWidget());
}

void TstAccountChange::enterOnAFocusedSaveButtonPressesIt()
{
    CustomerWindow* w = openCustomer(u"田中"_qs);
    clickRow(w->subjectList(), 0);
    withModal([w] { QTest::keyClick(w->subjectList(), Qt::Key_F9); },
              [](QDialog* e) {
                  auto* log = child<MultiLineBox>(e, u"Text24"_qs);
                  log->setFocus();
                  log->insertPlainText(u"Enterで保存"_qs);
                  QTest::keyClick(log, Qt::Key_Return); // the Enter order ends on 追加
                  auto* add = child<QPushButton>(e, u"Command1"_qs);
                  QVERIFY(add->hasFocus());
                  QTest::keyClick(add, Qt::Key_Return);
                  QVERIFY(!e->isVisible());
              });
    QCOMPARE(
        count(customerFile(u"田中"_qs), u"SELECT COUNT(*) FROM ログ WHERE ログ = 'Enterで保存'"_qs),
        1);
}

void TstAccountChange::enterOnMakerAndOwnCompanyButtons()
{
    RepairWindow* w = openRepair(u"修理A"_qs);
    {
        MakerWindow makers(w);
        makers.show();
        QVERIFY(QTest::qWaitForWindowExposed(&makers));
        makers.findChild<QAction*>(u"Button2"_qs)->trigger(); // new entry
        child<QLineEdit>(&makers, u"Text1"_qs)->setText(u"B社"_qs);
        auto* remarks = child<QLineEdit>(&makers, u"Text9"_qs);
        remarks->setFocus();
        QTest::keyClick(remarks, Qt::Key_Return);
        auto* add = child<QPushButton>(&makers, u"Command1"_qs);
        QVERIFY(add->hasFocus());
        QTest::keyClick(add, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(makers.makerList()->rowCount(), 1);
    }
    {
        OwnCompanyWindow company(w);
        company.show();
        QVERIFY(QTest::qWaitForWindowExposed(&company));
        child<QLineEdit>(&company, u"Text1"_qs)->setText(u"自社名"_qs);
        auto* last = child<QLineEdit>(&company, u"Text6"_qs);
        last->setFocus();
        QTest::keyClick(last, Qt::Key_Return);
        auto* save = child<QPushButton>(&company, u"Command1"_qs);
        QVERIFY(save->hasFocus());
        QTest::keyClick(save, Qt::Key_Return);
    }
    QCOMPARE(
        count(repairFile(u"修理A"_qs), u"SELECT COUNT(*) FROM 修理先 WHERE メーカー名 = 'B社'"_qs),
        1);
    QCOMPARE(
        count(repairFile(u"修理A"_qs), u"SELECT COUNT(*) FROM 自社 WHERE 自社名 = '自社名'"_qs), 1);
}

void TstAccountChange::messageBoxesSpeakJapaneseAndDeleteDefaultsToNo()
{
    auto box = QtDialogs::confirmBox(nullptr, u"削除しますか？"_qs);
    QCOMPARE(box->windowTitle(), u"ホルネア"_qs);
    QCOMPARE(box->icon(), QMessageBox::Warning);
    QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
    QCOMPARE(box->button(QMessageBox::Yes)->text().remove(u'&'), u"はい(Y)"_qs.remove(u'&'));
    QVERIFY(box->button(QMessageBox::No)->text().startsWith(u"いいえ"_qs));
    // One stray Enter answers No.
    QTimer::singleShot(0, [&box] { QTest::keyClick(box.get(), Qt::Key_Return); });
    QCOMPARE(box->exec(), int(QMessageBox::No));
    auto ok = QtDialogs::messageBox(nullptr, u"パスワードが違います。"_qs, Dialogs::Icon::Critical);
    QCOMPARE(ok->icon(), QMessageBox::Critical);
    QCOMPARE(ok->button(QMessageBox::Ok)->text().remove(u'&'), u"OK"_qs);
}

void TstAccountChange::titlesAreTheSystemsOwn()
{
    // No display name: the desktop adds nothing to the titles.
    QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    CustomerWindow* w = openCustomer(u"田中"_qs);
    QCOMPARE(w->windowTitle(), u"田中"_qs);
    clickRow(w->userList(), 0);
    withModal([w] { QTest::keyClick(w->userList(), Qt::Key_F7); },
              [](QDialog* e) { QCOMPARE(e->windowTitle(), u"ホルネア→ﾃﾞｰﾀ編集"_qs); });
}

void TstAccountChange::changingASubjectWithoutDateKeepsIt()
{
    {
        Database db = Database::open(customerFile(u"田中"_qs));
        db.exec(u"UPDATE 件名 SET 登録日 = NULL WHERE 件名ID = 1"_qs);
        db.exec(u"UPDATE 件名 SET 登録日 = '' WHERE 件名ID = 2"_qs);
    }
    CustomerWindow* w = openCustomer(u"田中"_qs);
    for (const QString id : {u"1"_qs, u"2"_qs}) {
        const int row = column(w->subjectList(), 0).indexOf(id);
        clickRow(w->subjectList(), row);
        withModal([w, row] { clickRow(w->subjectList(), row, true); },
                  [](QDialog* e) {
                      child<QLineEdit>(e, u"Text22"_qs)->setText(u"変えた件名"_qs);
                      child<QPushButton>(e, u"Command1"_qs)->click();
                  });
    }
    Database db = Database::open(customerFile(u"田中"_qs));
    const ResultSet r = db.query(u"SELECT * FROM 件名 ORDER BY 件名ID"_qs);
    QVERIFY(r.row(0).isNull(u"登録日"_qs));
    QCOMPARE(r.row(1).value(u"登録日"_qs), QVariant(u""_qs));
    QCOMPARE(r.row(0).text(u"件名"_qs), u"変えた件名"_qs);
    QCOMPARE(r.row(2).text(u"登録日"_qs), u"2003/08/19(火)"_qs);
}

void TstAccountChange::logsKeepTheirLineBreaks()
{
    CustomerWindow* w = openCustomer(u"田中"_qs);
    clickRow(w->subjectList(), 0);
    withModal([w] { QTest::keyClick(w->subjectList(), Qt::Key_F9); },
              [](QDialog* e) {
                  auto* log = child<MultiLineBox>(e, u"Text24"_qs);
                  log->setFocus();
                  QGuiApplication::clipboard()->setText(u"一行目\r\n二行目"_qs);
                  log->paste();
                  QTest::keyClick(log, Qt::Key_Return, Qt::ShiftModifier);
                  log->insertPlainText(u"三行目"_qs);
                  QCOMPARE(log->text(), u"一行目\n二行目\n三行目"_qs);
                  QVERIFY(log->hasFocus());
                  QTest::keyClick(log, Qt::Key_Return); // moves on, types nothing
                  QVERIFY(!log->hasFocus());
                  QCOMPARE(log->text(), u"一行目\n二行目\n三行目"_qs);
                  child<QPushButton>(e, u"Command1"_qs)->click();
              });
    Database db = Database::open(customerFile(u"田中"_qs));
    QCOMPARE(db.query(u"SELECT ログ FROM ログ WHERE ログID = 4"_qs).first().text(0),
             u"一行目\n二行目\n三行目"_qs);
    const int row = column(w->logList(), 5).indexOf(u"一行目\n二行目\n三行目"_qs);
    QVERIFY(row >= 0);
    const QModelIndex cell = w->logList()->model()->index(row, 5);
    QCOMPARE(cell.data().toString(), u"一行目⏎二行目⏎三行目"_qs);
    // The tooltip shows the whole text, as text.
    QCOMPARE(QTextDocumentFragment::fromHtml(cell.data(Qt::ToolTipRole).toString()).toPlainText(),
             u"一行目\n二行目\n三行目"_qs);
}

QTEST_MAIN(TstAccountChange)
#include "tst_accountchange.moc"
