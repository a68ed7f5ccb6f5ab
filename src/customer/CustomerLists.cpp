#include "customer/CustomerLists.h"

#include "store/Database.h"
#include "store/TextForms.h"

#include <QHash>

#include <iterator>

namespace horunea {

namespace {

constexpr ColumnSpec<UserColumn> UserColumns[] = {
    {UserColumn::Id, u"ユーザーID", u"ユーザーＩＤ", 800},
    {UserColumn::Name, u"表示名", u"表示名", 1400},
    {UserColumn::HomeTel, u"自宅ＴＥＬ", u"自宅ＴＥＬ", 1350},
    {UserColumn::CompanyTel, u"会社ＴＥＬ", u"会社ＴＥＬ", 1350},
    {UserColumn::Mail, u"E-MAIL", u"e-mail", 1800},
};
static_assert(inColumnOrder(UserColumns));

constexpr ColumnSpec<SubjectColumn> SubjectColumns[] = {
    {SubjectColumn::Id, u"件名ID", u"件名ID", 700},
    {SubjectColumn::UserId, u"ユーザーID", u"ﾕｰｻﾞｰID", 800},
    {SubjectColumn::Date, u"登録日", u"登録日", 1500},
    {SubjectColumn::UserName, u"表示名", u"表示名", 1400},
    {SubjectColumn::Title, u"件名", u"件名", 1900},
    {SubjectColumn::Remarks, u"備考", u"備考", 1300},
    {SubjectColumn::State, u"判定", u"判定", 600},
};
static_assert(inColumnOrder(SubjectColumns));

constexpr ColumnSpec<LogColumn> LogColumns[] = {
    {LogColumn::Id, u"ログID", u"ﾛｸﾞID", 700},
    {LogColumn::SubjectId, u"件名ID", u"件名ID", 700},
    {LogColumn::UserId, u"ユーザーID", u"ﾕｰｻﾞｰID", 800},
    {LogColumn::Date, u"登録日", u"登録日", 1500},
    {LogColumn::Recorder, u"記録者", u"記録者", 1100},
    {LogColumn::Text, u"ログ", u"ログ", 3000},
};
static_assert(inColumnOrder(LogColumns));

} // namespace

const ListColumns& userColumns()
{
    return listColumns<UserColumns>();
}

const ListColumns& subjectColumns()
{
    return listColumns<SubjectColumns>();
}

const ListColumns& logColumns()
{
    return listColumns<LogColumns>();
}

ListRows LoadUserRows(Database& db, const SqlStatement& statement)
{
    return db.textRows(statement.sql, userColumns().fields(), statement.params);
}

ListRows LoadSubjectRows(Database& db, const SqlStatement& statement)
{
    return db.textRows(statement.sql, subjectColumns().fields(), statement.params);
}

ListRows LoadLogRows(Database& db, const SqlStatement& statement)
{
    return db.textRows(statement.sql, logColumns().fields(), statement.params);
}

QStringList UserNameSortKeys(Database& db, const ListRows& rows)
{
    QHash<QString, QString> readings;
    const ListRows all = db.textRows(u"Select ユーザーID, 表示ふりがな From ユーザー"_qs,
                                     {u"ユーザーID"_qs, u"表示ふりがな"_qs});
    readings.reserve(qsizetype(all.size()));
    for (const TextRow& row : all)
        readings.insert(row.value(0), readingSortKey(row.value(1)));
    QStringList keys;
    keys.reserve(qsizetype(rows.size()));
    for (const TextRow& row : rows) {
        const QString reading = readings.value(row.value(int(UserColumn::Id)));
        keys << (reading.isEmpty() ? readingSortKey(row.value(int(UserColumn::Name))) : reading);
    }
    return keys;
}

namespace {

struct UserFieldSpec
{
    UserField id;
    const char16_t* field;
    InputMode input;
};

constexpr UserFieldSpec UserFields[] = {
    {UserField::Reading, u"表示ふりがな", InputMode::HalfKana},
    {UserField::Name, u"表示名", InputMode::Kana},
    {UserField::NameReading, u"ユーザー名ふりがな", InputMode::HalfKana},
    {UserField::UserName, u"ユーザー名", InputMode::Kana},
    {UserField::HomeTel, u"自宅ＴＥＬ", InputMode::Off},
    {UserField::HomeFax, u"自宅ＦＡＸ", InputMode::Off},
    {UserField::HomeAddress, u"自宅住所", InputMode::Kana},
    {UserField::CompanyReading, u"会社名ふりがな", InputMode::HalfKana},
    {UserField::Company, u"会社名", InputMode::Kana},
    {UserField::Department, u"部署", InputMode::Kana},
    {UserField::CompanyTel, u"会社ＴＥＬ", InputMode::Off},
    {UserField::CompanyFax, u"会社ＦＡＸ", InputMode::Off},
    {UserField::CompanyAddress, u"会社住所", InputMode::Kana},
    {UserField::Mail, u"E-MAIL", InputMode::Off},
    {UserField::Url, u"URL", InputMode::Off},
    {UserField::Remarks, u"備考", InputMode::Kana},
    {UserField::Free1, u"自由項目01", InputMode::Kana},
    {UserField::Free2, u"自由項目02", InputMode::Kana},
    {UserField::Free3, u"自由項目03", InputMode::Kana},
    {UserField::Free4, u"自由項目04", InputMode::Kana},
    {UserField::Free5, u"自由項目05", InputMode::Kana},
};

constexpr bool inFieldOrder()
{
    for (int i = 0; i < UserFieldCount; ++i) {
        if (int(UserFields[i].id) != i)
            return false;
    }
    return std::size(UserFields) == std::size_t(UserFieldCount);
}
static_assert(inFieldOrder());

} // namespace

const QStringList& userDetailFields()
{
    static const QStringList fields = [] {
        QStringList names;
        for (const UserFieldSpec& spec : UserFields)
            names << QString::fromUtf16(spec.field);
        return names;
    }();
    return fields;
}

InputMode userFieldInput(UserField field)
{
    return UserFields[int(field)].input;
}

QStringList ReadUserDetail(Database& db, const QString& userId)
{
    const ResultSet result =
        db.query(u"Select * From ユーザー Where ユーザーID = "_qs + checkedKey(userId));
    if (result.isEmpty())
        return {};
    QStringList values;
    for (const QString& field : userDetailFields())
        values << result.first().text(field);
    return values;
}

} // namespace horunea
