#include "import/PreviousVersion.h"

#include "customer/CustomerLists.h"

#include "import/PreviousFiles.h"
#include "import/TransferLine.h"
#include "import/TransferSupport.h"
#include "store/Database.h"
#include "store/Failure.h"

#include <QDir>
#include <QFile>

namespace horunea {

using namespace transfer;

namespace {

// The previous version's repair file held a repair's fields up to 故障内容.
constexpr int PreviousRepairFieldCount = 15;

const QString UsersCsv = u"ﾕｰｻﾞｰ.csv"_qs;
const QString SubjectsCsv = u"件名.csv"_qs;
const QString LogsCsv = u"ログ.csv"_qs;
const QString RepairsCsv = u"修理.csv"_qs;
const QString RepairLogsCsv = u"修理ログ.csv"_qs;

// The customers of an old user, one file per kana row, read in this order.
const QStringList KanaRowFiles = {u"あ行"_qs, u"か行"_qs, u"さ行"_qs, u"た行"_qs,
                                  u"な行"_qs, u"は行"_qs, u"ま行"_qs, u"や行"_qs,
                                  u"ら行"_qs, u"わ行"_qs, u"ABC"_qs,  u"その他"_qs};

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QByteArray readOldFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(u"ファイルが読めません: "_qs + shown(path));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(u"ファイルが読めません: "_qs + shown(path));
    return bytes;
}

// An old file whose records all hold the same number of values.
class OldFile
{
public:
    explicit OldFile(const QString& path) : m_path(path), m_reader(readOldFile(path)) {}

    // The next record, which must hold exactly `count` values: a short one
    // would take its values from the next record.
    bool next(SskRecord* record, int count)
    {
        if (!m_reader.next(record))
            return false;
        if (record->values.size() != count)
            throw Failure(
                QStringLiteral("%1 の %2 行目の値が%3（%4 個のはずが %5 個です）。")
                    .arg(shown(m_path))
                    .arg(record->line)
                    .arg(record->values.size() < count ? u"足りません"_qs : u"多すぎます"_qs)
                    .arg(count)
                    .arg(record->values.size()));
        return true;
    }
    // The header line, which is not used; an empty file has none.
    void skipHeader(int count)
    {
        SskRecord header;
        next(&header, count);
    }
    // The key of a record, which names further files beside this one.
    QString key(const SskRecord& record) const
    {
        const QString key = record.values.value(0).trimmed();
        if (key.isEmpty() || key == u"." || key == u".." || key.contains(u'/') ||
            key.contains(u'\\') || key.contains(QChar(0)))
            throw Failure(QStringLiteral("%1 の %2 行目のキーがファイル名になりません: %3")
                              .arg(shown(m_path))
                              .arg(record.line)
                              .arg(key));
        return key;
    }

private:
    QString m_path;
    SskReader m_reader;
};

QString ifTrue(bool condition, const QString& text)
{
    return condition ? text : QString();
}

// A line of ﾕｰｻﾞｰ.csv: the user number, then the columns of ユーザー. A
// customer without a person's name is a company customer.
QVariantList customerLine(qint64 number, const QStringList& v)
{
    const bool person = !v[2].isEmpty();
    return {number,
            v[1],                  // 表示ふりがな
            person ? v[2] : v[3],  // 表示名
            ifTrue(person, v[1]),  // ユーザー名ふりがな
            v[2],                  // ユーザー名
            ifTrue(person, v[6]),  // 自宅TEL
            ifTrue(person, v[7]),  // 自宅FAX
            QString(),             // 自宅住所
            ifTrue(!person, v[1]), // 会社名ふりがな
            v[3],                  // 会社名
            v[4],                  // 部署
            ifTrue(!person, v[6]), // 会社TEL
            ifTrue(!person, v[7]), // 会社FAX
            QString(),             // 会社住所
            v[8],                  // E-MAIL
            QString(),             // URL
            v[9],                  // 備考
            v[5],                  // 自由項目01
            QString(),
            QString(),
            QString(),
            QString()};
}

QVariantList subjectLine(qint64 number, qint64 user, const QStringList& v)
{
    return {number,
            user,
            previousDateText(v[1]),
            ifTrue(!v[3].isEmpty(), v[2]),
            v[4],
            QString(),
            v[5] == u"終" ? u"完了"_qs : u"続行"_qs};
}

QVariantList repairLine(qint64 number, const QStringList& v)
{
    const bool person = !v[2].isEmpty();
    return {number,
            v[14] == u"続" ? u"続行"_qs : u"完了"_qs,
            previousDateText(v[1]),
            v[2],
            v[3],
            v[4],
            ifTrue(!person, v[6]), // 会社住所
            v[5],
            ifTrue(person, v[6]), // 自宅住所
            v[7],
            v[8],
            v[9],
            v[10],
            v[11],
            v[12].left(2), // the two flags of 見積納期
            v[13]};
}

// Runs the reading of the old files; a failure is a failed import.
template <typename Work> void converting(Work work)
{
    try {
        work();
    } catch (const Failure& e) {
        failed(e);
    }
}

} // namespace

QStringList PreviousVersionUsers(const QString& folder)
{
    const QString path = QDir(folder).filePath(u"ユーザー.ssk"_qs);
    return previousUsersFrom(readOldFile(path), shown(path));
}

TransferResult ConvertPreviousCustomerData(const QString& folder, int user,
                                           const QString& destination,
                                           const ImportProgress& progress,
                                           const QString& keepFolder)
{
    accountFile(AccountKind::Operator, destination); // refused before any file is read
    if (user < 1)
        throw Failure(u"取り込み元を指定してください。"_qs);
    std::unique_ptr<TransferFolder> files;
    qint64 u = 1, s = 1, l = 1;
    converting([&] {
        files = std::make_unique<TransferFolder>(keepFolder);
        const QDir old(QDir(folder).filePath(QString::number(user)));
        TransferWriter users(files->file(UsersCsv));
        TransferWriter subjects(files->file(SubjectsCsv));
        TransferWriter logs(files->file(LogsCsv));
        for (const QString& row : KanaRowFiles) {
            progress.say(u"前ﾊﾞｰｼﾞｮﾝのﾌｧｲﾙを変換中 "_qs + row + u".ssk"_qs);
            OldFile customers(old.filePath(row + u".ssk"_qs));
            SskRecord customer;
            while (customers.next(&customer, 10)) {
                users.write(customerLine(u, customer.values));
                const QString k = customers.key(customer);
                OldFile subjectFile(old.filePath(k + u"_.ssk"_qs));
                subjectFile.skipHeader(10);
                SskRecord subject;
                while (subjectFile.next(&subject, 7)) {
                    subjects.write(subjectLine(s, u, subject.values));
                    OldFile logFile(old.filePath(k + u'_' + subjectFile.key(subject) + u".ssk"_qs));
                    logFile.skipHeader(6);
                    SskRecord log;
                    while (logFile.next(&log, 4)) {
                        logs.write({l, s, u, previousDateText(log.values[1]), log.values[2],
                                    log.values[3]});
                        ++l;
                    }
                    ++s;
                }
                ++u;
            }
        }
        users.close();
        subjects.close();
        logs.close();
    });
    return LoadConvertedCustomerData(files->path(), destination, u, s, l, progress);
}

TransferResult LoadConvertedCustomerData(const QString& files, const QString& destination,
                                         qint64 nextUser, qint64 nextSubject, qint64 nextLog,
                                         const ImportProgress& progress)
{
    const qint64 U = nextUser - 1, S = nextSubject - 1, L = nextLog - 1;
    const QDir folder(files);
    TransferResult result;
    converting([&] {
        Database dst =
            OpenAccountFile(AccountKind::Operator, destination, AccountLock::Mode::Exclusive);
        Transaction adding(dst);
        KeyRun users, subjects;
        TransferValues v;
        {
            TransferReader in(folder.filePath(UsersCsv));
            BulkInsert insert(dst, u"ユーザー"_qs, userFields());
            // The previous version's line: its key, then the fields.
            while (nextLine(in, &v, 1 + UserFieldCount)) {
                users.added(insert.add(lineValues(v, 1, UserFieldCount)));
                progress.show(u"ﾕｰｻﾞｰ情報追加"_qs, users.count(), U);
            }
            progress.say(u"ﾕｰｻﾞｰ情報取り込み完了"_qs);
        }
        {
            TransferReader in(folder.filePath(SubjectsCsv));
            BulkInsert insert(dst, u"件名"_qs,
                              {u"ユーザーID"_qs, u"登録日"_qs, u"件名"_qs, u"備考"_qs, u"判定"_qs});
            while (nextLine(in, &v, 7)) {
                subjects.added(insert.add({users.key(number(v[1])), v[2], v[4], v[5], v[6]}));
                progress.show(u"件名情報追加"_qs, subjects.count(), S);
            }
            progress.say(u"件名情報取り込み完了"_qs);
        }
        {
            TransferReader in(folder.filePath(LogsCsv));
            BulkInsert insert(
                dst, u"ログ"_qs,
                {u"件名ID"_qs, u"ユーザーID"_qs, u"登録日"_qs, u"記録者"_qs, u"ログ"_qs});
            while (nextLine(in, &v, 6)) {
                insert.add({subjects.key(number(v[1])), users.key(number(v[2])), v[3], v[4], v[5]});
                ++result.logs;
                progress.show(u"ログ情報追加"_qs, result.logs, L);
            }
        }
        adding.commit();
        result.users = users.count();
        result.subjects = subjects.count();
    });
    progress.say(u"取り込み完了"_qs);
    return result;
}

TransferResult ConvertPreviousRepairData(const QString& folder, const QString& destination,
                                         const ImportProgress& progress, const QString& keepFolder)
{
    accountFile(AccountKind::Repair, destination);
    std::unique_ptr<TransferFolder> files;
    qint64 r = 1, l = 1;
    converting([&] {
        files = std::make_unique<TransferFolder>(keepFolder);
        const QDir old(QDir(folder).filePath(u"修理関係"_qs));
        TransferWriter repairs(files->file(RepairsCsv));
        TransferWriter logs(files->file(RepairLogsCsv));
        for (const QString& name : {u"終了した修理.ssk"_qs, u"終了していない修理.ssk"_qs}) {
            progress.say(u"前ﾊﾞｰｼﾞｮﾝのﾌｧｲﾙを変換中 "_qs + name);
            OldFile repairFile(old.filePath(name));
            SskRecord repair;
            while (repairFile.next(&repair, 15)) {
                repairs.write(repairLine(r, repair.values));
                OldFile logFile(old.filePath(repairFile.key(repair) + u".ssk"_qs));
                logFile.skipHeader(15);
                SskRecord log;
                while (logFile.next(&log, 4)) {
                    logs.write(
                        {l, r, previousDateText(log.values[1]), log.values[2], log.values[3]});
                    ++l;
                }
                ++r;
            }
        }
        repairs.close();
        logs.close();
    });
    return LoadConvertedRepairData(files->path(), destination, r, l, progress);
}

TransferResult LoadConvertedRepairData(const QString& files, const QString& destination,
                                       qint64 nextRepair, qint64 nextLog,
                                       const ImportProgress& progress)
{
    const qint64 Rn = nextRepair - 1, Ln = nextLog - 1;
    const QDir folder(files);
    TransferResult result;
    result.repair = true;
    result.companyAndMakers = false;
    converting([&] {
        progress.say(u"修理情報を取り込みます"_qs);
        Database dst =
            OpenAccountFile(AccountKind::Repair, destination, AccountLock::Mode::Exclusive);
        Transaction adding(dst);
        KeyRun repairs;
        TransferValues v;
        // One repair or one repair log is converted like any number.
        {
            TransferReader in(folder.filePath(RepairsCsv));
            // The previous version's repair line: its key, then the first
            // fields of a repair (判定 … 故障内容).
            BulkInsert insert(dst, u"修理"_qs, repairFields().mid(0, PreviousRepairFieldCount));
            while (nextLine(in, &v, 1 + PreviousRepairFieldCount)) {
                repairs.added(insert.add(lineValues(v, 1, PreviousRepairFieldCount)));
                progress.show(u"修理情報追加"_qs, repairs.count(), Rn);
            }
            progress.say(u"修理情報取り込み完了"_qs);
        }
        {
            TransferReader in(folder.filePath(RepairLogsCsv));
            BulkInsert insert(dst, u"修理ログ"_qs,
                              {u"修理ID"_qs, u"記録日"_qs, u"記録者"_qs, u"ログ"_qs});
            while (nextLine(in, &v, 5)) {
                insert.add({repairs.key(number(v[1])), v[2], v[3], v[4]});
                ++result.repairLogs;
                progress.show(u"修理ログ情報追加"_qs, result.repairLogs, Ln);
            }
        }
        adding.commit();
        result.repairs = repairs.count();
    });
    progress.say(u"取り込み完了"_qs);
    return result;
}

} // namespace horunea
