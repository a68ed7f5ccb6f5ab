// The settings window and the search window as a user meets them: opened
// with F5 and F6 (or the toolbar) from either data window, driven with the
// keyboard and the mouse, and what the calling window shows afterwards.
#include "Fixtures.h"
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"

#include "customer/CustomerWindow.h"
#include "repair/RepairWindow.h"
#include "settings/SettingsRecord.h"
#include "shell/MainMenuWindow.h"
#include "shell/ShellController.h"
#include "store/SessionState.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>

using namespace horunea;
using namespace horunea::test;

namespace {

QString labelText(QWidget* w, const QString& name)
{
    auto* label = child<QLabel>(w, name);
    return label ? label->text() : QString();
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

class TstSettingsSearch : public GuiTestCase
{
    Q_OBJECT
private slots:
    void settingsShowTheCustomerTabsWithStoredValues();
    void scrollBarsWriteTheirBoxOnly();
    void aBadMarginIsRefusedAndTheWindowStays();
    void sortChangeReordersTheCallingWindow();
    void repairSettingsShowTheirOwnTabsAndCaptionsFollow();
    void closeStoresNothing();
    void searchFromTheCustomerWindowByKeyboard();
    void noneEmptiesAndDisablesTheSecondBox();
    void repairSearchOffersTheShownList_data();
    void repairSearchOffersTheShownList();
    void bothWindowsOpenBothByToolbar();

private:
    void prepare() override;
    CustomerWindow* openCustomer();
    RepairWindow* openRepair();
};

void TstSettingsSearch::prepare()
{
    makeOperator(u"山田"_qs);
    makeRepairAccount(u"修理係"_qs);
    {
        Database db = Database::open(customerFile(u"山田"_qs));
        db.exec(u"Update 設定 Set 項目01 ='誕生日', 上 =720, 左 =360, 右 =360, 下 =720 "
                u"Where 設定ID =1"_qs);
        const qint64 kato = addUser(db, u"ｶﾄｳ"_qs, u"加藤"_qs, {{u"会社ＴＥＬ"_qs, u"03-1111"_qs}});
        addUser(db, u"ｶﾜｲ"_qs, u"河合"_qs, {{u"会社ＴＥＬ"_qs, u"03-9999"_qs}});
        addUser(db, u"ｱｵｷ"_qs, u"青木"_qs, {{u"自宅住所"_qs, u"東京都港区"_qs}});
        const qint64 s = addSubject(db, kato, u"複合機"_qs);
        addLog(db, s, kato, u"東京へ訪問"_qs);
    }
    {
        Database db = Database::open(repairFile(u"修理係"_qs));
        db.exec(u"Update 設定 Set 項目02 ='保証書' Where 設定ID =1"_qs);
        addRepair(db, u"加藤"_qs, u"北村商店"_qs, u"続行"_qs, {{u"入金"_qs, u"未入"_qs}});
        addRepair(db, u"青木"_qs, u"北村商店"_qs, u"完了"_qs, {{u"入金"_qs, u"済"_qs}});
        addRepair(db, u"佐藤"_qs, u"南商会"_qs, u"続行"_qs, {{u"入金"_qs, u"未入"_qs}});
    }
}

CustomerWindow* TstSettingsSearch::openCustomer()
{
    return openCustomerWindow(*m_shell);
}

RepairWindow* TstSettingsSearch::openRepair()
{
    return openRepairWindow(*m_shell);
}

void TstSettingsSearch::settingsShowTheCustomerTabsWithStoredValues()
{
    CustomerWindow* w = openCustomer();
    QVERIFY(w);
    withModal([&] { QTest::keyClick(w->userList(), Qt::Key_F5); },
              [&](QDialog* d) {
                  QCOMPARE(d->objectName(), u"Form5"_qs);
                  QCOMPARE(d->windowTitle(), u"ホルネア→各設定"_qs);
                  auto* tabs = child<QTabWidget>(d, u"SSTab1"_qs);
                  QVERIFY(tabs->isVisible());
                  QVERIFY(!child<QTabWidget>(d, u"SSTab2"_qs)->isVisible());
                  QCOMPARE(tabs->count(), 3);
                  QCOMPARE(tabs->tabText(0), u"並べ替え"_qs);
                  QCOMPARE(tabs->tabText(1), u"自由項目"_qs);
                  QCOMPARE(tabs->tabText(2), u"余白設定"_qs);
                  auto* key = child<QComboBox>(d, u"Combo1"_qs);
                  QCOMPARE(key->count(), 4);
                  QCOMPARE(key->itemText(0), u"表示名(ﾌﾘｶﾞﾅ)"_qs);
                  QCOMPARE(child<QComboBox>(d, u"Combo3"_qs)->count(), 5);
                  QCOMPARE(child<QComboBox>(d, u"Combo6"_qs)->itemText(1), u"降順"_qs);
                  auto* caption = child<QLineEdit>(d, u"Text1"_qs);
                  QCOMPARE(caption->text(), u"誕生日"_qs);
                  QCOMPARE(caption->placeholderText(), u"誕生日"_qs);
                  QCOMPARE(child<QLineEdit>(d, u"Text9"_qs)->text(), u"720"_qs);
                  QCOMPARE(child<QScrollBar>(d, u"HScroll1"_qs)->value(), 360);
                  QCOMPARE(child<QScrollBar>(d, u"VScroll2"_qs)->maximum(), 9999);
                  QVERIFY(!d->findChildren<QLabel*>().isEmpty());
                  bool note = false;
                  for (QLabel* l : d->findChildren<QLabel*>())
                      note |= l->text() ==
                              u"プリンターによって余白がずれる場合があります、ご了承下さい";
                  QVERIFY(note);
              });
}

void TstSettingsSearch::scrollBarsWriteTheirBoxOnly()
{
    CustomerWindow* w = openCustomer();
    withModal([&] { QTest::keyClick(w->userList(), Qt::Key_F5); },
              [&](QDialog* d) {
                  child<QTabWidget>(d, u"SSTab1"_qs)->setCurrentIndex(2);
                  auto* right = child<QScrollBar>(d, u"HScroll2"_qs);
                  right->triggerAction(QAbstractSlider::SliderPageStepAdd);
                  QCOMPARE(child<QLineEdit>(d, u"Text11"_qs)->text(), u"460"_qs);
                  QCOMPARE(child<QLineEdit>(d, u"Text10"_qs)->text(), u"360"_qs);
                  QCOMPARE(child<QLineEdit>(d, u"Text9"_qs)->text(), u"720"_qs);
                  // Typing into a box leaves its bar where it was.
                  auto* top = child<QLineEdit>(d, u"Text9"_qs);
                  top->clear();
                  QTest::keyClicks(top, u"1000"_qs);
                  QCOMPARE(child<QScrollBar>(d, u"VScroll1"_qs)->value(), 720);
                  child<QPushButton>(d, u"Command3"_qs)->click();
                  QVERIFY(!d->isVisible());
              });
    Database db = Database::open(customerFile(u"山田"_qs));
    const SettingsRecord record = LoadCustomerSettings(db);
    QCOMPARE(record.margins, (std::array<QString, 4>{u"1000"_qs, u"360"_qs, u"460"_qs, u"720"_qs}));
}

void TstSettingsSearch::aBadMarginIsRefusedAndTheWindowStays()
{
    CustomerWindow* w = openCustomer();
    withModal([&] { QTest::keyClick(w->userList(), Qt::Key_F5); },
              [&](QDialog* d) {
                  child<QTabWidget>(d, u"SSTab1"_qs)->setCurrentIndex(2);
                  child<QLineEdit>(d, u"Text9"_qs)->setText(u"100"_qs);
                  auto* bottom = child<QLineEdit>(d, u"Text12"_qs);
                  bottom->setText(u"12000"_qs);
                  child<QPushButton>(d, u"Command3"_qs)->click();
                  QVERIFY(d->isVisible());
                  QCOMPARE(m_dialogs->lastMessage(),
                           u"余白「下」には 0 から 9999 までの整数を入力して下さい。"_qs);
                  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(bottom));
              });
    Database db = Database::open(customerFile(u"山田"_qs));
    QCOMPARE(LoadCustomerSettings(db).margins[0], u"720"_qs);
}

void TstSettingsSearch::sortChangeReordersTheCallingWindow()
{
    CustomerWindow* w = openCustomer();
    w->toolbarButton(21)->trigger(); // か行
    QCOMPARE(column(w->userList(), 1), (QStringList{u"加藤"_qs, u"河合"_qs}));
    withModal([&] { QTest::keyClick(w->userList(), Qt::Key_F5); },
              [&](QDialog* d) {
                  child<QComboBox>(d, u"Combo1"_qs)->setCurrentIndex(1); // 会社TEL
                  child<QComboBox>(d, u"Combo2"_qs)->setCurrentIndex(1); // 降順
                  child<QPushButton>(d, u"Command1"_qs)->click();
                  QVERIFY(!d->isVisible());
              });
    QCOMPARE(column(w->userList(), 1), (QStringList{u"河合"_qs, u"加藤"_qs}));
    Database db = Database::open(customerFile(u"山田"_qs));
    QCOMPARE(LoadCustomerSettings(db).sortPositions, (std::array<int, 6>{1, 1, 0, 0, 0, 0}));
}

void TstSettingsSearch::repairSettingsShowTheirOwnTabsAndCaptionsFollow()
{
    RepairWindow* w = openRepair();
    QVERIFY(w);
    QCOMPARE(w->freeFieldCaptions().value(1), u"保証書"_qs);
    withModal([&] { QTest::keyClick(w->repairList(), Qt::Key_F5); },
              [&](QDialog* d) {
                  QVERIFY(child<QTabWidget>(d, u"SSTab2"_qs)->isVisible());
                  QVERIFY(!child<QTabWidget>(d, u"SSTab1"_qs)->isVisible());
                  QCOMPARE(child<QComboBox>(d, u"Combo7"_qs)->count(), 9);
                  QCOMPARE(child<QComboBox>(d, u"Combo9"_qs)->count(), 10);
                  QCOMPARE(child<QComboBox>(d, u"Combo9"_qs)->itemText(6), u"有償・無償"_qs);
                  auto* second = child<QLineEdit>(d, u"Text7"_qs);
                  QCOMPARE(second->placeholderText(), u"保証書"_qs);
                  second->clear();
                  child<QLineEdit>(d, u"Text6"_qs)->setText(u"色"_qs);
                  child<QPushButton>(d, u"Command6"_qs)->click();
                  QVERIFY(!d->isVisible());
              });
    QCOMPARE(w->freeFieldCaptions().mid(0, 2), (QStringList{u"色"_qs, u"保証書"_qs}));
}

void TstSettingsSearch::closeStoresNothing()
{
    CustomerWindow* w = openCustomer();
    withModal([&] { QTest::keyClick(w->userList(), Qt::Key_F5); },
              [&](QDialog* d) {
                  child<QLineEdit>(d, u"Text1"_qs)->setText(u"変えた"_qs);
                  child<QComboBox>(d, u"Combo1"_qs)->setCurrentIndex(3);
                  child<QPushButton>(d, u"Command4"_qs)->click();
                  QVERIFY(!d->isVisible());
              });
    Database db = Database::open(customerFile(u"山田"_qs));
    const SettingsRecord record = LoadCustomerSettings(db);
    QCOMPARE(record.captions.value(0), u"誕生日"_qs);
    QCOMPARE(record.sortPositions[0], 0);
}

void TstSettingsSearch::searchFromTheCustomerWindowByKeyboard()
{
    CustomerWindow* w = openCustomer();
    w->subjectList()->setFocus();
    withModal([&] { QTest::keyClick(w->subjectList(), Qt::Key_F6); },
              [&](QDialog* d) {
                  QCOMPARE(d->objectName(), u"Form6"_qs);
                  QCOMPARE(d->windowTitle(), u"ホルネア→顧客管理→検索"_qs);
                  QVERIFY(child<QRadioButton>(d, u"Option1_0"_qs)->isChecked());
                  QVERIFY(!child<QRadioButton>(d, u"Option2_0"_qs)->isVisible());
                  QVERIFY(child<QCheckBox>(d, u"Check1"_qs)->isChecked());
                  auto* first = child<QLineEdit>(d, u"Text1"_qs);
                  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(first));
                  first->insert(u"ｶﾄｳ"_qs);
                  QTest::keyClick(first, Qt::Key_Return);
                  auto* join = child<QComboBox>(d, u"Combo1"_qs);
                  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(join));
                  join->setCurrentIndex(1); // OR
                  QTest::keyClick(join, Qt::Key_Return);
                  auto* second = child<QLineEdit>(d, u"Text2"_qs);
                  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(second));
                  second->insert(u"東京"_qs);
                  QTest::keyClick(second, Qt::Key_Return);
                  auto* start = child<QPushButton>(d, u"Command1"_qs);
                  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(start));
                  QTest::keyClick(start, Qt::Key_Return);
                  QVERIFY(!d->isVisible());
              });
    QCOMPARE(column(w->userList(), 1), (QStringList{u"青木"_qs, u"加藤"_qs}));
    QCOMPARE(labelText(w, u"Label22"_qs), u"'ｶﾄｳ' OR '東京' の検索結果"_qs);
    // The keyboard is in what was found: ↓ chooses the first user found.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->userList()));
    QTest::keyClick(w->userList(), Qt::Key_Down);
    QCOMPARE(w->panelValues().at(1), u"青木"_qs);
}

void TstSettingsSearch::noneEmptiesAndDisablesTheSecondBox()
{
    CustomerWindow* w = openCustomer();
    withModal([&] { QTest::keyClick(w->userList(), Qt::Key_F6); },
              [&](QDialog* d) {
                  auto* join = child<QComboBox>(d, u"Combo1"_qs);
                  auto* second = child<QLineEdit>(d, u"Text2"_qs);
                  QCOMPARE(join->currentText(), u"なし"_qs);
                  QVERIFY(!join->isEditable());
                  QVERIFY(!second->isEnabled());
                  join->setCurrentIndex(2);
                  QVERIFY(second->isEnabled());
                  second->setText(u"残る"_qs);
                  join->setCurrentIndex(0);
                  QVERIFY(!second->isEnabled());
                  QVERIFY(second->text().isEmpty());
                  // With なし Enter in the choice box goes to 検索開始.
                  join->setFocus();
                  QTest::keyClick(join, Qt::Key_Return);
                  QCOMPARE(QApplication::focusWidget(),
                           static_cast<QWidget*>(child<QPushButton>(d, u"Command1"_qs)));
                  child<QRadioButton>(d, u"Option1_2"_qs)->setChecked(true);
                  child<QLineEdit>(d, u"Text1"_qs)->setText(u"訪問"_qs);
                  child<QPushButton>(d, u"Command1"_qs)->click();
              });
    QCOMPARE(w->logList()->rowCount(), 1);
    QCOMPARE(labelText(w, u"Label25"_qs), u"'訪問' '' の検索結果"_qs);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->logList()));
}

void TstSettingsSearch::repairSearchOffersTheShownList_data()
{
    QTest::addColumn<bool>("unpaid");
    QTest::newRow("repair list") << false;
    QTest::newRow("unpaid list") << true;
}

void TstSettingsSearch::repairSearchOffersTheShownList()
{
    QFETCH(bool, unpaid);
    RepairWindow* w = openRepair();
    if (unpaid)
        QTest::keyClick(w->repairList(), Qt::Key_F7);
    QCOMPARE(w->unpaidShown(), unpaid);
    withModal([&] { QTest::keyClick(unpaid ? w->unpaidList() : w->repairList(), Qt::Key_F6); },
              [&](QDialog* d) {
                  QVERIFY(!child<QRadioButton>(d, u"Option1_0"_qs)->isVisible());
                  auto* repairs = child<QRadioButton>(d, u"Option2_0"_qs);
                  auto* payments = child<QRadioButton>(d, u"Option2_1"_qs);
                  QCOMPARE(repairs->isVisible(), !unpaid);
                  QCOMPARE(payments->isVisible(), unpaid);
                  QVERIFY(child<QRadioButton>(d, u"Option2_2"_qs)->isVisible());
                  QCOMPARE((unpaid ? payments : repairs)->isChecked(), true);
                  auto* join = child<QComboBox>(d, u"Combo2"_qs);
                  auto* second = child<QLineEdit>(d, u"Text4"_qs);
                  QVERIFY(!second->isEnabled());
                  join->setCurrentIndex(1);
                  QVERIFY(second->isEnabled());
                  child<QLineEdit>(d, u"Text3"_qs)->setText(u"北村"_qs);
                  second->setText(u"佐藤"_qs);
                  child<QPushButton>(d, u"Command1"_qs)->click();
                  QVERIFY(!d->isVisible());
              });
    if (unpaid) {
        // The paid repair of 北村商店 stays out of the unpaid list.
        QCOMPARE(sorted(column(w->unpaidList(), 3)), sorted({u"加藤"_qs, u"佐藤"_qs}));
        QCOMPARE(labelText(w, u"Label35"_qs), u"'北村' OR '佐藤' の検索結果"_qs);
    } else {
        QCOMPARE(sorted(column(w->repairList(), 3)), sorted({u"加藤"_qs, u"青木"_qs, u"佐藤"_qs}));
        QCOMPARE(labelText(w, u"Label23"_qs), u"'北村' OR '佐藤' の検索結果"_qs);
    }
}

void TstSettingsSearch::bothWindowsOpenBothByToolbar()
{
    CustomerWindow* c = openCustomer();
    QCOMPARE(c->toolbarButton(6)->toolTip(), u"各設定 (F5)"_qs);
    QCOMPARE(c->toolbarButton(7)->toolTip(), u"検索 (F6)"_qs);
    QString opened;
    withModal([&] { c->toolbarButton(6)->trigger(); },
              [&](QDialog* d) { opened += d->objectName(); });
    withModal([&] { c->toolbarButton(7)->trigger(); },
              [&](QDialog* d) { opened += d->objectName(); });
    QCOMPARE(opened, u"Form5Form6"_qs);
    c->close();
    QTRY_VERIFY(!m_shell->customerWindow());
    RepairWindow* r = openRepair();
    QVERIFY(r);
    opened.clear();
    withModal([&] { r->toolbarButton(6)->trigger(); },
              [&](QDialog* d) { opened += d->objectName(); });
    withModal([&] { r->toolbarButton(7)->trigger(); },
              [&](QDialog* d) { opened += d->objectName(); });
    QCOMPARE(opened, u"Form5Form6"_qs);
}

QTEST_MAIN(TstSettingsSearch)
#include "tst_settingssearch.moc"
