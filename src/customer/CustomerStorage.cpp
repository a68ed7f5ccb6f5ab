#include "customer/CustomerStorage.h"

#include "customer/CustomerLists.h"
#include "store/Database.h"
#include "store/DateText.h"

namespace horunea {

namespace {

Fields userFields(const QStringList& values)
{
    Fields fields;
    const QStringList names = userDetailFields();
    for (int i = 0; i < names.size(); ++i)
        fields << qMakePair(names[i], QVariant(QString(values.value(i)))); // empty, never Null
    return fields;
}

qint64 ownerKey(const QString& key)
{
    return checkedKey(key).toLongLong();
}

} // namespace

qint64 AddUser(Database& db, const QStringList& values)
{
    return db.insert(u"ユーザー"_qs, userFields(values));
}

ChangeOutcome ChangeUser(Database& db, const QString& userId, const QStringList& read,
                         const QStringList& values, QStringList* stored)
{
    const QString byUser = keyCondition(u"ユーザーID"_qs, userId);
    return changeIfAsRead(db, u"ユーザー"_qs, byUser, userDetailFields(), read, stored,
                          [&] { db.update(u"ユーザー"_qs, userFields(values), byUser); });
}

bool UpdateUser(Database& db, const QString& userId, const QStringList& values)
{
    return db.update(u"ユーザー"_qs, userFields(values), keyCondition(u"ユーザーID"_qs, userId)) >
           0;
}

bool DeleteUser(Database& db, const QString& userId)
{
    const QString byUser = keyCondition(u"ユーザーID"_qs, userId);
    Transaction transaction(db);
    // Held first: a subject or log another PC is adding under it is in
    // before its children go, or is refused after.
    db.holdRows(u"ユーザー"_qs, byUser);
    db.remove(u"ログ"_qs, byUser);
    db.remove(u"件名"_qs, byUser);
    const bool found = db.remove(u"ユーザー"_qs, byUser) > 0;
    transaction.commit();
    return found;
}

qint64 AddSubject(Database& db, const QString& userId, const SubjectRecord& subject)
{
    Transaction transaction(db);
    // The user is held until the subject is in: another PC's delete of it
    // waits, and then takes the subject with it.
    if (db.holdRows(u"ユーザー"_qs, keyCondition(u"ユーザーID"_qs, userId),
                    Database::Hold::Share) == 0)
        return 0;
    const qint64 key = db.insert(u"件名"_qs, {{u"ユーザーID"_qs, ownerKey(userId)},
                                              {u"登録日"_qs, StoredDate(subject.date)},
                                              {u"件名"_qs, addedText(subject.title)},
                                              {u"備考"_qs, addedText(subject.remarks)},
                                              {u"判定"_qs, addedText(subject.state)}});
    transaction.commit();
    return key;
}

ChangeOutcome ChangeSubject(Database& db, const QString& subjectId, const QStringList& read,
                            const SubjectRecord& subject, QStringList* stored)
{
    return changeIfAsRead(db, u"件名"_qs, keyCondition(u"件名ID"_qs, subjectId),
                          {u"登録日"_qs, u"件名"_qs, u"備考"_qs, u"判定"_qs}, read, stored,
                          [&] { UpdateSubject(db, subjectId, subject); });
}

bool UpdateSubject(Database& db, const QString& subjectId, const SubjectRecord& subject)
{
    Fields fields{{u"件名"_qs, changedText(subject.title)},
                  {u"備考"_qs, changedText(subject.remarks)},
                  {u"判定"_qs, changedText(subject.state)}};
    if (!subject.keepDate)
        fields.prepend(qMakePair(u"登録日"_qs, StoredDate(subject.date)));
    return db.update(u"件名"_qs, fields, keyCondition(u"件名ID"_qs, subjectId)) > 0;
}

bool DeleteSubject(Database& db, const QString& subjectId)
{
    const QString bySubject = keyCondition(u"件名ID"_qs, subjectId);
    Transaction transaction(db);
    db.holdRows(u"件名"_qs, bySubject);
    db.remove(u"ログ"_qs, bySubject);
    const bool found = db.remove(u"件名"_qs, bySubject) > 0;
    transaction.commit();
    return found;
}

qint64 AddLog(Database& db, const QString& subjectId, const QString& userId, const LogRecord& log)
{
    Transaction transaction(db);
    if (db.holdRows(u"件名"_qs,
                    keyCondition(u"件名ID"_qs, subjectId) + u" AND "_qs +
                        keyCondition(u"ユーザーID"_qs, userId),
                    Database::Hold::Share) == 0)
        return 0;
    const qint64 key = db.insert(u"ログ"_qs, {{u"件名ID"_qs, ownerKey(subjectId)},
                                              {u"ユーザーID"_qs, ownerKey(userId)},
                                              {u"登録日"_qs, StoredDate(log.date)},
                                              {u"記録者"_qs, addedText(log.recorder)},
                                              {u"ログ"_qs, addedText(log.text)}});
    transaction.commit();
    return key;
}

ChangeOutcome ChangeLog(Database& db, const QString& logId, const QStringList& read,
                        const LogRecord& log, QStringList* stored)
{
    return changeIfAsRead(db, u"ログ"_qs, keyCondition(u"ログID"_qs, logId),
                          {u"登録日"_qs, u"記録者"_qs, u"ログ"_qs}, read, stored,
                          [&] { UpdateLog(db, logId, log); });
}

bool UpdateLog(Database& db, const QString& logId, const LogRecord& log)
{
    Fields fields{{u"記録者"_qs, changedText(log.recorder)}, {u"ログ"_qs, changedText(log.text)}};
    if (!log.keepDate)
        fields.prepend(qMakePair(u"登録日"_qs, StoredDate(log.date)));
    return db.update(u"ログ"_qs, fields, keyCondition(u"ログID"_qs, logId)) > 0;
}

bool DeleteLog(Database& db, const QString& logId)
{
    return db.remove(u"ログ"_qs, keyCondition(u"ログID"_qs, logId)) > 0;
}

} // namespace horunea
