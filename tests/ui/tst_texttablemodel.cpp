#include "ui/TextTableModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace horunea;

class TstTextTableModel : public QObject
{
    Q_OBJECT
private slots:
    void behavesAsAModelThroughRefills();
    void shortRowsAndOutOfRangeReadAsEmpty();
    void pricesAlignRight();
    void sortsNumbersByValueAndKeepsTies_data();
    void sortsNumbersByValueAndKeepsTies();
};

void TstTextTableModel::behavesAsAModelThroughRefills()
{
    TextTableModel model({u"ID"_qs, u"名前"_qs});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.setRows({{u"1"_qs, u"青木"_qs}, {u"2"_qs, u"加藤"_qs}});
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), u"名前"_qs);
    QCOMPARE(model.index(1, 1).data().toString(), u"加藤"_qs);
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(reset.count(), 2);
}

void TstTextTableModel::shortRowsAndOutOfRangeReadAsEmpty()
{
    TextTableModel model({u"a"_qs, u"b"_qs, u"c"_qs});
    model.setRows({{u"only one"_qs}});
    QCOMPARE(model.text(0, 2), QString());
    QCOMPARE(model.text(5, 0), QString());
    QCOMPARE(model.text(-1, 0), QString());
    QVERIFY(!model.data(model.index(0, 2), Qt::DecorationRole).isValid());
}

// 仕切 and 売値 line up by their last digit; other columns keep the view's
// alignment.
void TstTextTableModel::pricesAlignRight()
{
    TextTableModel model({u"会社名"_qs, u"仕切"_qs, u"売値"_qs, u"入金"_qs});
    model.setRows({{u"加藤商店"_qs, u"800"_qs, u"12000"_qs, u"未入"_qs}});
    const QVariant right = int(Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole), right);
    QCOMPARE(model.index(0, 2).data(Qt::TextAlignmentRole), right);
    QVERIFY(!model.index(0, 0).data(Qt::TextAlignmentRole).isValid());
    QVERIFY(!model.index(0, 3).data(Qt::TextAlignmentRole).isValid());
}

void TstTextTableModel::sortsNumbersByValueAndKeepsTies_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("order");
    QTest::addColumn<QStringList>("ids");
    const int up = Qt::AscendingOrder, down = Qt::DescendingOrder;
    QTest::newRow("ID by value") << 0 << up << QStringList{u"2"_qs, u"9"_qs, u"10"_qs, u"10"_qs};
    QTest::newRow("ID reversed") << 0 << down << QStringList{u"10"_qs, u"10"_qs, u"9"_qs, u"2"_qs};
    // Equal names keep the order they had: 10 (加藤) before 2 (加藤).
    QTest::newRow("names, ties kept")
        << 1 << up << QStringList{u"10"_qs, u"2"_qs, u"9"_qs, u"10"_qs};
    QTest::newRow("numbers before text")
        << 2 << up << QStringList{u"2"_qs, u"9"_qs, u"10"_qs, u"10"_qs};
}

void TstTextTableModel::sortsNumbersByValueAndKeepsTies()
{
    QFETCH(int, column);
    QFETCH(int, order);
    QFETCH(QStringList, ids);
    TextTableModel model({u"ID"_qs, u"名前"_qs, u"売値"_qs});
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setRows({{u"10"_qs, u"加藤"_qs, u"x"_qs},
                   {u"2"_qs, u"加藤"_qs, u"100"_qs},
                   {u"9"_qs, u"河合"_qs, u"2000"_qs},
                   {u"10"_qs, u"青木"_qs, u"y"_qs}});
    // The row the user chose stays chosen.
    QPersistentModelIndex chosen = model.index(2, 0);
    model.sort(column, Qt::SortOrder(order));
    QStringList sorted;
    for (int r = 0; r < model.rowCount(); ++r)
        sorted << model.text(r, 0);
    QCOMPARE(sorted, ids);
    QCOMPARE(model.text(chosen.row(), 1), u"河合"_qs);
}

QTEST_GUILESS_MAIN(TstTextTableModel)
#include "tst_texttablemodel.moc"
