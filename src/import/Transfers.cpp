#include "import/Transfers.h"

#include "customer/CustomerLists.h"

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

void checkAccounts(const QString& source, const QString& destination, AccountKind kind)
{
    if (source.isEmpty() || destination.isEmpty())
        throw StoreError(u"選択して下さい。"_qs);
    if (QFileInfo(accountFile(kind, source)).canonicalFilePath() ==
        QFileInfo(accountFile(kind, destination)).canonicalFilePath())
        throw StoreError(u"取り込み元と取り込み先が同じです。別のアカウントを選んでください。"_qs);
}

const QStringList subjectTexts = {u"登録日"_qs, u"件名"_qs, u"備考"_qs, u"判定"_qs};
const QStringList logTexts = {u"登録日"_qs, u"記録者"_qs, u"ログ"_qs};
const QStringList repairLogTexts = {u"記録日"_qs, u"記録者"_qs, u"ログ"_qs};

// Walks the lines of a parent file (in key order) beside child rows in the
// same order: the merge that gives each child its parent's running number.
// A child whose parent is not there finds none and is left out.
class ParentCursor
{
public:
    using Key = std::pair<qint64, qint64>;
    ParentCursor(const QString& path, Key (*keyOf)(const TransferValues&))
        : m_in(path), m_keyOf(keyOf)
    {
        m_have = m_in.next(&m_line);
    }
    // The parent line of a child with that key, or nullptr.
    const TransferValues* find(const Key& key)
    {
        while (m_have && m_keyOf(m_line) < key)
            m_have = m_in.next(&m_line);
        return m_have && m_keyOf(m_line) == key ? &m_line : nullptr;
    }

private:
    TransferReader m_in;
    Key (*m_keyOf)(const TransferValues&);
    TransferValues m_line;
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
    checkAccounts(source, destination, AccountKind::Operator);
    TransferResult result;
    try {
        TransferFolder folder(keepFolder);
        const QString usersFile = folder.file(u"ﾕｰｻﾞｰ.dat"_qs);
        const QString subjectsFile = folder.file(u"件名.dat"_qs);
        const QString logsFile = folder.file(u"ログ.dat"_qs);
        qint64 U = 0, S = 0, L = 0, Uw = 0, Sw = 0;
        {
            Database src = OpenAccountFile(AccountKind::Operator, source);
            U = src.scalar(u"Select count(*) as ma1 From ﾕｰｻﾞｰ"_qs);
            S = src.scalar(u"Select count(*) as ma1 From 件名"_qs);
            L = src.scalar(u"Select count(*) as ma1 From ログ"_qs);
            ReadTransaction reading(src); // one consistent view of the source, read only
            TransferLineBuilder line;
            if (U > 0) {
                TransferWriter out(usersFile);
                src.forEachTextRow(u"Select * From ユーザー ORDER BY ﾕｰｻﾞｰID"_qs,
                                   QStringList{u"ユーザーID"_qs} + userFields(),
                                   [&](const Database::TextCells& row) {
                                       ++Uw;
                                       line.addNumberText(Uw);
                                       line.addNumber(cellNumber(row[0]));
                                       for (qsizetype i = 1; i < row.size(); ++i)
                                           line.addText(row[i]);
                                       out.write(line);
                                       progress.show(u"ﾕｰｻﾞｰ情報を一時ファイルに取り込み中"_qs, Uw,
                                                     U);
                                   });
                out.close();
            }
            if (S > 0 && Uw > 0) {
                TransferWriter out(subjectsFile);
                // A user line: running number, source ユーザーID, …
                ParentCursor users(usersFile, [](const TransferValues& parent) {
                    return ParentCursor::Key{number(parent[1]), 0};
                });
                src.forEachTextRow(u"Select * From 件名 ORDER BY ﾕｰｻﾞｰID,件名ID"_qs,
                                   QStringList{u"ユーザーID"_qs, u"件名ID"_qs} + subjectTexts,
                                   [&](const Database::TextCells& row) {
                                       const qint64 owner = cellNumber(row[0]);
                                       const TransferValues* user = users.find({owner, 0});
                                       if (!user) {
                                           ++result.orphans;
                                           return;
                                       }
                                       ++Sw;
                                       line.addNumberText(Sw);
                                       line.addText((*user)[0]);
                                       line.addNumber(cellNumber(row[1]));
                                       line.addNumber(owner);
                                       for (qsizetype i = 2; i < row.size(); ++i)
                                           line.addText(row[i]);
                                       out.write(line);
                                       progress.show(u"件名情報を一時ファイルに取り込み中"_qs, Sw,
                                                     S);
                                   });
                out.close();
            } else {
                result.orphans += S;
            }
            if (L > 0 && Sw > 0) {
                TransferWriter out(logsFile);
                // A subject line: running numbers of the subject and its user, source
                // 件名ID, source ユーザーID, …; in the order of user, then subject.
                ParentCursor subjects(subjectsFile, [](const TransferValues& parent) {
                    return ParentCursor::Key{number(parent[3]), number(parent[2])};
                });
                qint64 written = 0;
                src.forEachTextRow(
                    u"Select * From ログ ORDER BY ﾕｰｻﾞｰID,件名ID,ログID"_qs,
                    QStringList{u"ユーザーID"_qs, u"件名ID"_qs, u"ログID"_qs} + logTexts,
                    [&](const Database::TextCells& row) {
                        const qint64 owner = cellNumber(row[0]);
                        const qint64 parent = cellNumber(row[1]);
                        const TransferValues* subject = subjects.find({owner, parent});
                        if (!subject) {
                            ++result.orphans;
                            return;
                        }
                        ++written;
                        line.addNumberText(written);
                        line.addText((*subject)[0]);
                        line.addText((*subject)[1]);
                        line.addNumber(cellNumber(row[2]));
                        line.addNumber(parent);
                        line.addNumber(owner);
                        for (qsizetype i = 3; i < row.size(); ++i)
                            line.addText(row[i]);
                        out.write(line);
                        progress.show(u"ログ情報を一時ファイルに取り込み中"_qs, written, L);
                    });
                out.close();
            } else {
                result.orphans += L;
            }
        }

        Database dst =
            OpenAccountFile(AccountKind::Operator, destination, AccountLock::Mode::Exclusive);
        Transaction adding(dst);
        KeyRun users, subjects;
        TransferValues v;
        if (Uw > 0) {
            TransferReader in(usersFile);
            BulkInsert insert(dst, u"ユーザー"_qs, userFields());
            // A user line: running number, source ユーザーID, then the fields.
            while (nextLine(in, &v, 2 + UserFieldCount)) {
                users.added(insert.add(lineValues(v, 2, UserFieldCount)));
                progress.show(u"ﾕｰｻﾞｰ情報追加"_qs, users.count(), U);
            }
            progress.say(u"ﾕｰｻﾞｰ情報取り込み完了"_qs);
        }
        if (Sw > 0) {
            TransferReader in(subjectsFile);
            BulkInsert insert(dst, u"件名"_qs,
                              {u"ユーザーID"_qs, u"登録日"_qs, u"件名"_qs, u"備考"_qs, u"判定"_qs});
            while (nextLine(in, &v, 8)) {
                subjects.added(insert.add(lineValues(v, 4, 4, {users.key(number(v[1]))})));
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
            while (nextLine(in, &v, 9)) {
                insert.add(
                    lineValues(v, 6, 3, {subjects.key(number(v[1])), users.key(number(v[2]))}));
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
    checkAccounts(source, destination, AccountKind::Repair);
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
            Database src = OpenAccountFile(AccountKind::Repair, source);
            R = src.scalar(u"Select count(*) as ma1 From 修理"_qs);
            RL = src.scalar(u"Select count(*) as ma1 From 修理ログ"_qs);
            ReadTransaction reading(src);
            TransferLineBuilder line;
            // Every field of the rows as text, one line each.
            auto copyRows = [&](const QString& sql, const QStringList& fields,
                                const QString& path) {
                TransferWriter out(path);
                src.forEachTextRow(sql, fields, [&](const Database::TextCells& row) {
                    for (const std::string_view& cell : row)
                        line.addText(cell);
                    out.write(line);
                });
                out.close();
            };
            if (parts.company) {
                progress.say(u"自社情報を一時ファイルに追加中"_qs);
                copyRows(u"Select * From 自社 Where 自社ID =1"_qs, companyFields(), companyFile);
            }
            if (parts.makers) {
                progress.say(u"ﾒｰｶｰ情報を一時ファイルに追加中"_qs);
                copyRows(u"SELECT * FROM 修理先"_qs, makerFields(), makersFile);
            }
            // One repair or one repair log is copied like any number.
            if (parts.repairs && R > 0) {
                progress.say(u"修理情報一時ファイルに追加中"_qs);
                TransferWriter out(repairsFile);
                src.forEachTextRow(u"SELECT * FROM 修理 ORDER BY 修理ID"_qs,
                                   QStringList{u"修理ID"_qs} + repairFields(),
                                   [&](const Database::TextCells& row) {
                                       ++Rw;
                                       line.addNumberText(Rw);
                                       line.addNumber(cellNumber(row[0]));
                                       for (qsizetype i = 1; i < row.size(); ++i)
                                           line.addText(row[i]);
                                       out.write(line);
                                       progress.show(u"修理情報を一時ファイルに取り込み中"_qs, Rw,
                                                     R);
                                   });
                out.close();
            }
            if (parts.repairs && RL > 0 && Rw > 0) {
                progress.say(u"修理ログ情報一時ファイルに追加中"_qs);
                TransferWriter out(logsFile);
                // A repair line: running number, source 修理ID, …
                ParentCursor repairs(repairsFile, [](const TransferValues& parent) {
                    return ParentCursor::Key{number(parent[1]), 0};
                });
                src.forEachTextRow(u"SELECT * FROM 修理ログ ORDER BY 修理ID,修理ログID"_qs,
                                   QStringList{u"修理ID"_qs, u"修理ログID"_qs} + repairLogTexts,
                                   [&](const Database::TextCells& row) {
                                       const qint64 parent = cellNumber(row[0]);
                                       const TransferValues* repair = repairs.find({parent, 0});
                                       if (!repair) {
                                           ++result.orphans;
                                           return;
                                       }
                                       ++RLw;
                                       line.addNumberText(RLw);
                                       line.addText((*repair)[0]);
                                       line.addNumber(cellNumber(row[1]));
                                       line.addNumber(parent);
                                       for (qsizetype i = 2; i < row.size(); ++i)
                                           line.addText(row[i]);
                                       out.write(line);
                                       progress.show(u"修理ログ情報を一時ファイルに取り込み中"_qs,
                                                     RLw, RL);
                                   });
                out.close();
            } else if (parts.repairs) {
                result.orphans += RL;
            }
        }

        Database dst =
            OpenAccountFile(AccountKind::Repair, destination, AccountLock::Mode::Exclusive);
        Transaction adding(dst);
        TransferValues v;
        if (parts.company && QFileInfo(companyFile).isFile()) {
            progress.say(u"自社情報追加中"_qs);
            TransferReader in(companyFile);
            if (in.next(&v)) {
                Fields fields;
                for (int i = 0; i < companyFields().size(); ++i)
                    fields << qMakePair(companyFields()[i],
                                        v[i].empty() ? QVariant() : QVariant(v.text(i)));
                // The one row of 自社 is row 1; a destination without it gets it.
                if (dst.update(u"自社"_qs, fields, u"自社ID =1"_qs) == 0)
                    dst.insert(u"自社"_qs, Fields{{u"自社ID"_qs, 1}} + fields);
                result.company = 1;
            }
        }
        if (parts.makers) {
            progress.say(u"ﾒｰｶｰ情報追加中"_qs);
            TransferReader in(makersFile);
            BulkInsert insert(dst, u"修理先"_qs, makerFields());
            while (nextLine(in, &v, 9)) {
                insert.add(lineValues(v, 0, 9));
                ++result.makers;
            }
        }
        KeyRun repairs;
        if (Rw > 0) {
            TransferReader in(repairsFile);
            BulkInsert insert(dst, u"修理"_qs, repairFields());
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
            while (nextLine(in, &v, 7)) {
                insert.add(lineValues(v, 4, 3, {repairs.key(number(v[1]))}));
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
