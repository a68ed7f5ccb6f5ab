#include "repair/RepairStorage.h"

#include "repair/RepairQueries.h"

#include "store/Database.h"
#include "store/DateText.h"

namespace horunea {

namespace {

Fields repairFields(const RepairRecord& repair, bool adding)
{
    Fields fields{{u"判定"_qs, repair.finished ? u"完了"_qs : u"続行"_qs}};
    if (adding ? repair.accepted.isValid() : !repair.keepAccepted)
        fields << qMakePair(u"受付日"_qs, StoredDate(repair.accepted));
    const QStringList names = repairTextFields();
    for (int i = 0; i < names.size(); ++i) {
        const QString text = repair.texts.value(i);
        fields << qMakePair(names[i], adding ? addedText(text) : changedText(text));
    }
    fields << qMakePair(u"見積納期"_qs, QVariant(flagsText(repair.estimate, repair.delivery)));
    return fields;
}

} // namespace

QStringList repairTextFields()
{
    return {u"お客様名"_qs,
            u"会社名"_qs,
            u"会社TEL"_qs,
            u"会社住所"_qs,
            u"自宅TEL"_qs,
            u"自宅住所"_qs,
            u"メーカー名"_qs,
            u"型番"_qs,
            u"シリアル"_qs,
            u"付属品"_qs,
            u"担当者"_qs,
            u"故障内容"_qs,
            u"メーカー受付番号"_qs,
            u"修理処置内容"_qs,
            u"交換部品"_qs,
            u"有償無償"_qs,
            u"仕切"_qs,
            u"売値"_qs,
            u"入金"_qs,
            u"自由項目01"_qs,
            u"自由項目02"_qs,
            u"自由項目03"_qs};
}

QString flagsText(bool estimate, bool delivery)
{
    return QString(estimate ? u'1' : u'0') + QString(delivery ? u'1' : u'0');
}

bool estimateFlag(const QString& stored)
{
    return stored.left(1) == u"1";
}

bool deliveryFlag(const QString& stored)
{
    return stored.right(1) == u"1";
}

qint64 AddRepair(Database& db, const RepairRecord& repair)
{
    return db.insert(u"修理"_qs, repairFields(repair, true));
}

QStringList repairCheckedFields()
{
    return QStringList{u"判定"_qs, u"受付日"_qs, u"見積納期"_qs} + repairTextFields();
}

ChangeOutcome ChangeRepair(Database& db, const QString& repairId, const QStringList& read,
                           const RepairRecord& repair, QStringList* stored)
{
    return changeIfAsRead(db, u"修理"_qs, keyCondition(u"修理ID"_qs, repairId),
                          repairCheckedFields(), read, stored,
                          [&] { UpdateRepair(db, repairId, repair); });
}

bool UpdateRepair(Database& db, const QString& repairId, const RepairRecord& repair)
{
    return db.update(u"修理"_qs, repairFields(repair, false),
                     keyCondition(u"修理ID"_qs, repairId)) > 0;
}

bool DeleteRepair(Database& db, const QString& repairId)
{
    const QString byRepair = keyCondition(u"修理ID"_qs, repairId);
    Transaction transaction(db);
    // Held first: a repair log another PC is adding is in before the logs
    // go, or is refused after.
    db.holdRows(u"修理"_qs, byRepair);
    db.remove(u"修理ログ"_qs, byRepair);
    const bool found = db.remove(u"修理"_qs, byRepair) > 0;
    transaction.commit();
    return found;
}

qint64 AddRepairLog(Database& db, const QString& repairId, const RepairLogRecord& log)
{
    const qint64 repair = checkedKey(repairId).toLongLong();
    Transaction transaction(db);
    if (db.holdRows(u"修理"_qs, keyCondition(u"修理ID"_qs, repairId), Database::Hold::Share) == 0)
        return 0; // never a log of no repair
    Fields fields{{u"修理ID"_qs, repair}};
    if (log.date.isValid())
        fields << qMakePair(u"記録日"_qs, StoredDate(log.date));
    fields << qMakePair(u"記録者"_qs, addedText(log.recorder))
           << qMakePair(u"ログ"_qs, addedText(log.text));
    const qint64 key = db.insert(u"修理ログ"_qs, fields);
    transaction.commit();
    return key;
}

ChangeOutcome ChangeRepairLog(Database& db, const QString& repairLogId, const QStringList& read,
                              const RepairLogRecord& log, QStringList* stored)
{
    return changeIfAsRead(db, u"修理ログ"_qs, keyCondition(u"修理ログID"_qs, repairLogId),
                          {u"記録日"_qs, u"記録者"_qs, u"ログ"_qs}, read, stored,
                          [&] { UpdateRepairLog(db, repairLogId, log); });
}

bool UpdateRepairLog(Database& db, const QString& repairLogId, const RepairLogRecord& log)
{
    Fields fields{{u"記録者"_qs, changedText(log.recorder)}, {u"ログ"_qs, changedText(log.text)}};
    if (!log.keepDate)
        fields.prepend(qMakePair(u"記録日"_qs, StoredDate(log.date)));
    return db.update(u"修理ログ"_qs, fields, keyCondition(u"修理ログID"_qs, repairLogId)) > 0;
}

bool DeleteRepairLog(Database& db, const QString& repairLogId)
{
    return db.remove(u"修理ログ"_qs, keyCondition(u"修理ログID"_qs, repairLogId)) > 0;
}

ListRows LoadRepairRows(Database& db, const SqlStatement& statement)
{
    return db.textRows(statement.sql, repairColumns().fields(), statement.params);
}

ListRows LoadUnpaidRows(Database& db, const SqlStatement& statement)
{
    return db.textRows(statement.sql, unpaidColumns().fields(), statement.params);
}

ListRows LoadRepairLogRows(Database& db, const SqlStatement& statement)
{
    return db.textRows(statement.sql, repairLogColumns().fields(), statement.params);
}

QStringList LoadMakerNames(Database& db)
{
    QStringList names;
    db.forEachRow(u"Select * From 修理先"_qs, {},
                  [&](const Row& row) { names << row.text(u"メーカー名"_qs); });
    return names;
}

std::optional<QHash<QString, QString>> ReadRepair(Database& db, const QString& repairId)
{
    const ResultSet result =
        db.query(u"Select * From 修理 Where 修理ID = "_qs + checkedKey(repairId));
    if (result.isEmpty())
        return std::nullopt;
    QHash<QString, QString> fields;
    const Row row = result.first();
    for (const QString& name : result.columnNames())
        fields.insert(name, row.text(name));
    return fields;
}

} // namespace horunea
