// Printing through a real print queue: a private CUPS scheduler, started by
// the test on a socket of its own, with a PDF queue whose output is read
// back. Skipped, with the reason, where the scheduler cannot start.
#include "Fixtures.h"
#include "TestSupport.h"
#include "gui/GuiTestCase.h"

#include "print/ReportPreview.h"
#include "print/ReportRenderer.h"
#include "print/Reports.h"

#include <QDir>
#include <QPageRanges>
#include <QPrintEngine>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cups/cups.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace horunea;
using namespace horunea::test;

namespace {

const QString Queue = u"horunea-test"_qs;

QString run(const QString& program, const QStringList& args, int* status = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(30000);
    if (status)
        *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAll());
}

} // namespace

class TstCupsPrinting : public GuiTestCase
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void pageListPrintsExactlyThosePages_data();
    void pageListPrintsExactlyThosePages();
    void aQueueThatRefusesIsSaid_data();
    void aQueueThatRefusesIsSaid();

private:
    void prepare() override;
    // Prints the report through the preview as the dialog sets the printer;
    // returns the PDF the queue wrote (empty when none came).
    QString printThroughQueue(const Report& report, const std::function<void(QPrinter&)>& dialog);

    std::unique_ptr<QTemporaryDir> m_cups;
    QString m_output; // what the queue printed, as a PDF
    QProcess m_scheduler;
    Report m_report;
};

void TstCupsPrinting::initTestCase()
{
    const QString cupsd = QStandardPaths::findExecutable(u"cupsd"_qs, {u"/usr/sbin"_qs});
    if (cupsd.isEmpty() || !QFileInfo::exists(u"/usr/lib/cups/filter/pdftopdf"_qs))
        QSKIP("cups and cups-filters are not installed");
    if (QStandardPaths::findExecutable(u"pdfinfo"_qs).isEmpty())
        QSKIP("pdfinfo (poppler-utils) is not installed");
    // A short path: the socket's name must fit sun_path.
    m_cups = std::make_unique<QTemporaryDir>(u"/tmp/hcups-XXXXXX"_qs);
    const QDir dir(m_cups->path());
    for (const char* sub : {"spool", "tmp", "cache", "state", "log", "ppd"})
        dir.mkpath(QString::fromLatin1(sub));
    // The filters run as another user (lp): they pass through the folder and
    // write in its tmp.
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    ::chmod(QFile::encodeName(dir.filePath(u"tmp"_qs)).constData(), 01777);
    const QString socket = dir.filePath(u"cups.sock"_qs);
    auto write = [&](const QString& name, const QString& text) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    };
    write(u"cupsd.conf"_qs,
          u"Listen "_qs + socket +
              u"\nLogLevel warn\nWebInterface No\nBrowsing No\n"
              u"<Location />\nOrder allow,deny\nAllow all\n</Location>\n"
              u"<Location /admin>\nOrder allow,deny\nAllow all\n</Location>\n"_qs);
    write(u"cups-files.conf"_qs,
          QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                         "StateDir %1/state\nErrorLog %1/log/error_log\n"
                         "AccessLog %1/log/access_log\nPageLog %1/log/page_log\n"
                         "FileDevice Yes\n")
              .arg(dir.path()));
    // A PDF printer: the queue's own filter (pdftopdf) picks pages and
    // copies as for any printer, and the file device keeps what it printed.
    write(u"horunea.ppd"_qs,
          u"*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n"
          u"*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
          u"*LanguageEncoding: ISOLatin1\n*PCFileName: \"HORUNEA.PPD\"\n"
          u"*Manufacturer: \"Horunea\"\n*Product: \"(Test)\"\n"
          u"*ModelName: \"Horunea PDF\"\n*ShortNickName: \"Horunea PDF\"\n"
          u"*NickName: \"Horunea PDF\"\n*PSVersion: \"(3010.000) 0\"\n"
          u"*cupsFilter2: \"application/vnd.cups-pdf application/pdf 0 -\"\n"
          u"*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n"
          u"*PageSize A4/A4: \"\"\n*CloseUI: *PageSize\n"
          u"*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"0 0 595 842\"\n"
          u"*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n"_qs);
    m_scheduler.setProcessChannelMode(QProcess::MergedChannels);
    m_scheduler.start(cupsd, {u"-f"_qs, u"-c"_qs, dir.filePath(u"cupsd.conf"_qs), u"-s"_qs,
                              dir.filePath(u"cups-files.conf"_qs)});
    if (!m_scheduler.waitForStarted(10000))
        QSKIP("cupsd did not start");
    for (int i = 0; i < 100 && !QFileInfo::exists(socket); ++i)
        QTest::qWait(100);
    if (!QFileInfo::exists(socket))
        QSKIP(qPrintable(u"cupsd did not open its socket: "_qs +
                         QString::fromUtf8(m_scheduler.readAll())));
    qputenv("CUPS_SERVER", socket.toUtf8());
    cupsSetServer(socket.toUtf8().constData());
    int status = 0;
    m_output = dir.filePath(u"printed.pdf"_qs);
    const QString said = run(u"lpadmin"_qs,
                             {u"-h"_qs, socket, u"-p"_qs, Queue, u"-E"_qs, u"-v"_qs,
                              u"file://"_qs + m_output, u"-P"_qs, dir.filePath(u"horunea.ppd"_qs)},
                             &status);
    if (status != 0)
        QSKIP(qPrintable(u"the test queue could not be made: "_qs + said));
}

void TstCupsPrinting::cleanupTestCase()
{
    if (m_scheduler.state() != QProcess::NotRunning) {
        m_scheduler.terminate();
        if (!m_scheduler.waitForFinished(5000))
            m_scheduler.kill();
    }
}

void TstCupsPrinting::prepare()
{
    makeOperator(u"山田"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    for (int i = 0; i < 160; ++i)
        addUser(db, QStringLiteral("ｱ%1").arg(i, 3, 10, QLatin1Char('0')),
                QStringLiteral("利用者%1").arg(i));
    m_report = ListReport(db, *customerListPrint(u"agyou"_qs, QString(), QString()));
}

QString TstCupsPrinting::printThroughQueue(const Report& report,
                                           const std::function<void(QPrinter&)>& dialog)
{
    QFile::remove(m_output);
    m_dialogs->printerAnswer = [&](QPrinter& printer) {
        printer.setPrinterName(Queue);
        dialog(printer);
        return true;
    };
    ReportPreview preview(report);
    preview.printReport();
    // The job is done when the queue has no job left.
    for (int i = 0; i < 300; ++i) {
        QTest::qWait(100);
        cups_job_t* jobs = nullptr;
        const int pending =
            cupsGetJobs(&jobs, Queue.toUtf8().constData(), 0, CUPS_WHICHJOBS_ACTIVE);
        cupsFreeJobs(pending, jobs);
        if (pending == 0 && QFileInfo(m_output).size() > 0)
            return m_output;
    }
    QFile log(QDir(m_cups->path()).filePath(u"log/error_log"_qs));
    if (log.open(QIODevice::ReadOnly))
        qWarning().noquote() << QString::fromUtf8(log.readAll().right(3000));
    return QString();
}

void TstCupsPrinting::pageListPrintsExactlyThosePages_data()
{
    QTest::addColumn<QString>("ranges");
    QTest::addColumn<bool>("inCupsOptions");
    QTest::addColumn<QList<int>>("pages");
    QTest::newRow("a list, as the dialog keeps it") << u"2,5"_qs << false << QList<int>{2, 5};
    QTest::newRow("a list handed to CUPS") << u"2,5"_qs << true << QList<int>{2, 5};
    QTest::newRow("a range handed to CUPS") << u"3-4"_qs << true << QList<int>{3, 4};
    QTest::newRow("a range and a page") << u"1-2,6"_qs << false << QList<int>{1, 2, 6};
}

// The queue's PDF holds exactly the pages asked for, each once, in order.
void TstCupsPrinting::pageListPrintsExactlyThosePages()
{
    QFETCH(QString, ranges);
    QFETCH(bool, inCupsOptions);
    QFETCH(QList<int>, pages);
    const int total = ReportRenderer(m_report).pageCount();
    QVERIFY(total >= 6);
    const QString pdf = printThroughQueue(m_report, [&](QPrinter& printer) {
        // What the print dialog does with "ページ指定".
        printer.setPrintRange(QPrinter::PageRange);
        printer.setPageRanges(QPageRanges::fromString(ranges));
        if (inCupsOptions)
            printer.printEngine()->setProperty(QPrintEngine::PrintEnginePropertyKey(0xfe00),
                                               QStringList{u"page-ranges"_qs, ranges});
    });
    QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->lastMessage()));
    QVERIFY2(!pdf.isEmpty(), "the queue wrote no PDF");
    const QString info = run(u"pdfinfo"_qs, {pdf});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages.size()))),
             qPrintable(info));
    for (int i = 0; i < pages.size(); ++i) {
        const QString text = run(u"pdftotext"_qs, {u"-f"_qs, QString::number(i + 1), u"-l"_qs,
                                                   QString::number(i + 1), pdf, u"-"_qs});
        QVERIFY2(text.contains(pageNumberText(pages[i], total)), qPrintable(text));
    }
}

void TstCupsPrinting::aQueueThatRefusesIsSaid_data()
{
    QTest::addColumn<QString>("off");
    QTest::addColumn<QString>("on");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not accepting jobs")
        << u"cupsreject"_qs << u"cupsaccept"_qs << u"受け付けていません"_qs;
    QTest::newRow("stopped") << u"cupsdisable"_qs << u"cupsenable"_qs << u"停止しています"_qs;
}

// A queue that will not print is named in a message; nothing vanishes.
void TstCupsPrinting::aQueueThatRefusesIsSaid()
{
    QFETCH(QString, off);
    QFETCH(QString, on);
    QFETCH(QString, reason);
    const QByteArray server = qgetenv("CUPS_SERVER");
    run(QStandardPaths::findExecutable(off, {u"/usr/sbin"_qs, u"/usr/bin"_qs}),
        {u"-h"_qs, QString::fromUtf8(server), Queue});
    m_dialogs->printerAnswer = [](QPrinter& printer) {
        printer.setPrinterName(Queue);
        return true;
    };
    {
        ReportPreview preview(m_report);
        preview.printReport();
    }
    run(QStandardPaths::findExecutable(on, {u"/usr/sbin"_qs, u"/usr/bin"_qs}),
        {u"-h"_qs, QString::fromUtf8(server), Queue});
    QCOMPARE(m_dialogs->messages.size(), 1);
    QVERIFY2(m_dialogs->lastMessage().startsWith(u"印刷できませんでした。"_qs),
             qPrintable(m_dialogs->lastMessage()));
    QVERIFY2(m_dialogs->lastMessage().contains(reason), qPrintable(m_dialogs->lastMessage()));
}

QTEST_MAIN(TstCupsPrinting)
#include "tst_cupsprinting.moc"
