// The customer list of one kana row printed from a customer database of N
// users (all in that row): the time to the first preview page, and the whole
// report written to PDF (pages per second, peak memory).
//
// The floor is the bare SQLCipher C API reading the same rows from the same
// file in the same run: what any report must at least do. Only the first
// figure is mostly reading; painting and writing PDF are work the floor does
// not do, so their ratio says how much printing costs beyond the read.
//
//   bench_report [N=50000]
#include "BareConnection.h"

#include "customer/CustomerSettings.h"
#include "print/ReportRenderer.h"
#include "print/Reports.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/ShippedFiles.h"
#include "ui/Fonts.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QTextStream>

#include <sys/resource.h>

using namespace horunea;

namespace {

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The rows a bare connection reads for the same list: every field of the
// row, each cell's text asked once.
qint64 bareRead(const QString& path, int* rows)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3* db = bench::openBare(path);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(
        db,
        "SELECT * FROM ユーザー, 設定 WHERE 表示ふりがな >= 'ｶ' AND 表示ふりがな < 'ｺ'"
        " ORDER BY 表示ふりがな",
        -1, &st, nullptr);
    qint64 bytes = 0;
    *rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            sqlite3_column_text(st, c);
            bytes += sqlite3_column_bytes(st, c);
        }
        ++*rows;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    Q_UNUSED(bytes);
    return timer.nsecsElapsed();
}

QString ratio(qint64 value, qint64 floor)
{
    return QString::number(double(value) / double(qMax<qint64>(1, floor)), 'f', 1) + u'×';
}

} // namespace

// A remark of `characters` characters: Japanese sentences, a line break now
// and then.
QString longRemark(int characters)
{
    QString remark;
    remark.reserve(characters + 64);
    for (int i = 0; remark.size() < characters; ++i)
        remark += i % 40 == 39 ? QStringLiteral("改行%1\r\n").arg(i)
                               : QStringLiteral("修理の記録その%1、部品を交換した。").arg(i);
    remark.truncate(characters);
    return remark;
}

// The floor of a long text: the same text laid out once, whole, with
// QTextLayout, in lines as wide as a sheet's value column.
qint64 layOutOnce(int characters)
{
    const QString remark = longRemark(characters);
    QElapsedTimer timer;
    timer.start();
    QTextLayout layout(remark, programFont());
    layout.beginLayout();
    qreal y = 0;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(600);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return timer.nsecsElapsed();
}

// Lays out and paints every page of a user sheet whose 備考 is a text of
// `characters` characters (see longRemark); returns the nanoseconds and the
// page count.
std::pair<qint64, int> longTextSheet(int characters)
{
    QTemporaryDir dir;
    DataFolder::set(dir.path());
    EnsureShippedFiles();
    const QString remark = longRemark(characters);
    Database db = Database::open(DataFolder::customerTemplatePath());
    const qint64 user = db.insert(
        u"ユーザー"_qs,
        {{u"表示ふりがな"_qs, u"ｶﾄｳ"_qs}, {u"表示名"_qs, u"加藤商店"_qs}, {u"備考"_qs, remark}});
    const Report report = UserSheetReport(db, QString::number(user));
    QElapsedTimer timer;
    timer.start();
    const ReportRenderer renderer(report);
    QImage page(QSize(210, 297), QImage::Format_RGB32);
    for (int i = 0; i < renderer.pageCount(); ++i) {
        page.fill(Qt::white);
        QPainter painter(&page);
        ReportRenderer::scaleToDots(painter, 25.4);
        renderer.paintPage(painter, i);
    }
    return {timer.nsecsElapsed(), renderer.pageCount()};
}

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 50000;
    QTextStream out(stdout);

    // A long text costs its length: laid out in pieces, never as a whole.
    const auto [small, smallPages] = longTextSheet(100 * 1024);
    const auto [large, largePages] = longTextSheet(1024 * 1024);
    out << "user sheet with a 100 KB 備考: " << small / 1000000 << " ms (" << smallPages
        << " pages); 1 MB: " << large / 1000000 << " ms (" << largePages << " pages); "
        << QString::number(double(large) / double(small), 'f', 1) << "× (goal ≤ 12×)\n"
        << Qt::flush;
    const qint64 onceSmall = layOutOnce(100 * 1024), onceLarge = layOutOnce(1024 * 1024);
    out << "  floor, the same text laid out once with QTextLayout: 100 KB " << onceSmall / 1000000
        << " ms, 1 MB " << onceLarge / 1000000 << " ms; the sheet " << ratio(small, onceSmall)
        << " / " << ratio(large, onceLarge) << " its floor\n"
        << Qt::flush;

    QTemporaryDir dir;
    DataFolder::set(dir.path());
    EnsureShippedFiles();
    const QString path = DataFolder::customerTemplatePath();
    {
        Database db = Database::open(path);
        Transaction t(db);
        for (int i = 0; i < count; ++i) {
            const QString n = QString::number(i);
            db.insert(u"ユーザー"_qs, {{u"表示ふりがな"_qs, QString(u"ｶﾄｳ"_qs + n)},
                                       {u"表示名"_qs, QString(u"加藤商店"_qs + n)},
                                       {u"ユーザー名"_qs, QString(u"加藤 太郎"_qs + n)},
                                       {u"ユーザー名ふりがな"_qs, QString(u"ｶﾄｳ ﾀﾛｳ"_qs)},
                                       {u"自宅ＴＥＬ"_qs, QString(u"03-0000-"_qs + n)},
                                       {u"会社名"_qs, QString(u"㈱加藤商事"_qs)},
                                       {u"会社ＴＥＬ"_qs, QString(u"045-000-"_qs + n)},
                                       {u"E-MAIL"_qs, QString(u"user"_qs + n + u"@example.jp"_qs)},
                                       {u"備考"_qs, QString(u"毎月第二火曜日に訪問。"_qs)}});
        }
        t.commit();
    }
    out << "users: " << count << '\n';

    int bareRows = 0;
    bareRead(path, &bareRows); // warm the file cache for both
    const qint64 floor = bareRead(path, &bareRows);
    out << "floor (bare C API read of the same " << bareRows << " rows): " << floor / 1000000
        << " ms\n";

    QElapsedTimer timer;
    timer.start();
    Database db = Database::open(path);
    const CustomerSortClauses sort = BuildCustomerSortClauses(db);
    const Report report =
        ListReport(db, *customerListPrint(u"kagyou"_qs, sort.UserOrderBy, sort.UserOrderDesc));
    const qint64 built = timer.nsecsElapsed();
    const ReportRenderer renderer(report);
    const qint64 laidOut = timer.nsecsElapsed();
    {
        QImage page(QSize(794, 1123), QImage::Format_RGB32); // A4 at 96 dpi
        page.fill(Qt::white);
        QPainter painter(&page);
        ReportRenderer::scaleToDots(painter, 96);
        renderer.paintPage(painter, 0);
    }
    const qint64 firstPage = timer.nsecsElapsed();
    out << "report data (" << report.blocks.size() << " blocks): " << built / 1000000 << " ms, "
        << ratio(built, floor) << " the floor\n";
    out << "first preview page (data, page breaks of " << renderer.pageCount()
        << " pages, one page painted): " << firstPage / 1000000 << " ms, "
        << ratio(firstPage, floor) << " the floor (page breaks " << (laidOut - built) / 1000000
        << " ms)\n";
    const long beforePdf = peakKilobytes();

    const QString pdf = dir.filePath(u"list.pdf"_qs);
    timer.restart();
    writeReportPdf(report, pdf);
    const qint64 written = timer.nsecsElapsed();
    const double seconds = written / 1e9;
    out << "PDF: " << renderer.pageCount() << " pages in " << QString::number(seconds, 'f', 1)
        << " s, " << QString::number(renderer.pageCount() / seconds, 'f', 0) << " pages/s, "
        << ratio(written, floor) << " the floor, " << QFileInfo(pdf).size() / 1024 / 1024
        << " MB\n";
    out << "peak memory: " << beforePdf / 1024 << " MB with the report's data, "
        << peakKilobytes() / 1024 << " MB after writing the PDF\n";
    return 0;
}
