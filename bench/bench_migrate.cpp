// The move from the Windows version at a shop's size beside its floor: a
// Windows data folder (written by the tests' JetWriter, once, into --data)
// of one operator with N users, 3N subjects and 10N logs is moved by
// MoveWindowsFolder, against a program of the bare C APIs doing the heart
// of the same work: libmdb reading the account's tables (its own binding
// and text conversion) and SQLCipher inserting the same rows into a new
// keyed file through one prepared statement in one transaction, then the
// same indexes the program's files have. Each side
// runs R times, alternately; the figure is the median wall time, and the
// rate the rows per second.
//
//   bench_migrate [--users N=100000] [--runs R=3] [--data DIR=/tmp/horunea-bench-jet]
#include "SampleShop.h"
#include "admin/WindowsMigration.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "tools/WindowsShop.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <mdbtools.h>
#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <vector>

using namespace horunea;
using namespace horunea::bench;
using namespace horunea::test;

namespace {

// A row of a Windows table: the named fields, the rest Null.
QVariantList rowOf(const WindowsTable& table, const QStringList& fields, const QVariantList& values,
                   qint64 key)
{
    QVariantList row(table.columns.size());
    row[0] = key;
    for (int i = 0; i < fields.size(); ++i)
        row[table.column(windowsFieldName(fields[i]))] = values[i];
    return row;
}

void writeShop(const QString& folder, int users)
{
    const QDir dir(folder);
    WindowsFile master = windowsFileOf(DatabaseKind::Master);
    master[u"使用者"_qs].add({{u"使用者No"_qs, 1}, {u"使用者名"_qs, u"山田"_qs}});
    writeWindowsFile(dir.filePath(u"main.mdb"_qs), master);
    writeWindowsFile(dir.filePath(u"kelvo.mdb"_qs), windowsFileOf(DatabaseKind::Customer));
    writeWindowsFile(dir.filePath(u"care.mdb"_qs), windowsFileOf(DatabaseKind::Repair));
    const WindowsFile shape = windowsFileOf(DatabaseKind::Customer);
    QDir().mkpath(dir.filePath(u"kelvo"_qs));
    JetWriter writer(dir.filePath(u"kelvo/山田.mdb"_qs), {Database::password()});
    const int subjects = users * 3, logs = users * 10;
    for (const WindowsTable& t : shape.tables) {
        writer.beginTable(t.name, t.columns);
        if (t.name == u"ユーザー") {
            for (int i = 1; i <= users; ++i)
                writer.addRow(rowOf(t, names(UserColumns), userValues(i), i));
        } else if (t.name == u"件名") {
            for (int j = 1; j <= subjects; ++j)
                writer.addRow(rowOf(t, names(SubjectColumns), subjectValues(j, users), j));
        } else if (t.name == u"ログ") {
            for (int k = 1; k <= logs; ++k)
                writer.addRow(rowOf(t, names(LogColumns), logValues(k, subjects, users), k));
        } else {
            for (const QVariantList& row : t.rows)
                writer.addRow(row);
        }
    }
    writer.finish();
}

// The floor: libmdb reads each table of the account's file with its own
// binding, and SQLCipher inserts the rows as they come.
qint64 floorMove(const QString& jetPath, const QString& outPath)
{
    MdbHandle* mdb = mdb_open(QFile::encodeName(jetPath).constData(), MDB_NOFLAGS);
    mdb_set_bind_size(mdb, 65536);
    mdb_read_catalog(mdb, MDB_TABLE);
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(outPath).constData(), &db,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const QByteArray key = "PRAGMA key = '" + Database::password().toUtf8() + "';";
    sqlite3_exec(db, key.constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    qint64 rows = 0;
    for (const TableDef& t : tablesOf(DatabaseKind::Customer)) {
        sqlite3_exec(db, t.createStatement().toUtf8().constData(), nullptr, nullptr, nullptr);
        MdbTableDef* table = mdb_read_table_by_name(mdb, t.name.toUtf8().data(), MDB_TABLE);
        mdb_read_columns(table);
        mdb_rewind_table(table);
        const int columns = int(table->num_cols);
        std::vector<std::vector<char>> bound(size_t(columns), std::vector<char>(65536));
        std::vector<int> lengths(static_cast<size_t>(columns), 0);
        for (int c = 0; c < columns; ++c)
            mdb_bind_column(table, c + 1, bound[size_t(c)].data(), &lengths[size_t(c)]);
        QString sql = u"INSERT INTO \""_qs + t.name + u"\" VALUES ("_qs;
        for (int c = 0; c < columns; ++c)
            sql += c == 0 ? u"?"_qs : u",?"_qs;
        sql += u')';
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &insert, nullptr);
        while (mdb_fetch_row(table)) {
            for (int c = 0; c < columns; ++c)
                sqlite3_bind_text(insert, c + 1, bound[size_t(c)].data(), lengths[size_t(c)],
                                  SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
            ++rows;
        }
        sqlite3_finalize(insert);
        mdb_free_tabledef(table);
    }
    // The same indexes the lists are read by.
    for (const IndexDef& index : storeIndexes()) {
        if (index.table == u"ユーザー" || index.table == u"件名" || index.table == u"ログ")
            sqlite3_exec(db,
                         QStringLiteral("CREATE INDEX \"%1\" ON \"%2\" (\"%3\")")
                             .arg(index.name, index.table, index.column)
                             .toUtf8()
                             .constData(),
                         nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    mdb_close(mdb);
    return rows;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int users = 100000, runs = 3;
    QString data = u"/tmp/horunea-bench-jet"_qs;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--users")
            users = args[i + 1].toInt();
        else if (args[i] == u"--runs")
            runs = args[i + 1].toInt();
        else if (args[i] == u"--data")
            data = args[i + 1];
    }
    QTextStream out(stdout);
    const QString windows = QDir(data).filePath(QString::number(users));
    if (!QFileInfo::exists(QDir(windows).filePath(u"kelvo/山田.mdb"_qs))) {
        QDir().mkpath(windows);
        out << u"Windows版のデータを作っています: "_qs << windows << '\n' << Qt::flush;
        writeShop(windows, users);
    }
    const QString account = QDir(windows).filePath(u"kelvo/山田.mdb"_qs);
    const qint64 rows = qint64(users) * 14 + 1;
    std::vector<double> project, bare;
    for (int r = 0; r < runs; ++r) {
        QTemporaryDir target;
        QElapsedTimer timer;
        timer.start();
        MoveWindowsFolder(windows, target.filePath(u"data"_qs), {});
        project.push_back(timer.nsecsElapsed() / 1e9);
        timer.restart();
        const qint64 floorRows = floorMove(account, target.filePath(u"floor.mdb"_qs));
        bare.push_back(timer.nsecsElapsed() / 1e9);
        if (floorRows != rows)
            qFatal("the floor moved %lld rows, not %lld", floorRows, rows);
    }
    const double p = median(project), f = median(bare);
    out << QStringLiteral(
               "Windows版からの移行: %1 users, %2 subjects, %3 logs (%4 rows), %5 runs each\n")
               .arg(users)
               .arg(users * 3)
               .arg(users * 10)
               .arg(rows)
               .arg(runs);
    out << QStringLiteral("  move (check, write, read back)  %1 rows/s  floor (libmdb + SQLCipher) "
                          "%2 rows/s  %3% of the floor  (goal ≥ 50%)\n")
               .arg(qint64(rows / p))
               .arg(qint64(rows / f))
               .arg(100 * f / p, 0, 'f', 0);
    return 0;
}
