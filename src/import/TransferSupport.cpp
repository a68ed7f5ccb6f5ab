#include "import/TransferSupport.h"
#include "store/Store.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

#include "customer/CustomerLists.h"
#include "import/TransferLine.h"
#include "store/DataFolder.h"
#include "store/Failure.h"

#include <QDir>
#include <QFileInfo>

#include <charconv>

namespace horunea::transfer {

const QStringList& userFields()
{
    return userDetailFields();
}

const QStringList& repairFields()
{
    static const QStringList fields = {
        u"判定"_qs,         u"受付日"_qs,   u"お客様名"_qs,   u"会社名"_qs,
        u"会社TEL"_qs,      u"会社住所"_qs, u"自宅TEL"_qs,    u"自宅住所"_qs,
        u"メーカー名"_qs,   u"型番"_qs,     u"シリアル"_qs,   u"付属品"_qs,
        u"担当者"_qs,       u"見積納期"_qs, u"故障内容"_qs,   u"メーカー受付番号"_qs,
        u"修理処置内容"_qs, u"交換部品"_qs, u"有償無償"_qs,   u"仕切"_qs,
        u"売値"_qs,         u"入金"_qs,     u"自由項目01"_qs, u"自由項目02"_qs,
        u"自由項目03"_qs};
    return fields;
}

namespace {
// The private folders of transfers and conversions: the owner's process
// number in the name tells a folder left by a killed process.
const QString TransferFolderStem = u"horunea-取込-"_qs;
} // namespace

int RemoveStaleTransferFolders()
{
    int removed = 0;
    const QDir temp = QDir::temp();
    for (const QFileInfo& entry :
         temp.entryInfoList({TransferFolderStem + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString rest = entry.fileName().mid(TransferFolderStem.size());
        bool number = false;
        const qint64 pid = rest.section(u'-', 0, 0).toLongLong(&number);
        if (!number || pid <= 0 || entry.ownerId() != ::getuid())
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue; // still running (or not ours to judge)
        if (QDir(entry.filePath()).removeRecursively())
            ++removed;
    }
    return removed;
}

TransferFolder::TransferFolder(const QString& keep)
{
    if (keep.isEmpty()) {
        m_temporary = std::make_unique<QTemporaryDir>(QDir::temp().filePath(
            TransferFolderStem + QString::number(::getpid()) + u"-XXXXXX"_qs));
        if (!m_temporary->isValid())
            throw Failure(u"一時フォルダーを作れません: "_qs + m_temporary->errorString());
        m_path = m_temporary->path();
    } else {
        if (!QDir().mkpath(keep))
            throw Failure(u"フォルダーを作れません: "_qs + keep);
        m_path = keep;
    }
}

QString TransferFolder::file(const QString& name) const
{
    const QString path = QDir(m_path).filePath(name);
    if (!m_temporary && QFileInfo(path).isFile())
        QFile::remove(path);
    return path;
}

QString accountFile(AccountKind kind, const QString& name)
{
    if (name.isEmpty())
        throw Failure(u"選択して下さい。"_qs);
    Account account;
    {
        Database master = OpenMaster();
        account = FindAccount(master, kind, FindBy::Name, name);
    }
    if (Store::isServer())
        return serverAccountPath(kind, account.number);
    return existingAccountFile(kind, name);
}

void KeyRun::added(qint64 key)
{
    if (m_count > 0 && key != m_first + m_count)
        throw Failure(u"取り込み先のキーが連続していません。"_qs);
    if (m_count == 0)
        m_first = key;
    ++m_count;
}

qint64 KeyRun::key(qint64 running) const
{
    if (running < 1 || running > m_count)
        throw Failure(
            QStringLiteral("転送ファイルの番号 %1 に当たるレコードがありません。").arg(running));
    return m_first + running - 1;
}

qint64 number(std::string_view text)
{
    qint64 n = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        throw Failure(u"転送ファイルの番号が読めません: "_qs +
                      QString::fromUtf8(text.data(), qsizetype(text.size())));
    return n;
}

qint64 cellNumber(std::string_view text)
{
    qint64 n = 0;
    std::from_chars(text.data(), text.data() + text.size(), n);
    return n;
}

bool nextLine(TransferReader& in, TransferValues* values, int count)
{
    if (!in.next(values))
        return false;
    if (values->size() < count)
        throw Failure(
            QStringLiteral("%1 の %2 行目の値が足りません。").arg(in.path()).arg(in.lineNumber()));
    return true;
}

RowValues lineValues(const TransferValues& v, int from, int count,
                     std::initializer_list<BulkInsert::Value> first)
{
    RowValues values;
    values.reserve(qsizetype(first.size()) + count);
    for (const BulkInsert::Value& f : first)
        values.append(f);
    for (int i = 0; i < count; ++i)
        values.append(v[from + i]);
    return values;
}

void failed(const Failure& e)
{
    throw Failure(u"取り込みに失敗しました。\n"_qs + e.message(), e.detail());
}

} // namespace horunea::transfer
