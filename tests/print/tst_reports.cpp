#include "CliSupport.h"
#include "Fixtures.h"
#include "TestSupport.h"

#include "app/Cli.h"
#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "customer/CustomerSettings.h"
#include "import/TransferLine.h"
#include "print/ReportRenderer.h"
#include "print/ReportText.h"
#include "print/Reports.h"
#include "repair/RepairSettings.h"
#include "settings/SettingsRecord.h"
#include "store/Cp932.h"
#include "store/CsvFile.h"
#include "store/Database.h"
#include "store/DateText.h"
#include "store/PrintKeys.h"
#include "ui/Fonts.h"

#include <QFile>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextLayout>

#include <QSet>
#include <QTest>
#include <iconv.h>

using namespace horunea;
using namespace horunea::test;

namespace {

// The text pdftotext reads back from the report's PDF, page by page.
QStringList pdfPages(const Report& report)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"report.pdf"_qs);
    writeReportPdf(report, path);
    QProcess p;
    p.start(u"pdftotext"_qs, {u"-layout"_qs, path, u"-"_qs});
    if (!p.waitForFinished(60000))
        return {};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// Without blanks: pdftotext spaces text by its position. The Japanese
// fonts draw ～ (U+FF5E) and 〜 (U+301C) with one glyph, which a PDF reader
// can only name one way: both count as ～.
QString squeezed(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!c.isSpace())
            out += c == QChar(0x301C) ? QChar(0xFF5E) : c;
    return out;
}

// A remark of at least `characters` characters, sentences without a break.
QString longRemark(int characters)
{
    QString text;
    for (int i = 0; text.size() < characters; ++i)
        text += QStringLiteral("部品%1を交換した。").arg(i);
    return text;
}

// 青木, whose remark is long, and his subject 見積依頼 with the same remark.
std::pair<qint64, qint64> addLongUserAndSubject(Database& db, const QString& remark)
{
    const qint64 user = addUser(db, u"ｱｵｷ"_qs, u"青木"_qs, {{u"備考"_qs, remark}});
    const qint64 subject = addSubject(db, user, u"見積依頼"_qs);
    db.update(u"件名"_qs, {{u"備考"_qs, remark}}, u"件名ID = "_qs + QString::number(subject));
    return {user, subject};
}

QString pdfText(const Report& report)
{
    return squeezed(pdfPages(report).join(QString()));
}

// The position of each text in the squeezed text; -1 when absent.
QList<qsizetype> positions(const QString& text, const QStringList& parts)
{
    QList<qsizetype> found;
    for (const QString& part : parts)
        found << text.indexOf(squeezed(part));
    return found;
}

bool inOrder(const QList<qsizetype>& found)
{
    for (qsizetype i = 0; i < found.size(); ++i)
        if (found[i] < 0 || (i > 0 && found[i] <= found[i - 1]))
            return false;
    return true;
}

QStringList blockValues(const Report& report, int field)
{
    QStringList values;
    for (const ReportBlock& b : report.blocks)
        values << b.values.value(field);
    return values;
}

// The x of the leftmost and the y of the topmost dark pixel of a page.
QPoint inkOrigin(const Report& report)
{
    const ReportRenderer renderer(report);
    const qreal scale = 0.1;
    QImage image((ReportRenderer::pageSize() * scale).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.scale(scale, scale);
        renderer.paintPage(painter, 0);
    }
    int left = image.width(), top = image.height();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                left = qMin(left, x);
                top = qMin(top, y);
            }
    return QPoint(left, top);
}

Report customerList(Database& db, const QString& key)
{
    const CustomerSortClauses sort = BuildCustomerSortClauses(db);
    return ListReport(db, *customerListPrint(key, sort.UserOrderBy, sort.UserOrderDesc));
}

Report repairList(Database& db, const QString& key)
{
    const RepairSortClauses s = BuildRepairSortClauses(db);
    return ListReport(db, *repairListPrint(key, {s.RepairOrderBy, s.RepairOrderDesc,
                                                 s.UnpaidOrderBy, s.UnpaidOrderDesc}));
}

} // namespace

class TstReports : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void kanaRowPrintsFollowTheUserList_data();
    void kanaRowPrintsFollowTheUserList();
    void otherRowAlsoPrintsHiraganaReadings();
    void unusableMarginsPrintWithADefault_data();
    void unusableMarginsPrintWithADefault();
    void marginsMoveTheText();
    void customerListPrintsEveryCaption();
    void userSheetNestsLogsUnderTheirSubjectNewestFirst();
    void subjectListPrintsOneStateWithItsOwnLogs();
    void pageNumbersCountEveryPage();
    void emptyReportsSayThereIsNothing_data();
    void emptyReportsSayThereIsNothing();
    void aLongValueWrapsAndALineTallerThanAPageGoesOn();
    void aLongTextIsLaidOutOncePerFontAndWidth();
    void aLongParagraphBreaksOnlyWhereItsLinesDo_data();
    void aLongParagraphBreaksOnlyWhereItsLinesDo();
    void everyLineSitsOnOnePitch_data();
    void everyLineSitsOnOnePitch();
    void aVeryLongValuePrintsEveryCharacter();
    void headingsStayWithTheirLogs_data();
    void headingsStayWithTheirLogs();
    void aBlockThatFitsAPageIsNeverSplit();
    void everyContinuedPageSaysWhose_data();
    void everyContinuedPageSaysWhose();
    void aLongSheetOverlapsNothingAtAnyMargins_data();
    void aLongSheetOverlapsNothingAtAnyMargins();
    void noTextsOverlapAtAnyMargins_data();
    void noTextsOverlapAtAnyMargins();
    void repairListsFollowTheRepairSortOrder();
    void unpaidAndMakerLists();
    void repairReportPrintsTheOwnCompanyButNoPrices();
    void csvQuotesAndKeepsJapaneseCharacters();
    void everyCharacterIsDrawn_data();
    void everyCharacterIsDrawn();
    void pdfCarriesCharactersOfEveryFont();
    void csvWritesJisFormsAsWindowsDoes_data();
    void csvWritesJisFormsAsWindowsDoes();
    void csvRefusesCharactersOutsideCp932();
    void everyPrintItemNamesOneList();
    void cliWritesEveryReportKind_data();
    void cliWritesEveryReportKind();
    void cliRefusesBadReportArguments_data();
    void cliRefusesBadReportArguments();
    void cliWritesListsAsCsv();
    void theProgramWritesAPdfWithoutADisplay();

private:
    bool m_havePdftotext = false;
};

void TstReports::initTestCase()
{
    m_havePdftotext = !QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty();
    // Every report says when it was printed: at a fixed time, the same on
    // every run, even one across midnight.
    Clock::setNow(QDateTime(QDate(2003, 8, 19), QTime(14, 5)));
}

#define NEED_PDFTOTEXT()                                                                           \
    if (!m_havePdftotext)                                                                          \
    QSKIP("pdftotext (poppler-utils) is not installed")

void TstReports::kanaRowPrintsFollowTheUserList_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("title");
    QTest::newRow("あ") << u"agyou"_qs << u"あ"_qs << u"あ　行"_qs;
    QTest::newRow("か") << u"kagyou"_qs << u"か"_qs << u"か　行"_qs;
    QTest::newRow("わ") << u"wagyou"_qs << u"わ"_qs << u"わ　行"_qs;
    QTest::newRow("ABC") << u"abc"_qs << u"ABC"_qs << u"アルファベット"_qs;
    QTest::newRow("その他") << u"sonota"_qs << u"その他"_qs << u"そ　の　他"_qs;
}

// The print of a kana row holds the users of the user list's row, in the
// order the list shows them (here: the reading, descending).
void TstReports::kanaRowPrintsFollowTheUserList()
{
    QFETCH(QString, key);
    QFETCH(QString, row);
    QFETCH(QString, title);
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    addKanaRowSample(db);
    addUser(db, u"ｱｻﾀﾞ"_qs, u"朝田"_qs);
    addUser(db, u"ｶｲ"_qs, u"甲斐"_qs);
    addUser(db, u"ｦｵ"_qs, u"ｦ2"_qs);
    addUser(db, u"ﾜﾀﾞ"_qs, u"和田"_qs);
    addUser(db, u"ﾝｸﾞ"_qs, u"ﾝ"_qs);
    addUser(db, u"Zeta"_qs, u"Z"_qs);
    SaveCustomerSortOrder(db, {0, 1, 0, 0, 0, 0});

    const Report report = customerList(db, key);
    QCOMPARE(report.title, title);
    QCOMPARE(report.name, u"顧客一覧"_qs);
    QCOMPARE(report.heading, u"ユーザー印刷"_qs);

    KanaRow kana;
    QVERIFY(kanaRowFromName(row, &kana));
    CustomerListQuery query;
    query.setSortClauses(BuildCustomerSortClauses(db));
    query.UserWhere = kanaRowCondition(kana);
    QStringList listed;
    for (const TextRow& r : LoadUserRows(db, query.userStatement()))
        listed << r.value(int(UserColumn::Name));
    // The print's その他 also holds hiragana readings (see below).
    listed.removeAll(u"あ"_qs);
    QStringList printed = blockValues(report, 0);
    printed.removeAll(u"あ"_qs);
    QVERIFY(!printed.isEmpty());
    QCOMPARE(printed, listed);
}

void TstReports::otherRowAlsoPrintsHiraganaReadings()
{
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    addKanaRowSample(db);
    const QStringList other = blockValues(customerList(db, u"sonota"_qs), 0);
    QVERIFY(other.contains(u"あ"_qs));
    QVERIFY(other.contains(u"ｦ"_qs));
    QVERIFY(other.contains(u"digit"_qs));
    QVERIFY(!other.contains(u"ｱ"_qs));
    QVERIFY(!other.contains(u"A"_qs));
    QVERIFY(!other.contains(u"empty"_qs));
    QVERIFY(blockValues(customerList(db, u"agyou"_qs), 0).contains(u"あ"_qs));
}

void TstReports::unusableMarginsPrintWithADefault_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("printed");
    QTest::newRow("Null") << QVariant() << 1000;
    QTest::newRow("empty") << QVariant(u""_qs) << 1000;
    QTest::newRow("text") << QVariant(u"abc"_qs) << 1000;
    QTest::newRow("fraction") << QVariant(u"12.5"_qs) << 1000;
    QTest::newRow("negative") << QVariant(-5) << 1000;
    QTest::newRow("zero") << QVariant(0) << 0;
    QTest::newRow("whole") << QVariant(500) << 500;
    QTest::newRow("full-width digits") << QVariant(u"７２０"_qs) << 720;
}

void TstReports::unusableMarginsPrintWithADefault()
{
    QFETCH(QVariant, stored);
    QFETCH(int, printed);
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    db.exec(u"UPDATE 設定 SET 左 = ?, 下 = 200 WHERE 設定ID = 1"_qs, {stored});
    const ReportMargins m = ApplyReportMargins(db);
    QCOMPARE(m[1], printed);
    QCOMPARE(m[3], 200);
    QCOMPARE(m[0], 1000);
    // And the report prints.
    const Report report = customerList(db, u"agyou"_qs);
    QCOMPARE(report.margins[1], printed);
    QCOMPARE(ReportRenderer(report).pageCount(), 1);
}

void TstReports::marginsMoveTheText()
{
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    addUser(db, u"ｱｵｷ"_qs, u"青木"_qs);
    Report report = customerList(db, u"agyou"_qs);
    report.margins = {500, 500, 500, 500};
    const QPoint near = inkOrigin(report);
    report.margins = {2900, 4100, 500, 500};
    const QPoint far = inkOrigin(report);
    // 1440 twips to the inch, 1200 dots to the inch, 0.1 pixel a dot.
    const qreal pixelsPerTwip = 1200.0 / 1440 * 0.1;
    QVERIFY2(qAbs((far.x() - near.x()) - 3600 * pixelsPerTwip) <= 2,
             qPrintable(QStringLiteral("%1 → %2").arg(near.x()).arg(far.x())));
    QVERIFY2(qAbs((far.y() - near.y()) - 2400 * pixelsPerTwip) <= 2,
             qPrintable(QStringLiteral("%1 → %2").arg(near.y()).arg(far.y())));
    // Margins larger than the page still leave a page to print on.
    report.margins = {9999, 9999, 9999, 9999};
    QCOMPARE(ReportRenderer(report).pageCount(), 1);
}

void TstReports::customerListPrintsEveryCaption()
{
    NEED_PDFTOTEXT();
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    SaveCustomerFreeFields(db, {u"誕生日"_qs, u"趣味"_qs, u"紹介者"_qs, u"車種"_qs, u"血液型"_qs});
    addUser(db, u"ｱｵｷ"_qs, u"青木商店"_qs,
            {{u"ユーザー名"_qs, u"青木一郎"_qs},
             {u"ユーザー名ふりがな"_qs, u"ｱｵｷｲﾁﾛｳ"_qs},
             {u"自宅ＴＥＬ"_qs, u"03-1111-2222"_qs},
             {u"自宅ＦＡＸ"_qs, u"03-1111-3333"_qs},
             {u"会社名"_qs, u"㈱青木"_qs},
             {u"会社名ふりがな"_qs, u"ｱｵｷ"_qs},
             {u"部署"_qs, u"営業部"_qs},
             {u"会社ＴＥＬ"_qs, u"045-000-1111"_qs},
             {u"会社ＦＡＸ"_qs, u"045-000-2222"_qs},
             {u"E-MAIL"_qs, u"aoki@example.jp"_qs},
             {u"URL"_qs, u"https://aoki.example.jp/"_qs},
             {u"備考"_qs, u"①髙﨑様ご紹介～"_qs},
             {u"自由項目03"_qs, u"山本"_qs}});
    const QString text = pdfText(customerList(db, u"agyou"_qs));
    for (const QString& expected : {u"あ　行"_qs,
                                    u"ユーザー印刷"_qs,
                                    u"表示名"_qs,
                                    u"ﾌﾘｶﾞﾅ"_qs,
                                    u"ﾕｰｻﾞｰ"_qs,
                                    u"TEL"_qs,
                                    u"FAX"_qs,
                                    u"会社"_qs,
                                    u"E-MAIL"_qs,
                                    u"URL"_qs,
                                    u"その他"_qs,
                                    u"自由項目"_qs,
                                    u"誕生日"_qs,
                                    u"趣味"_qs,
                                    u"紹介者"_qs,
                                    u"車種"_qs,
                                    u"血液型"_qs,
                                    u"青木商店"_qs,
                                    u"青木一郎"_qs,
                                    u"ｱｵｷｲﾁﾛｳ"_qs,
                                    u"03-1111-2222"_qs,
                                    u"03-1111-3333"_qs,
                                    u"㈱青木"_qs,
                                    u"営業部"_qs,
                                    u"045-000-1111"_qs,
                                    u"045-000-2222"_qs,
                                    u"aoki@example.jp"_qs,
                                    u"https://aoki.example.jp/"_qs,
                                    u"①髙﨑様ご紹介～"_qs,
                                    u"山本"_qs,
                                    u"2003/08/19"_qs,
                                    u"1 / 1"_qs})
        QVERIFY2(text.contains(squeezed(expected)), qPrintable(expected));
    // The free field's value stands under its own caption.
    QVERIFY(inOrder(positions(text, {u"紹介者"_qs, u"山本"_qs, u"車種"_qs})));
}

void TstReports::userSheetNestsLogsUnderTheirSubjectNewestFirst()
{
    NEED_PDFTOTEXT();
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    const qint64 other = addUser(db, u"ｶﾄｳ"_qs, u"加藤"_qs);
    const qint64 user =
        addUser(db, u"ｱｵｷ"_qs, u"青木"_qs,
                {{u"自宅住所"_qs, u"東京都港区"_qs}, {u"会社住所"_qs, u"横浜市"_qs}});
    const qint64 old = addSubject(db, user, u"旧件名"_qs, u"完了"_qs, u"2026/01/10(土)"_qs);
    const qint64 recent = addSubject(db, user, u"新件名"_qs, u"続行"_qs, u"2026/03/01(日)"_qs);
    addLog(db, old, user, u"旧ログ一"_qs, u"2026/01/11(日)"_qs);
    addLog(db, old, user, u"旧ログ二"_qs, u"2026/01/20(火)"_qs);
    addLog(db, recent, user, u"新ログ一"_qs, u"2026/03/02(月)"_qs);
    const qint64 foreign = addSubject(db, other, u"他人の件名"_qs);
    addLog(db, foreign, other, u"他人のログ"_qs);

    const Report report = UserSheetReport(db, QString::number(user));
    QCOMPARE(report.name, u"ﾕｰｻﾞｰ情報"_qs);
    const QString text = pdfText(report);
    QVERIFY(text.contains(u"ユーザー情報"_qs));
    QVERIFY(
        inOrder(positions(text, {u"青木"_qs, u"東京都港区"_qs, u"横浜市"_qs, u"新件名"_qs,
                                 u"新ログ一"_qs, u"旧件名"_qs, u"旧ログ二"_qs, u"旧ログ一"_qs})));
    QVERIFY(!text.contains(u"他人"_qs));
    QVERIFY(!text.contains(u"加藤"_qs));
    QVERIFY(text.contains(u"ログ"_qs));
    QVERIFY(text.contains(u"1/1"_qs));
    // The sheet's header carries no print date.
    QVERIFY(!text.contains(QDateTime::currentDateTime().toString(u"yyyy/MM/dd/"_qs)));
}

void TstReports::subjectListPrintsOneStateWithItsOwnLogs()
{
    NEED_PDFTOTEXT();
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    const qint64 a = addUser(db, u"ｱｵｷ"_qs, u"青木"_qs, {{u"会社ＴＥＬ"_qs, u"045-1"_qs}});
    const qint64 k = addUser(db, u"ｶﾄｳ"_qs, u"加藤"_qs, {{u"自宅ＴＥＬ"_qs, u"03-9"_qs}});
    const qint64 s1 = addSubject(db, a, u"件名甲"_qs, u"続行"_qs, u"2026/02/01(日)"_qs);
    const qint64 s2 = addSubject(db, k, u"件名乙"_qs, u"続行"_qs, u"2026/04/01(水)"_qs);
    const qint64 s3 = addSubject(db, k, u"件名丙"_qs, u"完了"_qs, u"2026/05/01(金)"_qs);
    addLog(db, s1, a, u"甲ログ古"_qs, u"2026/02/02(月)"_qs);
    addLog(db, s1, a, u"甲ログ新"_qs, u"2026/02/09(月)"_qs);
    addLog(db, s2, k, u"乙ログ"_qs, u"2026/04/02(木)"_qs);
    addLog(db, s3, k, u"丙ログ"_qs, u"2026/05/02(土)"_qs);

    const Report running = SubjectListReport(db, u"続行"_qs, subjectListTitle(u"続行"_qs));
    const QString text = pdfText(running);
    QVERIFY(text.contains(u"続行中の件名"_qs));
    QVERIFY(inOrder(positions(text, {u"加藤"_qs, u"件名乙"_qs, u"03-9"_qs, u"乙ログ"_qs, u"青木"_qs,
                                     u"件名甲"_qs, u"045-1"_qs, u"甲ログ新"_qs, u"甲ログ古"_qs})));
    QVERIFY(!text.contains(u"丙"_qs));
    for (const QString& caption : {u"表示名"_qs, u"登録日"_qs, u"件名"_qs, u"備考"_qs, u"判定"_qs,
                                   u"会社TEL"_qs, u"自宅TEL"_qs, u"記録者"_qs})
        QVERIFY2(text.contains(caption), qPrintable(caption));

    const QString done = pdfText(SubjectListReport(db, u"完了"_qs, subjectListTitle(u"完了"_qs)));
    QVERIFY(done.contains(u"完了の件名"_qs));
    QVERIFY(inOrder(positions(done, {u"件名丙"_qs, u"丙ログ"_qs})));
    QVERIFY(!done.contains(u"乙"_qs));
}

void TstReports::pageNumbersCountEveryPage()
{
    NEED_PDFTOTEXT();
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    int pages = 0;
    for (int i = 0; i < 200 && pages < 3; ++i) {
        addUser(db, QStringLiteral("ｱ%1").arg(i, 3, 10, QLatin1Char('0')),
                QStringLiteral("利用者%1").arg(i, 3, 10, QLatin1Char('0')));
        pages = ReportRenderer(customerList(db, u"agyou"_qs)).pageCount();
    }
    QCOMPARE(pages, 3);
    const Report report = customerList(db, u"agyou"_qs);
    const QStringList texts = pdfPages(report);
    QCOMPARE(texts.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QString page = squeezed(texts[i]);
        QVERIFY2(page.contains(QStringLiteral("%1/3").arg(i + 1)), qPrintable(page.left(80)));
        QVERIFY(page.contains(u"あ行"_qs));
        QVERIFY(page.contains(u"ユーザー印刷"_qs));
    }
    // Every user is printed once, in order, and no block is split over two pages.
    const QString all = squeezed(texts.join(QString()));
    QStringList names;
    for (int i = 0; i < report.blocks.size(); ++i)
        names << QStringLiteral("利用者%1").arg(i, 3, 10, QLatin1Char('0'));
    QVERIFY(inOrder(positions(all, names)));
    for (const QString& t : texts) {
        const QString page = squeezed(t);
        const int users = int(page.count(u"利用者"_qs));
        QCOMPARE(int(page.count(u"自由項目05"_qs)), users);
    }
}

void TstReports::emptyReportsSayThereIsNothing_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("title");
    QTest::newRow("kana row without users") << 0 << u"か　行"_qs;
    QTest::newRow("user sheet of user 0") << 1 << u"ユ ー ザ ー 情 報"_qs;
    QTest::newRow("repair report of repair 0") << 2 << u"修理レポート"_qs;
    QTest::newRow("no makers") << 3 << u"メーカー一覧"_qs;
    QTest::newRow("no finished subjects") << 4 << u"完了の件名"_qs;
}

void TstReports::emptyReportsSayThereIsNothing()
{
    QFETCH(int, which);
    QFETCH(QString, title);
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    makeRepairAccount(u"修理係"_qs);
    Database c = Database::open(customerFile(u"山田"_qs));
    Database r = Database::open(repairFile(u"修理係"_qs));
    addUser(c, u"ｱｵｷ"_qs, u"青木"_qs);
    addRepair(r, u"佐藤"_qs, u"佐藤電機"_qs);
    Report report;
    switch (which) {
    case 0:
        report = customerList(c, u"kagyou"_qs);
        break;
    case 1:
        report = UserSheetReport(c, u"0"_qs);
        break;
    case 2:
        report = RepairSheetReport(r, u"0"_qs);
        break;
    case 3:
        report = repairList(r, u"meka"_qs);
        break;
    default:
        report = SubjectListReport(c, u"完了"_qs, subjectListTitle(u"完了"_qs));
    }
    QVERIFY(report.blocks.empty());
    QCOMPARE(ReportRenderer(report).pageCount(), 1);
    if (!m_havePdftotext)
        return;
    const QStringList pages = pdfPages(report);
    QCOMPARE(pages.size(), 1);
    const QString text = squeezed(pages.first());
    QVERIFY(text.contains(squeezed(title)));
    QVERIFY(text.contains(noDataText()));
    QVERIFY(text.contains(u"1/1"_qs));
}

void TstReports::aLongValueWrapsAndALineTallerThanAPageGoesOn()
{
    NEED_PDFTOTEXT();
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    QString remark;
    for (int i = 0; i < 4000; ++i)
        remark += QStringLiteral("記%1。").arg(i % 10);
    addUser(db, u"ｱｵｷ"_qs, u"青木"_qs, {{u"備考"_qs, remark}, {u"自由項目01"_qs, u"後の値"_qs}});
    addUser(db, u"ｱｻﾀﾞ"_qs, u"朝田"_qs, {{u"備考"_qs, u"短い\r\n二行目"_qs}});
    const Report report = customerList(db, u"agyou"_qs);
    const QStringList pages = pdfPages(report);
    QVERIFY2(pages.size() >= 2, "4,000 wrapped characters fill more than a page");
    const QString text = squeezed(pages.join(QString()));
    // Every character printed once: none overprinted, none lost at a page break.
    QCOMPARE(int(text.count(u"記"_qs)), 4000);
    // The remark's pieces in their order, once the page headers (and the
    // group caption repeated under them) that come between pages are gone:
    // a line may break inside a piece at a page's end.
    QString body = text;
    body.remove(QRegularExpression(
        u"あ行ユーザー印刷\\d{4}/\\d\\d/\\d\\d/\\d\\d:\\d\\d\\d+/\\d+(その他)?"_qs));
    QString sequence;
    for (const QRegularExpressionMatch& m : QRegularExpression(u"記(\\d)。"_qs).globalMatch(body))
        sequence += m.captured(1);
    QString expected;
    for (int i = 0; i < 4000; ++i)
        expected += QString::number(i % 10);
    QCOMPARE(sequence, expected);
    // What follows the long value comes after it.
    QVERIFY(inOrder(positions(text, {u"青木"_qs, remark.right(20), u"後の値"_qs})));
    QVERIFY(inOrder(positions(text, {u"短い"_qs, u"二行目"_qs})));
}

// However long a value, every character of it is printed, on as many pages
// as it takes.
// A long text is laid out once per font and width, however many copies of
// it the pages are handed (a row decodes its cell anew each time); a text
// that differs, even only in its middle, is laid out for itself.
void TstReports::aLongTextIsLaidOutOncePerFontAndWidth()
{
    QFont font = programFont();
    font.setPixelSize(40);
    const reporttext::Metrics metrics(font);
    QString text;
    while (text.size() < 30000)
        text += u"記録した。"_qs;
    reporttext::PieceLines pieces;
    const int lines = reporttext::lineCount(text, font, metrics, 600, pieces);
    QVERIFY(lines > 10);
    for (int copy = 0; copy < 5; ++copy) {
        const QString again(text.constData(), text.size()); // other characters, same text
        QVERIFY(again.constData() != text.constData());
        QCOMPARE(reporttext::lineCount(again, font, metrics, 600, pieces), lines);
    }
    QCOMPARE(pieces.laidOut(), 1);
    QString other = text;
    other[other.size() / 2] = u'\n';
    QVERIFY(reporttext::lineCount(other, font, metrics, 600, pieces) >= lines);
    QCOMPARE(pieces.laidOut(), 2);
    reporttext::lineCount(text, font, metrics, 300, pieces);
    QCOMPARE(pieces.laidOut(), 3);
    QFont smaller = font;
    smaller.setPixelSize(20);
    reporttext::lineCount(text, smaller, reporttext::Metrics(smaller), 600, pieces);
    QCOMPARE(pieces.laidOut(), 4);
}

void TstReports::aLongParagraphBreaksOnlyWhereItsLinesDo_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<qreal>("width");
    QTest::newRow("English words, narrow") << u"parts replaced, "_qs << qreal(300);
    QTest::newRow("English words, wide") << u"parts replaced, "_qs << qreal(900);
    QTest::newRow("Japanese, no blank") << u"部品を交換した"_qs << qreal(500);
    QTest::newRow("𠮷 and emoji") << u"𠮷野屋😀で交換"_qs << qreal(450);
}

// A paragraph longer than a piece takes as many lines, broken at the same
// places, as laid out whole: a piece ends where one of its lines ends.
void TstReports::aLongParagraphBreaksOnlyWhereItsLinesDo()
{
    QFETCH(QString, word);
    QFETCH(qreal, width);
    QFont font = programFont();
    font.setPixelSize(30);
    const reporttext::Metrics metrics(font);
    QString text;
    while (text.size() < 6 * reporttext::PieceLength)
        text += word;
    QTextLayout whole(text, font);
    reporttext::breakLines(whole, width, metrics);
    QList<qsizetype> starts;
    for (int i = 0; i < whole.lineCount(); ++i)
        starts << whole.lineAt(i).textStart();
    reporttext::PieceLines pieces;
    QCOMPARE(reporttext::lineCount(text, font, metrics, width, pieces), whole.lineCount());
    // Every piece begins where a line of the whole begins.
    for (const reporttext::PieceLines::Piece& piece : pieces.of(text, font, metrics, width))
        QVERIFY2(starts.contains(piece.from), qPrintable(QString::number(piece.from)));
}

void TstReports::everyLineSitsOnOnePitch_data()
{
    QTest::addColumn<QString>("word");
    QTest::newRow("the first font's own") << u"山田太郎gy"_qs;
    QTest::newRow("𠮷 from a fallback font") << u"山田𠮷男"_qs;
    QTest::newRow("㋿ from a fallback font") << u"𠮷ビル㋿"_qs;
    QTest::newRow("emoji") << u"絵😀文字"_qs;
}

// A wrapped value whose lines hold characters of other fonts (with ascents
// a third larger than the first font's) keeps every baseline at the same
// height in its line, and the ink of every line inside its own line.
void TstReports::everyLineSitsOnOnePitch()
{
    QFETCH(QString, word);
    QFont font = programFont();
    font.setPixelSize(40);
    const reporttext::Metrics metrics(font);
    const qreal pitch = metrics.lineSpacing();
    QTextLayout layout(word.repeated(12), font);
    reporttext::breakLines(layout, 300, metrics);
    QVERIFY(layout.lineCount() >= 3);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        QVERIFY2(qAbs(line.y() + line.ascent() - (i * pitch + metrics.ascent())) < 0.01,
                 qPrintable(u"line %1"_qs.arg(i)));
        for (const QGlyphRun& run : line.glyphRuns()) {
            const QList<quint32> glyphs = run.glyphIndexes();
            const QList<QPointF> at = run.positions();
            for (qsizetype g = 0; g < glyphs.size(); ++g) {
                const QRectF ink = run.rawFont().boundingRect(glyphs[g]).translated(at[g]);
                QVERIFY2(ink.top() >= i * pitch - 0.5 && ink.bottom() <= (i + 1) * pitch + 0.5,
                         qPrintable(u"line %1, %2"_qs.arg(i).arg(run.rawFont().familyName())));
            }
        }
    }
}

void TstReports::aVeryLongValuePrintsEveryCharacter()
{
    NEED_PDFTOTEXT();
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    QString remark;
    int items = 0;
    while (remark.size() < 400000) {
        remark += QStringLiteral("記%1。").arg(items % 10);
        ++items;
    }
    remark += u"終わり"_qs;
    const qint64 user = addUser(db, u"ｱｵｷ"_qs, u"青木"_qs, {{u"備考"_qs, remark}});
    const QStringList pages = pdfPages(UserSheetReport(db, QString::number(user)));
    QVERIFY2(pages.size() > 50, qPrintable(QString::number(pages.size())));
    const QString text = squeezed(pages.join(QString()));
    QCOMPARE(int(text.count(u"記"_qs)), items);
    QCOMPARE(int(text.count(u"。"_qs)), items);
    QVERIFY(text.contains(u"終わり"_qs));
}

namespace {

struct PdfWord
{
    int page;
    QRectF box;
    QString text;
};

// The words pdftotext finds, each with its box.
QList<PdfWord> pdfWords(const QString& pdf)
{
    QProcess p;
    p.start(u"pdftotext"_qs, {u"-bbox"_qs, pdf, u"-"_qs});
    if (!p.waitForFinished(60000))
        return {};
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    QList<PdfWord> words;
    int page = 0;
    static const QRegularExpression tag(
        u"<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
        u"yMax=\"([\\d.]+)\">([^<]*)</word>"_qs);
    for (const QRegularExpressionMatch& m : tag.globalMatch(html)) {
        if (m.captured(0).startsWith(u"<page"_qs)) {
            ++page;
            continue;
        }
        words.append({page,
                      QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                             QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())),
                      m.captured(5)});
    }
    return words;
}

// The first two words of a page that meet ("page 3: a / b"), or nothing.
QString overlapping(const QList<PdfWord>& words)
{
    for (qsizetype i = 0; i < words.size(); ++i)
        for (qsizetype j = i + 1; j < words.size(); ++j) {
            const PdfWord& a = words[i];
            const PdfWord& b = words[j];
            if (a.page != b.page)
                continue;
            const QRectF both = a.box.adjusted(0.3, 0.3, -0.3, -0.3)
                                    .intersected(b.box.adjusted(0.3, 0.3, -0.3, -0.3));
            if (!both.isEmpty())
                return QStringLiteral("page %1: ").arg(a.page) + a.text + u" / "_qs + b.text;
        }
    return {};
}

} // namespace

void TstReports::headingsStayWithTheirLogs_data()
{
    QTest::addColumn<bool>("sheet");
    QTest::newRow("user sheet") << true;
    QTest::newRow("subject list") << false;
}

// No page ends with a subject whose logs all start on the next page, and a
// page that goes on with a subject's logs says whose they are.
void TstReports::headingsStayWithTheirLogs()
{
    NEED_PDFTOTEXT();
    QFETCH(bool, sheet);
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    Database db = Database::open(customerFile(u"山田"_qs));
    const qint64 user = addUser(db, u"ｱｵｷ"_qs, u"青木"_qs);
    QHash<QString, int> logCount;
    for (int k = 0; k < 60; ++k) {
        const QString title = QStringLiteral("題目%1").arg(k, 4, 10, QLatin1Char('0'));
        const qint64 subject = addSubject(db, user, title, u"続行"_qs,
                                          QStringLiteral("2003/08/%1(火)").arg(10 + k % 19));
        logCount[title] = k % 10 == 3 ? 15 : (k * 7) % 5;
        for (int j = 0; j < logCount[title]; ++j)
            addLog(db, subject, user,
                   QStringLiteral("記録%1-%2").arg(title.mid(2)).arg(j) +
                       QString((k * 37 + j * 11) % 400, QChar(u'あ')));
    }
    const Report report = sheet ? UserSheetReport(db, QString::number(user))
                                : SubjectListReport(db, u"続行"_qs, subjectListTitle(u"続行"_qs));
    const QStringList pages = pdfPages(report);
    QVERIFY(pages.size() >= 3);
    int continued = 0;
    for (int p = 0; p < pages.size(); ++p) {
        const QString text = squeezed(pages[p]);
        for (auto it = logCount.cbegin(); it != logCount.cend(); ++it) {
            const QString& title = it.key();
            const bool heading = text.contains(QRegularExpression(title + u"(?!（続き）)"_qs));
            const bool logs = text.contains(u"記録"_qs + title.mid(2) + u'-');
            if (heading && it.value() > 0)
                QVERIFY2(
                    logs,
                    qPrintable(QStringLiteral("page %1 ends with %2 alone").arg(p + 1).arg(title)));
            if (logs && !heading) {
                QVERIFY2(
                    text.contains(title + u"（続き）"_qs) && text.contains(u"青木"_qs),
                    qPrintable(QStringLiteral("page %1 goes on with %2").arg(p + 1).arg(title)));
                ++continued;
            }
        }
    }
    QVERIFY(continued > 0);
}

// Blocks of 2 to 40 lines, each after the last, each a page's section
// going on: every block is printed, and only blocks taller than a page
// can hold below the line that says whose it is are split. A block that
// fitted a page but not below that line was left out of the print.
void TstReports::aBlockThatFitsAPageIsNeverSplit()
{
    NEED_PDFTOTEXT();
    Report report;
    report.pointSize = 30;
    report.layouts = {
        BlockLayout{{ReportGroup{QString(), {ReportLine{{ReportBox{QString(), 0}}}}}}}};
    report.blocks.push_back({0, TextRow{u"青木"_qs}, u"青木（続き）"_qs, true});
    constexpr int Blocks = 40;
    for (int k = 1; k <= Blocks; ++k) {
        const QString value =
            u"〔%1始〕\n"_qs.arg(k) + u"記録\n"_qs.repeated(k - 1) + u"〔%1終〕"_qs.arg(k);
        report.blocks.push_back({0, TextRow{value}, u"青木（続き）"_qs, false});
    }
    QStringList pages = pdfPages(report);
    QVERIFY(pages.size() > 5);
    for (QString& page : pages)
        page = squeezed(page);
    const auto pageOf = [&pages](const QString& marker) {
        for (qsizetype i = 0; i < pages.size(); ++i)
            if (pages[i].contains(marker))
                return i;
        return qsizetype(-1);
    };
    int largestWhole = 0, smallestSplit = Blocks + 1;
    for (int k = 1; k <= Blocks; ++k) {
        const qsizetype first = pageOf(u"〔%1始〕"_qs.arg(k));
        const qsizetype last = pageOf(u"〔%1終〕"_qs.arg(k));
        QVERIFY2(first >= 0 && last >= first, qPrintable(u"block %1"_qs.arg(k)));
        if (last == first)
            largestWhole = k;
        else
            smallestSplit = std::min(smallestSplit, k);
    }
    QVERIFY(smallestSplit <= Blocks);
    QCOMPARE(largestWhole, smallestSplit - 1);
}

void TstReports::everyContinuedPageSaysWhose_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("whose"); // what heads each page after the first
    QTest::newRow("customer list") << u"customer-list"_qs << u"青木（続き）"_qs;
    // The sheet's user goes on, then the user's subject.
    QTest::newRow("user sheet") << u"user-sheet"_qs << u"青木(／見積依頼)?（続き）"_qs;
    QTest::newRow("subject list") << u"subject-list"_qs << u"青木／見積依頼（続き）"_qs;
    QTest::newRow("repair list") << u"repair-list"_qs << u"河合（続き）"_qs;
    QTest::newRow("maker list") << u"maker-list"_qs << u"A社（続き）"_qs;
    QTest::newRow("repair report") << u"repair-report"_qs << u"河合（続き）"_qs;
}

// A block too long for a page goes on with its owner named on every page it
// goes on to, as the logs of a subject do.
void TstReports::everyContinuedPageSaysWhose()
{
    NEED_PDFTOTEXT();
    QFETCH(QString, kind);
    QFETCH(QString, whose);
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    makeRepairAccount(u"修理係"_qs);
    Database c = Database::open(customerFile(u"山田"_qs));
    Database r = Database::open(repairFile(u"修理係"_qs));
    const QString longText = longRemark(12000);
    const qint64 user = addLongUserAndSubject(c, longText).first;
    addRepair(r, u"河合"_qs, u"北村商店"_qs, u"続行"_qs, {{u"故障内容"_qs, longText}});
    r.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"A社"_qs}, {u"備考"_qs, longText}});
    Report report;
    if (kind == u"customer-list")
        report = ListReport(c, *customerListPrint(u"agyou"_qs, QString(), QString()));
    else if (kind == u"user-sheet")
        report = UserSheetReport(c, QString::number(user));
    else if (kind == u"subject-list")
        report = SubjectListReport(c, u"続行"_qs, subjectListTitle(u"続行"_qs));
    else if (kind == u"repair-list")
        report = ListReport(r, *repairListPrint(u"subete"_qs, RepairListOrder()));
    else if (kind == u"maker-list")
        report = ListReport(r, *repairListPrint(u"meka"_qs, RepairListOrder()));
    else
        report = RepairSheetReport(r, u"1"_qs);
    const QStringList pages = pdfPages(report);
    QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
    QVERIFY(!squeezed(pages.first()).contains(u"（続き）"_qs));
    for (int p = 1; p < pages.size(); ++p)
        QVERIFY2(squeezed(pages[p]).contains(QRegularExpression(whose)),
                 qPrintable(QStringLiteral("page %1 of %2").arg(p + 1).arg(pages.size())));
}

void TstReports::aLongSheetOverlapsNothingAtAnyMargins_data()
{
    QTest::addColumn<int>("margin");
    for (const int margin : {0, 1440, 3000, 5000, 7000, 9999})
        QTest::addRow("all four at %d", margin) << margin;
}

// A user sheet whose remark and subject go on for pages, at any margins on
// all four sides: no text is drawn over another, whatever heads a page.
void TstReports::aLongSheetOverlapsNothingAtAnyMargins()
{
    NEED_PDFTOTEXT();
    QFETCH(int, margin);
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    Database c = Database::open(customerFile(u"山田"_qs));
    const QString longText = longRemark(4000);
    const auto [user, subject] = addLongUserAndSubject(c, longText);
    for (int i = 0; i < 5; ++i)
        addLog(c, subject, user, longText.left(300));
    Report report = UserSheetReport(c, QString::number(user));
    report.margins = {margin, margin, margin, margin};
    const QString pdf = folder.file(u"sheet.pdf"_qs);
    writeReportPdf(report, pdf);
    const QList<PdfWord> words = pdfWords(pdf);
    QVERIFY(!words.isEmpty());
    const QString met = overlapping(words);
    QVERIFY2(met.isEmpty(), qPrintable(met));
}

void TstReports::noTextsOverlapAtAnyMargins_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("margin");
    for (const char* kind : {"repair-list", "unpaid-list", "repair-report", "customer-list"})
        for (const int margin : {0, 1000, 3000, 3500, 4000, 9999})
            QTest::addRow("%s at %d", kind, margin) << QString::fromLatin1(kind) << margin;
}

// However wide the left and right margins, no two texts of a page overlap,
// and a date, a telephone number, a price or a name of eight characters is
// never split: where its box is too narrow even at a readable size, it is
// cut and ends in "…".
void TstReports::noTextsOverlapAtAnyMargins()
{
    NEED_PDFTOTEXT();
    QFETCH(QString, kind);
    QFETCH(int, margin);
    TempDataFolder folder;
    makeOperator(u"山田"_qs);
    makeRepairAccount(u"修理係"_qs);
    Database r = Database::open(repairFile(u"修理係"_qs));
    Database c = Database::open(customerFile(u"山田"_qs));
    for (int i = 0; i < 3; ++i)
        addRepair(r, u"山田太郎左衛門"_qs, u"東京電機工業株式会社"_qs, u"続行"_qs,
                  {{u"入金"_qs, u"未入"_qs},
                   {u"会社TEL"_qs, u"03-1234-5678"_qs},
                   {u"担当者"_qs, u"佐藤"_qs},
                   {u"売値"_qs, u"1234567"_qs},
                   {u"メーカー名"_qs, u"日立"_qs},
                   {u"型番"_qs, u"ABC-1234X"_qs}});
    addUser(c, u"ｱｵｷ"_qs, u"青木"_qs, {{u"会社ＴＥＬ"_qs, u"03-1234-5678"_qs}});
    const RepairListOrder order;
    Report report;
    if (kind == u"repair-list")
        report = ListReport(r, *repairListPrint(u"subete"_qs, order));
    else if (kind == u"unpaid-list")
        report = ListReport(r, *repairListPrint(u"minyu"_qs, order));
    else if (kind == u"repair-report")
        report = RepairSheetReport(r, u"1"_qs);
    else
        report = ListReport(c, *customerListPrint(u"agyou"_qs, QString(), QString()));
    report.margins = {1000, margin, margin, 1000};
    const QString pdf = folder.file(u"report.pdf"_qs);
    writeReportPdf(report, pdf);
    // Kept for a look, as the window pictures are.
    if (const QString pictures = qEnvironmentVariable("HORUNEA_SCREENSHOTS"); !pictures.isEmpty())
        QFile::copy(pdf,
                    QDir(pictures).filePath(QStringLiteral("%1-%2.pdf").arg(kind).arg(margin)));
    const QList<PdfWord> words = pdfWords(pdf);
    QVERIFY(!words.isEmpty());
    const QString met = overlapping(words);
    QVERIFY2(met.isEmpty(), qPrintable(met));
    QStringList texts;
    for (const PdfWord& w : words)
        texts << w.text;
    QStringList whole{u"03-1234-5678"_qs};
    if (kind != u"customer-list")
        whole << u"2003/08/19(火)"_qs << u"山田太郎左衛門"_qs;
    if (kind == u"unpaid-list")
        whole << u"1234567"_qs;
    else if (kind != u"customer-list")
        whole << u"ABC-1234X"_qs;
    // Whole, or, in a box too narrow for it at a readable size, cut with "…";
    // never broken over two lines, never shrunk past reading.
    int cut = 0;
    for (const QString& value : whole) {
        const bool shownWhole = texts.contains(value);
        bool shownCut = false;
        for (qsizetype k = value.size() - 1; k >= 1 && !shownCut; --k) {
            const QString form = value.left(k) + u'…';
            shownCut = std::any_of(texts.cbegin(), texts.cend(),
                                   [&](const QString& t) { return t.endsWith(form); });
        }
        cut += !shownWhole && shownCut;
        QVERIFY2(shownWhole || shownCut, qPrintable(value + u" in "_qs + texts.join(u' ')));
    }
    if (margin <= 1000)
        QCOMPARE(cut, 0);
    if (margin == 9999 && kind != u"customer-list")
        QVERIFY2(cut > 0, qPrintable(texts.join(u' ')));
}

void TstReports::repairListsFollowTheRepairSortOrder()
{
    NEED_PDFTOTEXT();
    TempDataFolder folder;
    makeRepairAccount(u"修理係"_qs);
    Database db = Database::open(repairFile(u"修理係"_qs));
    SaveRepairFreeFields(db, {u"保証"_qs, u"色"_qs, u"預り"_qs});
    addRepair(
        db, u"伊藤"_qs, u"伊藤商会"_qs, u"続行"_qs,
        {{u"メーカー名"_qs, u"東芝"_qs}, {u"型番"_qs, u"RX-1"_qs}, {u"自由項目02"_qs, u"白"_qs}});
    addRepair(db, u"佐藤"_qs, u"佐藤電機"_qs, u"完了"_qs);
    addRepair(db, u"加藤"_qs, u"加藤工業"_qs, u"続行"_qs, {{u"故障内容"_qs, u"電源が入らない"_qs}});
    // お客様名, descending.
    SaveRepairSortOrder(db, {1, 1, 0, 0, 0, 0});

    const Report running = repairList(db, u"zokou"_qs);
    QCOMPARE(running.title, u"続行分"_qs);
    QCOMPARE(running.name, u"修理一覧"_qs);
    const QString text = pdfText(running);
    QVERIFY(text.contains(u"修理印刷"_qs));
    QVERIFY(inOrder(positions(
        text, {u"加藤工業"_qs, u"電源が入らない"_qs, u"伊藤商会"_qs, u"東芝"_qs, u"白"_qs})));
    QVERIFY(!text.contains(u"佐藤"_qs));
    for (const QString& caption :
         {u"受付情報"_qs, u"受付日"_qs, u"お客様名"_qs, u"自宅TEL"_qs, u"会社名"_qs, u"会社TEL"_qs,
          u"修理情報"_qs, u"ﾒｰｶｰ名"_qs, u"型番"_qs, u"ｼﾘｱﾙ"_qs, u"担当者"_qs, u"故障内容"_qs,
          u"ﾒｰｶｰ受付番号"_qs, u"自由項目"_qs, u"保証"_qs, u"色"_qs, u"預り"_qs, u"依頼者"_qs})
        QVERIFY2(text.contains(caption), qPrintable(caption));

    QCOMPARE(blockValues(repairList(db, u"kanryou"_qs), 1), QStringList{u"佐藤"_qs});
    const Report all = repairList(db, u"subete"_qs);
    QCOMPARE(all.title, u"全ての修理"_qs);
    QCOMPARE(blockValues(all, 1), (QStringList{u"加藤"_qs, u"佐藤"_qs, u"伊藤"_qs}));
}

void TstReports::unpaidAndMakerLists()
{
    NEED_PDFTOTEXT();
    TempDataFolder folder;
    makeRepairAccount(u"修理係"_qs);
    Database db = Database::open(repairFile(u"修理係"_qs));
    addRepair(db, u"伊藤"_qs, u"伊藤商会"_qs, u"完了"_qs,
              {{u"入金"_qs, u"未入"_qs},
               {u"仕切"_qs, u"8000"_qs},
               {u"売値"_qs, u"12000"_qs},
               {u"有償無償"_qs, u"有償"_qs}});
    addRepair(db, u"佐藤"_qs, u"佐藤電機"_qs, u"完了"_qs, {{u"入金"_qs, u"済"_qs}});
    addRepair(db, u"加藤"_qs, u"加藤工業"_qs, u"続行"_qs, {{u"入金"_qs, u"未入"_qs}});
    SaveRepairSortOrder(db, {0, 0, 1, 1, 0, 0}); // unpaid list by お客様名, descending

    const Report unpaid = repairList(db, u"minyu"_qs);
    QCOMPARE(unpaid.name, u"未集金リスト"_qs);
    QVERIFY(unpaid.tableHead.has_value());
    const QStringList pages = pdfPages(unpaid);
    const QString text = squeezed(pages.join(QString()));
    QVERIFY(text.contains(u"未集金リスト（入金項目が未入のもの）"_qs));
    for (const QString& caption :
         {u"判定"_qs, u"受付日"_qs, u"お客様名"_qs, u"会社名"_qs, u"会社TEL"_qs, u"自宅TEL"_qs,
          u"担当者"_qs, u"有償･無償"_qs, u"仕切"_qs, u"売値"_qs, u"入金"_qs})
        QVERIFY2(text.contains(caption), qPrintable(caption));
    QVERIFY(inOrder(positions(text, {u"加藤工業"_qs, u"伊藤商会"_qs})));
    QVERIFY(text.contains(u"8000"_qs) && text.contains(u"12000"_qs));
    QVERIFY(!text.contains(u"佐藤"_qs));

    db.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"日立"_qs}, {u"処理方法"_qs, u"送付"_qs}});
    db.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"シャープ"_qs},
                             {u"決済方法"_qs, u"月末"_qs},
                             {u"担当者"_qs, u"森"_qs}});
    const Report makers = repairList(db, u"meka"_qs);
    QCOMPARE(makers.title, u"メーカー一覧"_qs);
    const QString m = pdfText(makers);
    QVERIFY(inOrder(positions(m, {u"シャープ"_qs, u"月末"_qs, u"日立"_qs, u"送付"_qs})));
    for (const QString& caption : {u"ﾒｰｶｰ"_qs, u"住所"_qs, u"TEL"_qs, u"FAX"_qs, u"E-MAIL"_qs,
                                   u"ﾒｰｶｰ担当者"_qs, u"処理方法"_qs, u"決済方法"_qs, u"備考"_qs})
        QVERIFY2(m.contains(caption), qPrintable(caption));
}

void TstReports::repairReportPrintsTheOwnCompanyButNoPrices()
{
    NEED_PDFTOTEXT();
    TempDataFolder folder;
    makeRepairAccount(u"修理係"_qs);
    Database db = Database::open(repairFile(u"修理係"_qs));
    SaveRepairFreeFields(db, {u"保証"_qs, u"色"_qs, u"預り"_qs});
    db.update(u"自社"_qs,
              {{u"自社名"_qs, u"ホルネア電器"_qs},
               {u"自社住所"_qs, u"大阪市北区"_qs},
               {u"自社TEL"_qs, u"06-1234"_qs},
               {u"自社MAIL"_qs, u"shop@example.jp"_qs}},
              u"自社ID =1"_qs);
    addRepair(db, u"伊藤"_qs, u"伊藤商会"_qs, u"続行"_qs,
              {{u"自由項目01"_qs, u"一年"_qs},
               {u"自由項目03"_qs, u"箱"_qs},
               {u"修理処置内容"_qs, u"基板交換"_qs},
               {u"交換部品"_qs, u"電源基板"_qs},
               {u"仕切"_qs, u"777777"_qs},
               {u"売値"_qs, u"888888"_qs},
               {u"入金"_qs, u"未入"_qs}});
    const qint64 second = addRepair(db, u"加藤"_qs, u"加藤工業"_qs);

    const Report report = RepairSheetReport(db, u"1"_qs);
    QCOMPARE(report.blocks.size(), size_t(1));
    const QString text = pdfText(report);
    for (const QString& expected :
         {u"修理レポート"_qs, u"依頼者情報"_qs,      u"お客様"_qs,       u"自宅ＴＥＬ"_qs,
          u"自宅住所"_qs,     u"会社住所"_qs,        u"修理品情報"_qs,   u"シリアルＮｏ"_qs,
          u"付属品"_qs,       u"修理内容"_qs,        u"有無償"_qs,       u"診断内容"_qs,
          u"交換部品"_qs,     u"自社情報"_qs,        u"ホルネア電器"_qs, u"大阪市北区"_qs,
          u"06-1234"_qs,      u"shop@example.jp"_qs, u"基板交換"_qs,     u"電源基板"_qs,
          u"伊藤"_qs})
        QVERIFY2(text.contains(squeezed(expected)), qPrintable(expected));
    QCOMPARE(text.count(u"修理レポート"_qs), 1); // the heading, said once
    // An empty free field prints its caption with nothing after it.
    QVERIFY(inOrder(positions(text, {u"保証"_qs, u"一年"_qs, u"色"_qs, u"預り"_qs, u"箱"_qs})));
    QVERIFY(text.contains(u"色預り"_qs));
    for (const QString& price : {u"777777"_qs, u"888888"_qs, u"未入"_qs})
        QVERIFY2(!text.contains(price), qPrintable(price));
    QVERIFY(!text.contains(u"加藤"_qs));
    QVERIFY(pdfText(RepairSheetReport(db, QString::number(second))).contains(u"加藤工業"_qs));
    QVERIFY_THROWS_EXCEPTION(Failure, RepairSheetReport(db, u"1 OR 1=1"_qs));
}

void TstReports::csvQuotesAndKeepsJapaneseCharacters()
{
    const QStringList headers{u"名前"_qs, u"備考"_qs};
    const std::vector<QStringList> rows{
        {u"①㈱～髙﨑"_qs, u"言う\"はい\", そして"_qs},
        {u"二行"_qs, u"一行目\r\n二行目"_qs},
        {u"ｱｲｳ"_qs, QString()},
    };
    const QByteArray bytes = csvBytes(headers, rows);
    QCOMPARE(decodeCp932(bytes),
             u"\"名前\",\"備考\"\r\n\"①㈱～髙﨑\",\"言う\"\"はい\"\", そして\"\r\n"_qs
             u"\"二行\",\"一行目\r\n二行目\"\r\n\"ｱｲｳ\",\"\"\r\n");
    // Shift_JIS bytes: ① is 0x87 0x40 in CP932, half-width ｱ one byte.
    QVERIFY(bytes.contains(QByteArray("\x87\x40")));
    QVERIFY(bytes.contains(QByteArray("\xB1\xB2\xB3")));
    QVERIFY(!bytes.contains('?'));
}

void TstReports::everyCharacterIsDrawn_data()
{
    QTest::addColumn<QString>("character");
    for (const QString& c : {u"𠮷"_qs, u"𩸽"_qs, u"㋿"_qs, u"😀"_qs, u"髙"_qs, u"①"_qs, u"〜"_qs,
                             u"−"_qs, u"‖"_qs, u"ｶﾞ"_qs})
        QTest::newRow(qPrintable(c)) << c;
}

// The program's font, with its fallbacks, has a glyph for each character:
// no empty box in a window, the preview, the printer or the PDF.
void TstReports::everyCharacterIsDrawn()
{
    QFETCH(QString, character);
    QTextLayout layout(character, programFont(10));
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    QVERIFY(!runs.isEmpty());
    for (const QGlyphRun& run : runs) {
        for (const quint32 glyph : run.glyphIndexes())
            QVERIFY2(glyph != 0, qPrintable(run.rawFont().familyName()));
    }
    for (const uint c : character.toUcs4()) {
        bool held = false;
        for (const QGlyphRun& run : runs)
            held = held || run.rawFont().supportsCharacter(c);
        QVERIFY2(held, qPrintable(QString::number(c, 16)));
    }
}

// A user sheet holding characters of several fonts embeds each font, and
// carries every character of the basic plane as text.
void TstReports::pdfCarriesCharactersOfEveryFont()
{
    NEED_PDFTOTEXT();
    TempDataFolder folder;
    test::makeOperator(u"店"_qs);
    Database db = Database::open(customerFile(u"店"_qs));
    const qint64 user = test::addUser(db, u"ｱｲ"_qs, u"𠮷野 𩸽 ㋿ 😀"_qs,
                                      {{u"会社名"_qs, u"髙﨑 ①〜−‖"_qs}});
    const QString pdf = folder.file(u"sheet.pdf"_qs);
    writeReportPdf(UserSheetReport(db, QString::number(user)), pdf);
    QProcess fonts;
    fonts.start(u"pdffonts"_qs, {pdf});
    QVERIFY(fonts.waitForFinished(30000));
    const QString embedded = QString::fromUtf8(fonts.readAllStandardOutput());
    for (const QString& face : {u"IPAPGothic"_qs, u"NotoSansCJK"_qs, u"Symbola"_qs})
        QVERIFY2(embedded.contains(face), qPrintable(embedded));
    const QString text = pdfText(UserSheetReport(db, QString::number(user)));
    for (const QString& part : {u"野"_qs, u"㋿"_qs, u"髙﨑①"_qs, u"−‖"_qs})
        QVERIFY2(text.contains(squeezed(part)), qPrintable(part));
}

// What glibc's iconv writes for the text in CP932, as Windows does.
static QByteArray iconvCp932(const QString& text)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == iconv_t(-1))
        return {};
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 8, '\0');
    char* from = in.data();
    char* to = out.data();
    size_t left = size_t(in.size()), room = size_t(out.size());
    const size_t done = iconv(cd, &from, &left, &to, &room);
    iconv_close(cd);
    if (done == size_t(-1))
        return {};
    out.truncate(out.size() - qsizetype(room));
    return out;
}

void TstReports::csvWritesJisFormsAsWindowsDoes_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<QByteArray>("code");
    QTest::newRow("minus sign") << u"−"_qs << QByteArray("\x81\x7C");
    QTest::newRow("wave dash") << u"〜"_qs << QByteArray("\x81\x60");
    QTest::newRow("double vertical line") << u"‖"_qs << QByteArray("\x81\x61");
    QTest::newRow("em dash") << u"—"_qs << QByteArray("\x81\x5C");
    QTest::newRow("cent") << u"¢"_qs << QByteArray("\x81\x91");
    QTest::newRow("pound") << u"£"_qs << QByteArray("\x81\x92");
    QTest::newRow("not") << u"¬"_qs << QByteArray("\x81\xCA");
    QTest::newRow("yen") << u"¥"_qs << QByteArray("\x5C");
    QTest::newRow("overline") << u"‾"_qs << QByteArray("\x7E");
}

void TstReports::csvWritesJisFormsAsWindowsDoes()
{
    QFETCH(QString, character);
    QFETCH(QByteArray, code);
    const QString value = u"03"_qs + character + u"1234"_qs;
    const QByteArray bytes = csvBytes({u"電話"_qs}, {{value}});
    QCOMPARE(bytes, "\"\x93\x64\x98\x62\"\r\n\"03" + code + "1234\"\r\n");
    QCOMPARE(iconvCp932(value), "03" + code + "1234");
    // Transfer files keep the character itself.
    QCOMPARE(parseTransferLine(transferLine({value}).chopped(2)), QStringList{value});
}

void TstReports::csvRefusesCharactersOutsideCp932()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"list.csv"_qs);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("before");
    old.close();
    try {
        writeCsvFile(path, {u"名前"_qs}, {{u"青木"_qs}, {u"笑顔😀です"_qs}});
        QFAIL("an emoji was written");
    } catch (const Failure& e) {
        QVERIFY2(e.message().contains(u"U+1F600"_qs), qPrintable(e.message()));
        QVERIFY(e.message().contains(u"😀"_qs));
        // The row as the list shows it, and its column.
        QVERIFY2(e.message().startsWith(u"2 行目の「名前」の「😀」"_qs), qPrintable(e.message()));
    }
    try {
        csvBytes({u"名前"_qs, u"𠮷"_qs}, {});
        QFAIL("a heading outside CP932 was written");
    } catch (const Failure& e) {
        QVERIFY2(e.message().startsWith(u"見出しの「𠮷」(U+20BB7)"_qs), qPrintable(e.message()));
    }
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("before"));
    QString refused;
    QVERIFY(encodeCp932(u"한국"_qs, &refused).isEmpty());
    QCOMPARE(refused, u"한"_qs);
}

namespace {

CliRun cli(const QStringList& args)
{
    return runCliHere(args);
}

void fillCliSample()
{
    makeOperator(u"山田"_qs, u"pw"_qs);
    makeRepairAccount(u"修理係"_qs);
    Database c = Database::open(customerFile(u"山田"_qs));
    const qint64 user = addUser(c, u"ｱｵｷ"_qs, u"青木"_qs);
    const qint64 subject = addSubject(c, user, u"見積依頼"_qs);
    addLog(c, subject, user, u"電話連絡"_qs);
    Database r = Database::open(repairFile(u"修理係"_qs));
    addRepair(r, u"伊藤"_qs, u"伊藤商会"_qs, u"続行"_qs, {{u"入金"_qs, u"未入"_qs}});
    r.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"日立"_qs}});
}

} // namespace

void TstReports::cliWritesEveryReportKind_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");
    const QString pw = u"--password"_qs;
    QTest::newRow("customer-list")
        << QStringList{u"customer-list"_qs, u"山田"_qs, u"--row"_qs, u"あ"_qs, pw, u"pw"_qs}
        << u"青木"_qs;
    QTest::newRow("user-sheet") << QStringList{u"user-sheet"_qs, u"山田"_qs, u"--user"_qs,
                                               u"1"_qs,          pw,         u"pw"_qs}
                                << u"電話連絡"_qs;
    QTest::newRow("subject-list") << QStringList{u"subject-list"_qs, u"山田"_qs, u"--state"_qs,
                                                 u"続行"_qs,         pw,         u"pw"_qs}
                                  << u"見積依頼"_qs;
    QTest::newRow("repair-list") << QStringList{u"repair-list"_qs, u"修理係"_qs, u"--state"_qs,
                                                u"全て"_qs}
                                 << u"伊藤商会"_qs;
    QTest::newRow("unpaid-list") << QStringList{u"unpaid-list"_qs, u"修理係"_qs} << u"伊藤"_qs;
    QTest::newRow("maker-list") << QStringList{u"maker-list"_qs, u"修理係"_qs} << u"日立"_qs;
    QTest::newRow("repair-report")
        << QStringList{u"repair-report"_qs, u"修理係"_qs, u"--repair"_qs, u"1"_qs} << u"伊藤"_qs;
}

void TstReports::cliWritesEveryReportKind()
{
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    TempDataFolder folder;
    fillCliSample();
    const QString pdf = folder.file(u"out.pdf"_qs);
    const CliRun r = cli(QStringList{u"report"_qs} + args + QStringList{u"--pdf"_qs, pdf});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(r.out, pdf + u"\t1 ページ\n"_qs);
    QVERIFY(QFile::exists(pdf));
    if (!m_havePdftotext)
        return;
    QProcess p;
    p.start(u"pdftotext"_qs, {pdf, u"-"_qs});
    QVERIFY(p.waitForFinished(30000));
    QVERIFY(squeezed(QString::fromUtf8(p.readAllStandardOutput())).contains(expected));
}

void TstReports::cliRefusesBadReportArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("no pdf") << QStringList{u"maker-list"_qs, u"修理係"_qs} << 2 << u"--pdf"_qs;
    QTest::newRow("unknown kind") << QStringList{u"price-list"_qs, u"修理係"_qs} << 2
                                  << u"帳票の種類"_qs;
    QTest::newRow("bad row") << QStringList{u"customer-list"_qs, u"山田"_qs, u"--row"_qs, u"ん"_qs,
                                            u"--password"_qs,    u"pw"_qs}
                             << 2 << u"--row"_qs;
    QTest::newRow("option of another kind")
        << QStringList{u"maker-list"_qs, u"修理係"_qs, u"--row"_qs, u"あ"_qs} << 2
        << u"知らないオプション"_qs;
    QTest::newRow("key that is not a number")
        << QStringList{u"repair-report"_qs, u"修理係"_qs, u"--repair"_qs, u"1;drop"_qs} << 2
        << u"数字"_qs;
    QTest::newRow("wrong password")
        << QStringList{u"user-sheet"_qs, u"山田"_qs, u"--user"_qs, u"1"_qs} << 1
        << u"パスワードが違います"_qs;
    QTest::newRow("subject state 全て")
        << QStringList{u"subject-list"_qs, u"山田"_qs,       u"--state"_qs,
                       u"全て"_qs,         u"--password"_qs, u"pw"_qs}
        << 2 << u"--state"_qs;
}

void TstReports::cliRefusesBadReportArguments()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    TempDataFolder folder;
    fillCliSample();
    const QString pdf = folder.file(u"out.pdf"_qs);
    QStringList all = QStringList{u"report"_qs} + args;
    if (QTest::currentDataTag() != QByteArray("no pdf"))
        all << u"--pdf"_qs << pdf;
    const CliRun r = cli(all);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QVERIFY(!QFile::exists(pdf));
}

void TstReports::cliWritesListsAsCsv()
{
    TempDataFolder folder;
    fillCliSample();
    Database c = Database::open(customerFile(u"山田"_qs));
    addUser(c, u"ｱｻﾀﾞ"_qs, u"朝田\"ｶﾝﾊﾟﾆｰ\""_qs, {{u"自宅ＴＥＬ"_qs, u"03-①"_qs}});
    const QString csv = folder.file(u"users.csv"_qs);
    CliRun r = cli({u"users"_qs, u"山田"_qs, u"--row"_qs, u"あ"_qs, u"--password"_qs, u"pw"_qs,
                    u"--csv"_qs, csv});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = decodeCp932(file.readAll());
    file.close();
    const QStringList lines = text.split(u"\r\n"_qs);
    QCOMPARE(lines.size(), 4); // header, two users, and the end of the last line
    QCOMPARE(lines[0], u"\"" + userColumns().headings().join(u"\",\""_qs) + u"\""_qs);
    QVERIFY(text.contains(u"\"朝田\"\"ｶﾝﾊﾟﾆｰ\"\"\""_qs));
    QVERIFY(text.contains(u"\"03-①\""_qs));

    // A character Shift_JIS lacks: an error naming it, and the old file stays.
    c.exec(u"UPDATE ユーザー SET 表示名 = '青木🍣' WHERE ユーザーID = 1"_qs);
    r = cli({u"users"_qs, u"山田"_qs, u"--row"_qs, u"あ"_qs, u"--password"_qs, u"pw"_qs,
             u"--csv"_qs, csv});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(u"🍣"_qs), qPrintable(r.err));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(decodeCp932(file.readAll()), text);
    file.close();

    const QString repairs = folder.file(u"repairs.csv"_qs);
    r = cli({u"repairs"_qs, u"修理係"_qs, u"--unpaid"_qs, u"--csv"_qs, repairs});
    QCOMPARE(r.status, 0);
    QVERIFY(QFile(repairs).size() > 0);
}

void TstReports::theProgramWritesAPdfWithoutADisplay()
{
    TempDataFolder folder;
    fillCliSample();
    const QString program =
        QDir(QCoreApplication::applicationDirPath()).filePath(u"horunea-cli"_qs);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"QT_QPA_PLATFORM"_qs);
    env.remove(u"DISPLAY"_qs);
    env.remove(u"WAYLAND_DISPLAY"_qs);
    p.setProcessEnvironment(env);
    const QString pdf = folder.file(u"makers.pdf"_qs);
    p.start(program, {u"--data-dir"_qs, folder.path(), u"report"_qs, u"maker-list"_qs, u"修理係"_qs,
                      u"--pdf"_qs, pdf});
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(p.exitCode() == 0, qPrintable(err));
    QVERIFY2(err.isEmpty(), qPrintable(err));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
}

// Each window's print items name one list each: the key text leads back to
// its own key ("kanryou" to done subjects in one window, done repairs in
// the other), and each key builds a print of its own title.
void TstReports::everyPrintItemNamesOneList()
{
    QSet<QString> titles;
    for (const PrintItem& item : printItems()) {
        const QString text = QString::fromUtf16(item.text);
        QCOMPARE(printKeyOf(item.kind, text), std::optional<PrintKey>(item.key));
        QCOMPARE(printKeyText(item.key), text);
        QString title;
        if (item.kind == AccountKind::Operator) {
            if (auto print = customerListPrint(text, QString(), QString()))
                title = print->title;
            else
                title = subjectListTitle(subjectListState(text));
        } else {
            title = repairListPrint(text, {})->title;
        }
        QVERIFY2(!titles.contains(title), qPrintable(title));
        titles.insert(title);
    }
    QCOMPARE(titles.size(), 19);
    QCOMPARE(printKeyOf(AccountKind::Operator, u"kanryou"), PrintKey::DoneSubjects);
    QCOMPARE(printKeyOf(AccountKind::Repair, u"kanryou"), PrintKey::DoneRepairs);
    QVERIFY(!printKeyOf(AccountKind::Repair, u"agyou"));
}

QTEST_MAIN(TstReports)
#include "tst_reports.moc"
