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

// Adding leaves an empty box unwritten (Null); changing writes it as empty text.
QVariant addedText(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant changedText(const QString& text)
{
    return QVariant(QString(text.isNull() ? u""_qs : text));
}

QVariant dateValue(const QDate& date)
{
    return date.isValid() ? QVariant(DateText(date)) : QVariant();
}

qint64 ownerKey(const QString& key)
{
    if (!isKeyText(key))
        throw StoreError(QStringLiteral("記録の番号が正しくありません: %1").arg(key));
    return key.toLongLong();
}

} // namespace

qint64 AddUser(Database& db, const QStringList& values)
{
    return db.insert(u"ユーザー"_qs, userFields(values));
}

bool UpdateUser(Database& db, const QString& userId, const QStringList& values)
{
    return db.update(u"ユーザー"_qs, userFields(values), keyCondition(u"ユーザーID"_qs, userId)) > 0;
}

bool DeleteUser(Database& db, const QString& userId)
{
    const QString byUser = keyCondition(u"ユーザーID"_qs, userId);
    Transaction transaction(db);
    db.remove(u"ログ"_qs, byUser);
    db.remove(u"件名"_qs, byUser);
    const bool found = db.remove(u"ユーザー"_qs, byUser) > 0;
    transaction.commit();
    return found;
}

qint64 AddSubject(Database& db, const QString& userId, const SubjectRecord& subject)
{
    return db.insert(u"件名"_qs, {{u"ユーザーID"_qs, ownerKey(userId)},
                                  {u"登録日"_qs, dateValue(subject.date)},
                                  {u"件名"_qs, addedText(subject.title)},
                                  {u"備考"_qs, addedText(subject.remarks)},
                                  {u"判定"_qs, addedText(subject.state)}});
}

bool UpdateSubject(Database& db, const QString& subjectId, const SubjectRecord& subject)
{
    return db.update(u"件名"_qs,
                     {{u"登録日"_qs, dateValue(subject.date)},
                      {u"件名"_qs, changedText(subject.title)},
                      {u"備考"_qs, changedText(subject.remarks)},
                      {u"判定"_qs, changedText(subject.state)}},
                     keyCondition(u"件名ID"_qs, subjectId)) > 0;
}

bool DeleteSubject(Database& db, const QString& subjectId)
{
    const QString bySubject = keyCondition(u"件名ID"_qs, subjectId);
    Transaction transaction(db);
    db.remove(u"ログ"_qs, bySubject);
    const bool found = db.remove(u"件名"_qs, bySubject) > 0;
    transaction.commit();
    return found;
}

qint64 AddLog(Database& db, const QString& subjectId, const QString& userId, const LogRecord& log)
{
    return db.insert(u"ログ"_qs, {{u"件名ID"_qs, ownerKey(subjectId)},
                                  {u"ユーザーID"_qs, ownerKey(userId)},
                                  {u"登録日"_qs, dateValue(log.date)},
                                  {u"記録者"_qs, addedText(log.recorder)},
                                  {u"ログ"_qs, addedText(log.text)}});
}

bool UpdateLog(Database& db, const QString& logId, const LogRecord& log)
{
    return db.update(u"ログ"_qs,
                     {{u"登録日"_qs, dateValue(log.date)},
                      {u"記録者"_qs, changedText(log.recorder)},
                      {u"ログ"_qs, changedText(log.text)}},
                     keyCondition(u"ログID"_qs, logId)) > 0;
}

bool DeleteLog(Database& db, const QString& logId)
{
    return db.remove(u"ログ"_qs, keyCondition(u"ログID"_qs, logId)) > 0;
}

} // namespace horunea
