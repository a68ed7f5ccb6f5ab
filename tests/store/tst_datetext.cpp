#include "store/DateText.h"
#include "store/TextForms.h"

#include <QLocale>
#include <QTest>

using namespace horunea;

class TstDateText : public QObject
{
    Q_OBJECT
private slots:
    void storedForm_data();
    void storedForm();
    void storedFormIgnoresLocale();
    void readingBackTakesTheFirstTenCharacters_data();
    void readingBackTakesTheFirstTenCharacters();
    void typedDatesAreTakenWholeOrNotAtAll_data();
    void typedDatesAreTakenWholeOrNotAtAll();
    void longFormRoundTrips();
    void clockCanBeFixed();
    void halfWidthKana_data();
    void halfWidthKana();
    void halfWidthAscii();
    void hiraganaReading_data();
    void hiraganaReading();
    void readingsComeBackWhole();
    void readingsSortAsADictionary();
    void asciiForms_data();
    void asciiForms();
};

void TstDateText::storedForm_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("longText");
    QTest::newRow("tuesday") << QDate(2003, 8, 19) << u"2003/08/19(火)"_qs
                             << u"2003年08月19日 火曜日"_qs;
    QTest::newRow("wednesday") << QDate(2003, 12, 31) << u"2003/12/31(水)"_qs
                               << u"2003年12月31日 水曜日"_qs;
    QTest::newRow("thursday") << QDate(2004, 1, 1) << u"2004/01/01(木)"_qs
                              << u"2004年01月01日 木曜日"_qs;
    QTest::newRow("leap day friday")
        << QDate(2008, 2, 29) << u"2008/02/29(金)"_qs << u"2008年02月29日 金曜日"_qs;
    QTest::newRow("saturday") << QDate(2026, 12, 5) << u"2026/12/05(土)"_qs
                              << u"2026年12月05日 土曜日"_qs;
    QTest::newRow("sunday") << QDate(2026, 12, 6) << u"2026/12/06(日)"_qs
                            << u"2026年12月06日 日曜日"_qs;
    QTest::newRow("monday") << QDate(2026, 12, 7) << u"2026/12/07(月)"_qs
                            << u"2026年12月07日 月曜日"_qs;
    QTest::newRow("invalid") << QDate() << QString() << QString();
}

void TstDateText::storedForm()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QFETCH(QString, longText);
    QCOMPARE(DateText(date), text);
    QCOMPARE(LongDateText(date), longText);
}

void TstDateText::storedFormIgnoresLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = DateText(QDate(2003, 8, 19));
    QLocale::setDefault(saved);
    QCOMPARE(text, u"2003/08/19(火)"_qs);
}

void TstDateText::readingBackTakesTheFirstTenCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("stored form") << u"2003/08/19(火)"_qs << QDate(2003, 8, 19);
    QTest::newRow("wrong weekday ignored") << u"2003/08/19(日)"_qs << QDate(2003, 8, 19);
    QTest::newRow("bare date") << u"2003/08/19"_qs << QDate(2003, 8, 19);
    QTest::newRow("empty") << QString() << QDate();
    QTest::newRow("garbage") << u"昨日"_qs << QDate();
    QTest::newRow("no such day") << u"2003/02/30(日)"_qs << QDate();
}

void TstDateText::readingBackTakesTheFirstTenCharacters()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(DateFromText(text), date);
}

void TstDateText::typedDatesAreTakenWholeOrNotAtAll_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");
    const QDate nov3(2025, 11, 3);
    QTest::newRow("slashes, short day") << u"2025/11/3"_qs << nov3;
    QTest::newRow("slashes, padded") << u"2025/11/03"_qs << nov3;
    QTest::newRow("hyphens") << u"2025-11-03"_qs << nov3;
    QTest::newRow("dots") << u"2025.11.3"_qs << nov3;
    QTest::newRow("spaces") << u"2025 11  3"_qs << nov3;
    QTest::newRow("eight digits") << u"20251103"_qs << nov3;
    QTest::newRow("full width") << u"２０２５／１１／３"_qs << nov3;
    QTest::newRow("full-width eight digits") << u"２０２５１１０３"_qs << nov3;
    QTest::newRow("kanji marks") << u"2025年11月3日"_qs << nov3;
    QTest::newRow("around spaces") << u" 2025/11/3 "_qs << nov3;
    QTest::newRow("leap day") << u"2024/2/29"_qs << QDate(2024, 2, 29);
    // Never another date than the one typed.
    QTest::newRow("month 13") << u"2026 13 45"_qs << QDate();
    QTest::newRow("no such day") << u"2026/2/30"_qs << QDate();
    QTest::newRow("not a leap year") << u"2025/2/29"_qs << QDate();
    QTest::newRow("no year") << u"11/3"_qs << QDate();
    QTest::newRow("two-digit year") << u"25/11/3"_qs << QDate();
    QTest::newRow("a part missing") << u"2025//3"_qs << QDate();
    QTest::newRow("four parts") << u"2025/11/3/1"_qs << QDate();
    QTest::newRow("seven digits") << u"2025113"_qs << QDate();
    QTest::newRow("letters") << u"2025/11/3a"_qs << QDate();
    QTest::newRow("empty") << QString() << QDate();
}

void TstDateText::typedDatesAreTakenWholeOrNotAtAll()
{
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    QCOMPARE(DateFromTyped(typed), date);
}

void TstDateText::longFormRoundTrips()
{
    const QDate d(2003, 8, 19);
    QCOMPARE(DateFromLongText(LongDateText(d)), d);
    QCOMPARE(DateFromLongText(u"2003年08月19日"_qs), d);
    QVERIFY(!DateFromLongText(QString()).isValid());
}

void TstDateText::clockCanBeFixed()
{
    Clock::setToday(QDate(2003, 8, 19));
    QCOMPARE(Clock::today(), QDate(2003, 8, 19));
    Clock::setToday(QDate());
    QCOMPARE(Clock::today(), QDate::currentDate());
    // A fixed time fixes the day too, and gives way to the real clock.
    const QDateTime late(QDate(2003, 12, 31), QTime(23, 59, 59));
    Clock::setNow(late);
    QCOMPARE(Clock::now(), late);
    QCOMPARE(Clock::today(), QDate(2003, 12, 31));
    Clock::setNow(QDateTime());
    QVERIFY(qAbs(Clock::now().secsTo(QDateTime::currentDateTime())) < 60);
    QCOMPARE(Clock::today(), QDate::currentDate());
}

void TstDateText::halfWidthKana_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("half");
    QTest::newRow("hiragana") << u"やまだ"_qs << u"ﾔﾏﾀﾞ"_qs;
    QTest::newRow("katakana") << u"ヤマダ"_qs << u"ﾔﾏﾀﾞ"_qs;
    QTest::newRow("semi-voiced") << u"ぱぴぷぺぽ"_qs << u"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"_qs;
    QTest::newRow("small and long") << u"きゃっきー"_qs << u"ｷｬｯｷｰ"_qs;
    QTest::newRow("wo and n") << u"をん"_qs << u"ｦﾝ"_qs;
    QTest::newRow("vu") << u"ヴぁ"_qs << u"ｳﾞｧ"_qs;
    QTest::newRow("already half") << u"ｱｲｳ"_qs << u"ｱｲｳ"_qs;
    QTest::newRow("full-width latin") << u"ＡＢＣ１２３"_qs << u"ABC123"_qs;
    QTest::newRow("ideographic space") << u"やま　だ"_qs << u"ﾔﾏ ﾀﾞ"_qs;
    QTest::newRow("kanji stays") << u"山田"_qs << u"山田"_qs;
}

void TstDateText::halfWidthKana()
{
    QFETCH(QString, typed);
    QFETCH(QString, half);
    QCOMPARE(toHalfWidthKana(typed), half);
}

void TstDateText::halfWidthAscii()
{
    QCOMPARE(toHalfWidthAscii(u"ｔａｎａｋａ　￥１"_qs), u"tanaka \\1"_qs);
    QCOMPARE(toHalfWidthAscii(u"やまだ"_qs), u"やまだ"_qs);
}

void TstDateText::hiraganaReading_data()
{
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QString>("hiragana");
    QTest::newRow("half-width with marks") << u"ﾔﾏﾀﾞ ﾀﾛｳ"_qs << u"やまだたろう"_qs;
    QTest::newRow("semi-voiced") << u"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"_qs << u"ぱぴぷぺぽ"_qs;
    QTest::newRow("voiced u") << u"ｳﾞｧｲｵﾘﾝ"_qs << u"ゔぁいおりん"_qs;
    QTest::newRow("mark that joins nothing") << u"ｱﾞﾝ"_qs << u"あ゛ん"_qs;
    QTest::newRow("small kana and long sign") << u"ｷｬｯｷｰ"_qs << u"きゃっきー"_qs;
    QTest::newRow("full-width katakana") << u"カトウ　ケンジ"_qs << u"かとうけんじ"_qs;
    QTest::newRow("hiragana stays") << u"かとう"_qs << u"かとう"_qs;
    QTest::newRow("latin and signs") << u"ＡＢ　￥（株）"_qs << u"AB\\(株)"_qs;
    QTest::newRow("only blanks") << u" 　 "_qs << QString();
}

void TstDateText::hiraganaReading()
{
    QFETCH(QString, reading);
    QFETCH(QString, hiragana);
    QCOMPARE(toHiraganaReading(reading), hiragana);
}

void TstDateText::readingsComeBackWhole()
{
    // Every half-width reading the boxes store comes back from its hiragana
    // unchanged, so that a reconverted name keeps the reading it was typed from.
    QString all;
    for (char16_t c = 0xFF66; c <= 0xFF9D; ++c) // ｦ … ﾝ, small kana and ｰ
        all += QChar(c);
    for (const QString base : {u"ｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾊﾋﾌﾍﾎｳ"_qs})
        for (QChar c : base)
            all += QString(c) + u'ﾞ';
    for (QChar c : u"ﾊﾋﾌﾍﾎ"_qs)
        all += QString(c) + u'ﾟ';
    QCOMPARE(toHalfWidthKana(toHiraganaReading(all)), all);
}

void TstDateText::readingsSortAsADictionary()
{
    // Each reading sorts before the next one.
    const QStringList ordered = {u"ｱｵｷ"_qs,    u"かとう"_qs, u"ｶﾞﾄｳ"_qs,     u"かなざわ"_qs,
                                 u"ガモウ"_qs, u"ｶ ﾜｲ"_qs,   u"かわさき"_qs, u"ｷｬｸ"_qs,
                                 u"きやく"_qs, u"ぎゃく"_qs, u"はは"_qs,     u"ばば"_qs,
                                 u"ぱぱ"_qs,   u"ﾊﾟﾊﾟﾔ"_qs};
    for (qsizetype i = 0; i + 1 < ordered.size(); ++i) {
        const QString a = readingSortKey(ordered[i]), b = readingSortKey(ordered[i + 1]);
        QVERIFY2(a < b, qPrintable(ordered[i] + u" < "_qs + ordered[i + 1]));
    }
    // Widths and kana kinds of one reading sort as one.
    QCOMPARE(readingSortKey(u"ｶﾞﾓｳ"_qs), readingSortKey(u"がもう"_qs));
    QCOMPARE(readingSortKey(u"ガモウ"_qs), readingSortKey(u"が も う"_qs));
}

void TstDateText::asciiForms_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("telephone with minus signs")
        << u"０３−１２３４−５６７８"_qs << u"03-1234-5678"_qs;
    QTest::newRow("long signs after digits") << u"０３ー１２３４ｰ５６７８"_qs << u"03-1234-5678"_qs;
    QTest::newRow("full-width hyphen") << u"０３－１２"_qs << u"03-12"_qs;
    QTest::newRow("mail") << u"ｙａｍａｄａ＿ｔ＠ｅｘａｍｐｌｅ．ｊｐ"_qs
                          << u"yamada_t@example.jp"_qs;
    QTest::newRow("url") << u"ｈｔｔｐｓ：／／ｅｘａｍｐｌｅ．ｊｐ／＃ａ"_qs
                         << u"https://example.jp/#a"_qs;
    QTest::newRow("model") << u"ＸＪ－１００（Ｂ）＋"_qs << u"XJ-100(B)+"_qs;
    QTest::newRow("full-width blank") << u"１　２"_qs << u"1 2"_qs;
    QTest::newRow("long sign after a letter stays") << u"カー"_qs << u"カー"_qs;
    QTest::newRow("ascii stays") << u"03-1234"_qs << u"03-1234"_qs;
}

void TstDateText::asciiForms()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QCOMPARE(toAsciiForms(typed), kept);
}

QTEST_GUILESS_MAIN(TstDateText)
#include "tst_datetext.moc"
