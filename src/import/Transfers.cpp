#include "import/Transfers.h"

#include "import/TransferLine.h"
#include "import/TransferSupport.h"
#include "store/Database.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace horunea {

using namespace transfer;

namespace {

const QStringList& companyFields()
{
    static const QStringList fields = {u"自社名"_qs,  u"自社住所"_qs, u"自社TEL"_qs,
                                       u"自社FAX"_qs, u"自社MAIL"_qs, u"自社URL"_qs};
    return fields;
}

const QStringList& makerFields()
{
    static const QStringList fields = {u"メーカー名"_qs, u"住所"_qs,     u"TEL"_qs,
                                       u"FAX"_qs,        u"E-MAIL"_qs,   u"担当者"_qs,
                                       u"処理方法"_qs,   u"決済方法"_qs, u"備考"_qs};
    return fields;
}

void checkAccounts(const QString& source, const QString& destination, bool repair)
{
    if (source.isEmpty() || destination.isEmpty())
        throw StoreError(u"選択して下さい。"_qs);
    if (QFileInfo(accountFile(source, repair)).canonicalFilePath() ==
        QFileInfo(accountFile(destination, repair)).canonicalFilePath())
        throw StoreError(u"取り込み元と取り込み先が同じです。別のアカウントを選んでください。"_qs);
}

const QStringList subjectTexts = {u"登録日"_qs, u"件名"_qs, u"備考"_qs, u"判定"_qs};
const QStringList logTexts = {u"登録日"_qs, u"記録者"_qs, u"ログ"_qs};
const QStringList repairLogTexts = {u"記録日"_qs, u"記録者"_qs, u"ログ"_qs};

// The fields of a query's rows by position: each name is looked up once
// per query, not once per row (a lookup folds the name). The names are the
// program's fixed texts, known by where their characters lie.
class FieldCache
{
public:
    QVariantList texts(const Row& row, const QStringList& fields)
    {
        const std::vector<int>& at = positions(row, fields.constData(), fields);
        QVariantList values;
        values.reserve(qsizetype(at.size()));
        for (int i : at)
            values << row.text(i);
        return values;
    }
    qint64 integer(const Row& row, const QString& field)
    {
        return row.value(positions(row, field.constData(), {field}).front()).toLongLong();
    }

private:
    const std::vector<int>& positions(const Row& row, const void* key, const QStringList& fields)
    {
        for (const auto& [k, at] : m_known)
            if (k == key)
                return at;
        std::vector<int> at;
        for (const QString& f : fields)
            at.push_back(row.columns().indexOf(f));
        m_known.emplace_back(key, std::move(at));
        return m_known.back().second;
    }

    std::vector<std::pair<const void*, std::vector<int>>> m_known;
};

// Walks the lines of a parent file (in key order) beside child rows in the
// same order: the merge that gives each child its parent's running number.
// A child whose parent is not there finds none and is left out.
class ParentCursor
{
public:
    using Key = std::pair<qint64, qint64>;
    ParentCursor(const QString& path, Key (*keyOf)(const QStringList&)) : m_in(path), m_keyOf(keyOf)
    {
        m_have = m_in.next(&m_line);
    }
    // The parent line of a child with that key, or nullptr.
    const QStringList* find(const Key& key)
    {
        while (m_have && m_keyOf(m_line) < key)
            m_have = m_in.next(&m_line);
        return m_have && m_keyOf(m_line) == key ? &m_line : nullptr;
    }

private:
    TransferReader m_in;
    Key (*m_keyOf)(const QStringList&);
    QStringList m_line;
    bool m_have = false;
};

} // namespace

int importPercent(qint64 done, qint64 total)
{
    if (total <= 0)
        return 0;
    return int(std::lround(double(done) / double(total) * 100));
}

QString importProgressText(const QString& text, qint64 done, qint64 total)
{
    return text + QString::number(importPercent(done, total)) + u"%完了"_qs;
}

QString TransferResult::summary() const
{
    QStringList parts;
    auto part = [&parts](const QString& name, qint64 n) {
        parts << QStringLiteral("%1 %2 件").arg(name).arg(n);
    };
    if (!repair) {
        part(u"ユーザー"_qs, users);
        part(u"件名"_qs, subjects);
        part(u"ログ"_qs, logs);
    } else {
        if (companyAndMakers) {
            part(u"自社"_qs, company);
            part(u"メーカー"_qs, makers);
        }
        part(u"修理"_qs, repairs);
        part(u"修理ログ"_qs, repairLogs);
    }
    QString text = parts.join(u"、"_qs) + u"を追加しました。"_qs;
    if (orphans > 0)
        text += QStringLiteral("親の見つからない %1 件は取り込めませんでした。").arg(orphans);
    return text;
}

TransferResult TransferCustomerData(const QString& source, const QString& destination,
                                    const ImportProgress& progress, const QString& keepFolder)
{
    checkAccounts(source, destination, false);
    TransferResult result;
    try {
        TransferFolder folder(keepFolder);
        const QString usersFile = folder.file(u"ﾕｰｻﾞｰ.dat"_qs);
        const QString subjectsFile = folder.file(u"件名.dat"_qs);
        const QString logsFile = folder.file(u"ログ.dat"_qs);
        qint64 U = 0, S = 0, L = 0, Uw = 0, Sw = 0;
        {
            Database src = Database::open(accountFile(source, false));
            U = src.scalar(u"Select count(*) as ma1 From ﾕｰｻﾞｰ"_qs);
            S = src.scalar(u"Select count(*) as ma1 From 件名"_qs);
            L = src.scalar(u"Select count(*) as ma1 From ログ"_qs);
            Transaction reading(src); // one consistent view of the source
            if (U > 0) {
                TransferWriter out(usersFile);
                FieldCache cache; // one per query: a new query may reuse the old one's address
                src.forEachRow(u"Select * From ユーザー ORDER BY ﾕｰｻﾞｰID"_qs, {},
                               [&](const Row& row) {
                                   ++Uw;
                                   out.write(QVariantList{QString::number(Uw),
                                                          cache.integer(row, u"ユーザーID"_qs)} +
                                             cache.texts(row, userFields()));
                                   progress.show(u"ﾕｰｻﾞｰ情報を一時ファイルに取り込み中"_qs, Uw, U);
                               });
                out.close();
            }
            if (S > 0 && Uw > 0) {
                TransferWriter out(subjectsFile);
                FieldCache cache; // one per query: a new query may reuse the old one's address
                // A user line: running number, source ユーザーID, …
                ParentCursor users(usersFile, [](const QStringList& line) {
                    return ParentCursor::Key{number(line.value(1)), 0};
                });
                src.forEachRow(u"Select * From 件名 ORDER BY ﾕｰｻﾞｰID,件名ID"_qs, {},
                               [&](const Row& row) {
                                   const qint64 owner = cache.integer(row, u"ユーザーID"_qs);
                                   const QStringList* user = users.find({owner, 0});
                                   if (!user) {
                                       ++result.orphans;
                                       return;
                                   }
                                   ++Sw;
                                   out.write(QVariantList{QString::number(Sw), user->value(0),
                                                          cache.integer(row, u"件名ID"_qs), owner} +
                                             cache.texts(row, subjectTexts));
                                   progress.show(u"件名情報を一時ファイルに取り込み中"_qs, Sw, S);
                               });
                out.close();
            } else {
                result.orphans += S;
            }
            if (L > 0 && Sw > 0) {
                TransferWriter out(logsFile);
                FieldCache cache; // one per query: a new query may reuse the old one's address
                // A subject line: running numbers of the subject and its user, source
                // 件名ID, source ユーザーID, …; in the order of user, then subject.
                ParentCursor subjects(subjectsFile, [](const QStringList& line) {
                    return ParentCursor::Key{number(line.value(3)), number(line.value(2))};
                });
                qint64 written = 0;
                src.forEachRow(
                    u"Select * From ログ ORDER BY ﾕｰｻﾞｰID,件名ID,ログID"_qs, {},
                    [&](const Row& row) {
                        const qint64 owner = cache.integer(row, u"ユーザーID"_qs);
                        const qint64 parent = cache.integer(row, u"件名ID"_qs);
                        const QStringList* subject = subjects.find({owner, parent});
                        if (!subject) {
                            ++result.orphans;
                            return;
                        }
                        ++written;
                        out.write(QVariantList{QString::number(written), subject->value(0),
                                               subject->value(1), cache.integer(row, u"ログID"_qs),
                                               parent, owner} +
                                  cache.texts(row, logTexts));
                        progress.show(u"ログ情報を一時ファイルに取り込み中"_qs, written, L);
                    });
                out.close();
            } else {
                result.orphans += L;
            }
        }

        Database dst = Database::open(accountFile(destination, false));
        Transaction adding(dst);
        KeyRun users, subjects;
        if (Uw > 0) {
            TransferReader in(usersFile);
            BulkInsert insert(dst, u"ユーザー"_qs, userFields());
            QStringList v;
            while (nextLine(in, &v, 23)) {
                users.added(insert.add(lineValues(v, 2, 21)));
                progress.show(u"ﾕｰｻﾞｰ情報追加"_qs, users.count(), U);
            }
            progress.say(u"ﾕｰｻﾞｰ情報取り込み完了"_qs);
        }
        if (Sw > 0) {
            TransferReader in(subjectsFile);
            BulkInsert insert(dst, u"件名"_qs,
                              {u"ユーザーID"_qs, u"登録日"_qs, u"件名"_qs, u"備考"_qs, u"判定"_qs});
            QStringList v;
            while (nextLine(in, &v, 8)) {
                subjects.added(
                    insert.add(QVariantList{users.key(number(v[1]))} + lineValues(v, 4, 4)));
                progress.show(u"件名情報追加"_qs, subjects.count(), S);
            }
            progress.say(u"件名情報取り込み完了"_qs);
        }
        qint64 logs = 0;
        if (QFileInfo(logsFile).isFile() && Sw > 0) {
            TransferReader in(logsFile);
            BulkInsert insert(
                dst, u"ログ"_qs,
                {u"件名ID"_qs, u"ユーザーID"_qs, u"登録日"_qs, u"記録者"_qs, u"ログ"_qs});
            QStringList v;
            while (nextLine(in, &v, 9)) {
                insert.add(QVariantList{subjects.key(number(v[1])), users.key(number(v[2]))} +
                           lineValues(v, 6, 3));
                ++logs;
                progress.show(u"ログ情報追加"_qs, logs, L);
            }
        }
        adding.commit();
        result.users = users.count();
        result.subjects = subjects.count();
        result.logs = logs;
    } catch (const StoreError& e) {
        failed(e);
    }
    progress.say(u"取り込み完了"_qs);
    return result;
}

TransferResult TransferRepairData(const QString& source, const QString& destination,
                                  RepairParts parts, const ImportProgress& progress,
                                  const QString& keepFolder)
{
    checkAccounts(source, destination, true);
    TransferResult result;
    result.repair = true;
    try {
        progress.say(u"修理情報を取り込みます"_qs);
        TransferFolder folder(keepFolder);
        const QString companyFile = folder.file(u"自社.dat"_qs);
        const QString makersFile = folder.file(u"ﾒｰｶｰ.dat"_qs);
        const QString repairsFile = folder.file(u"修理.dat"_qs);
        const QString logsFile = folder.file(u"修理ログ.dat"_qs);
        qint64 R = 0, RL = 0, Rw = 0, RLw = 0;
        {
            Database src = Database::open(accountFile(source, true));
            R = src.scalar(u"Select count(*) as ma1 From 修理"_qs);
            RL = src.scalar(u"Select count(*) as ma1 From 修理ログ"_qs);
            Transaction reading(src);
            if (parts.company) {
                progress.say(u"自社情報を一時ファイルに追加中"_qs);
                TransferWriter out(companyFile);
                FieldCache cache; // one per query: a new query may reuse the old one's address
                src.forEachRow(u"Select * From 自社 Where 自社ID =1"_qs, {}, [&](const Row& row) {
                    out.write(cache.texts(row, companyFields()));
                });
                out.close();
            }
            if (parts.makers) {
                progress.say(u"ﾒｰｶｰ情報を一時ファイルに追加中"_qs);
                TransferWriter out(makersFile);
                FieldCache cache; // one per query: a new query may reuse the old one's address
                src.forEachRow(u"SELECT * FROM 修理先"_qs, {},
                               [&](const Row& row) { out.write(cache.texts(row, makerFields())); });
                out.close();
            }
            // One repair or one repair log is copied like any number.
            if (parts.repairs && R > 0) {
                progress.say(u"修理情報一時ファイルに追加中"_qs);
                TransferWriter out(repairsFile);
                FieldCache cache; // one per query: a new query may reuse the old one's address
                src.forEachRow(u"SELECT * FROM 修理 ORDER BY 修理ID"_qs, {}, [&](const Row& row) {
                    ++Rw;
                    out.write(QVariantList{QString::number(Rw), cache.integer(row, u"修理ID"_qs)} +
                              cache.texts(row, repairFields()));
                    progress.show(u"修理情報を一時ファイルに取り込み中"_qs, Rw, R);
                });
                out.close();
            }
            if (parts.repairs && RL > 0 && Rw > 0) {
                progress.say(u"修理ログ情報一時ファイルに追加中"_qs);
                TransferWriter out(logsFile);
                FieldCache cache; // one per query: a new query may reuse the old one's address
                // A repair line: running number, source 修理ID, …
                ParentCursor repairs(repairsFile, [](const QStringList& line) {
                    return ParentCursor::Key{number(line.value(1)), 0};
                });
                src.forEachRow(
                    u"SELECT * FROM 修理ログ ORDER BY 修理ID,修理ログID"_qs, {},
                    [&](const Row& row) {
                        const qint64 parent = cache.integer(row, u"修理ID"_qs);
                        const QStringList* repair = repairs.find({parent, 0});
                        if (!repair) {
                            ++result.orphans;
                            return;
                        }
                        ++RLw;
                        out.write(QVariantList{QString::number(RLw), repair->value(0),
                                               cache.integer(row, u"修理ログID"_qs), parent} +
                                  cache.texts(row, repairLogTexts));
                        progress.show(u"修理ログ情報を一時ファイルに取り込み中"_qs, RLw, RL);
                    });
                out.close();
            } else if (parts.repairs) {
                result.orphans += RL;
            }
        }

        Database dst = Database::open(accountFile(destination, true));
        Transaction adding(dst);
        if (parts.company && QFileInfo(companyFile).isFile()) {
            progress.say(u"自社情報追加中"_qs);
            TransferReader in(companyFile);
            QStringList v;
            if (in.next(&v)) {
                Fields fields;
                for (int i = 0; i < companyFields().size(); ++i)
                    fields << qMakePair(companyFields()[i],
                                        v.value(i).isEmpty() ? QVariant() : QVariant(v.value(i)));
                dst.update(u"自社"_qs, fields, u"自社ID =1"_qs);
                result.company = 1;
            }
        }
        if (parts.makers) {
            progress.say(u"ﾒｰｶｰ情報追加中"_qs);
            TransferReader in(makersFile);
            BulkInsert insert(dst, u"修理先"_qs, makerFields());
            QStringList v;
            while (nextLine(in, &v, 9)) {
                insert.add(lineValues(v, 0, 9));
                ++result.makers;
            }
        }
        KeyRun repairs;
        if (Rw > 0) {
            TransferReader in(repairsFile);
            BulkInsert insert(dst, u"修理"_qs, repairFields());
            QStringList v;
            while (nextLine(in, &v, 27)) {
                repairs.added(insert.add(lineValues(v, 2, 25)));
                progress.show(u"修理情報追加"_qs, repairs.count(), R);
            }
            progress.say(u"修理情報取り込み完了"_qs);
        }
        if (RLw > 0) {
            TransferReader in(logsFile);
            BulkInsert insert(dst, u"修理ログ"_qs,
                              {u"修理ID"_qs, u"記録日"_qs, u"記録者"_qs, u"ログ"_qs});
            QStringList v;
            while (nextLine(in, &v, 7)) {
                insert.add(QVariantList{repairs.key(number(v[1]))} + lineValues(v, 4, 3));
                ++result.repairLogs;
                progress.show(u"修理ログ情報追加"_qs, result.repairLogs, RL);
            }
        }
        adding.commit();
        result.repairs = repairs.count();
    } catch (const StoreError& e) {
        failed(e);
    }
    progress.say(u"取り込み完了"_qs);
    return result;
}

} // namespace horunea
