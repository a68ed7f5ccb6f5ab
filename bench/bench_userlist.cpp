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

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
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

    // Half of the users under one row (か), the rest spread out: the worst
    // case for a single row is a row holding many users.
    const QString firsts = u"ｱｲｳｴｵｻｼﾀﾅﾊﾏﾔﾗﾜｦ1Aあ"_qs;
    QElapsedTimer timer;
    timer.start();
    {
        Transaction t(db);
        QRandomGenerator random(42);
        for (int i = 0; i < count; ++i) {
            const QChar first = (i % 2 == 0) ? u'ｶ' : firsts[random.bounded(int(firsts.size()))];
            db.insert(
                u"ユーザー"_qs,
                {{u"表示ふりがな"_qs, QString(QString(first) + u"ﾃｽﾄ"_qs + QString::number(i))},
                 {u"表示名"_qs, QString(u"テスト利用者"_qs + QString::number(i))},
                 {u"自宅ＴＥＬ"_qs, QString(u"03-0000-"_qs + QString::number(i % 10000))},
                 {u"会社ＴＥＬ"_qs, QString()},
                 {u"E-MAIL"_qs, QString(u"user"_qs + QString::number(i) + u"@example.jp"_qs)}});
        }
        t.commit();
    }
    out << "generated " << count << " users in " << timer.elapsed() << " ms\n";

    CustomerListQuery query;
    query.setSortClauses(BuildCustomerSortClauses(db));
    ReportListView view(u"ListView1"_qs, userListHeaders());
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
