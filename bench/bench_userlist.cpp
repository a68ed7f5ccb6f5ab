// Fills a customer database with N users (readings spread over every kana
// row), then times what the customer window does when a kana row is chosen:
// the query through the Jet dialect with its Like conditions, and filling the
// list's model.
//
//   bench_userlist [N=100000]
#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "customer/CustomerSettings.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/ShippedFiles.h"
#include "ui/ReportListView.h"

#include "SampleUsers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

using namespace horunea;

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    QTextStream out(stdout);

    QTemporaryDir dir;
    DataFolder::set(dir.path());
    EnsureShippedFiles();
    Database db = Database::open(DataFolder::customerTemplatePath());

    QElapsedTimer timer;
    timer.start();
    bench::addSampleUsers(db, count);
    out << "generated " << count << " users in " << timer.elapsed() << " ms\n";

    CustomerListQuery query;
    query.setSortClauses(BuildCustomerSortClauses(db));
    ReportListView view(u"ListView1"_qs, userColumns().headings());
    for (KanaRow row : {KanaRow::Ka, KanaRow::A, KanaRow::Other}) {
        query.UserWhere = kanaRowCondition(row);
        timer.restart();
        ListRows rows = LoadUserRows(db, query.userSql());
        const qint64 queried = timer.elapsed();
        const size_t n = rows.size();
        timer.restart();
        view.setRows(std::move(rows));
        const qint64 filled = timer.elapsed();
        out << kanaRowName(row) << "行: " << n << " users, query " << queried << " ms, list "
            << filled << " ms\n";
    }
    return 0;
}
