// The user search of the search window over all 21 fields of N users, exact
// and with the width and kana folding, beside its floor: the bare SQLCipher
// C API running the same search written with SQLite's built-in instr() on
// the same file, with the same key and page cache, stepping every row and
// reading every column as text.
//
//   bench_search [N=100000] [runs=5]
#include "BareConnection.h"

#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "customer/CustomerSettings.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/SearchConditions.h"
#include "store/ShippedFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace horunea;

namespace {

// The median of `runs` timings of `work`, in milliseconds; `rows` gets the
// row count of the last run.
double medianMs(int runs, const std::function<size_t()>& work, size_t* rows)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        *rows = work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Users whose 21 fields hold ordinary shop data; one in a hundred has the
// word 山田 somewhere (a different field each time).
void fillUsers(Database& db, int count)
{
    const QStringList fields = searchFields(SearchKind::Users);
    const QStringList names{u"加藤"_qs, u"佐藤"_qs, u"鈴木"_qs, u"高橋"_qs, u"田中"_qs,
                            u"伊藤"_qs, u"渡辺"_qs, u"中村"_qs, u"小林"_qs, u"吉田"_qs};
    const QStringList readings{u"ｶﾄｳ"_qs, u"ｻﾄｳ"_qs,   u"ｽｽﾞｷ"_qs, u"ﾀｶﾊｼ"_qs,  u"ﾀﾅｶ"_qs,
                               u"ｲﾄｳ"_qs, u"ﾜﾀﾅﾍﾞ"_qs, u"ﾅｶﾑﾗ"_qs, u"ｺﾊﾞﾔｼ"_qs, u"ﾖｼﾀﾞ"_qs};
    QRandomGenerator random(7);
    QStringList columns;
    for (const QString& f : fields) {
        QString bare = f;
        bare.remove(u'[');
        bare.remove(u']');
        columns << bare;
    }
    Transaction t(db);
    for (int i = 0; i < count; ++i) {
        const int n = int(random.bounded(int(names.size())));
        const QString no = QString::number(i);
        QStringList values{readings[n] + no,
                           names[n] + u"商店"_qs + no,
                           readings[n],
                           names[n] + u"太郎"_qs,
                           u"03-1234-"_qs + no,
                           u"03-1234-9"_qs + no,
                           u"東京都港区芝公園"_qs + no,
                           u"ｶﾌﾞｼｷｶﾞｲｼｬ"_qs,
                           u"株式会社"_qs + names[n],
                           u"営業部"_qs,
                           u"03-5555-"_qs + no,
                           u"03-5555-9"_qs + no,
                           u"大阪府大阪市北区梅田"_qs + no,
                           u"user"_qs + no + u"@example.jp"_qs,
                           u"https://example.jp/"_qs + no,
                           u"毎月第二火曜日に訪問"_qs,
                           u"自由"_qs + no,
                           QString(),
                           u"ＡＢＣ"_qs,
                           QString(),
                           u"ﾒﾓ"_qs};
        if (i % 100 == 0)
            values[(i / 100) % values.size()] += u"山田"_qs;
        Fields row;
        for (int c = 0; c < columns.size(); ++c)
            row << qMakePair(columns[c], values[c].isNull() ? QVariant() : QVariant(values[c]));
        db.insert(u"ユーザー"_qs, row);
    }
    t.commit();
}

// The floor: the same search with instr() through the bare C API.
struct Floor
{
    sqlite3* db = nullptr;
    mutable size_t textBytes = 0;
    explicit Floor(const QString& path) : db(bench::openBare(path)) {}
    ~Floor() { sqlite3_close_v2(db); }

    size_t search(const QByteArray& word) const
    {
        QByteArray sql =
            "SELECT ユーザーID,表示名,自宅ＴＥＬ,会社ＴＥＬ,[E-MAIL] FROM ユーザー WHERE (";
        const QStringList fields = searchFields(SearchKind::Users);
        for (int i = 0; i < fields.size(); ++i) {
            if (i > 0)
                sql += " or ";
            sql += "instr(" + fields[i].toUtf8() + ", ?) > 0";
        }
        sql += ") ORDER BY 表示ふりがな";
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr);
        for (int i = 1; i <= fields.size(); ++i)
            sqlite3_bind_text(stmt, i, word.constData(), int(word.size()), SQLITE_STATIC);
        size_t rows = 0;
        size_t bytes = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < 5; ++c) {
                const unsigned char* text = sqlite3_column_text(stmt, c);
                bytes += text ? size_t(sqlite3_column_bytes(stmt, c)) : 0;
            }
            ++rows;
        }
        sqlite3_finalize(stmt);
        textBytes += bytes;
        return rows;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    const int runs = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 5;
    QTextStream out(stdout);
    QTextStream err(stderr);

    QTemporaryDir dir;
    DataFolder::set(dir.path());
    EnsureShippedFiles();
    const QString path = DataFolder::customerTemplatePath();
    Database db = Database::open(path);
    err << "generating " << count << " users…\n";
    err.flush();
    fillUsers(db, count);

    CustomerListQuery query;
    query.setSortClauses(BuildCustomerSortClauses(db));
    auto project = [&](bool folded) {
        return [&db, &query, folded] {
            SearchRequest request{SearchKind::Users, u"山田"_qs, SearchJoin::None, QString(),
                                  folded};
            applySearch(query, request);
            return LoadUserRows(db, query.userStatement()).size();
        };
    };
    Floor floor(path);
    size_t floorRows = 0, exactRows = 0, foldedRows = 0;
    // One untimed pass each warms the page cache of both connections.
    floor.search("山田");
    project(false)();
    const double floorMs = medianMs(
        runs, [&] { return floor.search("山田"); }, &floorRows);
    const double exactMs = medianMs(runs, project(false), &exactRows);
    const double foldedMs = medianMs(runs, project(true), &foldedRows);

    out << "user search over 21 fields of " << count << " users (median of " << runs << " runs)\n";
    out << QStringLiteral("  floor (C API, instr)   %1 ms  %2 rows\n")
               .arg(floorMs, 8, 'f', 1)
               .arg(floorRows);
    out << QStringLiteral("  exact                  %1 ms  %2 rows  %3× floor (goal ≤ 1.5×)\n")
               .arg(exactMs, 8, 'f', 1)
               .arg(exactRows)
               .arg(exactMs / floorMs, 0, 'f', 2);
    out << QStringLiteral("  folded                 %1 ms  %2 rows  %3× floor (goal ≤ 2×)\n")
               .arg(foldedMs, 8, 'f', 1)
               .arg(foldedRows)
               .arg(foldedMs / floorMs, 0, 'f', 2);
    if (exactRows != floorRows || foldedRows != floorRows)
        err << "the searches found different rows\n";
    return exactRows == floorRows && foldedRows == floorRows ? 0 : 1;
}
