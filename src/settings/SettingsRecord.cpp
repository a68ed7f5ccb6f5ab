#include "settings/SettingsRecord.h"

#include "store/Database.h"
#include "store/SettingsRow.h"

namespace horunea {

namespace {

QString numbered(const QString& stem, int n)
{
    return stem + QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The stored value as the sort clauses read it: the entry whose position it
// names as text, else entry 0.
int storedPosition(const QString& stored, int count)
{
    for (int i = 1; i < count; ++i)
        if (stored == QString::number(i))
            return i;
    return 0;
}

SettingsRecord loadSettings(Database& db, int captionCount,
                            const std::array<QStringList, 3>& keyChoices)
{
    const ResultSet result = ReadSettingsRow(db);
    const Row row = result.first();
    SettingsRecord record;
    for (int i = 1; i <= captionCount; ++i)
        record.captions << row.text(numbered(u"項目"_qs, i));
    for (int i = 0; i < 6; ++i) {
        const int count =
            i % 2 == 0 ? int(keyChoices[size_t(i / 2)].size()) : int(sortDirectionChoices().size());
        record.sortPositions[size_t(i)] =
            storedPosition(row.text(numbered(u"並べ"_qs, i + 1)), count);
    }
    const QStringList sides = marginFields();
    for (int i = 0; i < 4; ++i)
        record.margins[size_t(i)] = row.text(sides[i]);
    return record;
}

void storeSettings(Database& db, const Fields& fields)
{
    ReadSettingsRow(db); // the row must be there
    if (fields.isEmpty())
        return;
    Transaction transaction(db);
    if (db.update(u"設定"_qs, fields, u"設定ID =1"_qs) != 1)
        throw Failure(u"設定を保存できませんでした。"_qs);
    transaction.commit();
}

void saveFreeFields(Database& db, const QStringList& boxes, int captionCount)
{
    Fields fields;
    for (int i = 0; i < captionCount && i < boxes.size(); ++i)
        if (!boxes[i].isEmpty())
            fields << qMakePair(numbered(u"項目"_qs, i + 1), QVariant(boxes[i]));
    storeSettings(db, fields);
}

void saveSortOrder(Database& db, const std::array<int, 6>& positions,
                   const std::array<QStringList, 3>& keyChoices)
{
    Fields fields;
    for (int i = 0; i < 6; ++i) {
        const int count =
            i % 2 == 0 ? int(keyChoices[size_t(i / 2)].size()) : int(sortDirectionChoices().size());
        const int position = positions[size_t(i)];
        if (position < 0 || position >= count)
            throw Failure(QStringLiteral("並べ替えの選択が正しくありません (%1)。")
                              .arg(numbered(u"並べ"_qs, i + 1)));
        fields << qMakePair(numbered(u"並べ"_qs, i + 1), QVariant(position));
    }
    storeSettings(db, fields);
}

void saveMargins(Database& db, const std::array<QString, 4>& boxes)
{
    const QString problem = marginProblem(boxes);
    if (!problem.isEmpty())
        throw Failure(problem);
    Fields fields;
    const QStringList sides = marginFields();
    for (int i = 0; i < 4; ++i)
        if (const auto value = marginValue(boxes[size_t(i)]))
            fields << qMakePair(sides[i], QVariant(*value));
    storeSettings(db, fields);
}

} // namespace

std::array<QStringList, 3> customerSortKeyChoices()
{
    return {QStringList{u"表示名(ﾌﾘｶﾞﾅ)"_qs, u"会社TEL"_qs, u"自宅TEL"_qs, u"E-MAIL"_qs},
            QStringList{u"登録日"_qs, u"表示名"_qs, u"件名"_qs, u"備考"_qs, u"判定"_qs},
            QStringList{u"登録日"_qs, u"記録者"_qs, u"ログ"_qs}};
}

std::array<QStringList, 3> repairSortKeyChoices()
{
    return {QStringList{u"受付日"_qs, u"お客様名"_qs, u"会社名"_qs, u"会社TEL"_qs, u"自宅TEL"_qs,
                        u"ﾒｰｶｰ"_qs, u"型番"_qs, u"ｼﾘｱﾙ"_qs, u"担当者"_qs},
            QStringList{u"受付日"_qs, u"お客様名"_qs, u"会社名"_qs, u"会社TEL"_qs, u"自宅TEL"_qs,
                        u"担当者"_qs, u"有償・無償"_qs, u"仕切"_qs, u"売値"_qs, u"入金"_qs},
            QStringList{u"登録日"_qs, u"記録者"_qs, u"ログ"_qs}};
}

QStringList sortDirectionChoices()
{
    return {u"昇順"_qs, u"降順"_qs};
}

QStringList marginFields()
{
    return {u"上"_qs, u"左"_qs, u"右"_qs, u"下"_qs};
}

std::optional<int> marginValue(const QString& box)
{
    const QString text = box.normalized(QString::NormalizationForm_KC).trimmed();
    if (text.isEmpty() || text.size() > 4)
        return std::nullopt;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    return text.toInt();
}

QString marginProblem(const std::array<QString, 4>& boxes)
{
    const QStringList sides = marginFields();
    for (int i = 0; i < 4; ++i) {
        const QString& box = boxes[size_t(i)];
        if (!box.trimmed().isEmpty() && !marginValue(box))
            return QStringLiteral("余白「%1」には 0 から %2 までの整数を入力して下さい。")
                .arg(sides[i])
                .arg(MaxMargin);
    }
    return QString();
}

SettingsRecord LoadCustomerSettings(Database& db)
{
    return loadSettings(db, 5, customerSortKeyChoices());
}

SettingsRecord LoadRepairSettings(Database& db)
{
    return loadSettings(db, 3, repairSortKeyChoices());
}

void SaveCustomerFreeFields(Database& db, const QStringList& boxes)
{
    saveFreeFields(db, boxes, 5);
}

void SaveCustomerSortOrder(Database& db, const std::array<int, 6>& positions)
{
    saveSortOrder(db, positions, customerSortKeyChoices());
}

void SaveCustomerMargins(Database& db, const std::array<QString, 4>& boxes)
{
    saveMargins(db, boxes);
}

void SaveRepairFreeFields(Database& db, const QStringList& boxes)
{
    saveFreeFields(db, boxes, 3);
}

void SaveRepairSortOrder(Database& db, const std::array<int, 6>& positions)
{
    saveSortOrder(db, positions, repairSortKeyChoices());
}

void SaveRepairMargins(Database& db, const std::array<QString, 4>& boxes)
{
    saveMargins(db, boxes);
}

SettingsRecord LoadSettings(Database& db, AccountKind kind)
{
    return kind == AccountKind::Operator ? LoadCustomerSettings(db) : LoadRepairSettings(db);
}

void SaveFreeFields(Database& db, AccountKind kind, const QStringList& boxes)
{
    kind == AccountKind::Operator ? SaveCustomerFreeFields(db, boxes)
                                  : SaveRepairFreeFields(db, boxes);
}

void SaveSortOrder(Database& db, AccountKind kind, const std::array<int, 6>& positions)
{
    kind == AccountKind::Operator ? SaveCustomerSortOrder(db, positions)
                                  : SaveRepairSortOrder(db, positions);
}

void SaveMargins(Database& db, AccountKind kind, const std::array<QString, 4>& boxes)
{
    kind == AccountKind::Operator ? SaveCustomerMargins(db, boxes) : SaveRepairMargins(db, boxes);
}

} // namespace horunea
