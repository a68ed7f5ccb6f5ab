#include "CoreTestSupport.h"

#include "import/TransferLine.h"
#include "import/TransferSupport.h"
#include "store/Cp932.h"
#include "store/Failure.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace horunea;

namespace {

// The converter itself, as the tables must give it.
QString converterDecode(const QByteArray& bytes)
{
    QStringDecoder d("windows-31j", QStringConverter::Flag::Stateless);
    return d.decode(bytes);
}

QByteArray cp932(const QString& text)
{
    QString refused;
    const QByteArray bytes = encodeCp932(text, &refused);
    Q_ASSERT(refused.isEmpty());
    return bytes;
}

QByteArray finished(TransferLineBuilder& line)
{
    const std::string_view bytes = line.finish();
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QByteArray lineOf(std::initializer_list<std::string_view> cells)
{
    TransferLineBuilder line;
    for (std::string_view c : cells)
        line.addText(c);
    return finished(line);
}

} // namespace

class TstTransferLine : public QObject
{
    Q_OBJECT

private slots:
    void everyCharacterEncodesAsTheConverterRoundTripsIt();
    void everyByteSequenceDecodesAsTheConverterDecodesIt();
    void linesReadAsWritten_data();
    void linesReadAsWritten();
    void cellsOfTheStoreMakeTheLinesOfTexts();
    void readerFindsEveryLineAcrossItsBuffer();
    void numbersOfTheFilesAreChecked();
};

void TstTransferLine::everyCharacterEncodesAsTheConverterRoundTripsIt()
{
    QStringEncoder e("windows-31j", QStringConverter::Flag::Stateless);
    int held = 0;
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        const QString text{QChar(char16_t(c))};
        e.resetState();
        QByteArray bytes = e.encode(text);
        bool roundTrips = !e.hasError() && converterDecode(bytes) == text;
        if (e.hasError())
            e = QStringEncoder("windows-31j", QStringConverter::Flag::Stateless);
        // ASCII is itself, as in Windows, and no other character is ASCII.
        // The characters Windows reads for the undefined single bytes are
        // written as those bytes.
        static const QHash<char32_t, char> windows{{0x0080, char(0x80)},
                                                   {0xF8F0, char(0xA0)},
                                                   {0xF8F1, char(0xFD)},
                                                   {0xF8F2, char(0xFE)},
                                                   {0xF8F3, char(0xFF)}};
        if (c < 0x80)
            roundTrips = true, bytes = QByteArray(1, char(c));
        else if (windows.contains(c))
            roundTrips = true, bytes = QByteArray(1, windows.value(c));
        else if (bytes.size() == 1 && uchar(bytes[0]) < 0x80)
            roundTrips = false;
        std::string table;
        const bool inTable = appendCp932(c, &table);
        if (inTable != roundTrips || (inTable && table != bytes.toStdString()))
            QFAIL(qPrintable(QStringLiteral("U+%1").arg(uint(c), 4, 16, QChar(u'0'))));
        held += inTable;
    }
    // ASCII, half-width kana, JIS X 0208, the NEC and IBM extensions and
    // the user-defined area.
    QVERIFY2(held > 7000 && held < 20000, qPrintable(QString::number(held)));
    std::string none;
    QVERIFY(!appendCp932(U'😀', &none));
    QVERIFY(!appendCp932(U'한', &none));
    QVERIFY(none.empty());
    QString refused;
    QCOMPARE(encodeCp932(u"a\x1a\x1c\x7f"_qs, &refused), QByteArray("a\x1a\x1c\x7f"));
    QCOMPARE(encodeCp932(u"山😀"_qs, &refused), QByteArray());
    QCOMPARE(refused, u"😀"_qs);
}

void TstTransferLine::everyByteSequenceDecodesAsTheConverterDecodesIt()
{
    const QString unknown(QChar(0xFFFD));
    // The converter's one character for those bytes, or a null string.
    auto converted = [](const QByteArray& bytes) {
        const QString text = converterDecode(bytes);
        return text.toUcs4().size() == 1 && text != u"\uFFFD"_qs ? text : QString();
    };
    auto isLead = [](int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
    // The bytes the code page leaves undefined, as Windows reads them.
    const QHash<int, QString> windows{{0x80, u"\u0080"_qs},
                                      {0xA0, u"\uF8F0"_qs},
                                      {0xFD, u"\uF8F1"_qs},
                                      {0xFE, u"\uF8F2"_qs},
                                      {0xFF, u"\uF8F3"_qs}};
    for (int b = 0; b < 256; ++b) {
        const QByteArray single(1, char(b));
        const QString alone = b < 0x80    ? QString(QChar(b))
                              : isLead(b) ? unknown
                              : windows.count(b)
                                  ? windows.value(b)
                                  : (converted(single).isNull() ? unknown : converted(single));
        QCOMPARE(decodeCp932(single), alone);
        if (!isLead(b))
            continue;
        for (int t = 0; t < 256; ++t) {
            const char bytes[2] = {char(b), char(t)};
            const QByteArray pair(bytes, 2);
            // An undefined pair is one U+FFFD; a byte that cannot trail, or
            // ASCII, is read again on its own.
            QString expected = converted(pair);
            if (expected.isNull())
                expected = t >= 0x80 && t <= 0xFC ? unknown : unknown + decodeCp932(pair.mid(1));
            if (decodeCp932(pair) != expected)
                QFAIL(qPrintable(QStringLiteral("%1 %2").arg(b, 0, 16).arg(t, 0, 16)));
            std::string utf8 = "前";
            appendUtf8OfCp932(pair, &utf8);
            QCOMPARE(QByteArray::fromStdString(utf8), "前" + expected.toUtf8());
        }
    }
    QCOMPARE(decodeCp932(cp932(u"①㈱～"_qs) + "\x85\x40\"" + cp932(u"髙﨑"_qs)),
             u"①㈱～\uFFFD@\"髙﨑"_qs);
    QCOMPARE(decodeCp932("\x1a\x1c\x7f"), u"\x1a\x1c\x7f"_qs);
    // Read as Windows reads them, they are written back as the same bytes.
    QString refused;
    for (auto it = windows.cbegin(); it != windows.cend(); ++it)
        QCOMPARE(encodeCp932(it.value(), &refused), QByteArray(1, char(it.key())));
    // The transfer reader reads them so too.
    QCOMPARE(parseTransferLine("\"x\x80\xa0\xfd\",\"\xfe\""),
             (QStringList{u"x\u0080\uF8F0\uF8F1"_qs, u"\uF8F2"_qs}));
}

void TstTransferLine::linesReadAsWritten_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("texts and a number")
        << cp932(u"\"1\",42,\"山田\""_qs) << QStringList{u"1"_qs, u"42"_qs, u"山田"_qs};
    QTest::newRow("empty line") << QByteArray() << QStringList{QString()};
    QTest::newRow("empty values") << QByteArray("\"\",,\"\"") << QStringList{{}, {}, {}};
    QTest::newRow("comma in quotes") << QByteArray("\"a,b\",c") << QStringList{u"a,b"_qs, u"c"_qs};
    QTest::newRow("escapes") << QByteArray("\"\\\"\\\\\\r\\n\\x\"") << QStringList{u"\"\\\r\nx"_qs};
    QTest::newRow("a character by its code")
        << QByteArray("\"\\u{1f600}\\u{41}\"") << QStringList{u"😀A"_qs};
    QTest::newRow("no code in the braces") << QByteArray("\"\\u{zz}\\u{110000}\\u{d800}\"")
                                           << QStringList{u"u{zz}u{110000}u{d800}"_qs};
    QTest::newRow("backslash at the end") << QByteArray("\"a\\") << QStringList{u"a\\"_qs};
    QTest::newRow("backslash before kanji")
        << QByteArray("\"\\") + cp932(u"山"_qs) + "\"" << QStringList{u"山"_qs};
    // 0x5C is the trail byte of ソ and 表: never an escape there.
    QTest::newRow("trail byte 0x5C")
        << cp932(u"\"ソ表\",\"能\""_qs) << QStringList{u"ソ表"_qs, u"能"_qs};
    QTest::newRow("half-width kana") << cp932(u"\"ｱｲｳﾞ\""_qs) << QStringList{u"ｱｲｳﾞ"_qs};
    QTest::newRow("undefined bytes")
        << QByteArray("\"a\x85\x40\",\"b\"") << QStringList{u"a\uFFFD@"_qs, u"b"_qs};
    QTest::newRow("text beside quotes")
        << QByteArray("ab\"c,d\"e,f") << QStringList{u"abc,de"_qs, u"f"_qs};
}

void TstTransferLine::linesReadAsWritten()
{
    QFETCH(QByteArray, line);
    QFETCH(QStringList, values);
    QCOMPARE(parseTransferLine(line), values);
    TransferValues v;
    v.parse(line);
    QCOMPARE(v.size(), values.size());
    QCOMPARE(v[v.size()], std::string_view());
    QCOMPARE(v[-1], std::string_view());
    // What was read is written back and read again unchanged.
    TransferLineBuilder again;
    for (const QString& value : values)
        again.addText(value);
    QCOMPARE(parseTransferLine(finished(again).chopped(2)), values);
}

void TstTransferLine::cellsOfTheStoreMakeTheLinesOfTexts()
{
    const QStringList texts{u"山田"_qs, u"\"引用\",\r\n"_qs, u"😀①"_qs, u"C:\\ソ"_qs, QString()};
    TransferLineBuilder fromTexts;
    for (const QString& t : texts)
        fromTexts.addText(t);
    const QByteArray expected = finished(fromTexts);
    std::vector<QByteArray> utf8;
    for (const QString& t : texts)
        utf8.push_back(t.toUtf8());
    TransferLineBuilder fromCells;
    for (const QByteArray& c : utf8)
        fromCells.addText(std::string_view(c.constData(), size_t(c.size())));
    QCOMPARE(finished(fromCells), expected);
    QCOMPARE(parseTransferLine(expected.chopped(2)), texts);
    // Bytes that are not UTF-8 are taken as Qt takes them.
    QCOMPARE(lineOf({"a\xff"}), lineOf({QString::fromUtf8("a\xff").toUtf8().toStdString()}));
    QCOMPARE(lineOf({"\xe5\xb1"}), lineOf({QString::fromUtf8("\xe5\xb1").toUtf8().toStdString()}));
    // The builder starts a new line after finish; numbers are bare or quoted.
    TransferLineBuilder line;
    line.addText("x");
    line.finish();
    line.addNumberText(7);
    line.addNumber(-3);
    line.add(QVariant(qint64(5)));
    line.add(QVariant());
    QCOMPARE(finished(line), QByteArray("\"7\",-3,5,\"\"\r\n"));
}

void TstTransferLine::readerFindsEveryLineAcrossItsBuffer()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"長い.dat"_qs);
    QList<QStringList> written;
    {
        TransferWriter out(path);
        for (int i = 0; i < 3000; ++i) {
            // Lines of many lengths, one longer than the reader's buffer.
            const QString text =
                QString(i == 1500 ? 700000 : (i * 37) % 400, QChar(u'あ' + i % 80)) + u'\n';
            written << QStringList{QString::number(i), text};
            out.write({QString::number(i), text});
        }
        out.close();
    }
    {
        TransferReader in(path);
        TransferValues v;
        qint64 line = 0;
        while (in.next(&v)) {
            QCOMPARE(v.texts(), written[line]);
            QCOMPARE(in.lineNumber(), ++line);
        }
        QCOMPARE(line, qint64(written.size()));
        QVERIFY(!in.next(&v));
    }
    // A last line without its CR LF, a blank line, a line ended by LF alone.
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("\"a\"\r\n\r\n\"b\"\n\"c\"");
    file.close();
    TransferReader in(path);
    QStringList v, all;
    while (in.next(&v))
        all << v.join(u'|');
    QCOMPARE(all, (QStringList{u"a"_qs, u""_qs, u"b"_qs, u"c"_qs}));
    // A file planted before the writer is refused, not written into.
    QVERIFY_THROWS_EXCEPTION(Failure, TransferWriter{path});
    QVERIFY_THROWS_EXCEPTION(Failure, TransferReader{dir.filePath(u"ない.dat"_qs)});
}

void TstTransferLine::numbersOfTheFilesAreChecked()
{
    QCOMPARE(transfer::number("42"), qint64(42));
    for (std::string_view bad : {"", "4a", " 4", "x", "99999999999999999999"})
        QVERIFY_THROWS_EXCEPTION(Failure, transfer::number(bad));
    QCOMPARE(transfer::cellNumber("17"), qint64(17));
    QCOMPARE(transfer::cellNumber(""), qint64(0));
}

QTEST_GUILESS_MAIN(TstTransferLine)
#include "tst_transferline.moc"
