// The whole horunea-cli process beside its floor: `horunea-cli users NAME
// --row か` on N users (half of them in か, bench/SampleUsers.h), against bench_cli_floor, a
// program of the bare SQLCipher C API and stdio doing the same work (open
// main.mdb and the account with the key, the same SQL, the same output).
// Each side runs as a process of its own, alternately; the figure is the
// CPU time (user + system) the process takes, the median of the runs. The
// two outputs must be the same, byte for byte.
//
//   bench_cli [N=100000] [runs=7]
#include "admin/AccountAdmin.h"
#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "customer/CustomerSettings.h"
#include "store/Accounts.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/ShippedFiles.h"

#include "SampleUsers.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <vector>

using namespace horunea;

namespace {

double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs a program to its end with its output in a file; the CPU time it took.
double run(const QString& program, const QStringList& arguments, const QString& output)
{
    QProcess process;
    process.setStandardOutputFile(output);
    process.setStandardInputFile(QProcess::nullDevice());
    const double before = childrenCpuSeconds();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return childrenCpuSeconds() - before;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    const int runs = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 7;
    QTextStream out(stdout);

    QTemporaryDir dir;
    DataFolder::set(dir.path());
    EnsureShippedFiles();
    const QString name = u"山田"_qs;
    QString jetSql;
    {
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, AccountKind::Operator, name, QString());
    }
    const QString accountPath = accountFilePath(AccountKind::Operator, name);
    {
        Database db = Database::open(accountPath);
        bench::addSampleUsers(db, count);
        // The list's query as the verb builds it, its columns in the order
        // the verb prints them.
        CustomerListQuery query;
        query.setSortClauses(BuildCustomerSortClauses(db));
        query.UserWhere = kanaRowCondition(KanaRow::Ka);
        jetSql = db.translate(
            query.userSql().replace(u"SELECT ユーザーID,表示名,会社ＴＥＬ,自宅ＴＥＬ,[E-MAIL]"_qs,
                                    u"SELECT ユーザーID,表示名,自宅ＴＥＬ,会社ＴＥＬ,[E-MAIL]"_qs));
    }

    const QString here = QCoreApplication::applicationDirPath();
    const QString cli = QDir(here).filePath(u"horunea-cli"_qs);
    const QString floor = QDir(here).filePath(u"bench_cli_floor"_qs);
    const QStringList cliArguments = {u"--data-dir"_qs, dir.path(), u"users"_qs, name,
                                      u"--row"_qs,      u"か"_qs};
    const QStringList floorArguments = {Database::password(),
                                        DataFolder::masterPath(),
                                        name,
                                        accountPath,
                                        userColumns().headings().join(u'\t'),
                                        jetSql};
    const QString cliOut = QDir(dir.path()).filePath(u"cli.txt"_qs);
    const QString floorOut = QDir(dir.path()).filePath(u"floor.txt"_qs);

    std::vector<double> project, bare;
    for (int i = 0; i < runs; ++i) {
        project.push_back(run(cli, cliArguments, cliOut));
        bare.push_back(run(floor, floorArguments, floorOut));
    }
    const QByteArray printed = contents(cliOut);
    if (printed != contents(floorOut))
        qFatal("the floor's output differs from horunea-cli's");
    const double p = median(project), f = median(bare);
    out << QStringLiteral("horunea-cli users --row か, %1 users (%2 lines), %3 runs each\n")
               .arg(count)
               .arg(printed.count('\n'))
               .arg(runs);
    out << QStringLiteral("  whole process  %1 ms CPU  floor %2 ms CPU  %3×  (goal ≤ 1.2×)\n")
               .arg(p * 1000, 0, 'f', 1)
               .arg(f * 1000, 0, 'f', 1)
               .arg(p / f, 0, 'f', 2);
    return 0;
}
