// The manual as shipped, and the help window that shows it.
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"

#include "shell/HelpWindow.h"
#include "store/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBrowser>

using namespace horunea;
using namespace horunea::test;

class TstHelp : public GuiTestCase
{
    Q_OBJECT
private slots:
    void findWordsMapsBackOntoTheText_data();
    void findWordsMapsBackOntoTheText();
    void everyPageIsListedAndWhole();
    void searchFindsBackupOnEveryWidth();
    void contentsAndKeysNavigate();
    void linksLeadToPagesNotToTheDesktop();

private:
    QString folder() const { return DataFolder::helpFolderPath(); }
};

void TstHelp::findWordsMapsBackOntoTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("words");
    QTest::addColumn<QStringList>("found"); // the text under each hit

    QTest::newRow("katakana by half-width")
        << u"毎日バックアップを取る。"_qs << u"ﾊﾞｯｸｱｯﾌﾟ"_qs << QStringList{u"バックアップ"_qs};
    QTest::newRow("half-width by hiragana")
        << u"ｶﾄｳ ｹﾝｼﾞ と かとう"_qs << u"かとう"_qs << QStringList{u"ｶﾄｳ"_qs, u"かとう"_qs};
    QTest::newRow("letters of either case and width")
        << u"Ctrl+F と ＣＴＲＬ"_qs << u"ctrl"_qs << QStringList{u"Ctrl"_qs, u"ＣＴＲＬ"_qs};
    QTest::newRow("every word, in text order") << u"印刷と PDF、PDF に保存"_qs << u"pdf 印刷"_qs
                                               << QStringList{u"印刷"_qs, u"PDF"_qs, u"PDF"_qs};
    QTest::newRow("a missing word finds nothing")
        << u"印刷と PDF"_qs << u"印刷 CSV"_qs << QStringList{};
    QTest::newRow("beyond the basic plane")
        << u"𠮷田さんの𠮷"_qs << u"𠮷"_qs << QStringList{u"𠮷"_qs, u"𠮷"_qs};
    QTest::newRow("blank words find nothing") << u"何か"_qs << u"  　"_qs << QStringList{};
}

void TstHelp::findWordsMapsBackOntoTheText()
{
    QFETCH(QString, text);
    QFETCH(QString, words);
    QFETCH(QStringList, found);
    QStringList texts;
    for (const TextHit& hit : FindWords(text, words))
        texts << text.mid(hit.start, hit.length);
    QCOMPARE(texts, found);
}

// Every page the contents name is there, has a title, and every picture and
// page it points at is shipped with it.
void TstHelp::everyPageIsListedAndWhole()
{
    const std::vector<HelpPage> pages = HelpContents(folder());
    QVERIFY(pages.size() >= 16);
    QCOMPARE(pages.front().file, u"index.html"_qs);
    QStringList files;
    for (const HelpPage& page : pages)
        files << page.file;
    for (const QString& task :
         {u"start.html"_qs, u"accounts.html"_qs, u"keyboard.html"_qs, u"search.html"_qs,
          u"printing.html"_qs, u"csv.html"_qs, u"import.html"_qs, u"conversion.html"_qs,
          u"backup.html"_qs, u"input.html"_qs, u"settings.html"_qs})
        QVERIFY2(files.contains(task), qPrintable(task));
    // Every .html in the folder is reachable from the contents.
    const QStringList shipped = QDir(folder()).entryList({u"*.html"_qs}, QDir::Files, QDir::Name);
    for (const QString& file : shipped)
        QVERIFY2(files.contains(file), qPrintable(file));

    static const QRegularExpression reference(u"(?:src|href)=\"([^\"#:]+)\""_qs);
    int pictures = 0;
    for (const HelpPage& page : pages) {
        QVERIFY2(!page.title.isEmpty(), qPrintable(page.file));
        QFile file(QDir(folder()).filePath(page.file));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QVERIFY2(html.contains(u"<h1>"_qs), qPrintable(page.file));
        for (const QRegularExpressionMatch& m : reference.globalMatch(html)) {
            const QString target = m.captured(1);
            QVERIFY2(QFile::exists(QDir(folder()).filePath(target)),
                     qPrintable(page.file + u" → "_qs + target));
            pictures += target.endsWith(u".png"_qs);
        }
    }
    QVERIFY(pictures >= 10);
}

// The search finds バックアップ however it is typed, names the pages with it,
// most hits first, opens the first and marks every place on it.
void TstHelp::searchFindsBackupOnEveryWidth()
{
    HelpWindow* help = HelpWindow::showHelp();
    QVERIFY(help);
    QVERIFY(QTest::qWaitForWindowExposed(help));
    const QStringList titles = help->search(u"バックアップ"_qs);
    QVERIFY(titles.size() >= 2);
    QCOMPARE(titles.first(), u"バックアップと復元"_qs);
    QCOMPARE(help->currentFile(), u"backup.html"_qs);
    QVERIFY(help->browser()->extraSelections().size() >= 3);
    for (const auto& mark : help->browser()->extraSelections())
        QCOMPARE(mark.cursor.selectedText(), u"バックアップ"_qs);
    QCOMPARE(help->search(u"ﾊﾞｯｸｱｯﾌﾟ"_qs), titles);
    QCOMPARE(help->search(u"ばっくあっぷ"_qs), titles);

    // Typed into the box and Enter, as a user does.
    auto* box = child<QLineEdit>(help, u"HelpSearchText"_qs);
    box->clear();
    QTest::keyClick(help, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(box->hasFocus());
    QInputMethodEvent committed;
    committed.setCommitString(u"再変換"_qs); // as the input method hands it over
    QApplication::sendEvent(box, &committed);
    QTest::keyClick(box, Qt::Key_Return);
    auto* results = child<QListWidget>(help, u"HelpResults"_qs);
    QVERIFY(results->count() >= 1);
    QCOMPARE(help->currentFile(), u"input.html"_qs);

    QVERIFY(help->search(u"存在しない言葉ｘｙｚ"_qs).isEmpty());
    QCOMPARE(results->count(), 0);
    QVERIFY(child<QLabel>(help, u"HelpResultCount"_qs)->text().contains(u"ありません"_qs));
    help->close();
    QTRY_VERIFY(!HelpWindow::current());
}

void TstHelp::contentsAndKeysNavigate()
{
    HelpWindow* help = HelpWindow::showHelp();
    QVERIFY(help);
    auto* contents = child<QListWidget>(help, u"HelpContents"_qs);
    const std::vector<HelpPage> pages = HelpContents(folder());
    QCOMPARE(contents->count(), int(pages.size()));
    contents->setCurrentRow(3);
    QCOMPARE(help->currentFile(), pages[3].file);
    QVERIFY(!help->browser()->toPlainText().isEmpty());
    contents->setCurrentRow(5);
    QCOMPARE(help->currentFile(), pages[5].file);
    QTest::keyClick(help, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(help->currentFile(), pages[3].file);
    QCOMPARE(contents->currentRow(), 3); // the contents follow the page
    QTest::keyClick(help, Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(help->currentFile(), pages[5].file);
    QTest::keyClick(help, Qt::Key_Home, Qt::AltModifier);
    QCOMPARE(help->currentFile(), u"index.html"_qs);
    // A page can be asked for by name, as the windows may; the contents
    // show where it is.
    QCOMPARE(HelpWindow::showHelp(u"keyboard.html"_qs), help);
    QCOMPARE(help->currentFile(), u"keyboard.html"_qs);
    QCOMPARE(contents->currentItem()->text(), u"キーボードで毎日の仕事"_qs);
    QVERIFY(contents->currentItem()->isSelected());
    QVERIFY(help->browser()->toPlainText().contains(u"Shift+F1"_qs));
    QTest::keyClick(help, Qt::Key_Escape);
    QTRY_VERIFY(!HelpWindow::current());
}

void TstHelp::linksLeadToPagesNotToTheDesktop()
{
    FakeDialogs& dialogs = *m_dialogs;
    HelpWindow* help = HelpWindow::showHelp(u"index.html"_qs);
    QVERIFY(help);
    emit help->browser()->anchorClicked(QUrl(u"backup.html"_qs));
    QCOMPARE(help->currentFile(), u"backup.html"_qs);
    QVERIFY(dialogs.urls.isEmpty());
    emit help->browser()->anchorClicked(QUrl(u"https://www.debian.org/"_qs));
    QCOMPARE(dialogs.urls.size(), 1);
    QCOMPARE(help->currentFile(), u"backup.html"_qs);
    help->close();
}

QTEST_MAIN(TstHelp)
#include "tst_help.moc"
