#include "Fixtures.h"
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"

#include "customer/CustomerWindow.h"
#include "editor/RecordEditorDialog.h"
#include "repair/MakerWindow.h"
#include "repair/OwnCompanyWindow.h"
#include "repair/RepairStorage.h"
#include "repair/RepairWindow.h"
#include "shell/MainMenuWindow.h"
#include "shell/ShellController.h"
#include "store/DateText.h"
#include "store/SessionState.h"
#include "ui/MultiLineBox.h"
#include "ui/ReportListView.h"
#include "ui/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>

using namespace horunea;
using namespace horunea::test;

namespace {

QString labelText(QWidget* w, int n)
{
    return child<QLabel>(w, QStringLiteral("Label%1").arg(n))->text();
}

} // namespace

class TstRepairWindow : public GuiTestCase
{
    Q_OBJECT
public:
    TstRepairWindow() : GuiTestCase(QDate(2003, 8, 19)) {}

private slots:
    void everyListFitsAt960By540();

    void openShowsUnfinishedRepairs();
    void filtersByShiftKeysEmptyTheLogList();
    void unpaidToggleHidesButtonsWhoseKeysStillAct();
    void selectingFillsPanelLogsAndHeading();
    void companyNameHeadsLogsWhenCustomerEmpty();
    void editorAddsRepairAndKeepsEntriesOnMissingName();
    void editorChangesFromPanelAndDeletes();
    void editorAddsAndChangesRepairLogs();
    void makersStates();
    void ownCompanySaveAndClose();
    void bothWindowsAndMovesBetweenThem();

private:
    void prepare() override;
    RepairWindow* openRepair(const QString& password = QString());

    qint64 m_open = 0, m_done = 0, m_companyOnly = 0;
};

void TstRepairWindow::prepare()
{
    makeOperator(u"山田"_qs);
    makeOperator(u"佐藤"_qs);
    makeRepairAccount(u"修理係"_qs);
    Database db = Database::open(repairFile(u"修理係"_qs));
    m_open = addRepair(db, u"加藤"_qs, u"加藤工業"_qs, u"続行"_qs,
                       {{u"見積納期"_qs, u"10"_qs},
                        {u"メーカー名"_qs, u"A社"_qs},
                        {u"有償無償"_qs, u"有償"_qs},
                        {u"入金"_qs, u"未入"_qs},
                        {u"自由項目02"_qs, u"二"_qs}});
    m_done = addRepair(db, u"河合"_qs, QString(), u"完了"_qs, {{u"見積納期"_qs, u"01"_qs}});
    m_companyOnly = addRepair(db, QString(), u"北村商店"_qs);
    addRepairLog(db, m_open, u"部品発注"_qs);
    addRepairLog(db, m_open, u"部品入荷"_qs, u"2003/08/25(月)"_qs);
    db.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"B社"_qs}});
    db.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"A社"_qs}});
}

// On a small screen or at a large scale (960 × 540 logical pixels) the log
// list stays inside the window.
void TstRepairWindow::everyListFitsAt960By540()
{
    RepairWindow* w = openRepair();
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    checkListsInsideAt960By540(w, u"Form2-960x540.png"_qs);
}

RepairWindow* TstRepairWindow::openRepair(const QString& password)
{
    if (!m_shell->mainMenu())
        m_shell->start(false);
    MainMenuWindow* menu = m_shell->mainMenu();
    clickRow(child<QTreeView>(menu, u"ListView2"_qs), 0);
    child<QLineEdit>(menu, u"Text4"_qs)->setText(password);
    child<QPushButton>(menu, u"Command13"_qs)->click();
    RepairWindow* w = m_shell->repairWindow();
    if (w && !QTest::qWaitForWindowExposed(w))
        return nullptr;
    return w;
}

void TstRepairWindow::openShowsUnfinishedRepairs()
{
    QVERIFY(!openRepair(u"x"_qs));
    QCOMPARE(m_dialogs->lastMessage(), u"パスワードが違います。"_qs);
    RepairWindow* w = openRepair();
    QVERIFY(w);
    QCOMPARE(w->objectName(), u"Form2"_qs);
    QCOMPARE(w->windowTitle(), u"修理係"_qs);
    QCOMPARE(SessionState::instance().RepairAccountName, u"修理係"_qs);
    QCOMPARE(column(w->repairList(), 0),
             (QStringList{QString::number(m_open), QString::number(m_companyOnly)}));
    QCOMPARE(w->repairLogList()->rowCount(), 0);
    QCOMPARE(w->view()->SelectedRepairId, u"0"_qs);
    QCOMPARE(labelText(w, 26), u"0"_qs);
    QCOMPARE(labelText(w, 23), u"終了していない修理"_qs);
    QVERIFY(!w->toolbarButton(14)->isVisible());
    // The operator names (not the repair accounts) and the makers in table order.
    QCOMPARE(w->operatorNames(), (QStringList{u"山田"_qs, u"佐藤"_qs}));
    QCOMPARE(w->makerNames(), (QStringList{u"B社"_qs, u"A社"_qs}));
    QCOMPARE(w->repairList()->listModel()->headers().size(), 11);
    QCOMPARE(w->unpaidList()->listModel()->headers().last(), u"集金"_qs);
}

void TstRepairWindow::filtersByShiftKeysEmptyTheLogList()
{
    RepairWindow* w = openRepair();
    clickRow(w->repairList(), 0);
    QCOMPARE(w->repairLogList()->rowCount(), 2);
    const QList<std::tuple<int, QString, int>> cases = {{Qt::Key_F2, u"終了した修理"_qs, 1},
                                                        {Qt::Key_F3, u"全ての修理"_qs, 3},
                                                        {Qt::Key_F1, u"終了していない修理"_qs, 2}};
    for (const auto& [key, heading, rows] : cases) {
        QTest::keyClick(w->repairList(), Qt::Key(key), Qt::ShiftModifier);
        QCOMPARE(labelText(w, 23), heading);
        QCOMPARE(w->repairList()->rowCount(), rows);
        QCOMPARE(w->repairLogList()->rowCount(), 0);
        QCOMPARE(w->view()->SelectedRepairId, QString::number(m_open));
    }
    // Shift with Ctrl is no Shift key: Ctrl+Shift+F2 is F2, which closes.
    QPointer<RepairWindow> guard = w;
    QTest::keyClick(w->repairList(), Qt::Key_F2, Qt::ShiftModifier | Qt::ControlModifier);
    QTRY_VERIFY(!guard);
}

void TstRepairWindow::unpaidToggleHidesButtonsWhoseKeysStillAct()
{
    RepairWindow* w = openRepair();
    QTest::keyClick(w->repairList(), Qt::Key_F7);
    QVERIFY(w->unpaidShown());
    QVERIFY(w->unpaidList()->isVisible());
    QVERIFY(!w->repairList()->isVisible());
    QCOMPARE(column(w->unpaidList(), 3), QStringList{u"加藤"_qs});
    for (int i = 11; i <= 18; ++i)
        QVERIFY2(!w->toolbarButton(i)->isVisible(), qPrintable(QString::number(i)));
    // A filter key still refills the hidden repair list.
    QTest::keyClick(w->unpaidList(), Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(w->repairList()->rowCount(), 3);
    QVERIFY(w->unpaidShown());
    // F11 acts only once a click has shown button 14 again.
    QTest::keyClick(w->unpaidList(), Qt::Key_F11);
    QVERIFY(!QApplication::activeModalWidget());
    clickRow(w->unpaidList(), 0);
    QVERIFY(w->toolbarButton(14)->isVisible());
    QCOMPARE(w->view()->SelectedRepairId, QString::number(m_open));
    QString opened;
    withModal([w] { QTest::keyClick(w->unpaidList(), Qt::Key_F11); },
              [&](QDialog* d) {
                  opened =
                      QString::number(int(static_cast<RecordEditorDialog*>(d)->mode().EditKind));
              });
    QCOMPARE(opened, u"5"_qs);
    QTest::keyClick(w->unpaidList(), Qt::Key_F7);
    QVERIFY(!w->unpaidShown());
    for (int i : {11, 12, 13, 14, 16, 17, 18})
        QVERIFY(w->toolbarButton(i)->isVisible());
}

void TstRepairWindow::selectingFillsPanelLogsAndHeading()
{
    RepairWindow* w = openRepair();
    clickRow(w->repairList(), 0);
    QCOMPARE(labelText(w, 1), u"2003年08月19日 火曜日"_qs);
    QCOMPARE(labelText(w, 2), u"加藤"_qs);
    QCOMPARE(labelText(w, 8), u"A社"_qs);
    QCOMPARE(labelText(w, 15), u"有償"_qs);
    QCOMPARE(labelText(w, 20), u"未入"_qs);
    QCOMPARE(labelText(w, 25), u"二"_qs);
    QVERIFY(!child<QCheckBox>(w, u"Check1"_qs)->isChecked());
    QVERIFY(child<QCheckBox>(w, u"Check2"_qs)->isChecked());
    QVERIFY(!child<QCheckBox>(w, u"Check3"_qs)->isChecked());
    QCOMPARE(labelText(w, 24), u"加藤　の　修理ログ"_qs);
    QCOMPARE(column(w->repairLogList(), 4), (QStringList{u"部品発注"_qs, u"部品入荷"_qs}));
    QCOMPARE(labelText(w, 81), u"自由項目01"_qs);
    clickRow(w->repairLogList(), 1);
    QCOMPARE(labelText(w, 27), w->repairLogList()->text(1, 0));

    QTest::keyClick(w->repairList(), Qt::Key_F2, Qt::ShiftModifier);
    clickRow(w->repairList(), 0);
    QVERIFY(child<QCheckBox>(w, u"Check1"_qs)->isChecked());
    QVERIFY(!child<QCheckBox>(w, u"Check2"_qs)->isChecked());
    QVERIFY(child<QCheckBox>(w, u"Check3"_qs)->isChecked());
}

void TstRepairWindow::companyNameHeadsLogsWhenCustomerEmpty()
{
    RepairWindow* w = openRepair();
    clickRow(w->repairList(), 1);
    QCOMPARE(w->view()->SelectedRepairName, u"北村商店"_qs);
    QCOMPARE(labelText(w, 24), u"北村商店　の　修理ログ"_qs);
    QCOMPARE(labelText(w, 2), QString());
}

void TstRepairWindow::editorAddsRepairAndKeepsEntriesOnMissingName()
{
    RepairWindow* w = openRepair();
    withModal([w] { QTest::keyClick(w->repairList(), Qt::Key_F10); },
              [&](QDialog* e) {
                  QCOMPARE(child<QLabel>(e, u"Label1"_qs)->text(), u"修理を追加します"_qs);
                  QCOMPARE(e->size(), QSize(twips(13970), twips(4690)));
                  // A new repair is free of charge and unpaid until the user says otherwise.
                  QCOMPARE(child<QComboBox>(e, u"Combo8"_qs)->currentText(), u"無償"_qs);
                  QCOMPARE(child<QComboBox>(e, u"Combo9"_qs)->currentText(), u"未入"_qs);
                  QCOMPARE(child<QDateEdit>(e, u"DTPicker4"_qs)->date(), QDate(2003, 8, 19));
                  auto* makers = child<QComboBox>(e, u"Combo6"_qs);
                  QCOMPARE(makers->count(), 2);
                  child<QLineEdit>(e, u"Text67"_qs)->setText(u"XJ-100"_qs);
                  child<QPushButton>(e, u"Command1"_qs)->click();
                  QCOMPARE(m_dialogs->lastMessage(),
                           u"お客様名・会社名はどちらか入力必要です。"_qs);
                  QVERIFY(e->isVisible());
                  QCOMPARE(child<QLineEdit>(e, u"Text67"_qs)->text(), u"XJ-100"_qs);
                  QVERIFY(child<QLineEdit>(e, u"Text61"_qs)->hasFocus());
                  child<QLineEdit>(e, u"Text62"_qs)->setText(u"新会社"_qs);
                  makers->setEditText(u"C社"_qs);
                  child<QCheckBox>(e, u"Check2"_qs)->setChecked(true);
                  child<QCheckBox>(e, u"Check3"_qs)->setChecked(true);
                  child<QComboBox>(e, u"Combo9"_qs)->setCurrentIndex(1);
                  child<QPushButton>(e, u"Command1"_qs)->click();
                  QVERIFY(!e->isVisible());
              });
    QCOMPARE(w->repairList()->rowCount(), 3);
    Database db = Database::open(repairFile(u"修理係"_qs));
    const auto stored = ReadRepair(db, u"4"_qs);
    QVERIFY(stored);
    QCOMPARE(stored->value(u"見積納期"_qs), u"11"_qs);
    QCOMPARE(stored->value(u"メーカー名"_qs), u"C社"_qs);
    QCOMPARE(stored->value(u"入金"_qs), u"未入"_qs);
    QCOMPARE(stored->value(u"受付日"_qs), u"2003/08/19(火)"_qs);
    QVERIFY(db.query(u"Select * From 修理 Where 修理ID =4"_qs).first().isNull(u"お客様名"_qs));
}

void TstRepairWindow::editorChangesFromPanelAndDeletes()
{
    RepairWindow* w = openRepair();
    clickRow(w->repairList(), 0);
    withModal([w] { clickRow(w->repairList(), 0, true); },
              [&](QDialog* e) {
                  QCOMPARE(child<QLabel>(e, u"Label1"_qs)->text(), u"加藤の情報を編集します"_qs);
                  QCOMPARE(child<QLineEdit>(e, u"Text61"_qs)->text(), u"加藤"_qs);
                  QCOMPARE(child<QComboBox>(e, u"Combo6"_qs)->currentText(), u"A社"_qs);
                  QCOMPARE(child<QComboBox>(e, u"Combo8"_qs)->currentText(), u"有償"_qs);
                  QCOMPARE(child<QComboBox>(e, u"Combo9"_qs)->currentText(), u"未入"_qs);
                  QVERIFY(child<QCheckBox>(e, u"Check2"_qs)->isChecked());
                  QCOMPARE(child<QDateEdit>(e, u"DTPicker4"_qs)->date(), QDate(2003, 8, 19));
                  QCOMPARE(child<QLineEdit>(e, u"Text77"_qs)->text(), u"二"_qs);
                  child<QCheckBox>(e, u"Check1"_qs)->setChecked(true);
                  child<QLineEdit>(e, u"Text62"_qs)->clear();
                  child<QPushButton>(e, u"Command1"_qs)->click();
              });
    // Finished: it left the list of unfinished repairs; the panel shows the change.
    QCOMPARE(column(w->repairList(), 0), QStringList{QString::number(m_companyOnly)});
    QVERIFY(child<QCheckBox>(w, u"Check1"_qs)->isChecked());
    QCOMPARE(labelText(w, 3), QString());
    Database db = Database::open(repairFile(u"修理係"_qs));
    QVERIFY(!db.query(u"Select * From 修理 Where 修理ID ="_qs + QString::number(m_open))
                 .first()
                 .isNull(u"会社名"_qs));

    QTest::keyClick(w->repairList(), Qt::Key_F3, Qt::ShiftModifier);
    clickRow(w->repairList(), 0);
    m_dialogs->confirmAnswers.enqueue(false);
    withModal([w] { clickRow(w->repairList(), 0, true); },
              [&](QDialog* e) {
                  child<QPushButton>(e, u"Command2"_qs)->click();
                  QVERIFY(e->isVisible());
                  m_dialogs->confirmAnswers.enqueue(true);
                  child<QPushButton>(e, u"Command2"_qs)->click();
                  QVERIFY(!e->isVisible());
              });
    QCOMPARE(w->repairList()->rowCount(), 2);
    QCOMPARE(db.scalar(u"SELECT count(*) as ma1 FROM 修理ログ"_qs), 0);
    QVERIFY(!w->toolbarButton(14)->isVisible());
}

void TstRepairWindow::editorAddsAndChangesRepairLogs()
{
    RepairWindow* w = openRepair();
    SessionState::instance().CustomerAccountName = u"山田"_qs;
    clickRow(w->repairList(), 0);
    withModal([w] { QTest::keyClick(w->repairList(), Qt::Key_F11); },
              [&](QDialog* e) {
                  QCOMPARE(child<QLabel>(e, u"Label1"_qs)->text(), u"加藤 の修理ﾛｸﾞ追加"_qs);
                  QCOMPARE(child<QComboBox>(e, u"Combo4"_qs)->currentText(), u"山田"_qs);
                  child<QPushButton>(e, u"Command1"_qs)->click();
                  QCOMPARE(m_dialogs->lastMessage(), u"ログは空白禁止です。"_qs);
                  QVERIFY(e->isVisible());
                  child<MultiLineBox>(e, u"Text19"_qs)->setText(u"修理完了"_qs);
                  child<QPushButton>(e, u"Command1"_qs)->click();
              });
    // Listed by date: today's entry (the 19th) comes first.
    QCOMPARE(column(w->repairLogList(), 4),
             (QStringList{u"修理完了"_qs, u"部品発注"_qs, u"部品入荷"_qs}));
    clickRow(w->repairLogList(), 0);
    withModal([w] { clickRow(w->repairLogList(), 0, true); },
              [&](QDialog* e) {
                  QCOMPARE(child<QLabel>(e, u"Label1"_qs)->text(),
                           u"加藤 の修理ログを変更・削除します"_qs);
                  QCOMPARE(child<MultiLineBox>(e, u"Text19"_qs)->text(), u"修理完了"_qs);
                  child<MultiLineBox>(e, u"Text19"_qs)->setText(u"修理完了・納品"_qs);
                  child<QPushButton>(e, u"Command1"_qs)->click();
              });
    QCOMPARE(column(w->repairLogList(), 4).at(0), u"修理完了・納品"_qs);
    // A log deleted elsewhere: a clear message and a fresh list.
    clickRow(w->repairLogList(), 0);
    {
        Database db = Database::open(repairFile(u"修理係"_qs));
        db.remove(u"修理ログ"_qs, u"修理ログID ="_qs + w->view()->SelectedRepairLogId);
    }
    withModal([w] { clickRow(w->repairLogList(), 0, true); },
              [&](QDialog* e) { child<QPushButton>(e, u"Command2"_qs)->click(); });
    QVERIFY(m_dialogs->lastMessage().contains(u"削除されています"_qs));
    QCOMPARE(w->repairLogList()->rowCount(), 2);
}

void TstRepairWindow::makersStates()
{
    RepairWindow* w = openRepair();
    withModal([w] { QTest::keyClick(w->repairList(), Qt::Key_F9); },
              [&](QDialog* d) {
                  QCOMPARE(d->objectName(), u"Form11"_qs);
                  auto* makers = static_cast<MakerWindow*>(d);
                  auto* add = child<QPushButton>(d, u"Command1"_qs);
                  auto* change = child<QPushButton>(d, u"Command3"_qs);
                  auto* remove = child<QPushButton>(d, u"Command4"_qs);
                  QVERIFY(!add->isVisible() && !change->isVisible() && !remove->isVisible());
                  QCOMPARE(column(makers->makerList(), 1), (QStringList{u"A社"_qs, u"B社"_qs}));
                  // Enter in 備考 while 追加 is hidden does nothing.
                  child<QLineEdit>(d, u"Text9"_qs)->setFocus();
                  QTest::keyClick(child<QLineEdit>(d, u"Text9"_qs), Qt::Key_Return);
                  QVERIFY(child<QLineEdit>(d, u"Text9"_qs)->hasFocus());
                  makers->toolbarButton(2)->trigger();
                  QVERIFY(add->isVisible() && !change->isVisible());
                  QVERIFY(child<QLineEdit>(d, u"Text1"_qs)->hasFocus());
                  child<QLineEdit>(d, u"Text1"_qs)->setText(u"C社"_qs);
                  child<QLineEdit>(d, u"Text3"_qs)->setText(u"03-0000-1111"_qs);
                  QTest::keyClick(child<QLineEdit>(d, u"Text1"_qs), Qt::Key_Return);
                  QVERIFY(child<QLineEdit>(d, u"Text2"_qs)->hasFocus());
                  add->click();
                  QVERIFY(!add->isVisible());
                  QCOMPARE(column(makers->makerList(), 1),
                           (QStringList{u"A社"_qs, u"B社"_qs, u"C社"_qs}));
                  clickRow(makers->makerList(), 2);
                  QVERIFY(change->isVisible() && remove->isVisible() && !add->isVisible());
                  QCOMPARE(child<QLineEdit>(d, u"Text3"_qs)->text(), u"03-0000-1111"_qs);
                  child<QLineEdit>(d, u"Text3"_qs)->clear();
                  change->click();
                  QVERIFY(!change->isVisible());
                  QCOMPARE(child<QLineEdit>(d, u"Text1"_qs)->text(), u"C社"_qs);
                  clickRow(makers->makerList(), 2);
                  QCOMPARE(child<QLineEdit>(d, u"Text3"_qs)->text(), QString());
                  m_dialogs->confirmAnswers.enqueue(false);
                  remove->click();
                  QCOMPARE(makers->makerList()->rowCount(), 3);
                  m_dialogs->confirmAnswers.enqueue(true);
                  remove->click();
                  QCOMPARE(makers->makerList()->rowCount(), 2);
                  QCOMPARE(m_dialogs->questions.size(), 2);
                  makers->toolbarButton(2)->trigger();
                  child<QLineEdit>(d, u"Text1"_qs)->setText(u"D社"_qs);
                  add->click();
              });
    // Closing refreshes the repair window's maker names.
    QCOMPARE(w->makerNames(), (QStringList{u"B社"_qs, u"A社"_qs, u"D社"_qs}));
}

void TstRepairWindow::ownCompanySaveAndClose()
{
    RepairWindow* w = openRepair();
    withModal([w] { QTest::keyClick(w->repairList(), Qt::Key_F8); },
              [&](QDialog* d) {
                  QCOMPARE(d->objectName(), u"Form12"_qs);
                  child<QLineEdit>(d, u"Text1"_qs)->setText(u"ホルネア商会"_qs);
                  child<QLineEdit>(d, u"Text6"_qs)->setFocus();
                  QTest::keyClick(child<QLineEdit>(d, u"Text6"_qs), Qt::Key_Return);
                  QVERIFY(child<QPushButton>(d, u"Command1"_qs)->hasFocus());
                  child<QPushButton>(d, u"Command1"_qs)->click();
                  QVERIFY(d->isVisible()); // stays open after 変更
              });
    withModal([w] { QTest::keyClick(w->repairList(), Qt::Key_F8); },
              [&](QDialog* d) {
                  QCOMPARE(child<QLineEdit>(d, u"Text1"_qs)->text(), u"ホルネア商会"_qs);
                  child<QLineEdit>(d, u"Text1"_qs)->setText(u"保存しない"_qs);
                  child<QPushButton>(d, u"Command2"_qs)->click();
              });
    Database db = Database::open(repairFile(u"修理係"_qs));
    QCOMPARE(db.query(u"Select * From 自社 Where 自社ID =1"_qs).first().text(u"自社名"_qs),
             u"ホルネア商会"_qs);
}

void TstRepairWindow::bothWindowsAndMovesBetweenThem()
{
    m_shell->start(false);
    // Customer first, then F1 there opens the repair side through the reduced menu.
    MainMenuWindow* menu = m_shell->mainMenu();
    clickRow(child<QTreeView>(menu, u"ListView1"_qs), 0);
    child<QPushButton>(menu, u"Command12"_qs)->click();
    QPointer<CustomerWindow> customer = m_shell->customerWindow();
    QVERIFY(customer && QTest::qWaitForWindowExposed(customer));
    withModal([&] { QTest::keyClick(customer->userList(), Qt::Key_F1); },
              [&](QDialog* d) {
                  auto* reduced = static_cast<MainMenuWindow*>(d);
                  QCOMPARE(reduced->menuLayout(), MainMenuWindow::Layout::RepairOnlyMenu);
                  clickRow(child<QTreeView>(d, u"ListView2"_qs), 0);
                  child<QPushButton>(d, u"Command13"_qs)->click();
              });
    QPointer<RepairWindow> repair = m_shell->repairWindow();
    QVERIFY(repair && repair->isVisible());
    QVERIFY(customer->isVisible());
    QVERIFY(Connections::instance().customerOpen() && Connections::instance().repairOpen());
    QCOMPARE(repair->operatorNames(), (QStringList{u"山田"_qs, u"佐藤"_qs}));

    // F1 moves between them; each comes back in the state it was left in.
    customer->showMaximized();
    QTRY_VERIFY(customer->isMaximized());
    QCOMPARE(SessionState::instance().CustomerWindowState, Qt::WindowStates(Qt::WindowMaximized));
    QTest::keyClick(repair->repairList(), Qt::Key_F1);
    QTRY_VERIFY(repair->isMinimized());
    QVERIFY(customer->isVisible() && !customer->isMinimized());
    QTest::keyClick(customer->userList(), Qt::Key_F1);
    QTRY_VERIFY(customer->isMinimized());
    QVERIFY(!repair->isMinimized());

    // Closing the repair window brings the customer window back, not the menu.
    QTest::keyClick(repair->repairList(), Qt::Key_F2);
    QTRY_VERIFY(!repair);
    QVERIFY(customer->isVisible() && !customer->isMinimized());
    QVERIFY(customer->isMaximized());
    QVERIFY(!m_shell->mainMenu());
    QVERIFY(!Connections::instance().repairOpen());
    QVERIFY(SessionState::instance().RepairAccountName.isEmpty());

    // Then closing the customer window brings the main menu in its full layout.
    QTest::keyClick(customer->userList(), Qt::Key_F2);
    QTRY_VERIFY(!customer);
    QVERIFY(m_shell->mainMenu() && m_shell->mainMenu()->isVisible());
    QCOMPARE(m_shell->mainMenu()->menuLayout(), MainMenuWindow::Layout::Full);
    QVERIFY(!Connections::instance().customerOpen());
}

QTEST_MAIN(TstRepairWindow)
#include "tst_repairwindow.moc"
