// Keyboard-first work in the windows: nothing changes that the user did not
// change, whichever way the keys, the input method and the lists are used.

#include "CliSupport.h"
#include "Fixtures.h"
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"

#include "admin/AdministratorWindows.h"
#include "customer/CustomerLists.h"
#include "customer/CustomerWindow.h"
#include "editor/RecordEditorDialog.h"
#include "import/ImportWindow.h"
#include "repair/MakerWindow.h"
#include "repair/RepairStorage.h"
#include "repair/RepairWindow.h"
#include "store/DateText.h"
#include "store/SessionState.h"
#include "ui/InputMode.h"
#include "ui/MultiLineBox.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

using namespace horunea;
using namespace horunea::test;

namespace {

// The list a drop-down box shows the keyboard, the keyboard staying in the box.
QListView* listOf(QComboBox* combo)
{
    return combo->findChild<QListView*>(u"DropList"_qs);
}

bool listShown(QComboBox* combo)
{
    return listOf(combo) && listOf(combo)->isVisible();
}

// The widget a key goes to: the open list of a drop-down box, else the focus.
QWidget* keyTarget()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget();
}

void press(int key, const QString& text = QString())
{
    QWidget* target = keyTarget();
    QVERIFY(target);
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &down);
    QApplication::sendEvent(target, &up);
    QTest::qWait(30); // a drop-down box opens its list after the focus arrives
}

void type(const QString& text)
{
    for (QChar c : text)
        press(0, QString(c));
}

// Presses Enter from box to box until the editor's save button has the focus;
// the names of the controls passed through.
QStringList enterTo(QWidget* dialog, const QString& last = u"Command1"_qs)
{
    QStringList visited;
    for (int i = 0; i < 40; ++i) {
        QWidget* focused = QApplication::focusWidget();
        if (!focused)
            break;
        // An editable box's line edit and an open list stand for their box.
        for (QWidget* up = focused; up; up = up->parentWidget())
            if (auto* combo = qobject_cast<QComboBox*>(up)) {
                focused = combo;
                break;
            }
        if (focused->objectName() == last && !QApplication::activePopupWidget())
            break;
        visited << focused->objectName();
        press(Qt::Key_Return);
    }
    Q_UNUSED(dialog);
    return visited;
}

// Moves through a list with the arrow keys, from its top, to the row whose
// column holds text, as a user reading the list would.
void chooseByKeyboard(ReportListView* list, int column, const QString& text)
{
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    QTest::keyClick(list, Qt::Key_Space);
    for (int i = 0; i < list->rowCount() && list->text(list->currentRow(), column) != text; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->text(list->currentRow(), column), text);
}

// What the input method is told when it asks the box; an editable drop-down
// box is asked itself (it is the focus) and through its line edit, which
// must answer alike.
QVariant imEnabled(QWidget* box)
{
    auto ask = [](QWidget* target) {
        QInputMethodQueryEvent query(Qt::ImEnabled);
        QApplication::sendEvent(target, &query);
        return query.value(Qt::ImEnabled);
    };
    const QVariant answer = ask(box);
    if (auto* combo = qobject_cast<QComboBox*>(box); combo && combo->lineEdit())
        if (ask(combo->lineEdit()) != answer)
            return u"the box and its line edit differ"_qs;
    return answer;
}

} // namespace

class TstKeyboard : public GuiTestCase
{
    Q_OBJECT
public:
    TstKeyboard() : GuiTestCase(QDate(2003, 8, 19)) {}

private slots:
    void enterThroughEveryEditorChangesNothing_data();
    void enterThroughEveryEditorChangesNothing();
    void tabFollowsEnterInTheRepairEditor();
    void enterThroughSettingsKeepsTheSortOrder();
    void newRepairByKeyboardPicksNoOperator();
    void typingReachesAnOpenFreeTextList();
    void anOpenListWithTheInputMethodOn_data();
    void anOpenListWithTheInputMethodOn();
    void openListHighlightsTheBoxText();
    void keyboardChoiceIsTheEditedRecord();
    void offBoxesRefuseTheInputMethod();
    void offBoxesKeepAsciiForms();
    void aOneLineBoxTakesOneLine_data();
    void aOneLineBoxTakesOneLine();
    void whatIsHighlightedIsWhatIsChosen();
    void kanaRowKeysTakeTheKeyboardToTheUserList();
    void refilledMainMenuOpensOnlyTheCheckedAccount();
    void escapeAsksBeforeThrowingAwayTypedWork();
    void theKeyboardComesBackWhereItWas();
    void aTypedDateIsTakenWholeOrRefused_data();
    void aTypedDateIsTakenWholeOrRefused();
    void storedMarkupIsShownAsText();
    void desktopGetsOnlyWebAndMailAddresses_data();
    void desktopGetsOnlyWebAndMailAddresses();
    void enterPressesFocusedButtons();
    void importWindowChoosesNothingForTheUser();
    void newRepairInUnpaidListLeavesNoStaleLogs();
    void customerDayByKeyboard();
    void repairDayByKeyboard();

private:
    void prepare() override;
    CustomerWindow* openCustomer();
    RepairWindow* openRepair();
    QString customerFile() const { return test::customerFile(u"山田"_qs); }
    QString repairFile() const { return test::repairFile(u"修理係"_qs); }
};

void TstKeyboard::prepare()
{
    makeOperator(u"山田"_qs);
    makeOperator(u"佐藤"_qs);
    makeRepairAccount(u"修理係"_qs);

    // Every field of every record holds a value, so that a field written
    // back differently (or emptied) shows.
    Database customer = Database::open(customerFile());
    Fields user;
    const QStringList userFields = userDetailFields();
    for (int i = 0; i < userFields.size(); ++i)
        user << qMakePair(userFields[i], QVariant(u"値%1"_qs.arg(i)));
    user[0].second = u"ﾔﾏﾀﾞﾀﾛｳ"_qs;
    user[1].second = u"山田太郎"_qs;
    user[2].second = u"ﾔﾏﾀﾞﾀﾛｳ"_qs;
    user[3].second = u"山田太郎"_qs;
    user[4].second = u"03-1234-5678"_qs;
    user[7].second = u"ﾔﾏﾀﾞｼｮｳｼﾞ"_qs;
    user[8].second = u"山田商事"_qs;
    const qint64 u = customer.insert(u"ユーザー"_qs, user);
    const qint64 s = customer.insert(u"件名"_qs, {{u"ユーザーID"_qs, u},
                                                  {u"登録日"_qs, u"2003/08/01(金)"_qs},
                                                  {u"件名"_qs, u"複合機"_qs},
                                                  {u"備考"_qs, u"三台"_qs},
                                                  {u"判定"_qs, u"続行"_qs}});
    customer.insert(u"ログ"_qs, {{u"件名ID"_qs, s},
                                 {u"ユーザーID"_qs, u},
                                 {u"登録日"_qs, u"2003/08/02(土)"_qs},
                                 {u"記録者"_qs, u"佐藤"_qs},
                                 {u"ログ"_qs, u"訪問した"_qs}});

    Database repair = Database::open(repairFile());
    repair.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"A社"_qs}});
    repair.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"Toshiba"_qs}});
    Fields r{
        {u"判定"_qs, u"続行"_qs}, {u"受付日"_qs, u"2003/08/18(月)"_qs}, {u"見積納期"_qs, u"10"_qs}};
    const QStringList texts = repairTextFields();
    for (int i = 0; i < texts.size(); ++i)
        r << qMakePair(texts[i], QVariant(u"値%1"_qs.arg(i)));
    auto set = [&r](const QString& field, const QString& value) {
        for (auto& f : r)
            if (f.first == field)
                f.second = value;
    };
    set(u"メーカー名"_qs, u"Toshiba"_qs);
    set(u"担当者"_qs, u"佐藤"_qs);
    set(u"有償無償"_qs, u"有償"_qs);
    set(u"入金"_qs, u"済み"_qs);
    set(u"会社TEL"_qs, u"03-1111-2222"_qs);
    const qint64 id = repair.insert(u"修理"_qs, r);
    repair.insert(u"修理ログ"_qs, {{u"修理ID"_qs, id},
                                   {u"記録日"_qs, u"2003/08/18(月)"_qs},
                                   {u"記録者"_qs, u"佐藤"_qs},
                                   {u"ログ"_qs, u"受付"_qs}});
}

CustomerWindow* TstKeyboard::openCustomer()
{
    CustomerWindow* w = openCustomerWindow(*m_shell);
    if (w)
        w->toolbarButton(27)->trigger(); // や
    return w;
}

RepairWindow* TstKeyboard::openRepair()
{
    return openRepairWindow(*m_shell);
}

void TstKeyboard::enterThroughEveryEditorChangesNothing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("first");
    QTest::newRow("user") << 1 << u"Text31"_qs;
    QTest::newRow("subject") << 2 << u"DTPicker1"_qs;
    QTest::newRow("log") << 3 << u"DTPicker2"_qs;
    QTest::newRow("repair") << 4 << u"Check1"_qs;
    QTest::newRow("repair log") << 5 << u"DTPicker3"_qs;
}

void TstKeyboard::enterThroughEveryEditorChangesNothing()
{
    QFETCH(int, kind);
    QFETCH(QString, first);
    const bool repair = kind >= 4;
    const QString file = repair ? repairFile() : customerFile();
    const QString before = databaseContents(file);
    std::function<void()> open;
    if (repair) {
        RepairWindow* w = openRepair();
        QVERIFY(w);
        clickRow(w->repairList(), 0);
        QCOMPARE(w->view()->SelectedRepairName, u"値0"_qs);
        open = [w, kind] { clickRow(kind == 4 ? w->repairList() : w->repairLogList(), 0, true); };
    } else {
        CustomerWindow* w = openCustomer();
        QVERIFY(w);
        clickRow(w->userList(), 0);
        clickRow(w->subjectList(), 0);
        clickRow(w->logList(), 0);
        ReportListView* list = kind == 1   ? w->userList()
                               : kind == 2 ? w->subjectList()
                                           : w->logList();
        open = [list] { clickRow(list, 0, true); };
    }
    QStringList visited;
    withModal(open, [&](QDialog* e) {
        QCOMPARE(qobject_cast<QPushButton*>(e->findChild<QPushButton*>(u"Command1"_qs))->text(),
                 u"変更"_qs);
        e->findChild<QWidget*>(first)->setFocus();
        QTest::qWait(30);
        visited = enterTo(e);
        QCOMPARE(QApplication::focusWidget()->objectName(), u"Command1"_qs);
        press(Qt::Key_Return); // 変更
        QVERIFY(!e->isVisible());
    });
    QVERIFY2(visited.size() >= 3, qPrintable(visited.join(u' ')));
    if (kind == 4)
        QVERIFY2(visited.contains(u"Combo6"_qs) && visited.contains(u"Combo9"_qs),
                 qPrintable(visited.join(u' ')));
    QCOMPARE(databaseContents(file), before);
}

// The controls Tab goes through from `first` up to `last`, as Tab moves
// (the line edit of an editable list or a date box stands for its box).
QStringList tabOrder(QWidget* first, const QString& last)
{
    QStringList names;
    QWidget* w = first;
    for (int i = 0; i < 200 && w; ++i, w = w->nextInFocusChain()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible() || !w->isEnabled())
            continue;
        QWidget* box = w;
        if (qobject_cast<QLineEdit*>(w) && (qobject_cast<QComboBox*>(w->parentWidget()) ||
                                            qobject_cast<QAbstractSpinBox*>(w->parentWidget())))
            box = w->parentWidget();
        if (names.isEmpty() || names.last() != box->objectName())
            names << box->objectName();
        if (box->objectName() == last)
            break;
    }
    return names;
}

// In the repair editor Tab goes the way Enter does, down each column.
void TstKeyboard::tabFollowsEnterInTheRepairEditor()
{
    RepairWindow* w = openRepair();
    clickRow(w->repairList(), 0);
    withModal([w] { clickRow(w->repairList(), 0, true); },
              [&](QDialog* e) {
                  const QStringList tabs = tabOrder(child(e, u"Check1"_qs), u"Command1"_qs);
                  child(e, u"Check1"_qs)->setFocus();
                  QTest::qWait(30);
                  const QStringList enters = enterTo(e) << u"Command1"_qs;
                  QCOMPARE(tabs.join(u" "_qs), enters.join(u" "_qs));
                  QCOMPARE(tabOrder(child(e, u"Command1"_qs), u"Command3"_qs),
                           (QStringList{u"Command1"_qs, u"Command2"_qs, u"Command3"_qs}));
                  child<QPushButton>(e, u"Command3"_qs)->click();
              });
}

void TstKeyboard::enterThroughSettingsKeepsTheSortOrder()
{
    CustomerWindow* w = openCustomer();
    // Sort choices away from the first entries, stored with the mouse.
    withModal([w] { QTest::keyClick(w->userList(), Qt::Key_F5); },
              [&](QDialog* d) {
                  int i = 0;
                  for (QComboBox* c : d->findChildren<QComboBox*>())
                      if (c->isVisible())
                          c->setCurrentIndex(c->count() - 1 - (i++ % 2));
                  for (QPushButton* b : d->findChildren<QPushButton*>())
                      if (b->isVisible() && b->text() == u"並べ替え変更")
                          b->click();
              });
    const QString before = databaseContents(customerFile());
    QString pressed;
    withModal([w] { QTest::keyClick(w->userList(), Qt::Key_F5); },
              [&](QDialog* d) {
                  for (QComboBox* c : d->findChildren<QComboBox*>()) {
                      if (c->isVisible()) {
                          c->setFocus();
                          break;
                      }
                  }
                  for (int i = 0;
                       i < 20 && !qobject_cast<QPushButton*>(QApplication::focusWidget()); ++i)
                      press(Qt::Key_Return);
                  pressed = QApplication::focusWidget()->objectName();
                  press(Qt::Key_Return);
                  QVERIFY(!d->isVisible());
              });
    QVERIFY(!pressed.isEmpty());
    QCOMPARE(databaseContents(customerFile()), before);
}

void TstKeyboard::newRepairByKeyboardPicksNoOperator()
{
    RepairWindow* w = openRepair();
    withModal([w] { QTest::keyClick(w->repairList(), Qt::Key_F10); },
              [&](QDialog* e) {
                  child<QLineEdit>(e, u"Text61"_qs)->setFocus();
                  type(u"kimura"_qs);
                  enterTo(e);
                  press(Qt::Key_Return);
              });
    Database db = Database::open(repairFile());
    const auto stored = ReadRepair(db, u"2"_qs);
    QVERIFY(stored);
    QCOMPARE(stored->value(u"お客様名"_qs), u"kimura"_qs);
    QCOMPARE(stored->value(u"メーカー名"_qs), QString());
    QCOMPARE(stored->value(u"担当者"_qs), QString());
    QCOMPARE(stored->value(u"有償無償"_qs), u"無償"_qs);
    QCOMPARE(stored->value(u"入金"_qs), u"未入"_qs);
    // A new repair left as it starts is a receivable: the unpaid list has it.
    QTest::keyClick(w->repairList(), Qt::Key_F7);
    QVERIFY(column(w->unpaidList(), 3).contains(u"kimura"_qs));
}

void TstKeyboard::typingReachesAnOpenFreeTextList()
{
    RepairWindow* w = openRepair();
    clickRow(w->repairList(), 0);
    withModal([w] { QTest::keyClick(w->repairList(), Qt::Key_F11); },
              [&](QDialog* e) {
                  auto* recorder = child<QComboBox>(e, u"Combo4"_qs);
                  child<QDateEdit>(e, u"DTPicker3"_qs)->setFocus();
                  press(Qt::Key_Return);
                  QTRY_VERIFY(listShown(recorder));
                  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(recorder));
                  recorder->lineEdit()->selectAll();
                  type(u"abc"_qs);
                  QVERIFY(!listShown(recorder));
                  QCOMPARE(recorder->currentText(), u"abc"_qs);
                  // What an input method commits reaches the box too.
                  recorder->setEditText(QString());
                  recorder->clearFocus();
                  recorder->setFocus(Qt::TabFocusReason);
                  QTRY_VERIFY(listShown(recorder));
                  QInputMethodEvent commit;
                  commit.setCommitString(u"木村"_qs);
                  QApplication::sendEvent(keyTarget(), &commit);
                  QCOMPARE(recorder->currentText(), u"木村"_qs);
                  press(Qt::Key_Return);
                  QCOMPARE(recorder->currentText(), u"木村"_qs);
                  QVERIFY(child<MultiLineBox>(e, u"Text19"_qs)->hasFocus());
              });
}

void TstKeyboard::anOpenListWithTheInputMethodOn_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("takesJapanese");
    QTest::addColumn<QStringList>("entries"); // as listed, in order
    QTest::addColumn<QString>("shown");       // the box's text as the editor opens
    QTest::newRow("maker") << u"Combo6"_qs << false << QStringList{u"A社"_qs, u"Toshiba"_qs}
                           << u"Toshiba"_qs;
    QTest::newRow("operator") << u"Combo7"_qs << true << QStringList{u"山田"_qs, u"佐藤"_qs}
                              << u"佐藤"_qs;
}

// With the input method on, an open list keeps the keyboard in its box: the
// input method is asked by the box and composes in the box (the list goes,
// the box's selected text is replaced, the commit is exactly the box's
// text); ↑ ↓ move in the list without touching the box, Enter takes the
// entry moved to, Escape leaves the box as it was, and ↓ in a closed box
// opens the list instead of stepping the box's value.
void TstKeyboard::anOpenListWithTheInputMethodOn()
{
    QFETCH(QString, box);
    QFETCH(bool, takesJapanese);
    QFETCH(QStringList, entries);
    QFETCH(QString, shown);
    RepairWindow* w = openRepair();
    clickRow(w->repairList(), 0);
    withModal([w] { clickRow(w->repairList(), 0, true); },
              [&](QDialog* e) {
                  auto* combo = child<QComboBox>(e, box);
                  auto enter = [combo] {
                      combo->clearFocus();
                      combo->setFocus(Qt::TabFocusReason);
                      QTRY_VERIFY(listShown(combo));
                  };
                  enter();
                  QCOMPARE(QGuiApplication::focusObject(), static_cast<QObject*>(combo));
                  QCOMPARE(imEnabled(combo), QVariant(takesJapanese));
                  QCOMPARE(listOf(combo)->currentIndex().data().toString(), shown);
                  // ↓ ↓ then Escape: the box as it was.
                  press(Qt::Key_Down);
                  QCOMPARE(combo->currentText(), shown);
                  press(Qt::Key_Escape);
                  QVERIFY(!listShown(combo));
                  QVERIFY(e->isVisible());
                  QCOMPARE(combo->currentText(), shown);
                  // ↓ in the closed box opens the list, the box unchanged.
                  press(Qt::Key_Down);
                  QVERIFY(listShown(combo));
                  QCOMPARE(combo->currentText(), shown);
                  // ↑ to the first entry, Enter takes it and moves on.
                  press(Qt::Key_Up);
                  press(Qt::Key_Up);
                  press(Qt::Key_Up);
                  QCOMPARE(listOf(combo)->currentIndex().data().toString(), entries.first());
                  press(Qt::Key_Return);
                  QCOMPARE(combo->currentText(), entries.first());
                  QVERIFY(!listShown(combo));
                  QVERIFY(!combo->hasFocus());
                  // Typing replaces the selected text; the list goes. A box
                  // that takes Japanese composes (the preedit shows over
                  // nothing left of the old text); an "off" box takes keys.
                  enter();
                  combo->lineEdit()->selectAll();
                  if (takesJapanese) {
                      QInputMethodEvent compose(u"が"_qs, {});
                      QApplication::sendEvent(QGuiApplication::focusObject(), &compose);
                      QVERIFY(!listShown(combo));
                      QCOMPARE(combo->lineEdit()->text(), QString());
                      QVERIFY(isComposing(combo));
                      QInputMethodEvent commit;
                      commit.setCommitString(u"外部"_qs);
                      QApplication::sendEvent(QGuiApplication::focusObject(), &commit);
                  } else {
                      type(u"外部"_qs);
                      QVERIFY(!listShown(combo));
                  }
                  QCOMPARE(combo->currentText(), u"外部"_qs);
                  child<QPushButton>(e, u"Command1"_qs)->click();
              });
    Database db = Database::open(repairFile());
    const QString field = box == u"Combo6" ? u"メーカー名"_qs : u"担当者"_qs;
    QCOMPARE(columnOf(db, u"SELECT "_qs + field + u" FROM 修理"_qs), QStringList{u"外部"_qs});
}

void TstKeyboard::openListHighlightsTheBoxText()
{
    RepairWindow* w = openRepair();
    clickRow(w->repairList(), 0);
    withModal([w] { clickRow(w->repairList(), 0, true); },
              [&](QDialog* e) {
                  auto* makers = child<QComboBox>(e, u"Combo6"_qs);
                  makers->setFocus(Qt::TabFocusReason);
                  QTRY_VERIFY(listShown(makers));
                  QCOMPARE(listOf(makers)->currentIndex().data().toString(), u"Toshiba"_qs);
                  press(Qt::Key_Escape);
                  // A text that is no entry highlights nothing; Enter keeps it.
                  makers->setEditText(u"Sharp"_qs);
                  makers->clearFocus();
                  makers->setFocus(Qt::TabFocusReason);
                  QTRY_VERIFY(listShown(makers));
                  QVERIFY(!listOf(makers)->currentIndex().isValid());
                  press(Qt::Key_Return);
                  QCOMPARE(makers->currentText(), u"Sharp"_qs);
                  QVERIFY(child<QLineEdit>(e, u"Text67"_qs)->hasFocus());
                  // Moving to an entry and pressing Enter takes it.
                  makers->setFocus(Qt::TabFocusReason);
                  QTRY_VERIFY(listShown(makers));
                  press(Qt::Key_Down);
                  press(Qt::Key_Return);
                  QCOMPARE(makers->currentText(), u"A社"_qs);
                  // The Enter move shows the focus as a Tab move does.
                  QVERIFY(e->testAttribute(Qt::WA_KeyboardFocusChange));
              });
}

void TstKeyboard::keyboardChoiceIsTheEditedRecord()
{
    Database db = Database::open(customerFile());
    addUser(db, u"ﾔﾏｶﾞﾀ"_qs, u"山形"_qs);
    addUser(db, u"ﾔﾉ"_qs, u"矢野"_qs);
    CustomerWindow* w = openCustomer();
    ReportListView* users = w->userList();
    QCOMPARE(users->rowCount(), 3);
    clickRow(users, 0);
    const QString first = w->panelValues().at(1);
    // The arrow keys choose as a click does: panel and holders follow.
    users->setFocus();
    QTest::keyClick(users, Qt::Key_Down);
    const QString second = users->text(1, 1);
    QCOMPARE(w->panelValues().at(1), second);
    QVERIFY(second != first);
    // So does typing a reading through the input method.
    // (the list searches its first column, the hidden key)
    QInputMethodEvent commit;
    commit.setCommitString(users->text(2, 0));
    QApplication::sendEvent(users, &commit);
    QCOMPARE(users->currentRow(), 2);
    QCOMPARE(w->panelValues().at(1), users->text(2, 1));
    // Enter edits the highlighted record, even one the program highlighted.
    w->toolbarButton(27)->trigger(); // the row is listed again
    users->selectRow(1);
    QVERIFY(w->panelValues().at(1) != users->text(1, 1));
    users->setFocus();
    QString title;
    withModal([users] { QTest::keyClick(users, Qt::Key_Return); },
              [&](QDialog* e) { title = child<QLabel>(e, u"Label1"_qs)->text(); });
    QCOMPARE(title, users->text(users->currentRow(), 1) + u"の情報を編集します"_qs);
}

void TstKeyboard::offBoxesRefuseTheInputMethod()
{
    MainMenuWindow* menu = (m_shell->start(false), m_shell->mainMenu());
    QList<QWidget*> boxes{child(menu, u"Text3"_qs), child(menu, u"Text4"_qs)};
    for (QWidget* box : boxes)
        QCOMPARE(imEnabled(box), QVariant(false));

    RepairWindow* w = openRepair();
    clickRow(w->repairList(), 0);
    int checked = 0;
    withModal([w] { clickRow(w->repairList(), 0, true); },
              [&](QDialog* e) {
                  for (const QString& name :
                       {u"Text63"_qs, u"Text65"_qs, u"Combo6"_qs, u"Text67"_qs, u"Text68"_qs,
                        u"Text71"_qs, u"Text74"_qs, u"Text75"_qs}) {
                      QCOMPARE(imEnabled(child(e, name)), QVariant(false));
                      ++checked;
                  }
                  QCOMPARE(imEnabled(child(e, u"Text61"_qs)), QVariant(true));
              });
    withModal([w] { w->toolbarButton(11)->trigger(); },
              [&](QDialog* d) {
                  for (const QString& name : {u"Text3"_qs, u"Text4"_qs, u"Text5"_qs}) {
                      QCOMPARE(imEnabled(child(d, name)), QVariant(false));
                      ++checked;
                  }
              });
    CustomerWindow* c = (m_shell->start(false), openCustomer());
    QVERIFY(c);
    withModal([c] { QTest::keyClick(c->userList(), Qt::Key_F7); },
              [&](QDialog* e) {
                  for (int n : {35, 36, 41, 42, 44, 45}) {
                      QCOMPARE(imEnabled(child(e, u"Text%1"_qs.arg(n))), QVariant(false));
                      ++checked;
                  }
                  QCOMPARE(imEnabled(child(e, u"Text32"_qs)), QVariant(true));
              });
    QCOMPARE(checked, 17);
}

void TstKeyboard::offBoxesKeepAsciiForms()
{
    CustomerWindow* w = openCustomer();
    withModal([w] { QTest::keyClick(w->userList(), Qt::Key_F7); },
              [&](QDialog* e) {
                  auto* tel = child<QLineEdit>(e, u"Text35"_qs);
                  tel->setFocus();
                  QInputMethodEvent commit;
                  commit.setCommitString(u"０３−１２３４ー５６７８"_qs);
                  QApplication::sendEvent(tel, &commit);
                  QCOMPARE(tel->text(), u"03-1234-5678"_qs);
                  auto* mail = child<QLineEdit>(e, u"Text44"_qs);
                  mail->setFocus();
                  QApplication::clipboard()->setText(u"ｈａｎａ＠ｅｘａｍｐｌｅ．ｊｐ"_qs);
                  mail->paste();
                  QCOMPARE(mail->text(), u"hana@example.jp"_qs);
                  // A box that takes Japanese keeps what was typed.
                  auto* name = child<QLineEdit>(e, u"Text32"_qs);
                  QApplication::sendEvent(name, &commit);
                  QCOMPARE(name->text(), u"０３−１２３４ー５６７８"_qs);
              });
}

void TstKeyboard::aOneLineBoxTakesOneLine_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    QTest::newRow("telephone, two numbers")
        << u"Text35"_qs << u"03-1111-2222\n03-3333-4444\n"_qs << u"03-1111-2222 03-3333-4444"_qs;
    QTest::newRow("telephone, full width, CR LF")
        << u"Text35"_qs << u"０３\r\n１１１１\r\n"_qs << u"03 1111"_qs;
    QTest::newRow("name, CR alone") << u"Text32"_qs << u"山田\r太郎"_qs << u"山田 太郎"_qs;
    QTest::newRow("name, lines only") << u"Text32"_qs << u"\n\n"_qs << QString();
    QTest::newRow("name, blank line kept as spaces")
        << u"Text32"_qs << u"𠮷野\n\n屋😀"_qs << u"𠮷野  屋😀"_qs;
    QTest::newRow("reading, half-width kana")
        << u"Text31"_qs << u"やまだ\nたろう\n"_qs << u"ﾔﾏﾀﾞ ﾀﾛｳ"_qs;
}

// A paste of several lines into a one-line box stores what the box shows:
// one line, each break a space, none at the end. A multi-line box keeps them.
void TstKeyboard::aOneLineBoxTakesOneLine()
{
    QFETCH(QString, box);
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    CustomerWindow* w = openCustomer();
    withModal([w] { QTest::keyClick(w->userList(), Qt::Key_F7); },
              [&](QDialog* e) {
                  auto* edit = child<QLineEdit>(e, box);
                  edit->setFocus();
                  edit->selectAll();
                  QApplication::clipboard()->setText(pasted);
                  edit->paste();
                  QCOMPARE(edit->text(), kept);
                  auto* note = child<MultiLineBox>(e, u"Text46"_qs);
                  note->setFocus();
                  note->selectAll();
                  note->paste();
                  QCOMPARE(note->toPlainText(),
                           QString(pasted).replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n'));
              });
}

// The rows a list highlights: none, or the chosen one alone.
QList<int> highlighted(const ReportListView* list)
{
    QList<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows())
        rows << index.row();
    if (list->currentRow() >= 0 && !rows.contains(list->currentRow()))
        rows << -2; // a current row that is not selected still shows
    return rows;
}

// Whatever a list highlights is what the window acts on: the menus start
// with nothing highlighted and the arrow keys choose the row they move to;
// a subject of another user makes that user the highlighted one too.
void TstKeyboard::whatIsHighlightedIsWhatIsChosen()
{
    makeOperator(u"鈴木"_qs);
    MainMenuWindow* menu = (m_shell->start(false), m_shell->mainMenu());
    auto* operators = child<ReportListView>(menu, u"ListView1"_qs);
    QCOMPARE(highlighted(operators), QList<int>{});
    // Enter in the password box with no account chosen says so.
    child<QLineEdit>(menu, u"Text3"_qs)->setFocus();
    QTest::keyClick(child<QLineEdit>(menu, u"Text3"_qs), Qt::Key_Return);
    QCOMPARE(m_dialogs->lastMessage(), u"アカウントを選んでください。"_qs);
    operators->setFocus();
    QCOMPARE(highlighted(operators), QList<int>{});
    QTest::keyClick(operators, Qt::Key_Down);
    QTest::keyClick(operators, Qt::Key_Down);
    QCOMPARE(highlighted(operators), QList<int>{1});
    QCOMPARE(menu->selectedOperatorName(), operators->text(1, 1));
    {
        AdministratorMenuWindow admin;
        admin.show();
        auto* accounts = child<ReportListView>(&admin, u"ListView1"_qs);
        QCOMPARE(highlighted(accounts), QList<int>{});
        accounts->setFocus();
        QCOMPARE(highlighted(accounts), QList<int>{});
        QTest::keyClick(accounts, Qt::Key_Down);
        QTest::keyClick(accounts, Qt::Key_Down);
        QCOMPARE(highlighted(accounts), QList<int>{1});
        QCOMPARE(child<QLineEdit>(&admin, u"Text3"_qs)->text(), accounts->text(1, 1));
    }

    Database db = Database::open(customerFile());
    const qint64 other = addUser(db, u"ﾔﾏｶﾞﾀ"_qs, u"山形"_qs);
    addSubject(db, other, u"電話機"_qs);
    CustomerWindow* w = openCustomer();
    ReportListView* users = w->userList();
    const int yamagata = column(users, 1).indexOf(u"山形"_qs);
    const int yamada = column(users, 1).indexOf(u"山田太郎"_qs);
    QVERIFY(yamagata >= 0 && yamada >= 0);
    clickRow(users, yamagata);
    QCOMPARE(highlighted(users), QList<int>{yamagata});
    ReportListView* subjects = w->subjectList();
    const int copier = column(subjects, 4).indexOf(u"複合機"_qs);
    QVERIFY(copier >= 0);
    clickRow(subjects, copier);
    QCOMPARE(w->panelValues().at(1), u"山田太郎"_qs);
    QCOMPARE(highlighted(users), QList<int>{yamada});
    users->setFocus();
    QString title;
    withModal([users] { QTest::keyClick(users, Qt::Key_Return); },
              [&](QDialog* e) {
                  title = child<QLabel>(e, u"Label1"_qs)->text();
                  child<QPushButton>(e, u"Command1"_qs)->click(); // 変更
              });
    QCOMPARE(title, u"山田太郎の情報を編集します"_qs);
    // Stored, the lists read again: the user (chosen again by that Enter,
    // which left no subject chosen) stays highlighted where it now is.
    QCOMPARE(w->panelValues().at(1), u"山田太郎"_qs);
    QCOMPARE(highlighted(users), QList<int>{column(users, 1).indexOf(u"山田太郎"_qs)});
    QCOMPARE(highlighted(subjects), QList<int>{});
}

// A kana-row key lists the row's customers and takes the keyboard to them,
// wherever it was: the next ↓ chooses a customer, not another subject.
void TstKeyboard::kanaRowKeysTakeTheKeyboardToTheUserList()
{
    CustomerWindow* w = openCustomer();
    clickRow(w->userList(), 0);
    clickRow(w->subjectList(), 0);
    w->subjectList()->setFocus();
    QTest::keyClick(w->subjectList(), Qt::Key_F8, Qt::ShiftModifier); // や
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->userList()));
    QTest::keyClick(w->userList(), Qt::Key_Down);
    QCOMPARE(w->userList()->currentRow(), 0);
    QCOMPARE(w->panelValues().at(1), w->userList()->text(0, 1));
    QCOMPARE(w->subjectList()->currentRow(), -1);
}

void TstKeyboard::refilledMainMenuOpensOnlyTheCheckedAccount()
{
    makeOperator(u"鈴木"_qs, u"secret"_qs); // listed third
    m_shell->start(false);
    MainMenuWindow* menu = m_shell->mainMenu();
    auto* list = child<ReportListView>(menu, u"ListView1"_qs);
    auto* open = child<QPushButton>(menu, u"Command12"_qs);
    clickRow(list, 2);
    QVERIFY(open->isEnabled());
    // What the administrator menu does on closing: the lists are refilled.
    menu->LoadMenuOperatorList();
    QVERIFY(!open->isEnabled());
    QVERIFY(!child<QPushButton>(menu, u"Command4"_qs)->isEnabled());
    QCOMPARE(child<QLabel>(menu, u"Label8"_qs)->text(), QString());
    // Nothing is highlighted, and Enter chooses nothing; the first arrow
    // key chooses the first row, as a click would.
    list->setFocus();
    QCOMPARE(list->currentRow(), -1);
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(!open->isEnabled());
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(open->isEnabled());
    QCOMPARE(menu->selectedOperatorName(), list->text(0, 1));
    QCOMPARE(child<QLabel>(menu, u"Label8"_qs)->text(), list->text(0, 0));
    // The password is checked for the account that opens.
    clickRow(list, 2);
    open->click();
    QCOMPARE(m_dialogs->lastMessage(), u"パスワードが違います。"_qs);
    QVERIFY(!m_shell->customerWindow());
}

void TstKeyboard::escapeAsksBeforeThrowingAwayTypedWork()
{
    CustomerWindow* w = openCustomer();
    clickRow(w->userList(), 0);
    const QString before = databaseContents(customerFile());
    // Unchanged: Escape closes at once.
    withModal([w] { clickRow(w->userList(), 0, true); },
              [&](QDialog* e) {
                  QTest::keyClick(child(e, u"Text32"_qs), Qt::Key_Escape);
                  QVERIFY(!e->isVisible());
              });
    QVERIFY(m_dialogs->questions.isEmpty());
    withModal([w] { clickRow(w->userList(), 0, true); },
              [&](QDialog* e) {
                  child<QLineEdit>(e, u"Text40"_qs)->setText(u"営業部"_qs);
                  m_dialogs->confirmAnswers.enqueue(false);
                  QTest::keyClick(child(e, u"Text40"_qs), Qt::Key_Escape);
                  QCOMPARE(m_dialogs->questions.last(), u"入力内容を破棄しますか？"_qs);
                  QVERIFY(e->isVisible());
                  QCOMPARE(child<QLineEdit>(e, u"Text40"_qs)->text(), u"営業部"_qs);
                  // The close box asks the same.
                  m_dialogs->confirmAnswers.enqueue(false);
                  e->close();
                  QVERIFY(e->isVisible());
                  QCOMPARE(m_dialogs->questions.size(), 2);
                  m_dialogs->confirmAnswers.enqueue(true);
                  QTest::keyClick(child(e, u"Text40"_qs), Qt::Key_Escape);
                  QVERIFY(!e->isVisible());
              });
    QCOMPARE(databaseContents(customerFile()), before);

    // The maker window asks too, once something is typed.
    RepairWindow* r = openRepair();
    withModal([r] { r->toolbarButton(12)->trigger(); },
              [&](QDialog* d) {
                  QVERIFY(qobject_cast<MakerWindow*>(d));
                  QTest::keyClick(d, Qt::Key_F2);
                  child<QLineEdit>(d, u"Text1"_qs)->setText(u"C社"_qs);
                  m_dialogs->confirmAnswers.enqueue(false);
                  QTest::keyClick(child(d, u"Text1"_qs), Qt::Key_Escape);
                  QVERIFY(d->isVisible());
              });
    // and once more as the test closes it, changed.
    QCOMPARE(m_dialogs->questions.size(), 5);
}

// An editor thrown away from its drop-down box, and a search, give the
// keyboard back to the list it came from: the next ↓ moves there.
void TstKeyboard::theKeyboardComesBackWhereItWas()
{
    CustomerWindow* w = openCustomer();
    clickRow(w->userList(), 0);
    clickRow(w->subjectList(), 0);
    clickRow(w->logList(), 0);
    w->logList()->setFocus();
    withModal([w] { QTest::keyClick(w->logList(), Qt::Key_Return); },
              [&](QDialog* e) {
                  auto* recorder = child<QComboBox>(e, u"Combo2"_qs);
                  recorder->setFocus(Qt::TabFocusReason);
                  QTRY_VERIFY(listShown(recorder));
                  recorder->lineEdit()->selectAll();
                  type(u"abc"_qs);
                  m_dialogs->confirmAnswers.enqueue(true);
                  press(Qt::Key_Escape);
                  QTRY_VERIFY(!e->isVisible());
              });
    QCOMPARE(m_dialogs->questions.last(), u"入力内容を破棄しますか？"_qs);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->logList()));
    QCOMPARE(QApplication::activeWindow(), static_cast<QWidget*>(w));
}

void TstKeyboard::aTypedDateIsTakenWholeOrRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("pasted");    // not typed key by key
    QTest::addColumn<QString>("stored"); // empty: refused
    QTest::newRow("slashes") << u"2025/11/3"_qs << false << u"2025/11/03(月)"_qs;
    QTest::newRow("eight digits") << u"20251103"_qs << false << u"2025/11/03(月)"_qs;
    QTest::newRow("full width, pasted") << u"２０２５／１１／３"_qs << true << u"2025/11/03(月)"_qs;
    QTest::newRow("month 13") << u"2026 13 45"_qs << false << QString();
    QTest::newRow("no such day") << u"2026/2/30"_qs << false << QString();
}

// A date typed into 登録日 is the date stored, or the box says it is none
// and nothing is stored; never another date.
void TstKeyboard::aTypedDateIsTakenWholeOrRefused()
{
    QFETCH(QString, typed);
    QFETCH(bool, pasted);
    QFETCH(QString, stored);
    CustomerWindow* w = openCustomer();
    clickRow(w->userList(), 0);
    const QString before = databaseContents(customerFile());
    withModal([w] { clickRow(w->subjectList(), 0, true); },
              [&](QDialog* e) {
                  auto* date = child<QDateEdit>(e, u"DTPicker1"_qs);
                  auto* text = date->findChild<QLineEdit*>();
                  date->setFocus();
                  QCOMPARE(imEnabled(date), QVariant(false));
                  if (pasted) {
                      QApplication::clipboard()->setText(typed);
                      QTest::keySequence(date, QKeySequence::Paste);
                  } else {
                      type(typed);
                  }
                  QCOMPARE(text->text(), typed);
                  press(Qt::Key_Return);
                  if (stored.isEmpty()) {
                      QTRY_VERIFY(m_dialogs->lastMessage().contains(u"「登録日」"_qs));
                      QTRY_VERIFY(date->hasFocus());
                      QCOMPARE(text->text(), typed);
                      // Storing refuses too, and Escape drops what was typed.
                      const int said = int(m_dialogs->messages.size());
                      child<QPushButton>(e, u"Command1"_qs)->click();
                      QCOMPARE(int(m_dialogs->messages.size()), said + 1);
                      QVERIFY(e->isVisible());
                      date->setFocus();
                      press(Qt::Key_Escape);
                      QVERIFY(e->isVisible());
                      QCOMPARE(date->date(), QDate(2003, 8, 1));
                      QCOMPARE(text->text(), u"2003/08/01"_qs);
                      child<QPushButton>(e, u"Command3"_qs)->click();
                  } else {
                      QCOMPARE(date->date(), DateFromText(stored));
                      child<QPushButton>(e, u"Command1"_qs)->click();
                  }
              });
    if (stored.isEmpty()) {
        QCOMPARE(databaseContents(customerFile()), before);
    } else {
        Database db = Database::open(customerFile());
        QCOMPARE(columnOf(db, u"SELECT 登録日 FROM 件名 WHERE 件名 = '複合機'"_qs),
                 QStringList{stored});
    }
}

void TstKeyboard::storedMarkupIsShownAsText()
{
    const QString bold = u"<b>太字</b>"_qs;
    const QString image = u"<img src=\"/etc/passwd\">"_qs;
    Database db = Database::open(customerFile());
    Fields fields;
    for (const QString& f : userDetailFields())
        fields << qMakePair(f, QVariant(bold + image));
    fields[0].second = u"ﾔﾏ"_qs;
    fields[1].second = bold;
    const qint64 user = db.insert(u"ユーザー"_qs, fields);
    db.insert(u"件名"_qs, {{u"ユーザーID"_qs, user}, {u"件名"_qs, bold}, {u"判定"_qs, u"続行"_qs}});
    CustomerWindow* w = openCustomer();
    const int row = column(w->userList(), 1).indexOf(bold);
    QVERIFY(row >= 0);
    clickRow(w->userList(), row);
    clickRow(w->subjectList(), 0);
    // How many labels show the markup as text; -1 when any draws it.
    auto checkLabels = [&](QWidget* window) {
        int plain = 0, rich = 0;
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->text().contains(u"<b>"_qs))
                continue;
            if (label->textFormat() == Qt::PlainText) {
                ++plain;
            } else {
                qWarning("%s draws markup", qPrintable(label->objectName()));
                ++rich;
            }
        }
        return rich ? -1 : plain;
    };
    QVERIFY(checkLabels(w) >= 10);
    withModal([w, row] { clickRow(w->userList(), row, true); },
              [&](QDialog* e) {
                  QCOMPARE(child<QLabel>(e, u"Label1"_qs)->text(), bold + u"の情報を編集します"_qs);
                  QVERIFY(checkLabels(e) >= 1);
              });
    // A cell's tooltip shows the markup as text too.
    const QString tip = w->userList()->model()->index(row, 1).data(Qt::ToolTipRole).toString();
    QVERIFY(!Qt::mightBeRichText(tip) || tip.contains(u"&lt;b&gt;"_qs));
}

void TstKeyboard::desktopGetsOnlyWebAndMailAddresses_data()
{
    QTest::addColumn<QString>("mail");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("mailOpened");
    QTest::addColumn<QString>("urlOpened");
    QTest::newRow("plain") << u"hana@example.jp"_qs << u"www.example.jp/a?b=1"_qs
                           << u"mailto:hana@example.jp"_qs << u"http://www.example.jp/a?b=1"_qs;
    QTest::newRow("with schemes") << u"MAILTO:hana@example.jp"_qs << u"HTTPS://example.jp/"_qs
                                  << u"mailto:hana@example.jp"_qs << u"https://example.jp/"_qs;
    QTest::newRow("headers dropped, port kept")
        << u"mailto:hana@example.jp?attach=/etc/passwd&body=x"_qs << u"shop.jp:8080/x"_qs
        << u"mailto:hana@example.jp"_qs << u"http://shop.jp:8080/x"_qs;
    QTest::newRow("programs refused")
        << u"?attach=/etc/passwd"_qs << u"file:///usr/bin/xterm"_qs << QString() << QString();
    QTest::newRow("scripts refused")
        << u"hana"_qs << u"javascript:alert(1)"_qs << QString() << QString();
    QTest::newRow("other schemes refused")
        << u"a@b.jp\nbcc:x@y.jp"_qs << u"ssh:host"_qs << QString() << QString();
}

void TstKeyboard::desktopGetsOnlyWebAndMailAddresses()
{
    QFETCH(QString, mail);
    QFETCH(QString, url);
    QFETCH(QString, mailOpened);
    QFETCH(QString, urlOpened);
    Database db = Database::open(customerFile());
    db.exec(u"UPDATE ユーザー SET [E-MAIL] = ?, URL = ?"_qs, {mail, url});
    CustomerWindow* w = openCustomer();
    clickRow(w->userList(), 0);
    for (const auto& [button, expected] :
         {std::pair{u"Command10"_qs, mailOpened}, std::pair{u"Command11"_qs, urlOpened}}) {
        m_dialogs->urls.clear();
        m_dialogs->messages.clear();
        child<QPushButton>(w, button)->click();
        if (expected.isEmpty()) {
            QVERIFY(m_dialogs->urls.isEmpty());
            QCOMPARE(m_dialogs->messages.size(), 1);
            QCOMPARE(m_dialogs->messages.first().icon, Dialogs::Icon::Exclamation);
        } else {
            QCOMPARE(m_dialogs->urls.size(), 1);
            QCOMPARE(m_dialogs->urls.first().toString(), expected);
        }
    }
}

void TstKeyboard::enterPressesFocusedButtons()
{
    // The maker window: Enter on 追加 adds.
    RepairWindow* r = openRepair();
    withModal([r] { r->toolbarButton(12)->trigger(); },
              [&](QDialog* d) {
                  QTest::keyClick(d, Qt::Key_F2);
                  child<QLineEdit>(d, u"Text1"_qs)->setText(u"C社"_qs);
                  auto* add = child<QPushButton>(d, u"Command1"_qs);
                  add->setFocus();
                  QTest::keyClick(add, Qt::Key_Return);
              });
    QVERIFY(r->makerNames().contains(u"C社"_qs));
    // The own-company window: Enter on 変更 stores.
    withModal([r] { r->toolbarButton(11)->trigger(); },
              [&](QDialog* d) {
                  child<QLineEdit>(d, u"Text1"_qs)->setText(u"自社名"_qs);
                  auto* save = child<QPushButton>(d, u"Command1"_qs);
                  save->setFocus();
                  QTest::keyClick(save, Qt::Key_Return);
              });
    Database db = Database::open(repairFile());
    QCOMPARE(columnOf(db, u"SELECT 自社名 FROM 自社"_qs), QStringList{u"自社名"_qs});
    // The import window: Enter at the end of its chain presses 取　込　開　始.
    ImportWindow import;
    import.show();
    import.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&import));
    auto* tabs = child<QTabWidget>(&import, u"SSTab1"_qs);
    tabs->setCurrentIndex(1);
    auto* source = child<QComboBox>(&import, u"Combo1"_qs);
    source->setFocus();
    QTest::keyClick(source, Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget()->objectName(), u"Command1"_qs);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(m_dialogs->lastMessage(), u"取り込み元・取り込み先を指定してください。"_qs);
    QVERIFY(import.testAttribute(Qt::WA_KeyboardFocusChange));
}

void TstKeyboard::importWindowChoosesNothingForTheUser()
{
    ImportWindow import;
    import.show();
    auto* tabs = child<QTabWidget>(&import, u"SSTab1"_qs);
    tabs->setCurrentIndex(4);
    QCOMPARE(child<QComboBox>(&import, u"Combo6"_qs)->currentIndex(), -1);
    child<QPushButton>(&import, u"Command5"_qs)->click();
    QCOMPARE(m_dialogs->lastMessage(), u"前ﾊﾞｰｼﾞｮﾝの場所を指定してください。"_qs);
    tabs->setCurrentIndex(3);
    QCOMPARE(child<QComboBox>(&import, u"Combo5"_qs)->count(), 2);
    QCOMPARE(child<QComboBox>(&import, u"Combo5"_qs)->currentIndex(), -1);
    child<QPushButton>(&import, u"Command3"_qs)->click();
    QCOMPARE(m_dialogs->lastMessage(), u"取り込み元・取り込み先を指定してください。"_qs);
}

void TstKeyboard::newRepairInUnpaidListLeavesNoStaleLogs()
{
    Database db = Database::open(repairFile());
    db.exec(u"UPDATE 修理 SET 入金 = '未入'"_qs);
    RepairWindow* w = openRepair();
    QTest::keyClick(w->repairList(), Qt::Key_F7);
    clickRow(w->unpaidList(), 0);
    QCOMPARE(w->repairLogList()->rowCount(), 1);
    withModal([w] { QTest::keyClick(w->unpaidList(), Qt::Key_F10); },
              [&](QDialog* e) {
                  child<QLineEdit>(e, u"Text61"_qs)->setText(u"新しい客"_qs);
                  child<QPushButton>(e, u"Command1"_qs)->click();
              });
    QCOMPARE(child<QLabel>(w, u"Label24"_qs)->text(), u"ログを表示します"_qs);
    QCOMPARE(w->repairLogList()->rowCount(), 0);
    QVERIFY(!w->view()->canAddRepairLog());
    QCOMPARE(w->unpaidList()->rowCount(), 2);
}

void TstKeyboard::customerDayByKeyboard()
{
    CustomerWindow* w = openCustomer();
    // A new user, typed box by box with Enter.
    withModal([w] { QTest::keyClick(w->userList(), Qt::Key_F7); },
              [&](QDialog* e) {
                  type(u"ｷﾑﾗ"_qs);
                  press(Qt::Key_Return); // the reading goes into the empty name
                  QCOMPARE(child<QLineEdit>(e, u"Text32"_qs)->text(), u"きむら"_qs);
                  type(u"木村"_qs); // replaces the selected reading
                  press(Qt::Key_Return);
                  press(Qt::Key_Return); // ユーザー名ふりがな
                  press(Qt::Key_Return); // ユーザー名
                  type(u"0312345678"_qs);
                  enterTo(e);
                  press(Qt::Key_Return);
              });
    w->toolbarButton(21)->trigger(); // か
    const int row = column(w->userList(), 1).indexOf(u"木村"_qs);
    QVERIFY(row >= 0);
    chooseByKeyboard(w->userList(), 1, u"木村"_qs);
    QCOMPARE(w->panelValues().at(1), u"木村"_qs);
    // A subject and a log, typed.
    withModal([w] { QTest::keyClick(w->userList(), Qt::Key_F8); },
              [&](QDialog* e) {
                  type(u"保守"_qs);
                  enterTo(e);
                  press(Qt::Key_Return);
              });
    chooseByKeyboard(w->subjectList(), 4, u"保守"_qs);
    withModal([w] { QTest::keyClick(w->subjectList(), Qt::Key_F9); },
              [&](QDialog* e) {
                  type(u"電話した"_qs);
                  press(Qt::Key_Return);
                  QCOMPARE(QApplication::focusWidget()->objectName(), u"Command1"_qs);
                  press(Qt::Key_Return);
              });
    // Change the log by keyboard, then delete the subject.
    chooseByKeyboard(w->logList(), 5, u"電話した"_qs);
    withModal([w] { QTest::keyClick(w->logList(), Qt::Key_Return); },
              [&](QDialog* e) {
                  auto* text = child<MultiLineBox>(e, u"Text24"_qs);
                  text->setFocus();
                  text->selectAll();
                  type(u"訪問した"_qs);
                  enterTo(e);
                  press(Qt::Key_Return);
              });
    const CliRun logs = runCliHere({u"sql"_qs, u"customer:山田"_qs,
                                    u"SELECT u.表示ふりがな, u.表示名, u.自宅ＴＥＬ, s.件名, "
                                    u"s.判定, l.登録日, l.記録者, l.ログ "
                                    u"FROM ユーザー u, 件名 s, ログ l WHERE s.ユーザーID = "
                                    u"u.ユーザーID AND l.件名ID = s.件名ID "
                                    u"AND u.表示名 = '木村'"_qs});
    QCOMPARE(logs.status, 0);
    QCOMPARE(logs.out.split(u'\n').value(1),
             u"ｷﾑﾗ\t木村\t0312345678\t保守\t続行\t2003/08/19(火)\t山田\t訪問した"_qs);
    w->subjectList()->setFocus();
    withModal([w] { QTest::keyClick(w->subjectList(), Qt::Key_Return); },
              [&](QDialog* e) {
                  child<QPushButton>(e, u"Command2"_qs)->setFocus();
                  press(Qt::Key_Return); // 削除, answered yes
              });
    const CliRun left = runCliHere(
        {u"sql"_qs, u"customer:山田"_qs, u"SELECT count(*) AS n FROM 件名 WHERE 件名 = '保守'"_qs});
    QCOMPARE(left.out.split(u'\n').value(1), u"0"_qs);
}

void TstKeyboard::repairDayByKeyboard()
{
    RepairWindow* w = openRepair();
    withModal([w] { QTest::keyClick(w->repairList(), Qt::Key_F10); },
              [&](QDialog* e) {
                  type(u"木村"_qs); // お客様名
                  press(Qt::Key_Return);
                  press(Qt::Key_Return);
                  type(u"0311112222"_qs);
                  enterTo(e);
                  press(Qt::Key_Return);
              });
    chooseByKeyboard(w->repairList(), 3, u"木村"_qs);
    QCOMPARE(w->view()->SelectedRepairName, u"木村"_qs);
    withModal([w] { QTest::keyClick(w->repairList(), Qt::Key_F11); },
              [&](QDialog* e) {
                  type(u"受付した"_qs);
                  press(Qt::Key_Return);
                  press(Qt::Key_Return);
              });
    // Change the repair by Enter through every box: nothing but 型番 changes.
    withModal([w] { QTest::keyClick(w->repairList(), Qt::Key_Return); },
              [&](QDialog* e) {
                  child<QLineEdit>(e, u"Text67"_qs)->setFocus();
                  type(u"XJ-1"_qs);
                  enterTo(e);
                  press(Qt::Key_Return);
              });
    const CliRun stored = runCliHere(
        {u"sql"_qs, u"repair:修理係"_qs,
         u"SELECT r.お客様名, r.会社TEL, r.型番, r.担当者, r.有償無償, r.入金, l.記録者, l.ログ "
         u"FROM 修理 r, 修理ログ l WHERE l.修理ID = r.修理ID AND r.お客様名 = '木村'"_qs});
    QCOMPARE(stored.status, 0);
    QCOMPARE(stored.out.split(u'\n').value(1),
             // (the recorder starts as the open operator: none here)
             u"木村\t0311112222\tXJ-1\t\t無償\t未入\t\t受付した"_qs);
    // Delete the repair log by keyboard.
    chooseByKeyboard(w->repairLogList(), 4, u"受付した"_qs);
    withModal([w] { QTest::keyClick(w->repairLogList(), Qt::Key_Return); },
              [&](QDialog* e) {
                  child<QPushButton>(e, u"Command2"_qs)->setFocus();
                  press(Qt::Key_Return);
              });
    const CliRun left =
        runCliHere({u"sql"_qs, u"repair:修理係"_qs,
                    u"SELECT count(*) AS n FROM 修理ログ WHERE ログ = '受付した'"_qs});
    QCOMPARE(left.out.split(u'\n').value(1), u"0"_qs);
}

QTEST_MAIN(TstKeyboard)
#include "tst_keyboard.moc"
