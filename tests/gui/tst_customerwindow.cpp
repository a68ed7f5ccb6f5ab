#include "Fixtures.h"
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"

#include "customer/CustomerWindow.h"
#include "editor/RecordEditorDialog.h"
#include "shell/MainMenuWindow.h"
#include "shell/ShellController.h"
#include "store/SessionState.h"
#include "ui/ReportListView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolBar>

#include <QApplication>

#include <QPalette>
#include <QWindowStateChangeEvent>

#include <cmath>

using namespace horunea;
using namespace horunea::test;

namespace {

// Users and subjects of the operator 山田 used by most cases.
struct Sample
{
    qint64 kato, kawai, aoki;
    qint64 katoOpen, katoDone, kawaiOpen;
};

Sample fillSample()
{
    Database db = Database::open(customerFile(u"山田"_qs));
    Sample s;
    s.kato = addUser(db, u"ｶﾄｳ"_qs, u"加藤"_qs,
                     {{u"E-MAIL"_qs, u"kato@example.jp"_qs},
                      {u"URL"_qs, u"https://kato.example.jp/a b"_qs},
                      {u"会社名"_qs, u"加藤工業"_qs},
                      {u"自由項目03"_qs, u"三"_qs}});
    s.kawai = addUser(db, u"ｶﾜｲ"_qs, u"河合"_qs);
    s.aoki = addUser(db, u"ｱｵｷ"_qs, u"青木"_qs);
    s.katoOpen = addSubject(db, s.kato, u"複合機"_qs, u"続行"_qs, u"2003/08/19(火)"_qs);
    s.katoDone = addSubject(db, s.kato, u"保守契約"_qs, u"完了"_qs, u"2003/12/31(水)"_qs);
    s.kawaiOpen = addSubject(db, s.kawai, u"見積"_qs, u"続行"_qs, u"2004/01/01(木)"_qs);
    addLog(db, s.katoOpen, s.kato, u"訪問した"_qs);
    addLog(db, s.katoOpen, s.kato, u"電話した"_qs);
    return s;
}

int rowOf(ReportListView* list, int c, const QString& text)
{
    return int(column(list, c).indexOf(text));
}

} // namespace

class TstCustomerWindow : public GuiTestCase
{
    Q_OBJECT
private slots:
    void passwords_data();
    void passwords();
    void missingDatabaseFileIsReported();
    void openShowsWindowAsLoaded();
    void kanaRowsByButtonAndShiftKey_data();
    void kanaRowsByButtonAndShiftKey();
    void subjectFilterAndIndividual_data();
    void subjectFilterAndIndividual();
    void filterAlwaysEmptiesLogList();
    void clickingUserFillsPanel();
    void clickingSubjectOfAnotherUserSwitchesPanel();
    void panelReadsUnderADarkTheme();
    void aValueOfAFallbackFontSitsOnTheLineOfTheOthers_data();
    void aValueOfAFallbackFontSitsOnTheLineOfTheOthers();
    void maximisedStateOutlivesPassingStates();
    void headingClickSortsAndKeepsTheChosenRecord();
    void columnsFitTheirHeadingsAndTypicalValues();
    void widthsAndPlaceAreRememberedForTheUser();
    void everyListFitsAt960By540();
    void splitterWidensTheListAndIsRemembered();
    void newSubjectAndLogKeysFollowTheirButtons();
    void doubleClickOpensEditorOnlyOnAnItem();
    void mailAndUrlGoToTheShellAsOneUrl_data();
    void mailAndUrlGoToTheShellAsOneUrl();
    void toolbarHasItsButtonsAndPrintMenu();
    void changeOperatorKeepsWindowAndShowsNewData();
    void switchToRepairShowsRepairOnlyMenu();
    void closingBringsMainMenuBackWithFreshLists();

private:
    CustomerWindow* openAs(const QString& name, const QString& password);
    // Closes the window and opens 山田 again from the main menu that comes back.
    CustomerWindow* reopen(CustomerWindow* w);
};

CustomerWindow* TstCustomerWindow::openAs(const QString& name, const QString& password)
{
    MainMenuWindow* menu = m_shell->mainMenu();
    if (!menu) {
        m_shell->start(false);
        menu = m_shell->mainMenu();
    }
    auto* list = child<QTreeView>(menu, u"ListView1"_qs);
    for (int i = 0; i < list->model()->rowCount(); ++i)
        if (list->model()->index(i, 1).data().toString() == name)
            clickRow(list, i);
    auto* box = child<QLineEdit>(menu, u"Text3"_qs);
    box->setText(password);
    child<QPushButton>(menu, u"Command12"_qs)->click();
    return m_shell->customerWindow();
}

CustomerWindow* TstCustomerWindow::reopen(CustomerWindow* w)
{
    w->close();
    if (!QTest::qWaitFor([this] { return m_shell->mainMenu() != nullptr; }) ||
        !QTest::qWaitForWindowExposed(m_shell->mainMenu()))
        return nullptr;
    CustomerWindow* again = openAs(u"山田"_qs, QString());
    return again && QTest::qWaitForWindowExposed(again) ? again : nullptr;
}

void TstCustomerWindow::passwords_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("opens");
    QTest::newRow("right") << QVariant(u"Abc"_qs) << u"Abc"_qs << true;
    QTest::newRow("wrong case") << QVariant(u"Abc"_qs) << u"abc"_qs << false;
    QTest::newRow("trailing blank") << QVariant(u"Abc"_qs) << u"Abc "_qs << false;
    QTest::newRow("full width") << QVariant(u"Abc"_qs) << u"Ａｂｃ"_qs << false;
    QTest::newRow("empty typed") << QVariant(u"Abc"_qs) << QString() << false;
    QTest::newRow("Null, empty typed") << QVariant() << QString() << true;
    QTest::newRow("Null, text typed") << QVariant() << u"x"_qs << false;
    QTest::newRow("empty stored, empty typed") << QVariant(u""_qs) << QString() << true;
}

void TstCustomerWindow::passwords()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, typed);
    QFETCH(bool, opens);
    makeOperator(u"山田"_qs, stored);
    m_shell->start(false);
    QPointer<MainMenuWindow> menu = m_shell->mainMenu();
    CustomerWindow* window = openAs(u"山田"_qs, typed);
    if (opens) {
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), u"山田"_qs);
        QCOMPARE(SessionState::instance().CustomerAccountName, u"山田"_qs);
        QVERIFY(Connections::instance().customerOpen());
        QTRY_VERIFY(!menu);
        QVERIFY(!Connections::instance().masterOpen());
        QVERIFY(m_dialogs->messages.isEmpty());
    } else {
        QVERIFY(!window);
        QCOMPARE(m_dialogs->lastMessage(), u"パスワードが違います。"_qs);
        QCOMPARE(m_dialogs->messages.last().icon, Dialogs::Icon::Critical);
        QVERIFY(menu && menu->isVisible());
        QCOMPARE(child<QLineEdit>(menu, u"Text3"_qs)->text(), typed);
        QVERIFY(!Connections::instance().customerOpen());
        QVERIFY(SessionState::instance().CustomerAccountName.isEmpty());
    }
}

void TstCustomerWindow::missingDatabaseFileIsReported()
{
    makeOperator(u"山田"_qs);
    QFile::remove(customerFile(u"山田"_qs));
    m_shell->start(false);
    QPointer<MainMenuWindow> menu = m_shell->mainMenu();
    QVERIFY(!openAs(u"山田"_qs, QString()));
    QVERIFY(m_dialogs->lastMessage().contains(u"山田"_qs));
    QVERIFY(menu && menu->isVisible());
    QVERIFY(!QFile::exists(customerFile(u"山田"_qs)));
    QVERIFY(!Connections::instance().customerOpen());
}

void TstCustomerWindow::openShowsWindowAsLoaded()
{
    makeOperator(u"山田"_qs);
    makeOperator(u"佐藤"_qs);
    fillSample();
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(w);
    QCOMPARE(w->objectName(), u"Form1"_qs);
    // No users until a row is chosen; every continuing subject already shown.
    QCOMPARE(w->userList()->rowCount(), 0);
    QCOMPARE(column(w->subjectList(), 4), (QStringList{u"複合機"_qs, u"見積"_qs}));
    QCOMPARE(w->logList()->rowCount(), 0);
    QCOMPARE(child<QLabel>(w, u"Label22"_qs)->text(), u"ユーザー表示"_qs);
    QCOMPARE(child<QLabel>(w, u"Label26"_qs)->text(), u"続行中の件名"_qs);
    QVERIFY(!child<QCheckBox>(w, u"Check1"_qs)->isEnabled());
    for (int hidden : {10, 11, 16, 17, 18})
        QVERIFY(!w->toolbarButton(hidden)->isVisible());
    QCOMPARE(w->operatorNames(), (QStringList{u"山田"_qs, u"佐藤"_qs}));
    QCOMPARE(w->freeFieldCaptions().first(), u"自由項目01"_qs);
    QCOMPARE(w->userList()->listModel()->headers(),
             (QStringList{u"ユーザーＩＤ"_qs, u"表示名"_qs, u"自宅ＴＥＬ"_qs, u"会社ＴＥＬ"_qs,
                          u"e-mail"_qs}));
}

void TstCustomerWindow::kanaRowsByButtonAndShiftKey_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("toolbar") << false;
    QTest::newRow("Shift+F key") << true;
}

void TstCustomerWindow::kanaRowsByButtonAndShiftKey()
{
    QFETCH(bool, byKey);
    makeOperator(u"山田"_qs);
    {
        Database db = Database::open(customerFile(u"山田"_qs));
        addKanaRowSample(db);
    }
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const QList<std::pair<int, QStringList>> rows = {
        {0, {u"あ"_qs, u"ｧ"_qs, u"ｱ"_qs}},
        {1, {u"ｶ"_qs}},
        {2, {}},
        {10, {u"A"_qs}},
        // あ-row hiragana and ｧ also fall under その他: the condition excludes ｱ to ｵ only.
        {11, {u"digit"_qs, u"あ"_qs, u"ｦ"_qs, u"ｧ"_qs}},
    };
    for (const auto& [row, names] : rows) {
        if (byKey)
            QTest::keyClick(w->userList(), Qt::Key(Qt::Key_F1 + row), Qt::ShiftModifier);
        else
            w->toolbarButton(20 + row)->trigger();
        QCOMPARE(column(w->userList(), 1), names);
        QCOMPARE(child<QLabel>(w, u"Label22"_qs)->text(), kanaRowHeading(KanaRow(row)));
    }
    QVERIFY(!column(w->userList(), 1).contains(u"empty"_qs));
}

void TstCustomerWindow::subjectFilterAndIndividual_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("individual");
    QTest::addColumn<QStringList>("subjects");
    QTest::addColumn<QString>("heading");
    QTest::newRow("F10 all users")
        << int(Qt::Key_F10) << false << QStringList{u"複合機"_qs, u"見積"_qs} << u"続行中の件名"_qs;
    QTest::newRow("F11 all users")
        << int(Qt::Key_F11) << false << QStringList{u"保守契約"_qs} << u"完了済の件名"_qs;
    QTest::newRow("F12 all users")
        << int(Qt::Key_F12) << false << QStringList{u"複合機"_qs, u"保守契約"_qs, u"見積"_qs}
        << u"全ての件名"_qs;
    QTest::newRow("F10 individual")
        << int(Qt::Key_F10) << true << QStringList{u"複合機"_qs} << u"続行中の件名"_qs;
    QTest::newRow("F11 individual")
        << int(Qt::Key_F11) << true << QStringList{u"保守契約"_qs} << u"完了済の件名"_qs;
    QTest::newRow("F12 individual")
        << int(Qt::Key_F12) << true << QStringList{u"複合機"_qs, u"保守契約"_qs}
        << u"全ての件名"_qs;
}

void TstCustomerWindow::subjectFilterAndIndividual()
{
    QFETCH(int, key);
    QFETCH(bool, individual);
    QFETCH(QStringList, subjects);
    QFETCH(QString, heading);
    makeOperator(u"山田"_qs);
    fillSample();
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->toolbarButton(21)->trigger(); // か
    clickRow(w->userList(), rowOf(w->userList(), 1, u"加藤"_qs));
    auto* check = child<QCheckBox>(w, u"Check1"_qs);
    QVERIFY(check->isEnabled());
    if (individual) {
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
        QVERIFY(check->isChecked());
        for (int i : {13, 14, 15})
            QVERIFY(!w->toolbarButton(i)->isVisible());
        for (int i : {16, 17, 18})
            QVERIFY(w->toolbarButton(i)->isVisible());
    }
    QTest::keyClick(w->userList(), Qt::Key(key));
    QCOMPARE(column(w->subjectList(), 4), subjects);
    QCOMPARE(child<QLabel>(w, u"Label26"_qs)->text(), heading);
    // The hidden buttons' twins do the same.
    const int twin = (individual ? 16 : 13) + (key - Qt::Key_F10);
    w->toolbarButton(13)->trigger();
    w->toolbarButton(twin)->trigger();
    QCOMPARE(column(w->subjectList(), 4), subjects);
}

void TstCustomerWindow::filterAlwaysEmptiesLogList()
{
    makeOperator(u"山田"_qs);
    fillSample();
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    for (int button : {13, 14, 15}) {
        w->toolbarButton(15)->trigger();
        clickRow(w->subjectList(), rowOf(w->subjectList(), 4, u"複合機"_qs));
        QCOMPARE(w->logList()->rowCount(), 2);
        w->toolbarButton(button)->trigger();
        QCOMPARE(w->logList()->rowCount(), 0);
    }
}

void TstCustomerWindow::clickingUserFillsPanel()
{
    makeOperator(u"山田"_qs);
    const Sample s = fillSample();
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->toolbarButton(21)->trigger();
    const QStringList before = column(w->subjectList(), 4);
    clickRow(w->userList(), rowOf(w->userList(), 1, u"加藤"_qs));
    QCOMPARE(w->view()->SelectedUserId, QString::number(s.kato));
    QCOMPARE(w->view()->SelectedUserName, u"加藤"_qs);
    const QStringList panel = w->panelValues();
    QCOMPARE(panel.size(), 21);
    QCOMPARE(panel[0], u"ｶﾄｳ"_qs);
    QCOMPARE(panel[8], u"加藤工業"_qs);
    QCOMPARE(panel[13], u"kato@example.jp"_qs);
    QCOMPARE(panel[18], u"三"_qs);
    QCOMPARE(panel[4], QString()); // empty places show empty
    // 個々で表示 off: the subject list stays, the log list empties.
    QCOMPARE(column(w->subjectList(), 4), before);
    QCOMPARE(w->logList()->rowCount(), 0);
    QVERIFY(w->toolbarButton(10)->isVisible());
    QVERIFY(!w->toolbarButton(11)->isVisible());
}

namespace {

double luminance(const QColor& c)
{
    auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

// The contrast of a label's text against its background as drawn: the
// colour at its right end (no text there) against the pixel most unlike it.
double drawnContrast(QWidget* label)
{
    const QImage image = label->grab().toImage();
    const QColor background = image.pixelColor(image.width() - 4, image.height() / 2);
    const double b = luminance(background);
    double best = 1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width() - 8; ++x) {
            const double l = luminance(image.pixelColor(x, y));
            best = std::max(best, (std::max(l, b) + 0.05) / (std::min(l, b) + 0.05));
        }
    return best;
}

// The first and last rows inside a box's border where its text left ink.
std::pair<int, int> inkRows(QLabel* box)
{
    const QImage image = box->grab().toImage();
    const QRect inside = box->contentsRect();
    const QColor background = image.pixelColor(inside.right() - 1, inside.center().y());
    int first = -1, last = -1;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x < inside.right() - 2; ++x)
            if (image.pixelColor(x, y) != background) {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
    return {first, last};
}

} // namespace

void TstCustomerWindow::aValueOfAFallbackFontSitsOnTheLineOfTheOthers_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("𠮷") << u"山田𠮷男 gy"_qs;
    QTest::newRow("㋿") << u"𠮷ビル㋿ gy"_qs;
    QTest::newRow("emoji") << u"山田😀 gy"_qs;
}

// 𠮷, ㋿ and emoji come from fonts whose ascent is a third larger than the
// first font's: a value holding one sits on the same line as any other
// (its g and y reach as low as a plain value's, not cut by the border).
void TstCustomerWindow::aValueOfAFallbackFontSitsOnTheLineOfTheOthers()
{
    QFETCH(QString, value);
    makeOperator(u"山田"_qs);
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto* name = child<QLabel>(w, u"Label2"_qs);
    name->setText(u"山田太郎 gy"_qs);
    const auto [plainTop, plainBottom] = inkRows(name);
    name->setText(value);
    const auto [top, bottom] = inkRows(name);
    QVERIFY(plainBottom > plainTop);
    QCOMPARE(bottom, plainBottom);
    QVERIFY2(top >= name->contentsRect().top(), qPrintable(QString::number(top)));
}

// Under a dark theme the panel's values and headings stay readable: every
// colour comes from the palette, or both colours are set together.
void TstCustomerWindow::panelReadsUnderADarkTheme()
{
    const QPalette before = QApplication::palette();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x20, 0x21, 0x24));
    dark.setColor(QPalette::WindowText, QColor(0xe8, 0xea, 0xed));
    dark.setColor(QPalette::Base, QColor(0x2b, 0x2c, 0x2f));
    dark.setColor(QPalette::Text, QColor(0xe8, 0xea, 0xed));
    dark.setColor(QPalette::Button, QColor(0x30, 0x31, 0x34));
    dark.setColor(QPalette::ButtonText, QColor(0xe8, 0xea, 0xed));
    dark.setColor(QPalette::Mid, QColor(0x5f, 0x63, 0x68));
    QApplication::setPalette(dark);
    makeOperator(u"山田"_qs);
    fillSample();
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->toolbarButton(21)->trigger();
    clickRow(w->userList(), rowOf(w->userList(), 1, u"加藤"_qs));
    QLabel* value = nullptr;
    QLabel* heading = nullptr;
    for (QLabel* label : w->findChildren<QLabel*>()) {
        if (label->text() == u"加藤工業")
            value = label;
        if (label->text() == u"会　社　情　報")
            heading = label;
    }
    QVERIFY(value && heading);
    const double valueContrast = drawnContrast(value);
    const double headingContrast = drawnContrast(heading);
    QApplication::setPalette(before);
    QVERIFY2(valueContrast >= 4.5, qPrintable(QString::number(valueContrast)));
    QVERIFY2(headingContrast >= 4.5, qPrintable(QString::number(headingContrast)));
}

// A window manager that brings a maximised window back passes it through
// other states on the way: only a resize (or the switch) saves the state.
void TstCustomerWindow::maximisedStateOutlivesPassingStates()
{
    makeOperator(u"山田"_qs);
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->showMaximized();
    QTRY_VERIFY(w->isMaximized());
    QTRY_COMPARE(SessionState::instance().CustomerWindowState, Qt::WindowMaximized);
    w->overrideWindowState(Qt::WindowNoState);
    QWindowStateChangeEvent passing(Qt::WindowMaximized);
    QApplication::sendEvent(w, &passing);
    QCOMPARE(SessionState::instance().CustomerWindowState, Qt::WindowMaximized);
}

// A click on a heading sorts the list by it (again: reversed), the chosen
// user stays chosen, and the next fill brings the settings' order back.
void TstCustomerWindow::headingClickSortsAndKeepsTheChosenRecord()
{
    makeOperator(u"山田"_qs);
    fillSample();
    {
        Database db = Database::open(customerFile(u"山田"_qs));
        addUser(db, u"ｷﾀﾑﾗ"_qs, u"北村"_qs);
        addUser(db, u"ｶﾈｺ"_qs, u"金子"_qs);
        addUser(db, u"ｶﾜｻｷ"_qs, u"川崎"_qs);
    }
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->toolbarButton(21)->trigger();
    ReportListView* list = w->userList();
    const QStringList settingsOrder = column(list, 1);
    QVERIFY(settingsOrder.size() >= 3);
    clickRow(list, rowOf(list, 1, u"加藤"_qs));
    const QStringList panel = w->panelValues();
    auto clickHeading = [list](int c) {
        QHeaderView* h = list->header();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(c) + 5, h->height() / 2));
    };
    clickHeading(1);
    // Names sort by their readings (ｶﾄｳ, ｶﾈｺ, ｶﾜｲ, ｶﾜｻｷ, ｷﾀﾑﾗ), not by
    // the kanji's codes (加 北 川 河 金).
    const QStringList ascending = {u"加藤"_qs, u"金子"_qs, u"河合"_qs, u"川崎"_qs, u"北村"_qs};
    QCOMPARE(column(list, 1), ascending);
    QCOMPARE(list->text(list->currentRow(), 1), u"加藤"_qs);
    QCOMPARE(list->header()->sortIndicatorSection(), 1);
    QVERIFY(list->header()->isSortIndicatorShown());
    clickHeading(1);
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    QCOMPARE(column(list, 1), descending);
    QCOMPARE(list->text(list->currentRow(), 1), u"加藤"_qs);
    // Sorting chose nobody anew: the panel shows the same user.
    QCOMPARE(w->view()->SelectedUserName, u"加藤"_qs);
    QCOMPARE(w->panelValues(), panel);
    // The keyboard goes on from the sorted position.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(w->view()->SelectedUserName, list->text(list->currentRow(), 1));
    // Filled again: the settings' order, no indicator.
    w->toolbarButton(21)->trigger();
    QCOMPARE(column(list, 1), settingsOrder);
    QVERIFY(!list->header()->isSortIndicatorShown());
    // Other columns sort as before: the numbers by value.
    clickHeading(0);
    QStringList ids = column(list, 0);
    QVERIFY(std::is_sorted(ids.begin(), ids.end(), [](const QString& a, const QString& b) {
        return a.toInt() < b.toInt();
    }));
}

// No heading is cut ("ユーザーＩＤ" as "ユーザーI"), nor a telephone number of
// 13 characters or an e-mail address of 25, in any list of the window.
void TstCustomerWindow::columnsFitTheirHeadingsAndTypicalValues()
{
    makeOperator(u"山田"_qs);
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    for (ReportListView* list : {w->userList(), w->subjectList(), w->logList()}) {
        const QFontMetrics headings(list->header()->font());
        const QFontMetrics values(list->font());
        const QStringList headers = list->listModel()->headers();
        for (int c = 0; c < headers.size(); ++c) {
            if (list->isColumnHidden(c))
                continue;
            const int width = list->columnWidth(c);
            QVERIFY2(headings.horizontalAdvance(headers[c]) < width, qPrintable(headers[c]));
            const QString h = headers[c].normalized(QString::NormalizationForm_KC).toUpper();
            if (h.contains(u"TEL"_qs))
                QVERIFY2(values.horizontalAdvance(u"03-1234-56789"_qs) < width,
                         qPrintable(headers[c]));
            if (h.contains(u"MAIL"_qs))
                QVERIFY2(values.horizontalAdvance(u"yamada.taro@example.co.jp"_qs) < width,
                         qPrintable(headers[c]));
        }
    }
}

// The widths a user drags and the window's place and size come back the
// next time the window opens; they are kept in his configuration folder,
// not in the data folder.
void TstCustomerWindow::widthsAndPlaceAreRememberedForTheUser()
{
    makeOperator(u"山田"_qs);
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->userList()->header()->resizeSection(1, 333);
    w->logList()->header()->resizeSection(3, 222);
    w->setGeometry(40, 50, 1000, 700);
    QTRY_COMPARE(w->size(), QSize(1000, 700));
    const QByteArray dataBefore = QDir(m_folder->path()).entryList().join(u'|').toUtf8();
    w = reopen(w);
    QVERIFY(w);
    QCOMPARE(w->userList()->columnWidth(1), 333);
    QCOMPARE(w->logList()->columnWidth(3), 222);
    QCOMPARE(w->size(), QSize(1000, 700));
    const QString file = userSettings().fileName();
    QVERIFY2(file.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME") + u"/horunea/"_qs),
             qPrintable(file));
    QVERIFY(!file.startsWith(m_folder->path()));
    QCOMPARE(QDir(m_folder->path()).entryList().join(u'|').toUtf8(), dataBefore);
    // Left maximised, it opens maximised.
    w->showMaximized();
    QTRY_VERIFY(w->isMaximized());
    w = reopen(w);
    QVERIFY(w);
    QTRY_VERIFY(w->isMaximized());
    QCOMPARE(SessionState::instance().CustomerWindowState, Qt::WindowMaximized);
}

// On a small screen or at a large scale (960 × 540 logical pixels) no list
// leaves the window.
void TstCustomerWindow::everyListFitsAt960By540()
{
    makeOperator(u"山田"_qs);
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    checkListsInsideAt960By540(w, u"Form1-960x540.png"_qs);
}

// Dragging the handle beside the user list widens it against the panel; the
// next opening keeps the width.
void TstCustomerWindow::splitterWidensTheListAndIsRemembered()
{
    makeOperator(u"山田"_qs);
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->resize(1280, 800);
    QTRY_COMPARE(w->size(), QSize(1280, 800));
    auto* handle = child<QWidget>(w, u"Splitter1"_qs);
    const int listBefore = w->userList()->width();
    const int panelBefore = child<QWidget>(w, u"Frame1"_qs)->x();
    const QPoint grab(2, 20);
    QMouseEvent press(QEvent::MouseButtonPress, grab, handle->mapToGlobal(grab), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &press);
    const QPoint to(grab.x() + 120, 20);
    QMouseEvent move(QEvent::MouseMove, to, handle->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, handle->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(handle, &release);
    const int listAfter = w->userList()->width();
    QVERIFY2(qAbs(listAfter - (listBefore + 120)) <= 2, qPrintable(QString::number(listAfter)));
    QVERIFY(child<QWidget>(w, u"Frame1"_qs)->x() > panelBefore);
    checkListsInside(w);
    w = reopen(w);
    QVERIFY(w);
    QTRY_VERIFY(qAbs(w->userList()->width() - listAfter) <= 2);
}

void TstCustomerWindow::clickingSubjectOfAnotherUserSwitchesPanel()
{
    makeOperator(u"山田"_qs);
    const Sample s = fillSample();
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->toolbarButton(21)->trigger();
    clickRow(w->userList(), rowOf(w->userList(), 1, u"加藤"_qs));
    clickRow(w->subjectList(), rowOf(w->subjectList(), 4, u"見積"_qs));
    QCOMPARE(w->view()->SelectedUserId, QString::number(s.kawai));
    QCOMPARE(w->view()->SelectedSubjectId, QString::number(s.kawaiOpen));
    QCOMPARE(w->view()->SelectedSubjectTitle, u"見積"_qs);
    QCOMPARE(w->panelValues().at(1), u"河合"_qs);
    QCOMPARE(child<QLabel>(w, u"Label23"_qs)->text(), u"　河合 の件名表示"_qs);
    QCOMPARE(child<QLabel>(w, u"Label25"_qs)->text(), u"　見積 のログ(メモ)表示"_qs);
    QCOMPARE(w->view()->query().LogWhere.text,
             u" WHERE 件名ID ="_qs + QString::number(s.kawaiOpen));
    QVERIFY(w->toolbarButton(11)->isVisible());
    clickRow(w->subjectList(), rowOf(w->subjectList(), 4, u"複合機"_qs));
    QCOMPARE(column(w->logList(), 5), (QStringList{u"訪問した"_qs, u"電話した"_qs}));
    clickRow(w->logList(), 1);
    QCOMPARE(w->view()->SelectedLogId, w->logList()->text(1, 0));
}

namespace {

// Presses a key (or runs an action) and reports the editor it opened, closing
// it again: "kind/new" or "kind/change", empty when none opened.
QString editorOpenedBy(const std::function<void()>& action)
{
    QString opened;
    QTimer::singleShot(0, [&opened] {
        if (auto* editor = qobject_cast<RecordEditorDialog*>(QApplication::activeModalWidget())) {
            opened = QString::number(int(editor->mode().EditKind)) +
                     (editor->mode().EditIsNew ? u"/new"_qs : u"/change"_qs);
            editor->reject();
        }
    });
    action();
    QTest::qWait(20);
    return opened;
}

} // namespace

void TstCustomerWindow::newSubjectAndLogKeysFollowTheirButtons()
{
    makeOperator(u"山田"_qs);
    fillSample();
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto press = [w](Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        return editorOpenedBy([=] { QTest::keyClick(w->userList(), key, mods); });
    };
    QCOMPARE(press(Qt::Key_F8), QString());
    QCOMPARE(press(Qt::Key_F9), QString());
    QCOMPARE(press(Qt::Key_F7), u"1/new"_qs);
    w->toolbarButton(21)->trigger();
    clickRow(w->userList(), 0);
    QCOMPARE(press(Qt::Key_F8), u"2/new"_qs);
    QCOMPARE(press(Qt::Key_F9), QString());
    clickRow(w->subjectList(), 0);
    QCOMPARE(press(Qt::Key_F9), u"3/new"_qs);
    // Ctrl with F8 is the plain F8.
    QCOMPARE(press(Qt::Key_F8, Qt::ControlModifier), u"2/new"_qs);
}

void TstCustomerWindow::doubleClickOpensEditorOnlyOnAnItem()
{
    makeOperator(u"山田"_qs);
    fillSample();
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(editorOpenedBy([w] {
                 QTest::mouseDClick(w->userList()->viewport(), Qt::LeftButton, {},
                                    QPoint(20, w->userList()->viewport()->height() - 10));
             }),
             QString());
    QCOMPARE(editorOpenedBy([w] {
                 QTest::mouseDClick(w->logList()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
             }),
             QString());
    QCOMPARE(editorOpenedBy([w] { clickRow(w->subjectList(), 0, true); }), u"2/change"_qs);
}

void TstCustomerWindow::mailAndUrlGoToTheShellAsOneUrl_data()
{
    QTest::addColumn<QString>("mail");
    QTest::addColumn<QString>("handed");
    QTest::newRow("plain") << u"kato@example.jp"_qs << u"mailto:kato@example.jp"_qs;
    QTest::newRow("mailto lower") << u"mailto:a@b.jp"_qs << u"mailto:a@b.jp"_qs;
    // Not prefixed twice; the URL writes its scheme in lower case.
    QTest::newRow("MAILTO upper") << u"MAILTO:a@b.jp"_qs << u"mailto:a@b.jp"_qs;
    QTest::newRow("shell characters")
        << u"a@b.jp;rm -rf ~ & calc"_qs << u"mailto:a@b.jp;rm -rf ~ & calc"_qs;
    QTest::newRow("empty") << QString() << QString();
}

void TstCustomerWindow::mailAndUrlGoToTheShellAsOneUrl()
{
    QFETCH(QString, mail);
    QFETCH(QString, handed);
    makeOperator(u"山田"_qs);
    {
        Database db = Database::open(customerFile(u"山田"_qs));
        addUser(db, u"ｱ"_qs, u"青木"_qs,
                {{u"E-MAIL"_qs, mail},
                 {u"URL"_qs, mail.isEmpty() ? QString() : u"https://example.jp/a?b=1&c"_qs}});
    }
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->toolbarButton(20)->trigger();
    clickRow(w->userList(), 0);
    child<QPushButton>(w, u"Command10"_qs)->click();
    child<QPushButton>(w, u"Command11"_qs)->click();
    if (handed.isEmpty()) {
        QVERIFY(m_dialogs->urls.isEmpty());
        return;
    }
    QCOMPARE(m_dialogs->urls.size(), 2);
    QCOMPARE(QUrl::fromPercentEncoding(m_dialogs->urls[0].toEncoded()), handed);
    QCOMPARE(m_dialogs->urls[1].toString(), u"https://example.jp/a?b=1&c"_qs);
    QVERIFY(m_dialogs->messages.isEmpty());
    // Nothing on the desktop to open them with: 送る and 表示 say so.
    m_dialogs->desktopOpens = false;
    child<QPushButton>(w, u"Command10"_qs)->click();
    child<QPushButton>(w, u"Command11"_qs)->click();
    QCOMPARE(m_dialogs->messages.size(), 2);
    QVERIFY(m_dialogs->messages[0].text.startsWith(u"メールを送るプログラム"_qs));
    QVERIFY(m_dialogs->messages[1].text.contains(u"https://example.jp/a?b=1&c"_qs));
}

void TstCustomerWindow::toolbarHasItsButtonsAndPrintMenu()
{
    makeOperator(u"山田"_qs);
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    auto* toolbar = child<QToolBar>(w, u"Toolbar1"_qs);
    QCOMPARE(toolbar->actions().size(), 31);
    for (int separator : {2, 8, 12, 19})
        QVERIFY(w->toolbarButton(separator)->isSeparator());
    for (int i = 1; i <= 31; ++i) {
        if (w->toolbarButton(i)->isSeparator())
            continue;
        QVERIFY2(!w->toolbarButton(i)->icon().isNull(), qPrintable(QString::number(i)));
        QVERIFY2(w->toolbarButton(i)->toolTip().contains(u"F"_qs), qPrintable(QString::number(i)));
    }
    QMenu* menu = w->toolbarButton(5)->menu();
    QVERIFY(menu);
    QStringList keys;
    for (QAction* a : menu->actions())
        keys << a->objectName();
    QCOMPARE(keys,
             (QStringList{u"agyou"_qs, u"kagyou"_qs, u"sagyou"_qs, u"tagyou"_qs, u"nagyou"_qs,
                          u"hagyou"_qs, u"magyou"_qs, u"yagyou"_qs, u"ragyou"_qs, u"wagyou"_qs,
                          u"abc"_qs, u"sonota"_qs, u"zokkou"_qs, u"kanryou"_qs}));
    QCOMPARE(menu->actions().at(11)->text(), u"他行"_qs);
}

void TstCustomerWindow::changeOperatorKeepsWindowAndShowsNewData()
{
    makeOperator(u"山田"_qs);
    makeOperator(u"佐藤"_qs, u"pw"_qs);
    fillSample();
    {
        Database db = Database::open(customerFile(u"佐藤"_qs));
        const qint64 u = addUser(db, u"ｻﾄｳ"_qs, u"佐藤商会"_qs);
        addSubject(db, u, u"佐藤の件名"_qs);
    }
    QPointer<CustomerWindow> w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    bool sawCustomerOnly = false;
    whenModal([&](QWidget* modal) {
        auto* menu = qobject_cast<MainMenuWindow*>(modal);
        QVERIFY(menu);
        sawCustomerOnly = menu->menuLayout() == MainMenuWindow::Layout::CustomerOnlyMenu;
        auto* list = child<QTreeView>(menu, u"ListView1"_qs);
        clickRow(list, 1);
        child<QLineEdit>(menu, u"Text3"_qs)->setText(u"pw"_qs);
        child<QPushButton>(menu, u"Command12"_qs)->click();
    });
    QTest::keyClick(w->userList(), Qt::Key_F3);
    QVERIFY(sawCustomerOnly);
    QVERIFY(w && w->isVisible());
    QCOMPARE(m_shell->customerWindow(), w.data());
    QCOMPARE(w->windowTitle(), u"佐藤"_qs);
    QCOMPARE(SessionState::instance().CustomerAccountName, u"佐藤"_qs);
    QCOMPARE(Connections::instance().CustomerDatabasePath, customerFile(u"佐藤"_qs));
    QCOMPARE(column(w->subjectList(), 4), QStringList{u"佐藤の件名"_qs});
    QVERIFY(!Connections::instance().masterOpen());
}

void TstCustomerWindow::switchToRepairShowsRepairOnlyMenu()
{
    makeOperator(u"山田"_qs);
    CustomerWindow* w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    int layout = -1;
    whenModal([&](QWidget* modal) {
        auto* menu = qobject_cast<MainMenuWindow*>(modal);
        QVERIFY(menu);
        layout = int(menu->menuLayout());
        child<QPushButton>(menu, u"Command2"_qs)->click();
    });
    QTest::keyClick(w->userList(), Qt::Key_F1);
    QCOMPARE(layout, int(MainMenuWindow::Layout::RepairOnlyMenu));
    // 閉じる there returns to the customer window with its data open.
    QVERIFY(w->isVisible());
    QVERIFY(Connections::instance().customerOpen());
}

void TstCustomerWindow::closingBringsMainMenuBackWithFreshLists()
{
    makeOperator(u"山田"_qs);
    QPointer<CustomerWindow> w = openAs(u"山田"_qs, QString());
    QVERIFY(QTest::qWaitForWindowExposed(w));
    makeOperator(u"新人"_qs); // an account added while the window was open
    QTest::keyClick(w->userList(), Qt::Key_F2);
    QTRY_VERIFY(!w);
    MainMenuWindow* menu = m_shell->mainMenu();
    QVERIFY(menu && menu->isVisible());
    QCOMPARE(menu->menuLayout(), MainMenuWindow::Layout::Full);
    QCOMPARE(menu->operatorNames(), (QStringList{u"山田"_qs, u"新人"_qs}));
    QVERIFY(Connections::instance().masterOpen());
    QVERIFY(!Connections::instance().customerOpen());
    QVERIFY(SessionState::instance().CustomerAccountName.isEmpty());
}

QTEST_MAIN(TstCustomerWindow)
#include "tst_customerwindow.moc"
