#include "repair/MakerStorage.h"

#include "store/Database.h"

namespace horunea {

QStringList makerFields()
{
    return {u"メーカー名"_qs, u"住所"_qs,     u"TEL"_qs,      u"FAX"_qs, u"E-MAIL"_qs,
            u"担当者"_qs,     u"処理方法"_qs, u"決済方法"_qs, u"備考"_qs};
}

ListRows LoadMakerList(Database& db)
{
    ListRows rows;
    db.forEachRow(u"Select * From 修理先 ORDER BY メーカー名"_qs, {}, [&](const Row& row) {
        rows.push_back({row.text(u"修理先ID"_qs), row.text(u"メーカー名"_qs)});
    });
    return rows;
}

std::optional<QStringList> ReadMaker(Database& db, const QString& makerId)
{
    const ResultSet r =
        db.query(u"Select * From 修理先 Where "_qs + keyCondition(u"修理先ID"_qs, makerId));
    if (r.isEmpty())
        return std::nullopt;
    QStringList values;
    for (const QString& f : makerFields())
        values << r.first().text(f);
    return values;
}

qint64 AddMaker(Database& db, const QStringList& values)
{
    Fields fields;
    const QStringList names = makerFields();
    for (int i = 0; i < names.size(); ++i)
        fields << qMakePair(names[i], addedText(values.value(i)));
    return db.insert(u"修理先"_qs, fields);
}

bool UpdateMaker(Database& db, const QString& makerId, const QStringList& values)
{
    Fields fields;
    const QStringList names = makerFields();
    for (int i = 0; i < names.size(); ++i)
        fields << qMakePair(names[i], changedText(values.value(i)));
    return db.update(u"修理先"_qs, fields, keyCondition(u"修理先ID"_qs, makerId)) > 0;
}

ChangeOutcome ChangeMaker(Database& db, const QString& makerId, const QStringList& read,
                          const QStringList& values, QStringList* stored)
{
    return changeIfAsRead(
        db, u"修理先"_qs, keyCondition(u"修理先ID"_qs, makerId), makerFields(), read, stored, [&] {
            // Only what the user changed is written: a field left
            // as it was read (Null shown empty) stays as it is.
            Fields fields;
            const QStringList names = makerFields();
            for (int i = 0; i < names.size(); ++i)
                if (values.value(i) != read.value(i))
                    fields << qMakePair(names[i], changedText(values.value(i)));
            if (!fields.isEmpty())
                db.update(u"修理先"_qs, fields, keyCondition(u"修理先ID"_qs, makerId));
        });
}

bool DeleteMaker(Database& db, const QString& makerId)
{
    return db.remove(u"修理先"_qs, keyCondition(u"修理先ID"_qs, makerId)) > 0;
}

QStringList ownCompanyFields()
{
    return {u"自社名"_qs,  u"自社住所"_qs, u"自社TEL"_qs,
            u"自社FAX"_qs, u"自社MAIL"_qs, u"自社URL"_qs};
}

QStringList LoadOwnCompany(Database& db)
{
    const ResultSet r = db.query(u"Select * From 自社 Where 自社ID =1"_qs);
    if (r.isEmpty())
        throw Failure(u"自社の行がありません。"_qs);
    QStringList values;
    for (const QString& f : ownCompanyFields())
        values << r.first().text(f);
    return values;
}

void SaveOwnCompany(Database& db, const QStringList& values)
{
    Fields fields;
    const QStringList names = ownCompanyFields();
    for (int i = 0; i < names.size(); ++i)
        fields << qMakePair(names[i], changedText(values.value(i)));
    if (db.update(u"自社"_qs, fields, u"自社ID =1"_qs) == 0)
        throw Failure(u"自社の行がありません。"_qs);
}

ChangeOutcome ChangeOwnCompany(Database& db, const QStringList& read, const QStringList& values,
                               QStringList* stored)
{
    return changeIfAsRead(db, u"自社"_qs, u"自社ID =1"_qs, ownCompanyFields(), read, stored,
                          [&] { SaveOwnCompany(db, values); });
}

} // namespace horunea
