#include "CoreTestSupport.h"
#include "store/Cp932.h"
#include "store/Database.h"
#include "store/JetFile.h"
#include "tools/JetCheck.h"
#include "tools/JetWriter.h"
#include "tools/WindowsShop.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace horunea;
using namespace horunea::test;

namespace {

QString sample(const QString& name)
{
    return QStringLiteral(HORUNEA_TEST_SOURCE_DIR "/data/jet-samples/") + name;
}

using T = JetWriter::Type;

} // namespace

class TstJetFile : public QObject
{
    Q_OBJECT
private slots:
    void accessFilesReadAsMdbReaderReadsThem_data();
    void accessFilesReadAsMdbReaderReadsThem();
    void writtenFilesReadTheSameByBothReaders_data();
    void writtenFilesReadTheSameByBothReaders();
    void aWindowsShopReadsTheSameByBothReaders();
    void valuesComeBackExactly();
    void compressedText_data();
    void compressedText();
    void jet3TextIsTheWindowsCodePage();
    void countersAndDeletedRows();
    void filesThatAreNotJetAreRefused_data();
    void filesThatAreNotJetAreRefused();
};

void TstJetFile::accessFilesReadAsMdbReaderReadsThem_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("someCell"); // table/row/column=cell, to be sure of the reading
    QTest::newRow("jet4, every type") << u"jackcess-testV2003.mdb"_qs << u"Table1/0/7=N:3.5"_qs;
    QTest::newRow("jet4, dates") << u"jackcess-testV2003.mdb"_qs
                                 << u"Table1/1/6=D:1981-12-12T00:00:00.000Z"_qs;
    QTest::newRow("compressed unicode") << u"jackcess-testUnicodeCompV2003.mdb"_qs << QString();
    QTest::newRow("rows grown in place")
        << u"jackcess-overflowTestV2003.mdb"_qs << u"Table1/5/7=T:row3col9"_qs;
    QTest::newRow("not null, text(1)…") << u"jackcess-fixedTextTestV2003.mdb"_qs << QString();
    QTest::newRow("made by ADOX") << u"jackcess-adox_jet4.mdb"_qs << QString();
    QTest::newRow("password, 2000") << u"mdb-reader-V2000_with-password.mdb"_qs << QString();
    QTest::newRow("password, 2003") << u"mdb-reader-V2003_with-password.mdb"_qs << QString();
    QTest::newRow("numeric and memo") << u"mdb-reader-numeric.mdb"_qs << u"test/0/5=N:-1"_qs;
    QTest::newRow("empty") << u"mdb-reader-empty.mdb"_qs << QString();
}

void TstJetFile::accessFilesReadAsMdbReaderReadsThem()
{
    QFETCH(QString, file);
    QFETCH(QString, someCell);
    const JetCells ours = jetCellsByLibmdb(sample(file));
    const JetCells theirs = jetCellsByMdbReader(sample(file));
    QCOMPARE(ours.keys(), theirs.keys());
    for (auto t = ours.begin(); t != ours.end(); ++t) {
        QCOMPARE(t.value().size(), theirs[t.key()].size());
        for (int r = 0; r < t.value().size(); ++r)
            QCOMPARE(t.value()[r], theirs[t.key()][r]);
    }
    if (!someCell.isEmpty()) {
        const QStringList at = someCell.section(u'=', 0, 0).split(u'/');
        QCOMPARE(ours[at[0]].value(at[1].toInt()).value(at[2].toInt()), someCell.section(u'=', 1));
    }
}

namespace {

// A file of every kind of value the Windows files hold, the awkward ones
// first: Null and "" apart, 𠮷 and emoji, compressed text, long memos.
QList<QVariantList> awkwardRows()
{
    const QString longMemo = QString(u"長い備考、𠮷野家🍜。"_qs).repeated(900); // over 4 pages
    const QString pageMemo = QString(u'あ').repeated(1500);                    // one page
    return {
        {qint64(1), u"山田 太郎"_qs, u"やまだ"_qs, QVariant(), true, 2.5, qint64(3),
         QDateTime(QDate(2003, 8, 19), QTime(0, 0)), 1500.25},
        {qint64(2), u""_qs, QVariant(), u""_qs, false, QVariant(), QVariant(), QVariant(),
         QVariant()},
        {qint64(5), u"𠮷田🍣"_qs, u"ABC def 123"_qs, longMemo, true, -0.125, qint64(-7),
         QDateTime(QDate(1899, 12, 30), QTime(6, 0)), -12.5},
        {qint64(7), u"ｶﾀｶﾅ ＡＢＣ"_qs, u"a\u0100b"_qs, pageMemo, false, 1e300, qint64(255),
         QDateTime(QDate(2099, 12, 31), QTime(23, 59, 59)), 0.0001},
    };
}

const QList<JetWriter::Column> awkwardColumns = {
    {u"番号"_qs, T::Long, 0, true},
    {u"名前"_qs, T::Text, 50},
    {u"ﾌﾘｶﾞﾅ"_qs, T::Text, 50},
    {u"備考"_qs, T::Memo},
    {u"済み"_qs, T::Bool},
    {u"値"_qs, T::Double},
    {u"数"_qs, T::Int},
    {u"登録日"_qs, T::DateTime},
    {u"金額"_qs, T::Money},
};

void writeAwkward(const QString& path, uint32_t pageKey = 0)
{
    JetWriter::Options options;
    options.password = Database::password();
    options.pageKey = pageKey;
    JetWriter writer(path, options);
    writer.beginTable(u"表一"_qs, awkwardColumns);
    for (const QVariantList& row : awkwardRows())
        writer.addRow(row);
    // A second table, of many rows over many pages.
    writer.beginTable(u"ログ"_qs, {{u"ログID"_qs, T::Long, 0, true}, {u"ログ"_qs, T::Memo}});
    for (int i = 1; i <= 3000; ++i)
        writer.addRow({qint64(i), u"記録 %1 番目"_qs.arg(i)});
    writer.finish();
}

} // namespace

void TstJetFile::writtenFilesReadTheSameByBothReaders_data()
{
    QTest::addColumn<uint>("pageKey");
    QTest::newRow("plain pages") << 0u;
    QTest::newRow("encoded pages") << 0x5a17c3e9u;
}

void TstJetFile::writtenFilesReadTheSameByBothReaders()
{
    QFETCH(uint, pageKey);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"awkward.mdb"_qs);
    writeAwkward(path, pageKey);
    {
        // Encoded, no text of the file is to be seen in its bytes.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().contains(QByteArray("\x18\x8a\x32\x93", 4) /* 記録 */),
                 pageKey == 0);
    }
    if (pageKey != 0) {
        QCOMPARE(jetCellsByLibmdb(path), [] {
            QTemporaryDir plainDir;
            writeAwkward(plainDir.filePath(u"plain.mdb"_qs));
            return jetCellsByLibmdb(plainDir.filePath(u"plain.mdb"_qs));
        }());
    }
    QString password;
    const JetCells theirs = jetCellsByMdbReader(path, &password);
    QCOMPARE(password, Database::password());
    const JetCells ours = jetCellsByLibmdb(path);
    QCOMPARE(ours.keys(), (QStringList{u"ログ"_qs, u"表一"_qs}));
    QCOMPARE(ours[u"ログ"_qs].size(), 3000);
    for (const QString& table : ours.keys()) {
        QCOMPARE(ours[table].size(), theirs[table].size());
        for (int r = 0; r < ours[table].size(); ++r)
            QCOMPARE(ours[table][r], theirs[table][r]);
    }
}

void TstJetFile::aWindowsShopReadsTheSameByBothReaders()
{
    // Every file of the shop the migration tests move, read twice.
    QTemporaryDir dir;
    DaysWindowsShop().write(dir.path());
    for (const QString& file : {u"main.mdb"_qs, u"kelvo.mdb"_qs, u"care.mdb"_qs,
                                u"kelvo/営業一課.mdb"_qs, u"care/本店.mdb"_qs}) {
        const QString path = QDir(dir.path()).filePath(file);
        const JetCells ours = jetCellsByLibmdb(path);
        const JetCells theirs = jetCellsByMdbReader(path);
        QVERIFY2(!ours.isEmpty(), qPrintable(file));
        QCOMPARE(ours, theirs);
    }
}

void TstJetFile::valuesComeBackExactly()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"awkward.mdb"_qs);
    writeAwkward(path);
    JetFile file = JetFile::open(path);
    QCOMPARE(file.jetVersion(), 4);
    JetTable table = file.table(u"表一"_qs);
    QStringList names;
    for (const JetColumn& c : table.columns())
        names << c.name;
    QCOMPARE(names, (QStringList{u"番号"_qs, u"名前"_qs, u"ﾌﾘｶﾞﾅ"_qs, u"備考"_qs, u"済み"_qs,
                                 u"値"_qs, u"数"_qs, u"登録日"_qs, u"金額"_qs}));
    const QList<QVariantList> rows = awkwardRows();
    for (const QVariantList& expected : rows) {
        QVERIFY(table.next());
        for (int c = 0; c < expected.size(); ++c) {
            const QVariant got = table.value(c);
            QVERIFY2(got.isNull() == expected[c].isNull(), qPrintable(names[c]));
            if (got.isNull())
                continue;
            if (got.typeId() == QMetaType::QDateTime)
                QCOMPARE(got.toDateTime(),
                         QDateTime(expected[c].toDateTime().date(), expected[c].toDateTime().time(),
                                   QTimeZone::utc()));
            else if (table.columns()[c].type == JetType::Money)
                QCOMPARE(got.toString().toDouble(), expected[c].toDouble());
            else
                QCOMPARE(got.toString(), expected[c].toString());
        }
    }
    QVERIFY(!table.next());
    // Null and "" stay apart, in text as in memo.
    JetTable again = file.table(u"表一"_qs);
    QVERIFY(again.next() && again.next());
    QVERIFY(!again.isNull(1) && again.value(1).toString().isEmpty());
    QVERIFY(again.isNull(2));
    QVERIFY(!again.isNull(3) && again.value(3).toString().isEmpty());
    QCOMPARE(again.value(4), QVariant(false));
}

void TstJetFile::compressedText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain UTF-16") << QByteArray("a\0\x42\x30", 4) << u"aあ"_qs;
    QTest::newRow("compressed") << QByteArray("\xff\xfe"
                                              "abc",
                                              5)
                                << u"abc"_qs;
    QTest::newRow("compressed, then two-byte") << QByteArray("\xff\xfe"
                                                             "ab\0\x42\x30\0c",
                                                             9)
                                               << u"abあc"_qs;
    QTest::newRow("surrogate pair") << QByteArray("\x42\xd8\xb7\xdf", 4) << u"𠮷"_qs;
    QTest::newRow("compressed, surrogates") << QByteArray("\xff\xfe"
                                                          "x\0\x42\xd8\xb7\xdf",
                                                          9)
                                            << u"x𠮷"_qs;
    QTest::newRow("empty") << QByteArray() << QString();
}

void TstJetFile::compressedText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeJet4Text(bytes.constData(), bytes.size()), text);
}

void TstJetFile::jet3TextIsTheWindowsCodePage()
{
    // An Access 97 file whose text "abcdefg" is made CP932 of the same length.
    QFile original(sample(u"jackcess-testV1997.mdb"_qs));
    QVERIFY(original.open(QIODevice::ReadOnly));
    QByteArray bytes = original.readAll();
    const QByteArray japanese = encodeCp932(u"ｱｲｳｴｵ日"_qs, nullptr);
    QCOMPARE(japanese.size(), 7);
    const qsizetype at = bytes.indexOf("abcdefg");
    QVERIFY(at > 0);
    bytes.replace(at, 7, japanese);
    QTemporaryDir dir;
    QFile copy(dir.filePath(u"v97.mdb"_qs));
    QVERIFY(copy.open(QIODevice::WriteOnly) && copy.write(bytes) == bytes.size());
    copy.close();
    JetFile file = JetFile::open(copy.fileName());
    QCOMPARE(file.jetVersion(), 3);
    JetTable table = file.table(u"Table1"_qs);
    QStringList firsts;
    while (table.next())
        firsts << table.value(0).toString() + u'/' + table.value(1).toString();
    QCOMPARE(firsts, (QStringList{u"a/b"_qs, u"ｱｲｳｴｵ日/hijklmnop"_qs}));
}

void TstJetFile::countersAndDeletedRows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"c.mdb"_qs);
    JetWriter writer(path);
    writer.beginTable(u"件名"_qs, {{u"件名ID"_qs, T::Long, 0, true}, {u"件名"_qs, T::Text, 50}});
    writer.addRow({qint64(3), u"三"_qs});
    writer.addRow({qint64(9), u"九"_qs});
    writer.setNextCounter(12); // keys 10 and 11 were given and deleted
    writer.beginTable(u"設定"_qs, {{u"設定ID"_qs, T::Long}, {u"上"_qs, T::Int}});
    writer.addRow({qint64(1), 10});
    writer.finish();
    JetFile file = JetFile::open(path);
    QCOMPARE(file.table(u"件名"_qs).nextCounter(), 12);
    QCOMPARE(file.table(u"設定"_qs).nextCounter(), 0);
}

void TstJetFile::filesThatAreNotJetAreRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QByteArray accdb(4096, '\0');
    accdb[1] = 1;
    accdb.replace(4, 15, "Standard ACE DB");
    accdb[0x14] = 2;
    QByteArray cut(1024, '\0');
    cut[1] = 1;
    cut.replace(4, 15, "Standard Jet DB");
    cut[0x14] = 1;
    QTest::newRow("text") << QByteArray("名前,電話\r\n")
                          << u"は Access (Jet) のデータベースではありません。"_qs;
    QTest::newRow("empty") << QByteArray() << u"は Access (Jet) のデータベースではありません。"_qs;
    QTest::newRow("accdb") << accdb << u"は Access 2007 以降の形式 (.accdb) です。"_qs;
    QTest::newRow("cut short") << cut << u"は途中で切れていて読めません。"_qs;
}

void TstJetFile::filesThatAreNotJetAreRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"main.mdb"_qs);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const QString said = failureMessage([&] { JetFile::open(path); });
    QVERIFY2(said.startsWith(u"「"_qs + path + u"」"_qs), qPrintable(said));
    QVERIFY2(said.contains(message), qPrintable(said));
    QVERIFY(failureMessage([&] {
                JetFile::open(dir.filePath(u"none.mdb"_qs));
            }).endsWith(u"」がありません。"_qs));
}

QTEST_GUILESS_MAIN(TstJetFile)
#include "tst_jetfile.moc"
