#pragma once

#include "store/RowChange.h"

#include "store/SqlPiece.h"
#include "store/TextRow.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace horunea {

class Database;

// The text fields of a repair the editor writes, in the editor's order.
QStringList repairTextFields();

// A repair as the editor holds it.
struct RepairRecord
{
    bool finished = false;     // 判定: 完了 when set, else 続行
    QDate accepted;            // 受付日
    bool estimate = false;     // 見積必要: first flag of 見積納期
    bool delivery = false;     // 納期必要: last flag of 見積納期
    QStringList texts;         // repairTextFields() order
    bool keepAccepted = false; // a change leaves 受付日 as it is stored
};

// 見積納期 as stored: always two characters.
QString flagsText(bool estimate, bool delivery);
// Reading 見積納期 back: the first and the last character.
bool estimateFlag(const QString& stored);
bool deliveryFlag(const QString& stored);

// A repair log as the editor holds it.
struct RepairLogRecord
{
    QDate date;            // 記録日
    QString recorder;      // 記録者
    QString text;          // ログ
    bool keepDate = false; // a change leaves 記録日 as it is stored
};

// Adding leaves empty boxes Null; changing writes them as empty text. A change
// or delete returns false when the record is no longer there; a repair log
// for a repair that is not there is not added (0).
qint64 AddRepair(Database& db, const RepairRecord& repair);
bool UpdateRepair(Database& db, const QString& repairId, const RepairRecord& repair);
// The fields a change of a repair is checked against: 判定, 受付日, 見積納期,
// then repairTextFields().
QStringList repairCheckedFields();
// The same as UpdateRepair, written only while the repair's checked fields
// are still `read` (as the detail showed them); else *stored gets them.
ChangeOutcome ChangeRepair(Database& db, const QString& repairId, const QStringList& read,
                           const RepairRecord& repair, QStringList* stored = nullptr);
// Its logs, then the repair, all or nothing.
bool DeleteRepair(Database& db, const QString& repairId);
qint64 AddRepairLog(Database& db, const QString& repairId, const RepairLogRecord& log);
bool UpdateRepairLog(Database& db, const QString& repairLogId, const RepairLogRecord& log);
// The same against the repair log's 記録日, 記録者 and ログ as `read`.
ChangeOutcome ChangeRepairLog(Database& db, const QString& repairLogId, const QStringList& read,
                              const RepairLogRecord& log, QStringList* stored = nullptr);
bool DeleteRepairLog(Database& db, const QString& repairLogId);

// The rows of the repair window's lists (window columns, Null as empty).
ListRows LoadRepairRows(Database& db, const SqlStatement& statement);
ListRows LoadUnpaidRows(Database& db, const SqlStatement& statement);
ListRows LoadRepairLogRows(Database& db, const SqlStatement& statement);
// "Select * From 修理先" in table order: the maker names the editor offers.
QStringList LoadMakerNames(Database& db);

// Every field of one repair as text, by field name; nullopt when it is gone.
std::optional<QHash<QString, QString>> ReadRepair(Database& db, const QString& repairId);

} // namespace horunea
