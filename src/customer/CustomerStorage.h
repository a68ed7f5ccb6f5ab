#pragma once

#include "store/RowChange.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace horunea {

class Database;

// A subject as the editor holds it.
struct SubjectRecord
{
    QDate date;            // 登録日
    QString title;         // 件名
    QString remarks;       // 備考
    QString state;         // 判定: "続行" or "完了"
    bool keepDate = false; // a change leaves 登録日 as it is stored
};

// A log entry as the editor holds it.
struct LogRecord
{
    QDate date;            // 登録日
    QString recorder;      // 記録者
    QString text;          // ログ
    bool keepDate = false; // a change leaves 登録日 as it is stored
};

// The writes of users, subjects and logs. Keys arrive as the window's holder
// texts. Adding returns the new key, or 0 when the record it would hang on
// (the subject's user, the log's subject of that user) is not there; a change
// or delete returns false when the record is no longer there. Nothing is
// written in either case.

// values: the 21 user fields in userDetailFields() order; empty boxes are
// written as empty text.
qint64 AddUser(Database& db, const QStringList& values);
bool UpdateUser(Database& db, const QString& userId, const QStringList& values);
// The same, written only while the user is still as `read` (its fields as
// ReadUserDetail gave them when the editor read them); else *stored gets
// them as they are now.
ChangeOutcome ChangeUser(Database& db, const QString& userId, const QStringList& read,
                         const QStringList& values, QStringList* stored = nullptr);
// Logs, subjects, then the user, all or nothing.
bool DeleteUser(Database& db, const QString& userId);

// An empty 件名, 備考 or 判定 is left Null when adding, written empty when changing.
qint64 AddSubject(Database& db, const QString& userId, const SubjectRecord& subject);
bool UpdateSubject(Database& db, const QString& subjectId, const SubjectRecord& subject);
// The same, written only while the subject's 登録日, 件名, 備考 and 判定 are
// still `read` (as the subject list showed them); else *stored gets them.
ChangeOutcome ChangeSubject(Database& db, const QString& subjectId, const QStringList& read,
                            const SubjectRecord& subject, QStringList* stored = nullptr);
// Logs, then the subject, all or nothing.
bool DeleteSubject(Database& db, const QString& subjectId);

qint64 AddLog(Database& db, const QString& subjectId, const QString& userId, const LogRecord& log);
bool UpdateLog(Database& db, const QString& logId, const LogRecord& log);
// The same against the log's 登録日, 記録者 and ログ as `read`.
ChangeOutcome ChangeLog(Database& db, const QString& logId, const QStringList& read,
                        const LogRecord& log, QStringList* stored = nullptr);
bool DeleteLog(Database& db, const QString& logId);

} // namespace horunea
