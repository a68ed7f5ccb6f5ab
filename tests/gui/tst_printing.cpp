// Printing as a user meets it: the print drop-downs and F4 of both data
// windows open the preview of the right report, the preview pages through
// it, prints through the print dialog and saves PDF; lists save as CSV.
#include "Fixtures.h"
#include "gui/GuiTestCase.h"
#include "gui/GuiTestSupport.h"

#include "customer/CustomerView.h"
#include "customer/CustomerWindow.h"
#include "print/ReportPreview.h"
#include "print/ReportRenderer.h"
#include "print/Reports.h"
#include "repair/RepairView.h"
#include "repair/RepairWindow.h"
#include "shell/MainMenuWindow.h"
#include "shell/ShellController.h"
#include "store/Cp932.h"
#include "store/SessionState.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPageRanges>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

using namespace horunea;
using namespace horunea::test;

class TstPrinting : public GuiTestCase
{
    Q_OBJECT
private slots:
    void customerDropDownOpensEachReport_data();
    void customerDropDownOpensEachReport();
    void f4PrintsTheCurrentUser();
    void repairDropDownOpensEachReport_data();
    void repairDropDownOpensEachReport();
    void aRepairSearchDoesNotApplyToPrints();
    void f4PrintsTheCurrentRepair();
    void previewPaintsOnlyThePagesShown();
    void aLongLayoutShowsItsProgressAndCanBeCancelled();
    void previewSavesPdfAndPrintsThroughTheDialogs();
    void pageKeysMoveOnePageInTheView();
    void requestedPagesAreTakenOnce_data();
    void requestedPagesAreTakenOnce();
    void aCancelledSaveLeavesTheOldFile();
    void savingStampsTheTimeOfSaving();
    void aListSavesWhatItShowsAsCsv();

private:
    void prepare() override;
    CustomerWindow* openCustomer();
    RepairWindow* openRepair();
    // Opens the preview by `open`, hands it to `check`, and closes it.
    void inPreview(const std::function<void()>& open,
                   const std::function<void(ReportPreview*)>& check);
};

void TstPrinting::prepare()
{
    makeOperator(u"山田"_qs);
    makeRepairAccount(u"修理係"_qs);
    {
        Database db = Database::open(customerFile(u"山田"_qs));
        const qint64 kato = addUser(db, u"ｶﾄｳ"_qs, u"加藤"_qs);
        addUser(db, u"ｱｵｷ"_qs, u"青木"_qs);
        addSubject(db, kato, u"複合機"_qs);
        addSubject(db, kato, u"納品済み"_qs, u"完了"_qs);
    }
    {
        Database db = Database::open(repairFile(u"修理係"_qs));
        addRepair(db, u"加藤"_qs, u"北村商店"_qs, u"続行"_qs, {{u"入金"_qs, u"未入"_qs}});
        addRepair(db, u"青木"_qs, u"南商会"_qs, u"完了"_qs, {{u"入金"_qs, u"済"_qs}});
        db.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"日立"_qs}});
    }
}

CustomerWindow* TstPrinting::openCustomer()
{
    return openCustomerWindow(*m_shell);
}

RepairWindow* TstPrinting::openRepair()
{
    return openRepairWindow(*m_shell);
}

void TstPrinting::inPreview(const std::function<void()>& open,
                            const std::function<void(ReportPreview*)>& check)
{
    withModal(open, [&](QDialog* d) {
        auto* preview = qobject_cast<ReportPreview*>(d);
        QVERIFY2(preview, "the preview did not open");
        QCOMPARE(preview->objectName(), u"ReportPreview"_qs);
        check(preview);
    });
}

namespace {

QAction* printItem(QWidget* window, const QString& key)
{
    auto* menu = child<QMenu>(window, u"PrintMenu"_qs);
    return menu ? menu->findChild<QAction*>(key) : nullptr;
}

// Users ｱ000, ｱ001 … in the あ row of 山田: enough for as many pages.
void addNumberedUsers(int count)
{
    Database db = Database::open(customerFile(u"山田"_qs));
    for (int i = 0; i < count; ++i)
        addUser(db, QStringLiteral("ｱ%1").arg(i, 3, 10, QLatin1Char('0')),
                QStringLiteral("利用者%1").arg(i));
}

QStringList firstValues(const Report& report, int field)
{
    QStringList values;
    for (const ReportBlock& b : report.blocks)
        values << b.values.value(field);
    return values;
}

} // namespace

void TstPrinting::customerDropDownOpensEachReport_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("blocks");
    const QList<std::tuple<const char*, const char16_t*, int>> rows = {
        {"agyou", u"あ　行", 1},  {"kagyou", u"か　行", 1},      {"sagyou", u"さ　行", 0},
        {"tagyou", u"た　行", 0}, {"nagyou", u"な　行", 0},      {"hagyou", u"は　行", 0},
        {"magyou", u"ま　行", 0}, {"yagyou", u"や　行", 0},      {"ragyou", u"ら　行", 0},
        {"wagyou", u"わ　行", 0}, {"abc", u"アルファベット", 0}, {"sonota", u"そ　の　他", 0},
    };
    for (const auto& [key, title, blocks] : rows)
        QTest::newRow(key) << QString::fromLatin1(key) << u"顧客一覧"_qs
                           << QString::fromUtf16(title) << blocks;
    QTest::newRow("zokkou") << u"zokkou"_qs << u"件名一覧"_qs << u"続行中の件名"_qs << 1;
    QTest::newRow("kanryou") << u"kanryou"_qs << u"件名一覧"_qs << u"完了の件名"_qs << 1;
}

void TstPrinting::customerDropDownOpensEachReport()
{
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(int, blocks);
    CustomerWindow* w = openCustomer();
    QVERIFY(w);
    const int users = w->userList()->rowCount();
    QAction* item = printItem(w, key);
    QVERIFY(item);
    inPreview([&] { item->trigger(); },
              [&](ReportPreview* p) {
                  QCOMPARE(p->windowTitle(), name);
                  QCOMPARE(p->report().title, title);
                  QCOMPARE(int(p->report().blocks.size()), blocks);
                  QCOMPARE(child<QLabel>(p, u"PageLabel"_qs)->text(), u"1 / 1 ページ"_qs);
                  // The width of the screen, 400 twips less than its height.
                  const QRect screen = w->screen()->geometry();
                  QCOMPARE(p->width(), screen.width());
                  QCOMPARE(p->height(), screen.height() - 400 / 15);
              });
    // The window's lists stay as they were.
    QCOMPARE(w->userList()->rowCount(), users);
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TstPrinting::f4PrintsTheCurrentUser()
{
    CustomerWindow* w = openCustomer();
    QVERIFY(w);
    // Nobody chosen: the sheet of user 0 is empty.
    inPreview([&] { QTest::keyClick(w->userList(), Qt::Key_F4); },
              [&](ReportPreview* p) {
                  QCOMPARE(p->windowTitle(), u"ﾕｰｻﾞｰ情報"_qs);
                  QVERIFY(p->report().blocks.empty());
              });
    w->view()->selectKanaRow(KanaRow::Ka);
    QCOMPARE(w->userList()->rowCount(), 1);
    clickRow(w->userList(), 0);
    QCOMPARE(w->view()->SelectedUserName, u"加藤"_qs);
    inPreview([&] { QTest::keyClick(w->userList(), Qt::Key_F4); },
              [&](ReportPreview* p) {
                  QCOMPARE(p->windowTitle(), u"ﾕｰｻﾞｰ情報"_qs);
                  // The user, then both of his subjects.
                  QCOMPARE(int(p->report().blocks.size()), 3);
                  QCOMPARE(p->report().blocks.front().values.value(0), u"加藤"_qs);
              });
}

void TstPrinting::repairDropDownOpensEachReport_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("blocks");
    QTest::newRow("zokou") << u"zokou"_qs << u"修理一覧"_qs << u"続行分"_qs << 1;
    QTest::newRow("kanryou") << u"kanryou"_qs << u"修理一覧"_qs << u"完了分"_qs << 1;
    QTest::newRow("subete") << u"subete"_qs << u"修理一覧"_qs << u"全ての修理"_qs << 2;
    QTest::newRow("minyu") << u"minyu"_qs << u"未集金リスト"_qs
                           << u"未集金リスト（入金項目が未入のもの）"_qs << 1;
    QTest::newRow("meka") << u"meka"_qs << u"メーカー一覧"_qs << u"メーカー一覧"_qs << 1;
}

void TstPrinting::repairDropDownOpensEachReport()
{
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(int, blocks);
    RepairWindow* w = openRepair();
    QVERIFY(w);
    QAction* item = printItem(w, key);
    QVERIFY(item);
    inPreview([&] { item->trigger(); },
              [&](ReportPreview* p) {
                  QCOMPARE(p->windowTitle(), name);
                  QCOMPARE(p->report().title, title);
                  QCOMPARE(int(p->report().blocks.size()), blocks);
              });
}

void TstPrinting::aRepairSearchDoesNotApplyToPrints()
{
    RepairWindow* w = openRepair();
    QVERIFY(w);
    {
        Database db = Database::open(repairFile(u"修理係"_qs));
        addRepair(db, u"佐藤"_qs, u"佐藤電機"_qs);
    }
    SearchRequest search;
    search.kind = SearchKind::Repairs;
    search.word1 = u"北村"_qs;
    w->view()->Search(search);
    QCOMPARE(w->repairList()->rowCount(), 1);
    inPreview([&] { printItem(w, u"zokou"_qs)->trigger(); },
              [&](ReportPreview* p) {
                  QCOMPARE(firstValues(p->report(), 1).size(), 2);
                  QVERIFY(firstValues(p->report(), 1).contains(u"佐藤"_qs));
              });
    QCOMPARE(w->repairList()->rowCount(), 1);
}

void TstPrinting::f4PrintsTheCurrentRepair()
{
    RepairWindow* w = openRepair();
    QVERIFY(w);
    inPreview([&] { QTest::keyClick(w->repairList(), Qt::Key_F4); },
              [&](ReportPreview* p) {
                  QCOMPARE(p->windowTitle(), u"修理レポート"_qs);
                  QVERIFY(p->report().blocks.empty());
              });
    clickRow(w->repairList(), 0);
    QVERIFY(w->view()->SelectedRepairId != u"0");
    inPreview([&] { QTest::keyClick(w->repairList(), Qt::Key_F4); },
              [&](ReportPreview* p) {
                  QCOMPARE(p->windowTitle(), u"修理レポート"_qs);
                  QCOMPARE(p->report().heading, u"修　理　レ　ポ　ー　ト"_qs);
                  QCOMPARE(int(p->report().blocks.size()), 1);
              });
}

void TstPrinting::previewPaintsOnlyThePagesShown()
{
    addNumberedUsers(120);
    CustomerWindow* w = openCustomer();
    QVERIFY(w);
    inPreview([&] { printItem(w, u"agyou"_qs)->trigger(); },
              [&](ReportPreview* p) {
                  const int pages = p->renderer().pageCount();
                  QVERIFY(pages >= 10);
                  QTRY_VERIFY(p->pageView()->paintedPages() >= 1);
                  QVERIFY(p->pageView()->paintedPages() <= 3);
                  auto* label = child<QLabel>(p, u"PageLabel"_qs);
                  QCOMPARE(label->text(), QStringLiteral("1 / %1 ページ").arg(pages));
                  QTest::keyClick(p, Qt::Key_PageDown);
                  QCOMPARE(p->pageView()->currentPage(), 1);
                  QCOMPARE(label->text(), QStringLiteral("2 / %1 ページ").arg(pages));
                  QTest::keyClick(p, Qt::Key_End, Qt::ControlModifier);
                  QCOMPARE(p->pageView()->currentPage(), pages - 1);
                  QTest::keyClick(p, Qt::Key_Home, Qt::ControlModifier);
                  QCOMPARE(p->pageView()->currentPage(), 0);
                  QVERIFY(p->pageView()->paintedPages() < pages);
                  QTest::keyClick(p, Qt::Key_Escape);
                  QVERIFY(!p->isVisible());
              });
}

void TstPrinting::aLongLayoutShowsItsProgressAndCanBeCancelled()
{
    addNumberedUsers(120);
    CustomerWindow* w = openCustomer();
    QVERIFY(w);
    // キャンセル is pressed as soon as the layout first lets events through.
    int seen = 0;
    QTimer::singleShot(0, w, [&] {
        if (auto* progress = w->findChild<QProgressDialog*>(u"LayoutProgress"_qs)) {
            ++seen;
            QCOMPARE(progress->labelText(), u"帳票を組んでいます…"_qs);
            progress->cancel();
        }
    });
    // A preview that opens all the same is closed, and said.
    bool opened = false;
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, w, [&] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            modal->reject();
        }
    });
    guard.start(3000);
    printItem(w, u"agyou"_qs)->trigger();
    guard.stop();
    QCOMPARE(seen, 1);
    QVERIFY(!opened);
    // Not cancelled, the same report opens whole.
    inPreview([&] { printItem(w, u"agyou"_qs)->trigger(); },
              [&](ReportPreview* p) {
                  QVERIFY(!p->cancelled());
                  QVERIFY(p->renderer().pageCount() >= 10);
              });
}

void TstPrinting::previewSavesPdfAndPrintsThroughTheDialogs()
{
    CustomerWindow* w = openCustomer();
    QVERIFY(w);
    const QString pdf = m_folder->file(u"保存先"_qs);
    inPreview([&] { printItem(w, u"kagyou"_qs)->trigger(); },
              [&](ReportPreview* p) {
                  // Cancelled: nothing written, nothing said.
                  child<QPushButton>(p, u"PdfButton"_qs)->click();
                  QCOMPARE(m_dialogs->saveCaptions, QStringList{u"PDFに保存"_qs});
                  QVERIFY(m_dialogs->saveSuggestions.first().endsWith(u"顧客一覧_か行.pdf"_qs));
                  QVERIFY(m_dialogs->messages.isEmpty());
                  m_dialogs->saveAnswers.enqueue(pdf);
                  QTest::keyClick(p, Qt::Key_S, Qt::ControlModifier);
                  QFile file(pdf + u".pdf"_qs);
                  QVERIFY(file.open(QIODevice::ReadOnly));
                  QCOMPARE(file.read(5), QByteArray("%PDF-"));
                  QCOMPARE(m_dialogs->messages.size(), 1);
                  QVERIFY(m_dialogs->lastMessage().startsWith(u"PDFに保存しました。"_qs));
                  child<QPushButton>(p, u"PrintButton"_qs)->click();
                  QCOMPARE(m_dialogs->printDialogs, 1);
                  QVERIFY(
                      child<QPushButton>(p, u"PrintButton"_qs)->toolTip().contains(u"Ctrl+P"_qs));
              });
}

void TstPrinting::pageKeysMoveOnePageInTheView()
{
    addNumberedUsers(200);
    CustomerWindow* w = openCustomer();
    QVERIFY(w);
    inPreview([&] { printItem(w, u"agyou"_qs)->trigger(); },
              [&](ReportPreview* p) {
                  QVERIFY(p->renderer().pageCount() >= 6);
                  // The keys reach the page view, which has the focus.
                  for (int page = 1; page <= 5; ++page) {
                      QTest::keyClick(p->pageView(), Qt::Key_PageDown);
                      QCOMPARE(p->pageView()->currentPage(), page);
                  }
                  QTest::keyClick(p->pageView(), Qt::Key_PageUp);
                  QCOMPARE(p->pageView()->currentPage(), 4);
                  QTest::keyClick(p, Qt::Key_Escape);
              });
}

void TstPrinting::requestedPagesAreTakenOnce_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<QString>("ranges");
    QTest::addColumn<QList<int>>("pages");
    const int all = int(QPrinter::AllPages), list = int(QPrinter::PageRange),
              current = int(QPrinter::CurrentPage);
    QTest::newRow("all") << all << QString() << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("current") << current << QString() << QList<int>{3};
    QTest::newRow("list") << list << u"2,5"_qs << QList<int>{2, 5};
    QTest::newRow("beyond the last page") << list << u"6-12"_qs << QList<int>{6, 7};
    QTest::newRow("overlapping, unsorted") << list << u"5,1-2,2"_qs << QList<int>{1, 2, 5};
    QTest::newRow("no page of the report") << list << u"9-10"_qs << QList<int>{};
}

// The pages the dialog names are printed, and taken out of the printer so
// that the queue does not pick from them again (the queue's own options are
// tried with a real queue in tst_cupsprinting).
void TstPrinting::requestedPagesAreTakenOnce()
{
    QFETCH(int, range);
    QFETCH(QString, ranges);
    QFETCH(QList<int>, pages);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPrintRange(QPrinter::PrintRange(range));
    if (!ranges.isEmpty())
        printer.setPageRanges(QPageRanges::fromString(ranges));
    QCOMPARE(TakeRequestedPages(printer, 7, 3), pages);
    QCOMPARE(printer.printRange(), QPrinter::AllPages);
    QVERIFY(printer.pageRanges().isEmpty());
}

void TstPrinting::aCancelledSaveLeavesTheOldFile()
{
    addNumberedUsers(80);
    Database db = Database::open(customerFile(u"山田"_qs));
    const Report report = ListReport(db, *customerListPrint(u"agyou"_qs, QString(), QString()));
    const QString path = m_folder->file(u"old.pdf"_qs);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    int heard = 0;
    QVERIFY(!writeReportPdf(report, path, [&](int page, int) {
        heard = page;
        return page < 2;
    }));
    QCOMPARE(heard, 2);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
    QCOMPARE(QDir(m_folder->path()).entryList({u"old.pdf*"_qs}, QDir::Files | QDir::Hidden),
             QStringList{u"old.pdf"_qs});
}

void TstPrinting::savingStampsTheTimeOfSaving()
{
    CustomerWindow* w = openCustomer();
    QVERIFY(w);
    inPreview([&] { printItem(w, u"kagyou"_qs)->trigger(); },
              [&](ReportPreview* p) {
                  const QDateTime opened = p->report().printedAt;
                  QTest::qWait(20);
                  m_dialogs->saveAnswers.enqueue(m_folder->file(u"list.pdf"_qs));
                  child<QPushButton>(p, u"PdfButton"_qs)->click();
                  QVERIFY(p->report().printedAt > opened);
                  QVERIFY(QFile::exists(m_folder->file(u"list.pdf"_qs)));
              });
}

void TstPrinting::aListSavesWhatItShowsAsCsv()
{
    CustomerWindow* w = openCustomer();
    QVERIFY(w);
    w->view()->selectKanaRow(KanaRow::Ka);
    ReportListView* list = w->userList();
    QCOMPARE(list->rowCount(), 1);
    const QString csv = m_folder->file(u"users.csv"_qs);
    m_dialogs->saveAnswers.enqueue(csv);
    // The right-click menu offers the save.
    QTimer::singleShot(0, [] {
        QWidget* popup = QApplication::activePopupWidget();
        QVERIFY(popup);
        auto* action = popup->findChild<QAction*>(u"SaveCsvAction"_qs);
        QVERIFY(action);
        QCOMPARE(action->text(), u"CSVで保存…"_qs);
        action->trigger();
        popup->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            list->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(list->viewport(), &event);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = decodeCp932(file.readAll());
    const QStringList lines = text.split(u"\r\n"_qs);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], u"\"" + list->shownHeaders().join(u"\",\""_qs) + u"\""_qs);
    QVERIFY2(lines[1].contains(u"\"加藤\""_qs), qPrintable(lines[1]));
    QVERIFY(m_dialogs->lastMessage().contains(u"1 行を CSV に保存しました。"_qs));
}

QTEST_MAIN(TstPrinting)
#include "tst_printing.moc"
