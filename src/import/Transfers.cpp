#include "import/Transfers.h"

#include "customer/CustomerLists.h"

#include "import/TransferLine.h"
#include "import/TransferSupport.h"
#include "store/Compaction.h"
#include "store/Database.h"
#include "store/Failure.h"
#include "store/Store.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <functional>

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
        throw Failure(u"選択して下さい。"_qs);
    const QString from = accountFile(kind, source), to = accountFile(kind, destination);
    if (Store::isServer()
            ? from == to
            : QFileInfo(from).canonicalFilePath() == QFileInfo(to).canonicalFilePath())
        throw Failure(u"取り込み元と取り込み先が同じです。別のアカウントを選んでください。"_qs);
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

// One temporary file of a transfer: the rows of a query in key order, each
// as a line of its running number, the first cells of its parent's line (the
// parent's running numbers), its source keys (the last first) and its texts.
struct TransferPart
{
    QString sql;
    QStringList fields; // the keys, the owner first, then the texts
    int keys = 1;
    int parentCells = 0; // 0: a part without a parent
    QString progressText;
    qint64 total = 0;
};

// Writes a part's lines; a row whose parent's line is not there (a child of
// a parent that was left out) is counted in *orphans instead. A parent is
// found by the row's first key (and its second, with three keys).
qint64 writePart(Database& src, const TransferPart& part, const QString& path,
                 ParentCursor* parents, qint64* orphans, const ImportProgress& progress)
{
    TransferWriter out(path);
    TransferLineBuilder line;
    qint64 written = 0;
    src.forEachTextRow(part.sql, part.fields, [&](const Database::TextCells& row) {
        const TransferValues* parent = nullptr;
        if (parents) {
            parent = parents->find(
                {cellNumber(row[0]), part.keys == 3 ? cellNumber(row[1]) : qint64(0)});
            if (!parent) {
                ++*orphans;
                return;
            }
        }
        ++written;
        line.addNumberText(written);
        for (int i = 0; i < part.parentCells; ++i)
            line.addText((*parent)[i]);
        for (int i = part.keys - 1; i >= 0; --i)
            line.addNumber(cellNumber(row[i]));
        for (qsizetype i = part.keys; i < row.size(); ++i)
            line.addText(row[i]);
        out.write(line);
        progress.show(part.progressText, written, part.total);
    });
    out.close();
    return written;
}

// Adds the lines of a temporary file, each `width` values long, one by one;
// with a progress text, shows how far it is. Returns how many were added.
qint64 addLines(const QString& path, int width,
                const std::function<void(const TransferValues&)>& add,
                const ImportProgress& progress, const QString& progressText = {}, qint64 total = 0)
{
    TransferReader in(path);
    TransferValues v;
    qint64 added = 0;
    while (nextLine(in, &v, width)) {
        add(v);
        ++added;
        if (!progressText.isEmpty())
            progress.show(progressText, added, total);
    }
    return added;
}

// A user line: running number, source ユーザーID, …
ParentCursor::Key userLineKey(const TransferValues& user)
{
    return {number(user[1]), 0};
}

// A subject line: running numbers of the subject and its user, source
// 件名ID, source ユーザーID, …; in the order of user, then subject.
ParentCursor::Key subjectLineKey(const TransferValues& subject)
{
    return {number(subject[3]), number(subject[2])};
}

// A repair line: running number, source 修理ID, …
ParentCursor::Key repairLineKey(const TransferValues& repair)
{
    return {number(repair[1]), 0};
}

struct CustomerFiles
{
    QString users, subjects, logs;
    qint64 U = 0, S = 0, L = 0;    // the source's rows
    qint64 Uw = 0, Sw = 0, Lw = 0; // the lines written
};

// A damaged source file is refused, naming it, before a row of it is read:
// what a torn index hides or doubles would be transferred as sound.
void requireSoundSource(Database& src)
{
    if (!src.isServer())
        requireIntact(src, src.path());
}

// The source's users, subjects and logs into the temporary files, from one
// consistent view of the source, read only.
void writeCustomerFiles(const QString& source, CustomerFiles& files, TransferResult& result,
                        const ImportProgress& progress)
{
    Database src = OpenAccountFile(AccountKind::Operator, source);
    requireSoundSource(src);
    files.U = src.scalar(u"Select count(*) as ma1 From ﾕｰｻﾞｰ"_qs);
    files.S = src.scalar(u"Select count(*) as ma1 From 件名"_qs);
    files.L = src.scalar(u"Select count(*) as ma1 From ログ"_qs);
    ReadTransaction reading(src);
    if (files.U > 0) {
        files.Uw = writePart(src,
                             {u"Select * From ユーザー ORDER BY ﾕｰｻﾞｰID"_qs,
                              QStringList{u"ユーザーID"_qs} + userFields(), 1, 0,
                              u"ﾕｰｻﾞｰ情報を一時ファイルに取り込み中"_qs, files.U},
                             files.users, nullptr, &result.orphans, progress);
    }
    if (files.S > 0 && files.Uw > 0) {
        ParentCursor users(files.users, userLineKey);
        files.Sw = writePart(src,
                             {u"Select * From 件名 ORDER BY ﾕｰｻﾞｰID,件名ID"_qs,
                              QStringList{u"ユーザーID"_qs, u"件名ID"_qs} + subjectTexts, 2, 1,
                              u"件名情報を一時ファイルに取り込み中"_qs, files.S},
                             files.subjects, &users, &result.orphans, progress);
    } else {
        result.orphans += files.S;
    }
    if (files.L > 0 && files.Sw > 0) {
        ParentCursor subjects(files.subjects, subjectLineKey);
        files.Lw = writePart(src,
                             {u"Select * From ログ ORDER BY ﾕｰｻﾞｰID,件名ID,ログID"_qs,
                              QStringList{u"ユーザーID"_qs, u"件名ID"_qs, u"ログID"_qs} + logTexts,
                              3, 2, u"ログ情報を一時ファイルに取り込み中"_qs, files.L},
                             files.logs, &subjects, &result.orphans, progress);
    } else {
        result.orphans += files.L;
    }
}

// The temporary files' rows into the destination, all or nothing, each
// under the new keys of its parents.
void addCustomerFiles(const QString& destination, const CustomerFiles& files,
                      TransferResult& result, const ImportProgress& progress)
{
    Database dst =
        OpenAccountFile(AccountKind::Operator, destination, AccountLock::Mode::Exclusive);
    Transaction adding(dst);
    KeyRun users, subjects;
    if (files.Uw > 0) {
        BulkInsert insert(dst, u"ユーザー"_qs, userFields());
        addLines(
            files.users, 2 + UserFieldCount,
            [&](const TransferValues& v) {
                users.added(insert.add(lineValues(v, 2, UserFieldCount)));
            },
            progress, u"ﾕｰｻﾞｰ情報追加"_qs, files.U);
        progress.say(u"ﾕｰｻﾞｰ情報取り込み完了"_qs);
    }
    if (files.Sw > 0) {
        BulkInsert insert(dst, u"件名"_qs,
                          {u"ユーザーID"_qs, u"登録日"_qs, u"件名"_qs, u"備考"_qs, u"判定"_qs});
        addLines(
            files.subjects, 4 + subjectTexts.size(),
            [&](const TransferValues& v) {
                subjects.added(insert.add(lineValues(v, 4, 4, {users.key(number(v[1]))})));
            },
            progress, u"件名情報追加"_qs, files.S);
        progress.say(u"件名情報取り込み完了"_qs);
    }
    qint64 logs = 0;
    if (files.Lw > 0) {
        BulkInsert insert(dst, u"ログ"_qs,
                          {u"件名ID"_qs, u"ユーザーID"_qs, u"登録日"_qs, u"記録者"_qs, u"ログ"_qs});
        logs = addLines(
            files.logs, 6 + logTexts.size(),
            [&](const TransferValues& v) {
                insert.add(
                    lineValues(v, 6, 3, {subjects.key(number(v[1])), users.key(number(v[2]))}));
            },
            progress, u"ログ情報追加"_qs, files.L);
    }
    adding.commit();
    result.users = users.count();
    result.subjects = subjects.count();
    result.logs = logs;
}

struct RepairFiles
{
    QString company, makers, repairs, logs;
    qint64 R = 0, RL = 0;   // the source's rows
    qint64 Rw = 0, RLw = 0; // the lines written
};

// Every field of the rows as text, one line each.
void copyRows(Database& src, const QString& sql, const QStringList& fields, const QString& path)
{
    TransferWriter out(path);
    TransferLineBuilder line;
    src.forEachTextRow(sql, fields, [&](const Database::TextCells& row) {
        for (const std::string_view& cell : row)
            line.addText(cell);
        out.write(line);
    });
    out.close();
}

void writeRepairFiles(const QString& source, RepairParts parts, RepairFiles& files,
                      TransferResult& result, const ImportProgress& progress)
{
    Database src = OpenAccountFile(AccountKind::Repair, source);
    requireSoundSource(src);
    files.R = src.scalar(u"Select count(*) as ma1 From 修理"_qs);
    files.RL = src.scalar(u"Select count(*) as ma1 From 修理ログ"_qs);
    ReadTransaction reading(src);
    if (parts.company) {
        progress.say(u"自社情報を一時ファイルに追加中"_qs);
        copyRows(src, u"Select * From 自社 Where 自社ID =1"_qs, companyFields(), files.company);
    }
    if (parts.makers) {
        progress.say(u"ﾒｰｶｰ情報を一時ファイルに追加中"_qs);
        copyRows(src, u"SELECT * FROM 修理先"_qs, makerFields(), files.makers);
    }
    // One repair or one repair log is copied like any number.
    if (parts.repairs && files.R > 0) {
        progress.say(u"修理情報一時ファイルに追加中"_qs);
        files.Rw = writePart(src,
                             {u"SELECT * FROM 修理 ORDER BY 修理ID"_qs,
                              QStringList{u"修理ID"_qs} + repairFields(), 1, 0,
                              u"修理情報を一時ファイルに取り込み中"_qs, files.R},
                             files.repairs, nullptr, &result.orphans, progress);
    }
    if (parts.repairs && files.RL > 0 && files.Rw > 0) {
        progress.say(u"修理ログ情報一時ファイルに追加中"_qs);
        ParentCursor repairs(files.repairs, repairLineKey);
        files.RLw = writePart(src,
                              {u"SELECT * FROM 修理ログ ORDER BY 修理ID,修理ログID"_qs,
                               QStringList{u"修理ID"_qs, u"修理ログID"_qs} + repairLogTexts, 2, 1,
                               u"修理ログ情報を一時ファイルに取り込み中"_qs, files.RL},
                              files.logs, &repairs, &result.orphans, progress);
    } else if (parts.repairs) {
        result.orphans += files.RL;
    }
}

// The one row of 自社 is row 1; a destination without it gets it.
void addCompany(Database& dst, const QString& path, TransferResult& result)
{
    TransferReader in(path);
    TransferValues v;
    if (!in.next(&v))
        return;
    Fields fields;
    for (int i = 0; i < companyFields().size(); ++i)
        fields << qMakePair(companyFields()[i], v[i].empty() ? QVariant() : QVariant(v.text(i)));
    if (dst.update(u"自社"_qs, fields, u"自社ID =1"_qs) == 0)
        dst.insert(u"自社"_qs, Fields{{u"自社ID"_qs, 1}} + fields);
    result.company = 1;
}

void addRepairFiles(const QString& destination, RepairParts parts, const RepairFiles& files,
                    TransferResult& result, const ImportProgress& progress)
{
    Database dst = OpenAccountFile(AccountKind::Repair, destination, AccountLock::Mode::Exclusive);
    Transaction adding(dst);
    if (parts.company && QFileInfo(files.company).isFile()) {
        progress.say(u"自社情報追加中"_qs);
        addCompany(dst, files.company, result);
    }
    if (parts.makers) {
        progress.say(u"ﾒｰｶｰ情報追加中"_qs);
        BulkInsert insert(dst, u"修理先"_qs, makerFields());
        result.makers = addLines(
            files.makers, int(makerFields().size()),
            [&](const TransferValues& v) { insert.add(lineValues(v, 0, 9)); }, progress);
    }
    KeyRun repairs;
    if (files.Rw > 0) {
        BulkInsert insert(dst, u"修理"_qs, repairFields());
        const int count = int(repairFields().size());
        addLines(
            files.repairs, 2 + count,
            [&](const TransferValues& v) { repairs.added(insert.add(lineValues(v, 2, count))); },
            progress, u"修理情報追加"_qs, files.R);
        progress.say(u"修理情報取り込み完了"_qs);
    }
    if (files.RLw > 0) {
        BulkInsert insert(dst, u"修理ログ"_qs,
                          {u"修理ID"_qs, u"記録日"_qs, u"記録者"_qs, u"ログ"_qs});
        result.repairLogs = addLines(
            files.logs, 4 + repairLogTexts.size(),
            [&](const TransferValues& v) {
                insert.add(lineValues(v, 4, 3, {repairs.key(number(v[1]))}));
            },
            progress, u"修理ログ情報追加"_qs, files.RL);
    }
    adding.commit();
    result.repairs = repairs.count();
}

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
        CustomerFiles files;
        files.users = folder.file(u"ﾕｰｻﾞｰ.dat"_qs);
        files.subjects = folder.file(u"件名.dat"_qs);
        files.logs = folder.file(u"ログ.dat"_qs);
        writeCustomerFiles(source, files, result, progress);
        addCustomerFiles(destination, files, result, progress);
    } catch (const Failure& e) {
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
        RepairFiles files;
        files.company = folder.file(u"自社.dat"_qs);
        files.makers = folder.file(u"ﾒｰｶｰ.dat"_qs);
        files.repairs = folder.file(u"修理.dat"_qs);
        files.logs = folder.file(u"修理ログ.dat"_qs);
        writeRepairFiles(source, parts, files, result, progress);
        addRepairFiles(destination, parts, files, result, progress);
    } catch (const Failure& e) {
        failed(e);
    }
    progress.say(u"取り込み完了"_qs);
    return result;
}

} // namespace horunea
