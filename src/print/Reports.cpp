#include "print/Reports.h"

#include "customer/CustomerSettings.h"
#include "settings/SettingsRecord.h"
#include "store/Database.h"
#include "store/DateText.h"
#include "store/PrintKeys.h"

#include <QHash>

#include <array>

namespace horunea {

namespace {

// Builds one block layout while collecting the fields its boxes print, so
// that a block's row holds exactly those fields, in box order.
class LayoutBuilder
{
public:
    explicit LayoutBuilder(int indent = 0) { m_layout.indent = indent; }

    LayoutBuilder& group(const QString& caption)
    {
        m_layout.groups.append(ReportGroup{caption, {}});
        return *this;
    }
    LayoutBuilder& line()
    {
        if (m_layout.groups.isEmpty())
            group(QString());
        m_layout.groups.last().lines.append(ReportLine{});
        return *this;
    }
    // A box printing a field under a caption.
    LayoutBuilder& box(const QString& caption, const QString& field, int width = 1)
    {
        int index = int(m_fields.indexOf(field));
        if (index < 0) {
            index = int(m_fields.size());
            m_fields << field;
        }
        lastLine().boxes.append({caption, index, width});
        return *this;
    }
    // A box printing a caption alone.
    LayoutBuilder& label(const QString& caption, int width = 1)
    {
        lastLine().boxes.append({caption, -1, width});
        return *this;
    }
    // The free fields, each captioned by its caption of the settings row.
    LayoutBuilder& freeFields(const QStringList& captions, int perLine)
    {
        for (int i = 0; i < captions.size(); ++i) {
            if (i % perLine == 0)
                line();
            box(captions[i], QStringLiteral("自由項目%1").arg(i + 1, 2, 10, QLatin1Char('0')));
        }
        return *this;
    }

    const BlockLayout& layout() const { return m_layout; }
    const QStringList& fields() const { return m_fields; }

private:
    ReportLine& lastLine()
    {
        if (m_layout.groups.isEmpty() || m_layout.groups.last().lines.isEmpty())
            line();
        return m_layout.groups.last().lines.last();
    }

    BlockLayout m_layout;
    QStringList m_fields;
};

Report startReport(Database& db, ReportKind kind, const QString& title)
{
    Report report;
    report.name = reportName(kind);
    report.title = title;
    report.printedAt = Clock::now();
    report.margins = ApplyReportMargins(db);
    return report;
}

// Appends one block per row of the query.
// ownerField: the field that names each block (表示名, お客様名), for the
// heading of a page that goes on inside the block.
void addBlocks(Database& db, Report& report, const LayoutBuilder& builder,
               const SqlStatement& query, const QString& ownerField = QString())
{
    const int layout = int(report.layouts.size());
    report.layouts.append(builder.layout());
    const qsizetype owner = builder.fields().indexOf(ownerField);
    for (TextRow& row : db.textRows(query.sql, builder.fields(), query.params)) {
        const QString continued = (owner >= 0 ? row.value(owner) : QString()) + u"（続き）"_qs;
        report.blocks.push_back({layout, std::move(row), continued, true});
    }
}

// The user's fields as the customer list and the user sheet print them; the
// sheet adds the two addresses.
LayoutBuilder userLayout(const QStringList& captions, bool withAddresses)
{
    LayoutBuilder b;
    b.group(u"表示名"_qs).line().box({}, u"表示名"_qs, 3).box(u"ﾌﾘｶﾞﾅ"_qs, u"表示ふりがな"_qs, 3);
    b.group(u"ﾕｰｻﾞｰ"_qs)
        .line()
        .box({}, u"ユーザー名"_qs, 3)
        .box(u"ﾌﾘｶﾞﾅ"_qs, u"ユーザー名ふりがな"_qs, 3)
        .line()
        .box(u"TEL"_qs, u"自宅ＴＥＬ"_qs, 3)
        .box(u"FAX"_qs, u"自宅ＦＡＸ"_qs, 3);
    if (withAddresses)
        b.line().box(u"住所"_qs, u"自宅住所"_qs);
    b.group(u"会社"_qs)
        .line()
        .box({}, u"会社名"_qs, 3)
        .box(u"ﾌﾘｶﾞﾅ"_qs, u"会社名ふりがな"_qs, 3)
        .line()
        .box({}, u"部署"_qs, 2)
        .box(u"TEL"_qs, u"会社ＴＥＬ"_qs, 2)
        .box(u"FAX"_qs, u"会社ＦＡＸ"_qs, 2);
    if (withAddresses)
        b.line().box(u"住所"_qs, u"会社住所"_qs);
    b.line().box(u"E-MAIL"_qs, u"E-MAIL"_qs).box(u"URL"_qs, u"URL"_qs);
    b.group(u"その他"_qs).line().box({}, u"備考"_qs);
    b.group(u"自由項目"_qs).freeFields(captions, 3);
    return b;
}

LayoutBuilder logLayout(int indent)
{
    LayoutBuilder b(indent);
    b.group(u"ロ グ"_qs)
        .line()
        .box(u"登録日"_qs, u"登録日"_qs, 2)
        .box(u"記録者"_qs, u"記録者"_qs, 2)
        .line()
        .box(u"ログ"_qs, u"ログ"_qs, 4);
    return b;
}

// Each subject followed by its logs, newest first. The logs come in one
// query and are grouped by subject, so that a subject only ever gets its own.
// The text that heads a continuation page: "青木 ／ 見積依頼（続き）".
QString continuedText(const QString& owner, const QString& subject)
{
    QString text = owner;
    if (!subject.isEmpty())
        text += (text.isEmpty() ? QString() : u" ／ "_qs) + subject;
    return text + u"（続き）"_qs;
}

// owner: the user whose subjects these are (the user sheet); empty when
// each subject names its own (表示名, the subject list).
void addSubjectsWithLogs(Database& db, Report& report, const LayoutBuilder& subjects,
                         const SqlStatement& subjectQuery, const LayoutBuilder& logs,
                         const SqlStatement& logQuery, const QString& owner = QString())
{
    const int subjectLayout = int(report.layouts.size());
    report.layouts.append(subjects.layout());
    report.layouts.last().keepWithNext = true;
    const int logLayoutIndex = int(report.layouts.size());
    report.layouts.append(logs.layout());

    QStringList subjectFields = subjects.fields();
    const int subjectKey = int(subjectFields.size());
    subjectFields << u"件名ID"_qs;
    QStringList logFields = logs.fields();
    const int logKey = int(logFields.size());
    logFields << u"件名ID"_qs;

    QHash<QString, std::vector<TextRow>> logsOf;
    for (TextRow& row : db.textRows(logQuery.sql, logFields, logQuery.params))
        logsOf[row.value(logKey)].push_back(std::move(row));
    const qsizetype titleField = subjectFields.indexOf(u"件名"_qs);
    const qsizetype nameField = subjectFields.indexOf(u"表示名"_qs);
    for (TextRow& subject : db.textRows(subjectQuery.sql, subjectFields, subjectQuery.params)) {
        const QString key = subject.value(subjectKey);
        const QString whose = owner.isEmpty() && nameField >= 0 ? subject.value(nameField) : owner;
        const QString logsContinued =
            continuedText(whose, titleField >= 0 ? subject.value(titleField) : QString());
        report.blocks.push_back({subjectLayout, std::move(subject), logsContinued, true});
        for (TextRow& log : logsOf.value(key))
            report.blocks.push_back({logLayoutIndex, std::move(log), logsContinued});
    }
}

struct ListKey
{
    PrintKey key;
    const char16_t* rowName;
    const char16_t* title;
    const char16_t* condition;
};

const std::array<ListKey, 12>& listKeys()
{
    static const std::array<ListKey, 12> keys = {{
        {PrintKey::RowA, u"あ", u"あ　行", u" WHERE 表示ふりがな Like '[あ-おぁ-ぉｱ-ｵｧ-ｫ]%'"},
        {PrintKey::RowKa, u"か", u"か　行", u" WHERE 表示ふりがな Like '[ｶ-ｺ]%'"},
        {PrintKey::RowSa, u"さ", u"さ　行", u" WHERE 表示ふりがな Like '[ｻ-ｿ]%'"},
        {PrintKey::RowTa, u"た", u"た　行", u" WHERE 表示ふりがな Like '[ﾀ-ﾄ]%'"},
        {PrintKey::RowNa, u"な", u"な　行", u" WHERE 表示ふりがな Like '[ﾅ-ﾉ]%'"},
        {PrintKey::RowHa, u"は", u"は　行", u" WHERE 表示ふりがな Like '[ﾊ-ﾎ]%'"},
        {PrintKey::RowMa, u"ま", u"ま　行", u" WHERE 表示ふりがな Like '[ﾏ-ﾓ]%'"},
        {PrintKey::RowYa, u"や", u"や　行", u" WHERE 表示ふりがな Like '[ﾔ-ﾖ]%'"},
        {PrintKey::RowRa, u"ら", u"ら　行", u" WHERE 表示ふりがな Like '[ﾗ-ﾛ]%'"},
        {PrintKey::RowWa, u"わ", u"わ　行", u" WHERE 表示ふりがな Like '[ﾜ-ﾝ]%'"},
        {PrintKey::RowAbc, u"ABC", u"アルファベット", u" WHERE 表示ふりがな Like '[A-Z]%'"},
        {PrintKey::RowOther, u"その他", u"そ　の　他", nullptr},
    }};
    return keys;
}

QString otherRowsQuery()
{
    return u"SELECT * FROM ユーザー,設定 WHERE 表示ふりがな Like '[!ｱ-ｵ]%' and 表示ふりがな Like '[!ｶ-ｺ]%' "_qs
           u"and 表示ふりがな Like '[!ｻ-ｿ]%' "
           u"and 表示ふりがな Like '[!ﾀ-ﾄ]%' and 表示ふりがな Like '[!ﾅ-ﾉ]%' and 表示ふりがな Like "
           u"'[!ﾊ-ﾎ]%' "
           u"and 表示ふりがな Like '[!ﾏ-ﾓ]%' and 表示ふりがな Like '[!ﾔ-ﾖ]%' and 表示ふりがな Like "
           u"'[!ﾗ-ﾛ]%' "
           u"and 表示ふりがな Like '[!ﾜ-ﾝ]%' and 表示ふりがな Like '[!A-Z]%'";
}

Report customerList(Database& db, const PrintRequest& request)
{
    Report report = startReport(db, request.kind, request.title);
    report.heading = u"ユーザー印刷"_qs;
    addBlocks(db, report, userLayout(fieldCaptions(db, 5), false), request.query, u"表示名"_qs);
    return report;
}

Report repairList(Database& db, const PrintRequest& request)
{
    Report report = startReport(db, request.kind, request.title);
    report.heading = u"修　　理　　印　　刷"_qs;
    LayoutBuilder b;
    b.group(u"受付情報"_qs)
        .line()
        .box(u"受付日"_qs, u"受付日"_qs, 3)
        .label(u"依頼者"_qs, 1)
        .box(u"お客様名"_qs, u"お客様名"_qs, 4)
        .box(u"自宅TEL"_qs, u"自宅TEL"_qs, 3)
        .line()
        .box(u"会社名"_qs, u"会社名"_qs, 8)
        .box(u"会社TEL"_qs, u"会社TEL"_qs, 3);
    b.group(u"修理情報"_qs)
        .line()
        .box(u"ﾒｰｶｰ名"_qs, u"メーカー名"_qs, 4)
        .box(u"型番"_qs, u"型番"_qs, 4)
        .box(u"ｼﾘｱﾙ"_qs, u"シリアル"_qs, 3)
        .line()
        .box(u"担当者"_qs, u"担当者"_qs, 4)
        .box(u"ﾒｰｶｰ受付番号"_qs, u"メーカー受付番号"_qs, 7)
        .line()
        .box(u"故障内容"_qs, u"故障内容"_qs);
    b.group(u"自由項目"_qs).freeFields(fieldCaptions(db, 3), 3);
    addBlocks(db, report, b, request.query, u"お客様名"_qs);
    return report;
}

Report unpaidList(Database& db, const PrintRequest& request)
{
    Report report = startReport(db, request.kind, request.title);
    report.pointSize = 7.5;
    const std::array<std::pair<const char16_t*, const char16_t*>, 11> columns = {{
        {u"判定", u"判定"},
        {u"受付日", u"受付日"},
        {u"お客様名", u"お客様名"},
        {u"会社名", u"会社名"},
        {u"会社TEL", u"会社TEL"},
        {u"自宅TEL", u"自宅TEL"},
        {u"担当者", u"担当者"},
        {u"有償･無償", u"有償無償"},
        {u"仕切", u"仕切"},
        {u"売値", u"売値"},
        {u"入金", u"入金"},
    }};
    const std::array<int, 11> widths = {2, 6, 5, 6, 6, 6, 3, 4, 3, 3, 2};
    LayoutBuilder b;
    ReportLine head;
    for (size_t i = 0; i < columns.size(); ++i) {
        b.box({}, QString::fromUtf16(columns[i].second), widths[i]);
        head.boxes.append({QString::fromUtf16(columns[i].first), -1, widths[i]});
    }
    report.tableHead = head;
    addBlocks(db, report, b, request.query, u"お客様名"_qs);
    return report;
}

Report makerList(Database& db, const PrintRequest& request)
{
    Report report = startReport(db, request.kind, request.title);
    LayoutBuilder b;
    b.line()
        .box(u"ﾒｰｶｰ"_qs, u"メーカー名"_qs, 5)
        .box(u"TEL"_qs, u"TEL"_qs, 3)
        .box(u"FAX"_qs, u"FAX"_qs, 3)
        .line()
        .box(u"住所"_qs, u"住所"_qs, 7)
        .box(u"ﾒｰｶｰ担当者"_qs, u"担当者"_qs, 4)
        .line()
        .box(u"E-MAIL"_qs, u"E-MAIL"_qs, 5)
        .box(u"処理方法"_qs, u"処理方法"_qs, 3)
        .box(u"決済方法"_qs, u"決済方法"_qs, 3)
        .line()
        .box(u"備考"_qs, u"備考"_qs);
    addBlocks(db, report, b, request.query, u"メーカー名"_qs);
    return report;
}

} // namespace

QString reportName(ReportKind kind)
{
    switch (kind) {
    case ReportKind::CustomerList:
        return u"顧客一覧"_qs;
    case ReportKind::UserSheet:
        return u"ﾕｰｻﾞｰ情報"_qs;
    case ReportKind::SubjectList:
        return u"件名一覧"_qs;
    case ReportKind::RepairList:
        return u"修理一覧"_qs;
    case ReportKind::UnpaidList:
        return u"未集金リスト"_qs;
    case ReportKind::MakerList:
        return u"メーカー一覧"_qs;
    case ReportKind::RepairSheet:
        return u"修理レポート"_qs;
    }
    return {};
}

std::optional<PrintRequest> customerListPrint(const QString& key, const QString& userOrderBy,
                                              const QString& userOrderDesc)
{
    const std::optional<PrintKey> item = printKeyOf(AccountKind::Operator, key);
    for (const ListKey& k : listKeys()) {
        if (item != k.key)
            continue;
        PrintRequest request;
        request.kind = ReportKind::CustomerList;
        request.title = QString::fromUtf16(k.title);
        const QString select =
            k.condition ? u"SELECT * FROM ユーザー,設定 "_qs + QString::fromUtf16(k.condition)
                        : otherRowsQuery();
        request.query = SqlStatement(select + userOrderBy + userOrderDesc);
        return request;
    }
    return std::nullopt;
}

QStringList customerListKeys()
{
    QStringList keys;
    for (const ListKey& k : listKeys())
        keys << printKeyText(k.key);
    return keys;
}

QString customerListKey(const QString& rowName)
{
    for (const ListKey& k : listKeys())
        if (rowName == QStringView(k.rowName))
            return printKeyText(k.key);
    return {};
}

QString subjectListState(const QString& key)
{
    const std::optional<PrintKey> item = printKeyOf(AccountKind::Operator, key);
    if (item == PrintKey::ContinuingSubjects)
        return u"続行"_qs;
    if (item == PrintKey::DoneSubjects)
        return u"完了"_qs;
    return {};
}

QString subjectListTitle(const QString& state)
{
    return state == u"完了" ? u"完了の件名"_qs : u"続行中の件名"_qs;
}

std::optional<PrintRequest> repairListPrint(const QString& key, const RepairListOrder& order)
{
    const QString repairOrder = order.RepairOrderBy + order.RepairOrderDesc;
    PrintRequest request;
    const std::optional<PrintKey> item = printKeyOf(AccountKind::Repair, key);
    if (item == PrintKey::ContinuingRepairs) {
        request = {ReportKind::RepairList, u"続行分"_qs,
                   SqlStatement(u"SELECT * FROM 修理,設定 WHERE 判定 = '続行'"_qs + repairOrder)};
    } else if (item == PrintKey::DoneRepairs) {
        request = {ReportKind::RepairList, u"完了分"_qs,
                   SqlStatement(u"SELECT * FROM 修理,設定 WHERE 判定 = '完了'"_qs + repairOrder)};
    } else if (item == PrintKey::AllRepairs) {
        request = {ReportKind::RepairList, u"全ての修理"_qs,
                   SqlStatement(u"SELECT * FROM 修理,設定 "_qs + repairOrder)};
    } else if (item == PrintKey::UnpaidRepairs) {
        request = {ReportKind::UnpaidList, u"未集金リスト（入金項目が未入のもの）"_qs,
                   SqlStatement(u"SELECT * FROM 修理 WHERE 入金='未入'"_qs + order.UnpaidOrderBy +
                                order.UnpaidOrderDesc)};
    } else if (item == PrintKey::Makers) {
        request = {ReportKind::MakerList, u"メーカー一覧"_qs,
                   SqlStatement(u"SELECT * FROM 修理先 ORDER BY メーカー名"_qs)};
    } else {
        return std::nullopt;
    }
    return request;
}

ReportMargins ApplyReportMargins(Database& db)
{
    constexpr int Fallback = 1000;
    const ResultSet row = ReadSettingsRow(db);
    const QStringList sides = marginFields();
    ReportMargins margins{};
    for (int i = 0; i < 4; ++i)
        margins[size_t(i)] = marginValue(row.first().text(sides[i])).value_or(Fallback);
    return margins;
}

Report ListReport(Database& db, const PrintRequest& request)
{
    switch (request.kind) {
    case ReportKind::CustomerList:
        return customerList(db, request);
    case ReportKind::RepairList:
        return repairList(db, request);
    case ReportKind::UnpaidList:
        return unpaidList(db, request);
    case ReportKind::MakerList:
        return makerList(db, request);
    default:
        break;
    }
    throw Failure(u"一覧の印刷ではありません。"_qs);
}

Report UserSheetReport(Database& db, const QString& userId)
{
    checkedKey(userId);
    Report report = startReport(db, ReportKind::UserSheet, QString());
    report.heading = u"ユ ー ザ ー 情 報"_qs;
    report.headingOnly = true;
    report.pointSize = 9;

    const SqlStatement userQuery(
        u"SELECT ユーザー.*, 設定.項目01 AS 項目01, 設定.項目02 AS 項目02, 設定.項目03 AS 項目03, "_qs
        u"設定.項目04 AS 項目04, 設定.項目05 AS 項目05 FROM ユーザー, 設定 WHERE "
        u"(ユーザー.ユーザーID = ?)",
        {userId.toLongLong()});
    addBlocks(db, report, userLayout(fieldCaptions(db, 5), true), userQuery, u"表示名"_qs);
    if (report.blocks.empty())
        return report;

    LayoutBuilder subjects;
    subjects.group(u"件名"_qs)
        .line()
        .box(u"登録日"_qs, u"登録日"_qs, 3)
        .box(u"判定"_qs, u"判定"_qs, 2)
        .line()
        .box(u"件名"_qs, u"件名"_qs)
        .line()
        .box(u"備考"_qs, u"備考"_qs);
    addSubjectsWithLogs(
        db, report, subjects,
        SqlStatement(u"SELECT 件名.* FROM 件名 WHERE 件名.ユーザーID = ? "_qs
                     u"ORDER BY 件名.登録日 DESC, 件名.件名ID DESC",
                     {userId.toLongLong()}),
        logLayout(1),
        SqlStatement(u"SELECT ログ.* FROM 件名, ログ WHERE 件名.件名ID = ログ.件名ID "_qs
                     u"AND 件名.ユーザーID = ? ORDER BY ログ.登録日 DESC, ログ.ログID DESC",
                     {userId.toLongLong()}),
        report.blocks.front().values.value(0));
    return report;
}

Report SubjectListReport(Database& db, const QString& state, const QString& title)
{
    Report report = startReport(db, ReportKind::SubjectList, title);
    LayoutBuilder subjects;
    subjects.line()
        .box(u"表示名"_qs, u"表示名"_qs, 4)
        .box(u"登録日"_qs, u"登録日"_qs, 3)
        .box(u"判定"_qs, u"判定"_qs, 2)
        .line()
        .box(u"件名"_qs, u"件名"_qs, 5)
        .box(u"会社TEL"_qs, u"会社ＴＥＬ"_qs, 2)
        .box(u"自宅TEL"_qs, u"自宅ＴＥＬ"_qs, 2)
        .line()
        .box(u"備考"_qs, u"備考"_qs);
    LayoutBuilder logs(1);
    logs.line()
        .box(u"登録日"_qs, u"登録日"_qs, 2)
        .box(u"記録者"_qs, u"記録者"_qs, 2)
        .box(u"ログ"_qs, u"ログ"_qs, 6);
    addSubjectsWithLogs(
        db, report, subjects,
        SqlStatement(
            u"SELECT ユーザー.表示名, 件名.登録日, 件名.件名, 件名.備考, 件名.判定, 件名.件名ID, "_qs
            u"ユーザー.会社ＴＥＬ, ユーザー.自宅ＴＥＬ FROM ユーザー, 件名 WHERE "
            u"ユーザー.ユーザーID = "
            u"件名.ユーザーID AND (件名.判定 = ?) ORDER BY 件名.登録日 DESC, 件名.件名ID DESC",
            {state}),
        logs,
        SqlStatement(u"SELECT ログ.ログ, ログ.登録日, ログ.記録者, ログ.件名ID FROM ログ, 件名 "_qs
                     u"WHERE ログ.件名ID = 件名.件名ID AND (件名.判定 = ?) "
                     u"ORDER BY ログ.登録日 DESC, ログ.ログID DESC",
                     {state}));
    return report;
}

Report RepairSheetReport(Database& db, const QString& repairId)
{
    checkedKey(repairId);
    // Its heading says what it is; a title beside it would say it twice.
    Report report = startReport(db, ReportKind::RepairSheet, QString());
    report.heading = u"修　理　レ　ポ　ー　ト"_qs;
    report.pointSize = 10;
    LayoutBuilder b;
    b.line()
        .box(u"判定"_qs, u"判定"_qs, 2)
        .box(u"受付日"_qs, u"受付日"_qs, 3)
        .box(u"担当者"_qs, u"担当者"_qs, 3);
    b.group(u"依頼者情報"_qs)
        .line()
        .box(u"お客様"_qs, u"お客様名"_qs, 3)
        .box(u"自宅ＴＥＬ"_qs, u"自宅TEL"_qs, 2)
        .line()
        .box(u"自宅住所"_qs, u"自宅住所"_qs)
        .line()
        .box(u"会社"_qs, u"会社名"_qs, 3)
        .box(u"会社TEL"_qs, u"会社TEL"_qs, 2)
        .line()
        .box(u"会社住所"_qs, u"会社住所"_qs);
    b.group(u"修理品情報"_qs)
        .line()
        .box(u"ﾒｰｶｰ"_qs, u"メーカー名"_qs, 2)
        .box(u"型番"_qs, u"型番"_qs, 2)
        .box(u"シリアルＮｏ"_qs, u"シリアル"_qs, 2)
        .line()
        .box(u"付属品"_qs, u"付属品"_qs);
    b.group(u"修理内容"_qs)
        .line()
        .box(u"故障内容"_qs, u"故障内容"_qs)
        .line()
        .box(u"ﾒｰｶｰ受付番号"_qs, u"メーカー受付番号"_qs, 3)
        .box(u"有無償"_qs, u"有償無償"_qs, 2)
        .line()
        .box(u"診断内容"_qs, u"修理処置内容"_qs)
        .line()
        .box(u"交換部品"_qs, u"交換部品"_qs);
    b.group(u"その他"_qs).freeFields(fieldCaptions(db, 3), 3);
    b.group(u"自社情報"_qs)
        .line()
        .box(u"会社名"_qs, u"自社名"_qs)
        .line()
        .box(u"住所"_qs, u"自社住所"_qs)
        .line()
        .box(u"TEL"_qs, u"自社TEL"_qs)
        .box(u"FAX"_qs, u"自社FAX"_qs)
        .line()
        .box(u"E-MAIL"_qs, u"自社MAIL"_qs)
        .box(u"URL"_qs, u"自社URL"_qs);
    addBlocks(db, report, b,
              SqlStatement(u"SELECT * FROM 自社,修理,設定 WHERE 修理ID ="_qs + repairId),
              u"お客様名"_qs);
    return report;
}

} // namespace horunea
