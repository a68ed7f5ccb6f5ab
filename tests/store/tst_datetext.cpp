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
    void longFormRoundTrips();
    void clockCanBeFixed();
    void halfWidthKana_data();
    void halfWidthKana();
    void halfWidthAscii();
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

QTEST_GUILESS_MAIN(TstDateText)
#include "tst_datetext.moc"
