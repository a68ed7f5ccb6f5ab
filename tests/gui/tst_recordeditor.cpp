#include "Fixtures.h"
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"

#include "customer/CustomerLists.h"
#include "customer/CustomerWindow.h"
#include "editor/RecordEditorDialog.h"
#include "shell/ShellController.h"
#include "store/DateText.h"
#include "store/SessionState.h"
#include "ui/MultiLineBox.h"
#include "ui/ReportListView.h"
#include "ui/Twips.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

using namespace horunea;
using namespace horunea::test;

namespace {

void withEditor(const std::function<void()>& open,
                const std::function<void(RecordEditorDialog*)>& drive)
{
    withModal(open, [&](QDialog* dialog) {
        auto* editor = qobject_cast<RecordEditorDialog*>(dialog);
        QVERIFY2(editor, "the dialog is not the record editor");
        drive(editor);
    });
}

QLineEdit* box(QWidget* editor, int n)
{
    return child<QLineEdit>(editor, QStringLiteral("Text%1").arg(n));
}

// The boxes of logs and remarks, which keep line breaks.
MultiLineBox* lines(QWidget* editor, int n)
{
    return child<MultiLineBox>(editor, QStringLiteral("Text%1").arg(n));
}

QString textOf(QWidget* box)
{
    if (auto* multi = qobject_cast<MultiLineBox*>(box))
        return multi->text();
    return static_cast<QLineEdit*>(box)->text();
}

void setTextOf(QWidget* box, const QString& text)
{
    if (auto* multi = qobject_cast<MultiLineBox*>(box))
        multi->setText(text);
    else
        static_cast<QLineEdit*>(box)->setText(text);
}

} // namespace

class TstRecordEditor : public GuiTestCase
{
    Q_OBJECT
public:
    TstRecordEditor() : GuiTestCase(QDate(2003, 8, 19)) {}

private slots:
    void addUserThenListsFollow();
    void missingMandatoryKeepsDialogAndEntries_data();
    void missingMandatoryKeepsDialogAndEntries();
    void changeUserStartsFromPanelAndKeepsPanelTrue();
    void deleteUserAskedFirst();
    void subjectAddChangeDelete();
    void logAddChangeDeleteAndReset();
    void enterWalksTheWholeUserGroup();
    void enterWalksSubjectAndLogGroups();
    void enterCommittingACompositionStaysPut();
    void retypeReadingOfTwoWords();
    void upKeyCopiesDisplayReading();
    void halfKanaBoxesTurnKanaHalfWidth();
    void inputModesOfTheBoxes();
    void vanishedRecordIsReportedAndListsReload();

private:
    void prepare() override;
    CustomerWindow* openWindow();

    qint64 m_kato = 0;
};

void TstRecordEditor::prepare()
{
    makeOperator(u"山田"_qs);
    makeOperator(u"佐藤"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    m_kato = addUser(db, u"ｶﾄｳ"_qs, u"加藤"_qs, {{u"会社名"_qs, u"加藤工業"_qs}});
    const qint64 s = addSubject(db, m_kato, u"複合機"_qs, u"続行"_qs);
    addLog(db, s, m_kato, u"訪問した"_qs);
}

CustomerWindow* TstRecordEditor::openWindow()
{
    m_shell->start(false);
    MainMenuWindow* menu = m_shell->mainMenu();
    clickRow(child<QTreeView>(menu, u"ListView1"_qs), 0);
    child<QPushButton>(menu, u"Command12"_qs)->click();
    CustomerWindow* w = m_shell->customerWindow();
    if (w && QTest::qWaitForWindowExposed(w))
        w->toolbarButton(21)->trigger(); // か
    return w;
}

void TstRecordEditor::addUserThenListsFollow()
{
    CustomerWindow* w = openWindow();
    QVERIFY(w);
    withEditor([w] { QTest::keyClick(w->userList(), Qt::Key_F7); },
               [](RecordEditorDialog* e) {
                   QCOMPARE(e->windowTitle(), u"ホルネア→ﾃﾞｰﾀ編集"_qs);
                   QCOMPARE(child<QLabel>(e, u"Label1"_qs)->text(), u"ユーザーを追加します"_qs);
                   QCOMPARE(child<QPushButton>(e, u"Command1"_qs)->text(), u"追加"_qs);
                   QCOMPARE(child<QPushButton>(e, u"Command2"_qs)->text(), u"初期化"_qs);
                   QCOMPARE(e->size(), QSize(twips(8090), twips(5655)));
                   QCOMPARE(child<QLabel>(e, u"Label11"_qs)->text(), u"自由項目01"_qs);
                   box(e, 31)->setText(u"ｶﾜｲ"_qs);
                   box(e, 32)->setText(u"河合"_qs);
                   box(e, 45)->setText(u"https://kawai.example.jp/"_qs);
                   child<QPushButton>(e, u"Command1"_qs)->click();
                   QVERIFY(!e->isVisible());
               });
    QCOMPARE(column(w->userList(), 1), (QStringList{u"加藤"_qs, u"河合"_qs}));
    Database db = Database::open(customerFile(u"山田"_qs));
    const QStringList stored = ReadUserDetail(db, u"2"_qs);
    QCOMPARE(stored.at(14), u"https://kawai.example.jp/"_qs);
    QCOMPARE(w->logList()->rowCount(), 0);
}

void TstRecordEditor::missingMandatoryKeepsDialogAndEntries_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("user") << 1 << u"表示ﾌﾘｶﾞﾅ・表示名は空白禁止です。"_qs;
    QTest::newRow("subject") << 2 << u"件名は空白禁止です。"_qs;
    QTest::newRow("log") << 3 << u"ログは空白禁止です。"_qs;
}

void TstRecordEditor::missingMandatoryKeepsDialogAndEntries()
{
    QFETCH(int, kind);
    QFETCH(QString, message);
    CustomerWindow* w = openWindow();
    clickRow(w->userList(), 0);
    clickRow(w->subjectList(), 0);
    withEditor([w, kind] { QTest::keyClick(w->userList(), Qt::Key(Qt::Key_F6 + kind)); },
               [&](RecordEditorDialog* e) {
                   QWidget* kept = nullptr;
                   QWidget* empty = nullptr;
                   if (kind == 1) {
                       kept = box(e, 32);
                       empty = box(e, 31);
                       box(e, 39)->setText(u"会社"_qs);
                   } else if (kind == 2) {
                       kept = lines(e, 23);
                       empty = box(e, 22);
                   } else {
                       kept = nullptr;
                       empty = lines(e, 24);
                   }
                   if (kept)
                       setTextOf(kept, u"入力済み"_qs);
                   child<QPushButton>(e, u"Command1"_qs)->click();
                   QCOMPARE(m_dialogs->lastMessage(), message);
                   QCOMPARE(m_dialogs->messages.last().icon, Dialogs::Icon::Critical);
                   QVERIFY(e->isVisible());
                   if (kept)
                       QCOMPARE(textOf(kept), u"入力済み"_qs);
                   QVERIFY(empty->hasFocus());
               });
    Database db = Database::open(customerFile(u"山田"_qs));
    QCOMPARE(db.scalar(u"SELECT count(*) as ma1 FROM ユーザー"_qs), 1);
    QCOMPARE(db.scalar(u"SELECT count(*) as ma1 FROM 件名"_qs), 1);
    QCOMPARE(db.scalar(u"SELECT count(*) as ma1 FROM ログ"_qs), 1);
}

void TstRecordEditor::changeUserStartsFromPanelAndKeepsPanelTrue()
{
    CustomerWindow* w = openWindow();
    for (const QString& name : {u"加藤二"_qs, u"加藤三"_qs}) {
        withEditor([w] { clickRow(w->userList(), 0, true); },
                   [&](RecordEditorDialog* e) {
                       QCOMPARE(child<QPushButton>(e, u"Command1"_qs)->text(), u"変更"_qs);
                       QCOMPARE(child<QPushButton>(e, u"Command2"_qs)->text(), u"削除"_qs);
                       QCOMPARE(box(e, 31)->text(), u"ｶﾄｳ"_qs);
                       QCOMPARE(box(e, 39)->text(), u"加藤工業"_qs); // from the panel
                       QCOMPARE(child<QLabel>(e, u"Label1"_qs)->text(),
                                w->panelValues().at(1) + u"の情報を編集します"_qs);
                       box(e, 32)->setText(name);
                       child<QPushButton>(e, u"Command1"_qs)->click();
                   });
        QCOMPARE(column(w->userList(), 1), QStringList{name});
        QCOMPARE(w->panelValues().at(1), name);
    }
    Database db = Database::open(customerFile(u"山田"_qs));
    QCOMPARE(ReadUserDetail(db, QString::number(m_kato)).at(8), u"加藤工業"_qs);
}

void TstRecordEditor::deleteUserAskedFirst()
{
    CustomerWindow* w = openWindow();
    m_dialogs->confirmAnswers.enqueue(false);
    withEditor([w] { clickRow(w->userList(), 0, true); },
               [&](RecordEditorDialog* e) {
                   box(e, 40)->setText(u"営業部"_qs);
                   child<QPushButton>(e, u"Command2"_qs)->click();
                   QCOMPARE(m_dialogs->questions.last(), u"削除しますか？"_qs);
                   QVERIFY(e->isVisible());
                   QCOMPARE(box(e, 40)->text(), u"営業部"_qs);
                   m_dialogs->confirmAnswers.enqueue(true);
                   child<QPushButton>(e, u"Command2"_qs)->click();
                   QVERIFY(!e->isVisible());
               });
    QCOMPARE(w->userList()->rowCount(), 0);
    QCOMPARE(w->subjectList()->rowCount(), 0);
    QCOMPARE(w->view()->SelectedUserId, u"0"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    QCOMPARE(db.scalar(u"SELECT count(*) as ma1 FROM ログ"_qs), 0);
    // With the user gone, F8 adds nothing.
    QTest::keyClick(w->userList(), Qt::Key_F8);
    QVERIFY(!QApplication::activeModalWidget());
}

void TstRecordEditor::subjectAddChangeDelete()
{
    CustomerWindow* w = openWindow();
    clickRow(w->userList(), 0);
    withEditor([w] { QTest::keyClick(w->userList(), Qt::Key_F8); },
               [](RecordEditorDialog* e) {
                   QCOMPARE(child<QLabel>(e, u"Label1"_qs)->text(), u"加藤 の件名追加"_qs);
                   QCOMPARE(child<QDateEdit>(e, u"DTPicker1"_qs)->date(), QDate(2003, 8, 19));
                   QCOMPARE(child<QComboBox>(e, u"Combo1"_qs)->currentText(), u"続行"_qs);
                   box(e, 22)->setText(u"保守契約"_qs);
                   child<QDateEdit>(e, u"DTPicker1"_qs)->setDate(QDate(2003, 12, 31));
                   child<QPushButton>(e, u"Command1"_qs)->click();
               });
    QCOMPARE(column(w->subjectList(), 4), (QStringList{u"複合機"_qs, u"保守契約"_qs}));
    QCOMPARE(column(w->subjectList(), 2).last(), u"2003/12/31(水)"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    QVERIFY(db.query(u"Select * From 件名 Where 件名ID =2"_qs).first().isNull(u"備考"_qs));

    // Change: the fields come from the selected item.
    withEditor([w] { clickRow(w->subjectList(), 1, true); },
               [](RecordEditorDialog* e) {
                   QCOMPARE(child<QLabel>(e, u"Label1"_qs)->text(),
                            u"加藤 の件名を変更・削除します"_qs);
                   QCOMPARE(child<QDateEdit>(e, u"DTPicker1"_qs)->date(), QDate(2003, 12, 31));
                   QCOMPARE(box(e, 22)->text(), u"保守契約"_qs);
                   child<QComboBox>(e, u"Combo1"_qs)->setCurrentIndex(1);
                   child<QPushButton>(e, u"Command1"_qs)->click();
               });
    QCOMPARE(column(w->subjectList(), 4), QStringList{u"複合機"_qs}); // 完了 left the 続行 list
    QVERIFY(!db.query(u"Select * From 件名 Where 件名ID =2"_qs).first().isNull(u"備考"_qs));

    w->toolbarButton(15)->trigger(); // 全て
    clickRow(w->subjectList(), 0);
    QCOMPARE(w->logList()->rowCount(), 1);
    withEditor([w] { clickRow(w->subjectList(), 0, true); },
               [](RecordEditorDialog* e) { child<QPushButton>(e, u"Command2"_qs)->click(); });
    QCOMPARE(column(w->subjectList(), 4), QStringList{u"保守契約"_qs});
    QCOMPARE(w->logList()->rowCount(), 0);
    QCOMPARE(db.scalar(u"SELECT count(*) as ma1 FROM ログ"_qs), 0);
}

void TstRecordEditor::logAddChangeDeleteAndReset()
{
    CustomerWindow* w = openWindow();
    clickRow(w->subjectList(), 0);
    withEditor([w] { QTest::keyClick(w->userList(), Qt::Key_F9); },
               [](RecordEditorDialog* e) {
                   QCOMPARE(child<QLabel>(e, u"Label1"_qs)->text(), u"複合機 の件名追加"_qs);
                   auto* recorder = child<QComboBox>(e, u"Combo2"_qs);
                   QCOMPARE(recorder->currentText(), u"山田"_qs);
                   QCOMPARE(recorder->count(), 2);
                   QCOMPARE(recorder->itemText(1), u"佐藤"_qs);
                   recorder->setEditText(u"佐藤"_qs);
                   child<QDateEdit>(e, u"DTPicker2"_qs)->setDate(QDate(2004, 1, 1));
                   lines(e, 24)->setText(u"書きかけ"_qs);
                   child<QPushButton>(e, u"Command2"_qs)->click(); // 初期化
                   QCOMPARE(recorder->currentText(), u"山田"_qs);
                   QCOMPARE(child<QDateEdit>(e, u"DTPicker2"_qs)->date(), QDate(2003, 8, 19));
                   QCOMPARE(lines(e, 24)->text(), QString());
                   QVERIFY(e->isVisible());
                   lines(e, 24)->setText(u"納品した"_qs);
                   child<QPushButton>(e, u"Command1"_qs)->click();
               });
    QCOMPARE(column(w->logList(), 5), (QStringList{u"訪問した"_qs, u"納品した"_qs}));
    QCOMPARE(column(w->logList(), 3).last(), u"2003/08/19(火)"_qs);
    clickRow(w->logList(), 1);
    withEditor([w] { clickRow(w->logList(), 1, true); },
               [](RecordEditorDialog* e) {
                   QCOMPARE(child<QLabel>(e, u"Label1"_qs)->text(),
                            u"複合機 のログを変更・削除します"_qs);
                   QCOMPARE(lines(e, 24)->text(), u"納品した"_qs);
                   child<QComboBox>(e, u"Combo2"_qs)->setEditText(QString());
                   lines(e, 24)->setText(u"納品済み"_qs);
                   child<QPushButton>(e, u"Command1"_qs)->click();
               });
    QCOMPARE(column(w->logList(), 5).last(), u"納品済み"_qs);
    QCOMPARE(column(w->logList(), 4).last(), QString());
    withEditor([w] { clickRow(w->logList(), 0, true); },
               [](RecordEditorDialog* e) { child<QPushButton>(e, u"Command2"_qs)->click(); });
    QCOMPARE(column(w->logList(), 5), QStringList{u"納品済み"_qs});
}

void TstRecordEditor::enterWalksTheWholeUserGroup()
{
    CustomerWindow* w = openWindow();
    QStringList visited;
    withEditor([w] { QTest::keyClick(w->userList(), Qt::Key_F7); },
               [&](RecordEditorDialog* e) {
                   box(e, 31)->setFocus();
                   for (int i = 0; i < 21; ++i) {
                       QWidget* focused = QApplication::focusWidget();
                       visited << (focused ? focused->objectName() : QString());
                       QTest::keyClick(focused, Qt::Key_Return);
                   }
                   visited << QApplication::focusWidget()->objectName();
                   for (int n = 31; n <= 51; ++n)
                       QCOMPARE(textOf(e->findChild<QWidget*>(QStringLiteral("Text%1").arg(n))),
                                QString()); // Enter is never typed
               });
    QStringList expected;
    for (int n = 31; n <= 51; ++n)
        expected << QStringLiteral("Text%1").arg(n);
    expected << u"Command1"_qs;
    QCOMPARE(visited, expected);
}

void TstRecordEditor::enterWalksSubjectAndLogGroups()
{
    CustomerWindow* w = openWindow();
    clickRow(w->subjectList(), 0);
    QStringList visited;
    auto walk = [&visited](int steps) {
        for (int i = 0; i < steps; ++i) {
            QWidget* focused = QApplication::focusWidget();
            visited << focused->objectName();
            QTest::keyClick(focused, Qt::Key_Return);
            QApplication::processEvents();
        }
        visited << QApplication::focusWidget()->objectName();
    };
    withEditor([w] { QTest::keyClick(w->userList(), Qt::Key_F8); },
               [&](RecordEditorDialog* e) {
                   child<QDateEdit>(e, u"DTPicker1"_qs)->setFocus();
                   walk(4);
               });
    QCOMPARE(visited, (QStringList{u"DTPicker1"_qs, u"Text22"_qs, u"Text23"_qs, u"Combo1"_qs,
                                   u"Command1"_qs}));
    visited.clear();
    withEditor([w] { QTest::keyClick(w->userList(), Qt::Key_F9); },
               [&](RecordEditorDialog* e) {
                   auto* recorder = child<QComboBox>(e, u"Combo2"_qs);
                   child<QDateEdit>(e, u"DTPicker2"_qs)->setFocus();
                   QTest::keyClick(child<QDateEdit>(e, u"DTPicker2"_qs), Qt::Key_Return);
                   QVERIFY(recorder->hasFocus());
                   // The recorder box opens its list as it is entered.
                   auto* list = recorder->findChild<QListView*>(u"DropList"_qs);
                   QTRY_VERIFY(list && list->isVisible());
                   QTest::keyClick(recorder, Qt::Key_Escape); // closes the list only
                   QVERIFY(!list->isVisible());
                   QVERIFY(e->isVisible());
                   QTest::keyClick(recorder, Qt::Key_Return);
                   QVERIFY(lines(e, 24)->hasFocus());
                   QTest::keyClick(lines(e, 24), Qt::Key_Return);
                   QVERIFY(child<QPushButton>(e, u"Command1"_qs)->hasFocus());
               });
}

void TstRecordEditor::enterCommittingACompositionStaysPut()
{
    CustomerWindow* w = openWindow();
    withEditor([w] { QTest::keyClick(w->userList(), Qt::Key_F7); },
               [](RecordEditorDialog* e) {
                   QLineEdit* name = box(e, 32);
                   name->setFocus();
                   QInputMethodEvent composing(u"かとう"_qs, {});
                   QApplication::sendEvent(name, &composing);
                   QTest::keyClick(name, Qt::Key_Return);
                   QVERIFY(name->hasFocus());
                   QInputMethodEvent commit;
                   commit.setCommitString(u"加藤"_qs);
                   QApplication::sendEvent(name, &commit);
                   QCOMPARE(name->text(), u"加藤"_qs);
                   QTest::keyClick(name, Qt::Key_Return);
                   QVERIFY(box(e, 33)->hasFocus());
               });
}

void TstRecordEditor::retypeReadingOfTwoWords()
{
    CustomerWindow* w = openWindow();
    withEditor([w] { QTest::keyClick(w->userList(), Qt::Key_F7); },
               [](RecordEditorDialog* e) {
                   // An empty name gets the reading as selected hiragana, ready
                   // for the input method's reconversion.
                   box(e, 31)->setText(u"ﾔﾏﾀﾞ ﾀﾛｳ"_qs);
                   box(e, 31)->setFocus();
                   QTest::keyClick(box(e, 31), Qt::Key_Return);
                   QCOMPARE(box(e, 32)->text(), u"やまだたろう"_qs);
                   QCOMPARE(box(e, 32)->selectedText(), u"やまだたろう"_qs);
                   QVERIFY(box(e, 32)->hasFocus());
                   QCOMPARE(box(e, 31)->text(), u"ﾔﾏﾀﾞ ﾀﾛｳ"_qs);
                   // Full-width signs go half-width; ￥ is typed as a backslash.
                   box(e, 38)->setText(u"ＡＢ　￥（株）"_qs);
                   box(e, 38)->setFocus();
                   QTest::keyClick(box(e, 38), Qt::Key_Return);
                   QCOMPARE(box(e, 39)->text(), u"AB\\(株)"_qs);
                   // A name that is there is never touched: focus only moves.
                   box(e, 34)->setText(u"山田太郎"_qs);
                   box(e, 33)->setText(u"ﾔﾏﾀﾞﾀﾛｳ"_qs);
                   box(e, 33)->setFocus();
                   QTest::keyClick(box(e, 33), Qt::Key_Return);
                   QVERIFY(box(e, 34)->hasFocus());
                   QCOMPARE(box(e, 34)->text(), u"山田太郎"_qs);
                   // An empty reading only moves on, leaving the name alone.
                   box(e, 38)->clear();
                   box(e, 39)->setText(u"名前"_qs);
                   box(e, 38)->setFocus();
                   QTest::keyClick(box(e, 38), Qt::Key_Return);
                   QVERIFY(box(e, 39)->hasFocus());
                   QCOMPARE(box(e, 39)->text(), u"名前"_qs);
               });
}

void TstRecordEditor::upKeyCopiesDisplayReading()
{
    CustomerWindow* w = openWindow();
    withEditor([w] { QTest::keyClick(w->userList(), Qt::Key_F7); },
               [](RecordEditorDialog* e) {
                   box(e, 31)->setText(u"ｶﾄｳ"_qs);
                   for (int n : {33, 38}) {
                       box(e, n)->setText(u"別"_qs);
                       box(e, n)->setFocus();
                       QTest::keyClick(box(e, n), Qt::Key_Up);
                       QCOMPARE(box(e, n)->text(), u"ｶﾄｳ"_qs);
                   }
                   box(e, 34)->setFocus();
                   QTest::keyClick(box(e, 34), Qt::Key_Up);
                   QCOMPARE(box(e, 34)->text(), QString());
               });
}

void TstRecordEditor::halfKanaBoxesTurnKanaHalfWidth()
{
    CustomerWindow* w = openWindow();
    withEditor([w] { QTest::keyClick(w->userList(), Qt::Key_F7); },
               [](RecordEditorDialog* e) {
                   // As the input method commits it, and as typed keys.
                   QInputMethodEvent commit;
                   commit.setCommitString(u"やまだ"_qs);
                   QApplication::sendEvent(box(e, 31), &commit);
                   QCOMPARE(box(e, 31)->text(), u"ﾔﾏﾀﾞ"_qs);
                   for (const QString& c : {u"た"_qs, u"ろ"_qs, u"う"_qs}) {
                       QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, c);
                       QApplication::sendEvent(box(e, 31), &key);
                   }
                   QCOMPARE(box(e, 31)->text(), u"ﾔﾏﾀﾞﾀﾛｳ"_qs);
                   QApplication::sendEvent(box(e, 32), &commit);
                   QCOMPARE(box(e, 32)->text(), u"やまだ"_qs);
               });
}

void TstRecordEditor::inputModesOfTheBoxes()
{
    CustomerWindow* w = openWindow();
    withEditor([w] { QTest::keyClick(w->userList(), Qt::Key_F7); },
               [](RecordEditorDialog* e) {
                   for (int n : {35, 36, 41, 42, 44, 45})
                       QVERIFY2(!box(e, n)->testAttribute(Qt::WA_InputMethodEnabled),
                                qPrintable(QString::number(n)));
                   for (int n : {31, 32, 37, 39, 46, 51})
                       QVERIFY2(e->findChild<QWidget*>(QStringLiteral("Text%1").arg(n))
                                    ->testAttribute(Qt::WA_InputMethodEnabled),
                                qPrintable(QString::number(n)));
               });
}

void TstRecordEditor::vanishedRecordIsReportedAndListsReload()
{
    CustomerWindow* w = openWindow();
    withEditor([w] { clickRow(w->userList(), 0, true); },
               [&](RecordEditorDialog* e) {
                   {
                       Database other = Database::open(customerFile(u"山田"_qs));
                       other.remove(u"ユーザー"_qs, u"ユーザーID ="_qs + QString::number(m_kato));
                   }
                   box(e, 32)->setText(u"変更"_qs);
                   child<QPushButton>(e, u"Command1"_qs)->click();
                   QVERIFY(m_dialogs->lastMessage().contains(u"削除されています"_qs));
               });
    QCOMPARE(w->userList()->rowCount(), 0);
    Database db = Database::open(customerFile(u"山田"_qs));
    QCOMPARE(db.scalar(u"SELECT count(*) as ma1 FROM ユーザー"_qs), 0);
}

QTEST_MAIN(TstRecordEditor)
#include "tst_recordeditor.moc"
