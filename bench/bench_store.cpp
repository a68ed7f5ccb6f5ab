// The store beside its floor, the bare SQLCipher C API doing the same work
// on the same file with the same key and page cache, in one run:
//
//   - the lists the windows fill (kana rows か, あ, その他, ABC; the subjects
//     of one user; the logs of one subject; the repair logs of one repair):
//     the store's query and the list model against stepping the same final
//     SQL and reading every column as text (with the same Jet Like);
//   - bulk inserts of users, subjects and logs in one transaction through
//     the store's write path against one prepared statement;
//   - the peak memory of a list of 100,000 users, each side in a process
//     of its own.
//
//   bench_store [--data DIR] [--users N] [--runs R]
//
// The data set (N users, 3N subjects, 10N logs; N/3 repairs with 10 repair
// logs each) is built once into DIR (default /tmp/horunea-bench) and reused.
#include "BareConnection.h"
#include "JetLikeFunction.h"
#include "SampleShop.h"

#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "customer/CustomerSettings.h"
#include "import/Transfers.h"
#include "repair/RepairQueries.h"
#include "repair/RepairSettings.h"
#include "repair/RepairStorage.h"
#include "store/Accounts.h"
#include "store/Compaction.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/JetDialect.h"
#include "store/ShippedFiles.h"
#include "ui/TextTableModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace horunea;

namespace {

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream& progress()
{
    static QTextStream s(stderr);
    return s;
}

// The median of `runs` timings of `work`, in milliseconds.
double medianMs(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

long peakKb()
{
    QFile status(u"/proc/self/status"_qs);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

long currentKb()
{
    QFile status(u"/proc/self/status"_qs);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// ------------------------------------------------------------ the bare C API

struct Bare
{
    sqlite3* db = nullptr;
    mutable size_t m_bytes = 0;
    explicit Bare(const QString& path) : db(bench::openBare(path)) { bench::registerJetLike(db); }
    ~Bare() { sqlite3_close_v2(db); }
    void exec(const char* sql) const { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

    sqlite3_stmt* prepare(const QString& sql) const
    {
        const QByteArray utf8 = sql.toUtf8();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt, nullptr) != SQLITE_OK)
            qFatal("floor cannot prepare %s: %s", utf8.constData(), sqlite3_errmsg(db));
        return stmt;
    }

    // Steps the statement, reading every column as text; keeps the texts
    // when `keep` is given (the floor of a list that holds its rows).
    size_t rows(const SqlStatement& statement, const QString& translated,
                std::vector<std::vector<std::string>>* keep = nullptr) const
    {
        sqlite3_stmt* stmt = prepare(translated);
        for (int i = 0; i < statement.params.size(); ++i) {
            const QByteArray v = statement.params[i].toString().toUtf8();
            sqlite3_bind_text(stmt, i + 1, v.constData(), int(v.size()), SQLITE_TRANSIENT);
        }
        const int n = sqlite3_column_count(stmt);
        size_t count = 0, bytes = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < n; ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                const int size = sqlite3_column_bytes(stmt, c);
                bytes += size_t(size);
                if (keep)
                    row.emplace_back(text ? text : "", size_t(size));
            }
            if (keep)
                keep->push_back(std::move(row));
            ++count;
        }
        sqlite3_finalize(stmt);
        m_bytes += bytes;
        return count;
    }
};

// ------------------------------------------------------------ the data set

using namespace horunea::bench;

// INSERT through one prepared statement in one transaction.
double floorInsert(const Bare& bare, const QString& table, const QStringList& columns, int count,
                   const std::function<QVariantList(int)>& values)
{
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << u"?"_qs;
    const QString sql = u"INSERT INTO \""_qs + table + u"\" (\""_qs + columns.join(u"\",\""_qs) +
                        u"\") VALUES ("_qs + marks.join(u',') + u')';
    QElapsedTimer timer;
    timer.start();
    bare.exec("BEGIN");
    sqlite3_stmt* stmt = bare.prepare(sql);
    for (int i = 0; i < count; ++i) {
        const QVariantList v = values(i);
        for (int c = 0; c < v.size(); ++c) {
            if (v[c].typeId() == QMetaType::LongLong) {
                sqlite3_bind_int64(stmt, c + 1, v[c].toLongLong());
            } else {
                const QByteArray text = v[c].toString().toUtf8();
                sqlite3_bind_text(stmt, c + 1, text.constData(), int(text.size()),
                                  SQLITE_TRANSIENT);
            }
        }
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    bare.exec("COMMIT");
    return double(timer.nsecsElapsed()) / 1e9;
}

// The same rows through Database::insert.
double storeInsert(Database& db, const QString& table, const QStringList& columns, int count,
                   const std::function<QVariantList(int)>& values)
{
    QElapsedTimer timer;
    timer.start();
    Transaction t(db);
    for (int i = 0; i < count; ++i) {
        const QVariantList v = values(i);
        Fields fields;
        fields.reserve(columns.size());
        for (int c = 0; c < columns.size(); ++c)
            fields << qMakePair(columns[c], v[c]);
        db.insert(table, fields);
    }
    t.commit();
    return double(timer.nsecsElapsed()) / 1e9;
}

void buildDataSet(const QString& dir, int users)
{
    const QString customer = QDir(dir).filePath(u"customer.mdb"_qs);
    const QString repair = QDir(dir).filePath(u"repair.mdb"_qs);
    if (QFile::exists(customer) && QFile::exists(repair))
        return;
    progress() << "building the data set in " << dir << " …\n";
    progress().flush();
    QFile::remove(customer);
    QFile::remove(repair);
    QFile::copy(DataFolder::customerTemplatePath(), customer);
    QFile::copy(DataFolder::repairTemplatePath(), repair);
    const int subjects = 3 * users, logs = 10 * users, repairs = users / 3,
              repairLogs = 10 * repairs;
    {
        Bare bare(customer);
        floorInsert(bare, u"ユーザー"_qs, names(UserColumns), users, userValues);
        floorInsert(bare, u"件名"_qs, names(SubjectColumns), subjects,
                    [&](int j) { return subjectValues(j, users); });
        floorInsert(bare, u"ログ"_qs, names(LogColumns), logs,
                    [&](int k) { return logValues(k, subjects, users); });
    }
    {
        Bare bare(repair);
        floorInsert(bare, u"修理"_qs, names(RepairColumns), repairs, repairValues);
        floorInsert(bare, u"修理ログ"_qs, names(RepairLogColumns), repairLogs,
                    [&](int k) { return repairLogValues(k, repairs); });
    }
    // Opening through the store adds what it adds to every file it opens.
    Database::open(customer).close();
    Database::open(repair).close();
}

void line(const QString& what, double project, double floor, double goal, const char* unit)
{
    out() << QStringLiteral("  %1 %2 %4  floor %3 %4  %5×  (goal ≤ %6×)\n")
                 .arg(what, -34)
                 .arg(project, 9, 'f', 2)
                 .arg(floor, 9, 'f', 2)
                 .arg(QString::fromUtf8(unit))
                 .arg(project / floor, 0, 'f', 2)
                 .arg(goal, 0, 'f', 1);
    out().flush();
}

// ------------------------------------------------------------ memory

// Run in a process of its own: the peak memory a list of every user adds.
int memoryChild(const QString& dir, const QString& side)
{
    const QString customer = QDir(dir).filePath(u"customer.mdb"_qs);
    Database db = Database::open(customer);
    CustomerListQuery query;
    query.setSortClauses(BuildCustomerSortClauses(db));
    query.UserWhere.clear();
    const SqlStatement statement = query.userStatement();
    const QString translated = db.translate(statement.sql);
    Bare bare(customer);
    // The page cache of both connections is warmed before the baseline,
    // keeping no rows.
    bare.rows(statement, translated);
    db.forEachRow(statement.sql, statement.params, [](const Row&) {});
    const long before = currentKb();
    size_t rows = 0;
    if (side == u"floor") {
        std::vector<std::vector<std::string>> kept;
        rows = bare.rows(statement, translated, &kept);
        std::printf("%ld %zu\n", peakKb() - before, rows);
    } else {
        TextTableModel model(userColumns().headings());
        ListRows list = LoadUserRows(db, statement);
        rows = list.size();
        model.setRows(std::move(list));
        std::printf("%ld %zu\n", peakKb() - before, rows);
    }
    return 0;
}

long childPeak(const QString& dir, const QString& side)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {u"--data"_qs, dir, u"--memory"_qs, side});
    child.waitForFinished(600000);
    return QString::fromUtf8(child.readAllStandardOutput()).section(u' ', 0, 0).toLong();
}

// A compaction of the customer file through the store (export, check,
// rename) beside a bare sqlcipher_export of the same file.
void compareCompaction(const QString& dir, int runs)
{
    const QString original = QDir(dir).filePath(u"customer.mdb"_qs);
    const QString work = QDir(dir).filePath(u"compact-work.mdb"_qs);
    const QString floorOut = QDir(dir).filePath(u"compact-floor.mdb"_qs);
    QFile::remove(work);
    QFile::copy(original, work);
    auto floorExport = [&] {
        QFile::remove(floorOut);
        QFile(floorOut).open(QIODevice::WriteOnly);
        sqlite3* db = bench::openBare(work);
        const QByteArray sql =
            "ATTACH DATABASE '" + QFile::encodeName(floorOut) + "' AS compacted KEY '" +
            Database::password().toUtf8() +
            "'; SELECT sqlcipher_export('compacted'); DETACH DATABASE compacted;";
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        sqlite3_close_v2(db);
    };
    floorExport();
    const double floor = medianMs(runs, floorExport);
    const double project = medianMs(runs, [&] { compactFile(work, compactionOutputPath(work)); });
    line(u"compaction of the customer file"_qs, project, floor, 1.3, "ms");
    QFile::remove(work);
    QFile::remove(floorOut);
}

// A customer transfer of the whole data set (every user, subject and log)
// into an empty operator beside the floor: one prepared INSERT per table of
// the same rows in one transaction. Run in a process of its own so that its
// peak memory is its own.
int transferChild(const QString& dir, const QString& side)
{
    const QString customer = QDir(dir).filePath(u"customer.mdb"_qs);
    Database source = Database::open(customer);
    const qint64 users = source.scalar(u"select count(*) from ユーザー"_qs);
    const qint64 subjects = source.scalar(u"select count(*) from 件名"_qs);
    const qint64 logs = source.scalar(u"select count(*) from ログ"_qs);
    source.close();
    const qint64 rows = users + subjects + logs;
    QDir folder(dir);
    folder.mkpath(u"kelvo"_qs);
    const QString from = accountFilePath(AccountKind::Operator, u"bench元"_qs);
    const QString to = accountFilePath(AccountKind::Operator, u"bench先"_qs);
    QFile::remove(to);
    QFile::copy(DataFolder::customerTemplatePath(), to);
    if (!QFile::exists(from))
        QFile::copy(customer, from);
    Database::open(to).close();
    const long before = currentKb();
    double seconds = 0;
    if (side == u"floor") {
        Bare bare(to);
        const int u = int(users), s = int(subjects), l = int(logs);
        seconds += floorInsert(bare, u"ユーザー"_qs, names(UserColumns), u, userValues);
        seconds += floorInsert(bare, u"件名"_qs, names(SubjectColumns), s,
                               [&](int j) { return subjectValues(j, u); });
        seconds += floorInsert(bare, u"ログ"_qs, names(LogColumns), l,
                               [&](int k) { return logValues(k, s, u); });
        // And the floor of what a transfer reads: the source's rows in the
        // transfer's order, every column as text.
        QElapsedTimer timer;
        timer.start();
        Bare source(from);
        for (const char* sql :
             {"SELECT * FROM \"ユーザー\" ORDER BY \"ユーザーID\"",
              "SELECT * FROM \"件名\" ORDER BY \"ユーザーID\",\"件名ID\"",
              "SELECT * FROM \"ログ\" ORDER BY \"ユーザーID\",\"件名ID\",\"ログID\""})
            source.rows(SqlStatement(QString::fromUtf8(sql)), QString::fromUtf8(sql));
        std::printf("read %f\n", double(timer.nsecsElapsed()) / 1e9);
    } else {
        QElapsedTimer timer;
        timer.start();
        TransferCustomerData(u"bench元"_qs, u"bench先"_qs);
        seconds = double(timer.nsecsElapsed()) / 1e9;
    }
    std::printf("%f %lld %ld\n", seconds, qlonglong(rows), peakKb() - before);
    QFile::remove(to);
    return 0;
}

// The transfer and its floor, run in turns: each pair's ratio is taken on
// the machine as it is at that moment, and the median pair is reported.
void compareTransfer(const QString& dir, int runs)
{
    auto child = [&](const QString& side) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(),
                {u"--data"_qs, dir, u"--transfer-child"_qs, side});
        p.waitForFinished(3600000);
        return QString::fromUtf8(p.readAllStandardOutput()).simplified().split(u' ');
    };
    struct Pair
    {
        double rows, floorSeconds, readSeconds, storeSeconds;
        long floorKb, storeKb;
        double ratio() const { return floorSeconds / storeSeconds; }
    };
    std::vector<Pair> pairs;
    for (int run = 0; run < runs; ++run) {
        QStringList floor = child(u"floor"_qs);
        // "read S" comes first: the floor's read of the source.
        const int readAt = int(floor.indexOf(u"read"_qs));
        const double readSeconds = readAt >= 0 ? floor.value(readAt + 1).toDouble() : 0;
        if (readAt >= 0)
            floor.remove(readAt, 2);
        const QStringList store = child(u"store"_qs);
        pairs.push_back({floor.value(1).toDouble(), floor.value(0).toDouble(), readSeconds,
                         store.value(0).toDouble(), floor.value(2).toLong(),
                         store.value(2).toLong()});
        std::fprintf(stderr, "  run %d: %.0f%%\n", run + 1, pairs.back().ratio() * 100);
    }
    std::sort(pairs.begin(), pairs.end(),
              [](const Pair& a, const Pair& b) { return a.ratio() < b.ratio(); });
    const Pair& median = pairs[pairs.size() / 2];
    long peakKb = 0, floorPeakKb = 0;
    for (const Pair& p : pairs) {
        peakKb = std::max(peakKb, p.storeKb);
        floorPeakKb = std::max(floorPeakKb, p.floorKb);
    }
    const double storeRate = median.rows / median.storeSeconds;
    const double floorRate = median.rows / median.floorSeconds;
    const double bothRate = median.rows / (median.floorSeconds + median.readSeconds);
    out() << QStringLiteral("  customer transfer of %1 rows        %2 rows/s  floor %3 rows/s  "
                            "%4%  (goal ≥ 60%; median of %5 runs in turns)\n")
                 .arg(qlonglong(median.rows))
                 .arg(storeRate, 0, 'f', 0)
                 .arg(floorRate, 0, 'f', 0)
                 .arg(median.ratio() * 100, 0, 'f', 0)
                 .arg(runs);
    out() << QStringLiteral(
                 "  … beside a bare read of the source plus the inserts  %1 rows/s  %2%\n")
                 .arg(bothRate, 0, 'f', 0)
                 .arg(storeRate / bothRate * 100, 0, 'f', 0);
    out() << QStringLiteral("  peak memory added                  transfer %1 MB  floor %2 MB\n")
                 .arg(peakKb / 1024)
                 .arg(floorPeakKb / 1024);
    out().flush();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QString dir = u"/tmp/horunea-bench"_qs, memorySide;
    int users = 100000, runs = 5;
    bool compactionOnly = false, transferOnly = false;
    QString transferSide;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--data")
            dir = args[i + 1];
        else if (args[i] == u"--users")
            users = args[i + 1].toInt();
        else if (args[i] == u"--runs")
            runs = args[i + 1].toInt();
        else if (args[i] == u"--compaction")
            compactionOnly = args[i + 1] == u"only";
        else if (args[i] == u"--transfer")
            transferOnly = args[i + 1] == u"only";
        else if (args[i] == u"--transfer-child")
            transferSide = args[i + 1];
        else if (args[i] == u"--memory")
            memorySide = args[i + 1];
    }
    if (!memorySide.isEmpty())
        return memoryChild(dir, memorySide);

    QDir().mkpath(dir);
    DataFolder::set(dir);
    EnsureShippedFiles();
    buildDataSet(dir, users);

    if (!transferSide.isEmpty())
        return transferChild(dir, transferSide);
    if (transferOnly) {
        compareTransfer(dir, std::min(runs, 3));
        return 0;
    }
    if (compactionOnly) {
        compareCompaction(dir, std::min(runs, 3));
        return 0;
    }
    const QString customer = QDir(dir).filePath(u"customer.mdb"_qs);
    const QString repair = QDir(dir).filePath(u"repair.mdb"_qs);
    out() << "store beside the bare SQLCipher C API (" << users << " users, " << 3 * users
          << " subjects, " << 10 * users << " logs; median of " << runs << ")\n";

    {
        Database db = Database::open(customer);
        Bare bare(customer);
        CustomerListQuery query;
        query.setSortClauses(BuildCustomerSortClauses(db));
        TextTableModel model(userColumns().headings());
        auto compare = [&](const QString& what, const SqlStatement& statement,
                           const std::function<ListRows(const SqlStatement&)>& load) {
            const QString translated = db.translate(statement.sql);
            bare.rows(statement, translated);
            load(statement);
            const double floor = medianMs(runs, [&] { bare.rows(statement, translated); });
            const double project = medianMs(runs, [&] { model.setRows(load(statement)); });
            line(what, project, floor, 1.3, "ms");
        };
        auto users = [&](const SqlStatement& s) { return LoadUserRows(db, s); };
        for (KanaRow row : {KanaRow::Ka, KanaRow::A, KanaRow::Other, KanaRow::Abc}) {
            query.UserWhere = kanaRowCondition(row);
            compare(kanaRowName(row) + u"行 の一覧"_qs, query.userStatement(), users);
        }
        query.ApplySubjectFilter(true, u"777"_qs);
        compare(u"subjects of one user"_qs, query.subjectStatement(),
                [&](const SqlStatement& s) { return LoadSubjectRows(db, s); });
        query.showLogsOf(u"777"_qs);
        compare(u"logs of one subject"_qs, query.logStatement(),
                [&](const SqlStatement& s) { return LoadLogRows(db, s); });
    }
    {
        Database db = Database::open(repair);
        Bare bare(repair);
        RepairListQuery query;
        query.setSortClauses(BuildRepairSortClauses(db));
        query.showLogsOf(u"777"_qs);
        const SqlStatement statement = query.repairLogStatement();
        const QString translated = db.translate(statement.sql);
        TextTableModel model(repairLogColumns().headings());
        bare.rows(statement, translated);
        const double floor = medianMs(runs, [&] { bare.rows(statement, translated); });
        const double project =
            medianMs(runs, [&] { model.setRows(LoadRepairLogRows(db, statement)); });
        line(u"repair logs of one repair"_qs, project, floor, 1.3, "ms");
    }

    // Bulk inserts into fresh copies of the template.
    {
        const int count = users;
        const QString storeFile = QDir(dir).filePath(u"insert-store.mdb"_qs);
        const QString floorFile = QDir(dir).filePath(u"insert-floor.mdb"_qs);
        for (const QString& f : {storeFile, floorFile}) {
            QFile::remove(f);
            QFile::copy(DataFolder::customerTemplatePath(), f);
        }
        Database::open(storeFile).close();
        Database::open(floorFile).close();
        Database db = Database::open(storeFile);
        Bare bare(floorFile);
        struct Table
        {
            QString name;
            QStringList columns;
            std::function<QVariantList(int)> values;
        };
        const Table tables[] = {
            {u"ユーザー"_qs, names(UserColumns), userValues},
            {u"件名"_qs, names(SubjectColumns), [&](int j) { return subjectValues(j, count); }},
            {u"ログ"_qs, names(LogColumns), [&](int k) { return logValues(k, count, count); }},
        };
        for (const Table& t : tables) {
            const double floorSeconds = floorInsert(bare, t.name, t.columns, count, t.values);
            const double storeSeconds = storeInsert(db, t.name, t.columns, count, t.values);
            const double floorRate = count / floorSeconds, storeRate = count / storeSeconds;
            out() << QStringLiteral(
                         "  bulk insert %1 %2 rows/s  floor %3 rows/s  %4%  (goal ≥ 60%)\n")
                         .arg(t.name, -22)
                         .arg(storeRate, 9, 'f', 0)
                         .arg(floorRate, 9, 'f', 0)
                         .arg(100.0 * storeRate / floorRate, 0, 'f', 0);
            out().flush();
        }
        db.close();
        QFile::remove(storeFile);
        QFile::remove(floorFile);
    }

    compareCompaction(dir, std::min(runs, 3));

    const long floorPeak = childPeak(dir, u"floor"_qs);
    const long projectPeak = childPeak(dir, u"project"_qs);
    line(QStringLiteral("peak memory, list of %1 users").arg(users), projectPeak / 1024.0,
         floorPeak / 1024.0, 1.5, "MB");
    return 0;
}
