#include "admin/WindowsMigration.h"

#include "store/Accounts.h"
#include "store/Compaction.h"
#include "store/Cp932.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/DatabaseKind.h"
#include "store/DateText.h"
#include "store/JetDialect.h"
#include "store/JetFile.h"
#include "store/Schema.h"
#include "store/ShippedFiles.h"
#include "store/StagedFolder.h"
#include "store/server/ServerConnection.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTimeZone>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <unordered_set>
#include <vector>

namespace horunea {

namespace {

using Kind = MigrationProblem::Kind;

const QString CancelledMessage = u"移行を取り消しました。何も書いていません。"_qs;

// Problems of one kind listed for one table before the rest are counted.
constexpr int ListedPerTable = 20;

// A file of the Windows folder as the folder holds it: its name may have
// come from Windows in the Japanese code page rather than UTF-8.
struct FolderEntry
{
    QString name;      // as shown, without ".mdb"
    QByteArray native; // the path as the file system takes it
    bool shiftJisName = false;
    bool locked = false; // an .ldb or .laccdb of the same name beside it
};

// The .mdb files of a folder, by name; "" when the folder is not there.
QList<FolderEntry> jetFilesIn(const QString& folder)
{
    QList<FolderEntry> files;
    const QByteArray native = QFile::encodeName(folder);
    DIR* dir = opendir(native.constData());
    if (!dir)
        return files;
    QSet<QString> lockNames;
    while (const dirent* e = readdir(dir)) {
        const QByteArray raw(e->d_name);
        QString name = QString::fromUtf8(raw);
        bool shiftJis = false;
        if (name.contains(QChar::ReplacementCharacter)) {
            name = decodeCp932(raw);
            shiftJis = true;
        }
        const QString lower = name.toLower();
        if (lower.endsWith(u".ldb"_qs) || lower.endsWith(u".laccdb"_qs)) {
            lockNames << lower.section(u'.', 0, -2);
            continue;
        }
        if (!lower.endsWith(u".mdb"_qs))
            continue;
        files.append({name.chopped(4), native + '/' + raw, shiftJis});
    }
    closedir(dir);
    for (FolderEntry& f : files)
        f.locked = lockNames.contains(f.name.toLower());
    return files;
}

QString folderOf(AccountKind kind)
{
    return kind == AccountKind::Repair ? u"care"_qs : u"kelvo"_qs;
}

// A parent a child's field points at.
struct Link
{
    QString child, field, parent;
};
const QList<Link>& links()
{
    static const QList<Link> all = {
        {u"件名"_qs, u"ユーザーID"_qs, u"ユーザー"_qs},
        {u"ログ"_qs, u"件名ID"_qs, u"件名"_qs},
        {u"ログ"_qs, u"ユーザーID"_qs, u"ユーザー"_qs},
        {u"修理ログ"_qs, u"修理ID"_qs, u"修理"_qs},
    };
    return all;
}

// A row's cells as one number, the same whether taken from the values
// sent to the new file or from what the file gives back.
quint64 rowDigest(const QVariantList& values)
{
    quint64 h = 1469598103934665603ull;
    auto mix = [&h](const void* data, size_t size) {
        const auto* b = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i)
            h = (h ^ b[i]) * 1099511628211ull;
    };
    for (const QVariant& v : values) {
        char tag = 'N';
        if (v.isNull()) {
            mix(&tag, 1);
            continue;
        }
        switch (v.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int: {
            tag = 'I';
            const qint64 n = v.toLongLong();
            mix(&tag, 1);
            mix(&n, sizeof n);
            break;
        }
        case QMetaType::Double: {
            tag = 'R';
            const double d = v.toDouble();
            mix(&tag, 1);
            mix(&d, sizeof d);
            break;
        }
        default: {
            tag = 'T';
            const QString s = v.toString();
            const qint64 n = s.size();
            mix(&tag, 1);
            mix(&n, sizeof n);
            mix(s.constData(), size_t(s.size()) * sizeof(QChar));
        }
        }
    }
    return h;
}

// Whole-number text as the store's integer columns would take it.
std::optional<qint64> wholeNumber(const QString& text)
{
    static const QRegularExpression whole(u"^-?(0|[1-9][0-9]{0,17})$"_qs);
    if (!whole.match(text).hasMatch())
        return std::nullopt;
    return text.toLongLong();
}

// The keys of a table: a bitmap over the small ones (keys rise from 1 in
// the Windows files), a hash for the rest.
class KeySet
{
public:
    // False when the key was there already.
    bool insert(qint64 key)
    {
        if (key < 0 || key >= Dense)
            return m_far.insert(key).second;
        const size_t word = size_t(key) / 64;
        if (word >= m_bits.size())
            m_bits.resize(std::max(word + 1, m_bits.size() * 2), 0);
        const quint64 bit = quint64(1) << (key % 64);
        const bool had = m_bits[word] & bit;
        m_bits[word] |= bit;
        return !had;
    }
    bool contains(qint64 key) const
    {
        if (key < 0 || key >= Dense)
            return m_far.count(key) > 0;
        const size_t word = size_t(key) / 64;
        return word < m_bits.size() && (m_bits[word] >> (key % 64) & 1);
    }

private:
    static constexpr qint64 Dense = qint64(1) << 30;
    std::vector<quint64> m_bits;
    std::unordered_set<qint64> m_far;
};

// Where a row is, said only when a problem names it: "… の「件名」 (キー 12)",
// or its line in the table before its key is known.
struct RowPlace
{
    const QString& table;
    qint64 line = 0;
    std::optional<qint64> key;
    QString text() const
    {
        if (key)
            return table + u" (キー "_qs + QString::number(*key) + u')';
        return table + u" ("_qs + QString::number(line) + u" 行目)"_qs;
    }
};

class Move
{
public:
    Move(QString folder, const MigrationOptions& options, bool write, MoveProgress progress,
         std::function<bool()> cancelled)
        : m_folder(std::move(folder)), m_options(options), m_write(write),
          m_progress(std::move(progress)), m_cancelled(std::move(cancelled))
    {}

    MigrationReport report;

    // Reads the Windows folder; with write, writes the new data folder's
    // files into `out`.
    void run(const QString& out);

private:
    struct Written
    {
        QString path; // of the new file
        DatabaseKind kind;
        QString where; // the Windows file, as shown
        // Each table's rows as sent: key and digest, in the order sent.
        QHash<QString, std::vector<std::pair<qint64, quint64>>> digests;
    };
    // A problem, listed unless its group (a table of a file) has had its
    // share of that kind; the rest are counted.
    void problem(Kind kind, const QString& where, const QString& text,
                 const QString& group = QString());
    void countUnlisted();
    void say(const QString& text)
    {
        if (m_progress)
            m_progress(text);
        if (m_cancelled && m_cancelled())
            throw Failure(CancelledMessage);
    }
    // Moves one Jet file's tables into a new file of the kind (or only reads
    // them); skipAccounts names master rows left behind.
    void moveFile(const QString& relative, const QByteArray& native, DatabaseKind kind,
                  const QString& account, const QString& out,
                  const QSet<QString>& skipAccounts = {});
    // The same, a file that cannot be read said as a problem of its own.
    void moveFileOrSay(const QString& relative, const QByteArray& native, DatabaseKind kind,
                       const QString& account, const QString& out,
                       const QSet<QString>& skipAccounts = {});
    QVariant converted(const JetTable& table, int column, ColumnType type, const RowPlace& place,
                       const QString& field);
    void verify(const Written& written);

    QString m_folder;
    MigrationOptions m_options;
    bool m_write;
    MoveProgress m_progress;
    std::function<bool()> m_cancelled;
    QHash<std::pair<QString, int>, int> m_listed; // per group and kind
    QHash<std::pair<QString, int>, int> m_unlisted;
    std::vector<Written> m_written;
};

void Move::problem(Kind kind, const QString& where, const QString& text, const QString& group)
{
    const std::pair<QString, int> key{group.isEmpty() ? where : group, int(kind)};
    if (m_listed[key]++ >= ListedPerTable) {
        ++m_unlisted[key];
        return;
    }
    report.problems.append({kind, where, text});
}

void Move::countUnlisted()
{
    for (auto it = m_unlisted.cbegin(); it != m_unlisted.cend(); ++it)
        report.problems.append(
            {Kind(it.key().second), it.key().first,
             u"ほかにも "_qs + QString::number(it.value()) + u" 件あります。"_qs});
    m_unlisted.clear();
}

QVariant Move::converted(const JetTable& table, int column, ColumnType type, const RowPlace& place,
                         const QString& field)
{
    if (table.isNull(column))
        return {};
    const JetType jet = table.columns()[column].type;
    const QVariant v = table.value(column);
    auto refuse = [&](const QString& why) {
        problem(Kind::Refused, place.text() + u"の「"_qs + field + u"」"_qs, why, place.table);
        return QVariant();
    };
    const bool isKey =
        type == ColumnType::Counter || type == ColumnType::OneRowKey || type == ColumnType::Integer;
    switch (jet) {
    case JetType::Byte:
    case JetType::Int:
    case JetType::Long:
        return type == ColumnType::Text ? QVariant(QString::number(v.toLongLong()))
                                        : QVariant(v.toLongLong());
    case JetType::Float:
    case JetType::Double:
    case JetType::Money:
    case JetType::Numeric: {
        const QString text =
            jet == JetType::Money || jet == JetType::Numeric
                ? v.toString()
                : QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
        if (type == ColumnType::Text)
            return text;
        if (const auto n = wholeNumber(text))
            return *n;
        if (isKey)
            return refuse(u"整数ではない値「"_qs + text + u"」です。"_qs);
        return v.toDouble();
    }
    case JetType::Text:
    case JetType::Memo: {
        const QString text = v.toString();
        if (type == ColumnType::Text)
            return text;
        if (const auto n = wholeNumber(text))
            return *n;
        if (isKey)
            return refuse(u"整数ではない値「"_qs + text + u"」です。"_qs);
        return text; // a typed number the files keep as typed ("２００")
    }
    case JetType::DateTime: {
        const QDateTime when = v.toDateTime();
        if (when.time() != QTime(0, 0) || type != ColumnType::Text)
            return refuse(u"日付と時刻「"_qs + when.toString(u"yyyy/MM/dd HH:mm:ss"_qs) +
                          u"」は文字の形で持てません。"_qs);
        return DateText(when.date());
    }
    case JetType::Bool:
        return refuse(u"はい/いいえの値は文字の形で持てません。"_qs);
    default:
        return refuse(u"この種類の値 (バイナリ・OLE・GUID) は移せません。"_qs);
    }
}

void Move::moveFile(const QString& relative, const QByteArray& native, DatabaseKind kind,
                    const QString& account, const QString& out, const QSet<QString>& skipAccounts)
{
    say(relative);
    const QString shownPath = QDir::toNativeSeparators(QDir(m_folder).filePath(relative));
    JetFile jet = JetFile::open(shownPath, native);
    MigrationFile file{relative, account, {}};
    // Our tables by folded name, and the Jet file's.
    QHash<QString, QString> jetTables;
    for (const QString& name : jet.tableNames())
        jetTables.insert(foldName(name), name);
    QSet<QString> ours;
    for (const TableDef& t : tablesOf(kind))
        ours << foldName(t.name);
    for (auto it = jetTables.cbegin(); it != jetTables.cend(); ++it) {
        if (!ours.contains(it.key()))
            problem(Kind::Refused, relative + u" の「"_qs + it.value() + u"」"_qs,
                    u"ホルネアにない表です。移すなら Windows版で消すか名前を直してください。"_qs);
    }
    std::optional<Database> db;
    std::optional<Transaction> writing;
    Written written{out, kind, relative, {}};
    if (m_write) {
        db.emplace(Database::createNew(out));
        writing.emplace(*db);
        for (const TableDef& t : tablesOf(kind))
            db->execRaw(t.createStatement());
        db->refreshNames();
    }
    std::map<QString, KeySet> keysOf; // a parent table's keys, for its children
    for (const TableDef& t : tablesOf(kind)) {
        const QString where = relative + u" の「"_qs + t.name + u"」"_qs;
        const auto jetName = jetTables.constFind(foldName(t.name));
        if (jetName == jetTables.cend()) {
            problem(Kind::Refused, where, u"表がありません。"_qs);
            file.tables.append({t.name, 0});
            continue;
        }
        JetTable table = jet.table(*jetName);
        // Our columns in the Jet table, and Jet columns that are not ours.
        std::vector<int> at;
        QHash<QString, int> jetColumns;
        for (int c = 0; c < table.columns().size(); ++c)
            jetColumns.insert(foldName(table.columns()[c].name), c);
        QSet<QString> ourColumns;
        QStringList fields;
        for (const ColumnDef& c : t.columns) {
            at.push_back(jetColumns.value(foldName(c.name), -1));
            ourColumns << foldName(c.name);
            fields << c.name;
        }
        for (const JetColumn& c : table.columns()) {
            if (!ourColumns.contains(foldName(c.name)))
                problem(Kind::Refused, where + u"の「"_qs + c.name + u"」"_qs,
                        u"ホルネアにない項目です。"_qs);
        }
        // The fields that name a parent row, and the parent's keys.
        struct Parent
        {
            int field;
            const Link* link;
            const KeySet* keys;
        };
        std::vector<Parent> parents;
        for (const Link& link : links()) {
            if (link.child == t.name)
                parents.push_back({int(fields.indexOf(link.field)), &link, &keysOf[link.parent]});
        }
        const bool accounts = kind == DatabaseKind::Master && t.name != u"管理者";
        std::optional<BulkInsert> insert;
        if (db)
            insert.emplace(*db, t.name, fields);
        std::vector<std::pair<qint64, quint64>>& digests = written.digests[t.name];
        KeySet& keys = keysOf[t.name];
        const ColumnType keyType = t.columns.first().type;
        qint64 rows = 0, largest = 0;
        QVariantList values;
        while (table.next()) {
            if (++rows % 4096 == 0 && m_cancelled && m_cancelled())
                throw Failure(CancelledMessage);
            values.clear();
            RowPlace place{where, rows, std::nullopt};
            // The key first: it names the row in every other problem.
            const QVariant key =
                at[0] < 0 ? QVariant()
                          : converted(table, at[0], keyType, place, t.columns.first().name);
            // Only a row with a key of its own can be written.
            bool writable = key.typeId() == QMetaType::LongLong;
            if (writable) {
                place.key = key.toLongLong();
                if (!keys.insert(*place.key)) {
                    problem(Kind::Refused, place.text(), u"同じキーの行がもう一つあります。"_qs,
                            where);
                    writable = false;
                }
                largest = qMax(largest, *place.key);
            } else if (at[0] < 0 || table.isNull(at[0])) {
                problem(Kind::Refused, place.text(),
                        u"キー「"_qs + t.columns.first().name + u"」がありません。"_qs, where);
            }
            if (keyType == ColumnType::OneRowKey && key.toLongLong() != 1)
                problem(Kind::Refused, place.text(), u"一行だけの表のキーは 1 のはずです。"_qs,
                        where);
            values << key;
            for (int c = 1; c < t.columns.size(); ++c) {
                const ColumnDef& col = t.columns[c];
                values << (at[size_t(c)] < 0
                               ? QVariant()
                               : converted(table, at[size_t(c)], col.type, place, col.name));
            }
            if (accounts && skipAccounts.contains(values.value(1).toString()))
                continue;
            for (const Parent& p : parents) {
                const QVariant& parent = values[p.field];
                if (parent.typeId() != QMetaType::LongLong ||
                    !p.keys->contains(parent.toLongLong()))
                    problem(Kind::Orphan, place.text() + u"の「"_qs + p.link->field + u"」"_qs,
                            u"「"_qs + p.link->parent + u"」に "_qs +
                                (parent.isNull() ? u"(空)"_qs : parent.toString()) +
                                u" の行がありません。"_qs,
                            where);
            }
            if (insert && writable) {
                insert->add(values);
                digests.emplace_back(*place.key, rowDigest(values));
            }
        }
        // A page that is not the table's own any more is passed over by the
        // reader: the count the definition keeps says so.
        if (rows != table.definitionRows())
            problem(Kind::Refused, where,
                    QStringLiteral("表の定義では %1 行ですが、読めたのは %2 行です。ファイルが"
                                   "壊れているかもしれません。Windows版で最適化してから写し直して"
                                   "ください。")
                        .arg(table.definitionRows())
                        .arg(rows));
        if (keyType == ColumnType::OneRowKey && rows != 1)
            problem(Kind::Refused, where,
                    u"一行だけの表に "_qs + QString::number(rows) + u" 行あります。"_qs);
        file.tables.append({t.name, rows});
        if (insert)
            insert->finish();
        // The counter goes on after the largest key moved, and after every
        // key the Windows file ever gave (deleted rows' keys are not reused).
        const qint64 last = qMax(largest, table.nextCounter() - 1);
        if (db && keyType == ColumnType::Counter && last > 0) {
            db->exec(u"DELETE FROM sqlite_sequence WHERE name = ?"_qs, {t.name});
            db->exec(u"INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"_qs, {t.name, last});
        }
    }
    countUnlisted();
    report.files.append(file);
    if (db) {
        createIndexes(*db);
        writing->commit();
        writing.reset();
        db->close();
        m_written.push_back(std::move(written));
    }
}

void Move::moveFileOrSay(const QString& relative, const QByteArray& native, DatabaseKind kind,
                         const QString& account, const QString& out,
                         const QSet<QString>& skipAccounts)
{
    try {
        moveFile(relative, native, kind, account, out, skipAccounts);
    } catch (const Failure& e) {
        if (e.message() == CancelledMessage)
            throw;
        problem(Kind::Refused, relative, e.message());
        countUnlisted();
        report.files.append({relative, account, {}});
    }
}

void Move::verify(const Written& written)
{
    say(written.where + u" (確かめ)"_qs);
    Database db = Database::open(written.path);
    for (const TableDef& t : tablesOf(written.kind)) {
        std::vector<std::pair<qint64, quint64>> sent = written.digests.value(t.name);
        std::sort(sent.begin(), sent.end());
        size_t rows = 0;
        auto differs = [&](qint64 key) {
            return Failure(written.where + u" の「"_qs + t.name + u"」 (キー "_qs +
                               QString::number(key) +
                               u") が移した後のファイルで違っています。何も書いていません。"_qs,
                           QDir::toNativeSeparators(written.path));
        };
        // In key order, as the rows were sent once sorted.
        db.forEachRow(u"SELECT * FROM ["_qs + t.name + u"] ORDER BY 1"_qs, {}, [&](const Row& row) {
            const qint64 key = row.value(0).toLongLong();
            if (rows >= sent.size() || sent[rows].first != key ||
                sent[rows].second != rowDigest(row.values()))
                throw differs(rows < sent.size() ? qMin(key, sent[rows].first) : key);
            ++rows;
        });
        if (rows != sent.size())
            throw Failure(written.where + u" の「"_qs + t.name + u"」の行の数が合いません ("_qs +
                              QString::number(sent.size()) + u" 行のはずが "_qs +
                              QString::number(rows) + u" 行)。何も書いていません。"_qs,
                          QDir::toNativeSeparators(written.path));
    }
}

void Move::run(const QString& out)
{
    const QDir folder(m_folder);
    const QList<FolderEntry> top = jetFilesIn(m_folder);
    auto topFile = [&](const QString& name) -> const FolderEntry* {
        for (const FolderEntry& f : top) {
            if (f.name.compare(name, Qt::CaseInsensitive) == 0)
                return &f;
        }
        return nullptr;
    };
    const FolderEntry* main = topFile(u"main"_qs);
    if (!main)
        throw Failure(u"「"_qs + QDir::toNativeSeparators(m_folder) +
                      u"」に main.mdb がありません。Windows版のプログラムのフォルダーを選んで"
                      u"ください。"_qs);
    // The accounts main.mdb lists, read first: they say which files belong.
    QList<std::pair<AccountKind, QString>> accounts;
    {
        JetFile master = JetFile::open(folder.filePath(u"main.mdb"_qs), main->native);
        QHash<QString, QString> tables;
        for (const QString& name : master.tableNames())
            tables.insert(foldName(name), name);
        for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair}) {
            const AccountTable& at = accountTableOf(kind);
            if (!tables.contains(foldName(at.table)))
                continue;
            JetTable table = master.table(tables.value(foldName(at.table)));
            int nameColumn = -1;
            for (int c = 0; c < table.columns().size(); ++c) {
                if (foldName(table.columns()[c].name) == foldName(at.nameField))
                    nameColumn = c;
            }
            while (nameColumn >= 0 && table.next())
                accounts.append({kind, table.value(nameColumn).toString()});
        }
    }
    // Account names as files: valid here, and not two that Windows took
    // for one file.
    QSet<QString> skip;
    QHash<QString, QString> seen;
    for (const auto& [kind, name] : accounts) {
        const QString where = kindNoun(kind) + u"「"_qs + name + u"」"_qs;
        if (const QString why = DataFolder::accountNameProblem(name); !why.isEmpty())
            problem(Kind::Refused, where, u"この名前はここではファイル名にできません: "_qs + why);
        const QString folded = folderOf(kind) + u'/' + foldName(name);
        if (seen.contains(folded))
            problem(Kind::Refused, where,
                    u"「"_qs + seen.value(folded) +
                        u"」と大文字・小文字か全角・半角だけが違います。Windows では一つの"
                        u"ファイルでした。どちらかの名前を Windows版で直してください。"_qs);
        seen.insert(folded, name);
    }
    // Each account's file; files no account names.
    struct Found
    {
        AccountKind kind;
        QString name;
        FolderEntry entry;
    };
    QList<Found> found;
    for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair}) {
        const QList<FolderEntry> files = jetFilesIn(folder.filePath(folderOf(kind)));
        QSet<int> named;
        for (const auto& [k, name] : accounts) {
            if (k != kind)
                continue;
            int match = -1;
            for (int i = 0; i < files.size() && match < 0; ++i) {
                if (files[i].name == name)
                    match = i;
            }
            for (int i = 0; i < files.size() && match < 0; ++i) {
                if (files[i].name.compare(name, Qt::CaseInsensitive) == 0)
                    match = i;
            }
            const QString relative = folderOf(kind) + u'/' + name + u".mdb"_qs;
            if (match < 0) {
                problem(Kind::Missing, relative,
                        kindNoun(kind) + u"「"_qs + name + u"」のファイルがありません。"_qs);
                skip << name;
                continue;
            }
            named << match;
            found.append({kind, name, files[match]});
        }
        for (int i = 0; i < files.size(); ++i) {
            if (!named.contains(i))
                problem(Kind::Missing, folderOf(kind) + u'/' + files[i].name + u".mdb"_qs,
                        u"main.mdb のどのアカウントのファイルでもありません。"_qs);
        }
    }
    for (const FolderEntry* f : {main, topFile(u"kelvo"_qs), topFile(u"care"_qs)}) {
        if (f && f->locked)
            problem(Kind::Locked, f->name + u".mdb"_qs,
                    u"使用中の印 (.ldb) があります。Windows版のプログラムが動いているかも"
                    u"しれません。"_qs);
    }
    for (const Found& f : found) {
        if (f.entry.locked)
            problem(Kind::Locked, folderOf(f.kind) + u'/' + f.entry.name + u".mdb"_qs,
                    u"使用中の印 (.ldb) があります。Windows版のプログラムが動いているかも"
                    u"しれません。"_qs);
    }
    const bool stopped = m_write && report.stopsMove(m_options);
    if (stopped)
        return; // nothing is written when the names alone stop the move
    const QDir to(out);
    if (m_write && (!to.mkpath(u"kelvo"_qs) || !to.mkpath(u"care"_qs)))
        throw Failure(u"移行先のフォルダーを作れません。"_qs, QDir::toNativeSeparators(out));
    moveFileOrSay(u"main.mdb"_qs, main->native, DatabaseKind::Master, QString(),
                  to.filePath(u"main.mdb"_qs), m_options.skipMissing ? skip : QSet<QString>());
    for (const DatabaseKind kind : {DatabaseKind::Customer, DatabaseKind::Repair}) {
        const QString name = kind == DatabaseKind::Customer ? u"kelvo"_qs : u"care"_qs;
        const QString target = to.filePath(name + u".mdb"_qs);
        if (const FolderEntry* f = topFile(name)) {
            moveFileOrSay(name + u".mdb"_qs, f->native, kind, QString(), target);
        } else if (m_write) {
            // Without the Windows template, new accounts start from ours.
            createDatabaseFile(target, kind);
        }
    }
    for (const Found& f : found) {
        moveFileOrSay(folderOf(f.kind) + u'/' + f.entry.name + u".mdb"_qs, f.entry.native,
                      databaseKindOf(f.kind), f.name,
                      to.filePath(folderOf(f.kind) + u'/' + f.name + u".mdb"_qs));
        ++report.accounts;
    }
    if (!m_write || report.stopsMove(m_options))
        return;
    for (const Written& w : m_written)
        verify(w);
}

QString stopMessage(const MigrationReport& report, const MigrationOptions& options)
{
    QStringList lines{u"移行できません。次の問題を直すか、指定してからやり直してください。"
                      u"何も書いていません。"_qs};
    for (const MigrationProblem& p : report.problems) {
        if ((p.kind == Kind::Orphan && options.keepOrphans) ||
            (p.kind == Kind::Missing && options.skipMissing) ||
            (p.kind == Kind::Locked && options.ignoreLocks))
            continue;
        lines << p.line();
    }
    return lines.join(u'\n');
}

} // namespace

bool MigrationReport::stopsMove(const MigrationOptions& options) const
{
    for (const MigrationProblem& p : problems) {
        switch (p.kind) {
        case Kind::Refused:
            return true;
        case Kind::Orphan:
            if (!options.keepOrphans)
                return true;
            break;
        case Kind::Missing:
            if (!options.skipMissing)
                return true;
            break;
        case Kind::Locked:
            if (!options.ignoreLocks)
                return true;
            break;
        }
    }
    return false;
}

QStringList MigrationReport::problemLines() const
{
    static const QHash<int, QString> heading = {
        {int(Kind::Refused), u"直さないと移せません"_qs},
        {int(Kind::Locked), u"使用中かもしれません (--ignore-locks で続けます)"_qs},
        {int(Kind::Missing),
         u"ファイルとアカウントが合いません (--skip-missing で残して移します)"_qs},
        {int(Kind::Orphan), u"親のない行 (--keep-orphans でそのまま移します)"_qs},
    };
    QStringList lines;
    for (const Kind kind : {Kind::Refused, Kind::Locked, Kind::Missing, Kind::Orphan}) {
        bool first = true;
        for (const MigrationProblem& p : problems) {
            if (p.kind != kind)
                continue;
            if (first)
                lines << u"■ "_qs + heading.value(int(kind));
            first = false;
            lines << u"  "_qs + p.line();
        }
    }
    return lines;
}

bool IsWindowsDataFolder(const QString& folder)
{
    for (const FolderEntry& f : jetFilesIn(folder)) {
        if (f.name.compare(u"main"_qs, Qt::CaseInsensitive) == 0)
            return JetFile::looksLikeJet(f.native);
    }
    return false;
}

MigrationReport CheckWindowsFolder(const QString& windowsFolder)
{
    Move move(windowsFolder, {}, false, {}, {});
    move.run(QString());
    return move.report;
}

MigrationReport MoveWindowsFolder(const QString& windowsFolder, const QString& destination,
                                  const MigrationOptions& options, const MoveProgress& progress,
                                  const std::function<bool()>& cancelled)
{
    const QDir to(destination);
    const QString conf = to.filePath(u"server.conf"_qs);
    const bool onServer = QFileInfo(conf).isFile();
    if (onServer) {
        const QStringList others =
            to.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString& name : others) {
            if (name != u"server.conf" && name != u"horunea.lock")
                throw Failure(u"移行先のフォルダーに server.conf のほかのものがあります。"
                              u"新しいか空のフォルダーを選んでください。"_qs,
                              QDir::toNativeSeparators(to.filePath(name)));
        }
    }
    Move move(windowsFolder, options, true, progress, cancelled);
    auto moveInto = [&](const QString& out) {
        move.run(out);
        if (move.report.stopsMove(options))
            throw Failure(stopMessage(move.report, options));
    };
    if (onServer) {
        const ServerAddress address = ServerAddress::read(conf);
        QTemporaryDir staging;
        if (!staging.isValid())
            throw Failure(u"一時フォルダーを作れません。"_qs);
        moveInto(staging.path());
        ImportFolderToServer(address, staging.path(), progress);
        return move.report;
    }
    StagedFolder staging(destination);
    moveInto(staging.path());
    staging.publish();
    return move.report;
}

} // namespace horunea

namespace horunea {

namespace {

// The record of a switch under way, in the data folder: the folder the old
// files go to and the folder the new ones come from, a line each.
QString switchRecordPath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(u".移行の切り替え中"_qs);
}

// The record's last line: a record without it was cut short as it was
// written, before the switch began.
const QString SwitchRecordEnd = u"切り替え"_qs;

// What a data folder's shop is made of, the new files' names; main.mdb last,
// so that a folder with our main.mdb is a whole one.
const QStringList& shopItems()
{
    static const QStringList items{u"kelvo"_qs, u"care"_qs, u"kelvo.mdb"_qs, u"care.mdb"_qs,
                                   u"main.mdb"_qs};
    return items;
}

// Sets aside what is left of the old shop and puts the new one in place;
// run again, it goes on where it stopped.
void switchShop(const QString& dataFolder, const QString& aside, const QString& staged)
{
    const QDir data(dataFolder), from(staged);
    QDir().mkpath(aside);
    // The old shop's files, however Windows spelled them, with their .ldb:
    // never one the new shop has put in place already.
    static const QStringList oldNames{u"main.mdb"_qs,  u"kelvo.mdb"_qs, u"care.mdb"_qs,
                                      u"kelvo"_qs,     u"care"_qs,      u"main.ldb"_qs,
                                      u"kelvo.ldb"_qs, u"care.ldb"_qs};
    for (const QString& name :
         data.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
        if (!oldNames.contains(name.toLower()))
            continue;
        if (shopItems().contains(name) && !QFileInfo::exists(from.filePath(name)))
            continue; // new, put in place before the stop
        renameWithoutReplacing(data.filePath(name), QDir(aside).filePath(name));
    }
    syncToDisk(aside);
    for (const QString& item : shopItems()) {
        if (QFileInfo::exists(from.filePath(item)))
            renameWithoutReplacing(from.filePath(item), data.filePath(item));
    }
    syncToDisk(dataFolder);
    QDir(staged).removeRecursively();
}

} // namespace

MigrationReport MoveIntoDataFolder(const QString& windowsFolder, const QString& dataFolder,
                                   const MigrationOptions& options, const MoveProgress& progress,
                                   const std::function<bool()>& cancelled, QString* aside,
                                   bool holdsInstanceLock)
{
    const QDir data(dataFolder);
    // Nobody works on the folder meanwhile.
    std::optional<QLockFile> instance;
    if (!holdsInstanceLock) {
        instance.emplace(data.filePath(u"horunea.lock"_qs));
        instance->setStaleLockTime(0);
        if (!instance->tryLock(0))
            throw Failure(u"ホルネアがこのデータフォルダーで起動中のため、移行できません。"
                          u"ホルネアを終了してからやり直してください。"_qs);
    }
    const bool fromHere =
        QFileInfo(windowsFolder).canonicalFilePath() == QFileInfo(dataFolder).canonicalFilePath();
    if (!fromHere && QFileInfo(data.filePath(u"main.mdb"_qs)).isFile()) {
        // Only a folder without accounts of ours takes a shop.
        Database master = Database::open(data.filePath(u"main.mdb"_qs));
        for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair}) {
            if (!LoadAccounts(master, kind).isEmpty())
                throw Failure(u"このデータフォルダーにはもうアカウントがあります。Windows版の"
                              u"データは、新しいか空のデータフォルダーに移してください。"_qs,
                              QDir::toNativeSeparators(dataFolder));
        }
    }
    const QString stamp = Clock::now().toString(u"yyyyMMdd-HHmmss"_qs);
    const QString staged = data.filePath(u".移行-"_qs + stamp);
    MigrationReport report = MoveWindowsFolder(windowsFolder, staged, options, progress, cancelled);
    const QString setAside = data.filePath((fromHere ? u"Windows版-"_qs : u"移行前-"_qs) + stamp);
    // The switch: written down first, so that a stop is finished at the next start.
    {
        QFile record(switchRecordPath(dataFolder));
        if (!record.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
            record.write((setAside + u'\n' + staged + u'\n' + SwitchRecordEnd + u'\n').toUtf8()) <
                0 ||
            !record.flush() || ::fsync(record.handle()) != 0)
            throw Failure(u"データフォルダーに書き込めません。"_qs,
                          QDir::toNativeSeparators(record.fileName()));
    }
    syncToDisk(dataFolder);
    switchShop(dataFolder, setAside, staged);
    QFile::remove(switchRecordPath(dataFolder));
    syncToDisk(dataFolder);
    if (aside)
        *aside = setAside;
    return report;
}

bool FinishDataFolderMove(const QString& dataFolder, bool holdsInstanceLock)
{
    const QDir data(dataFolder);
    QFile record(switchRecordPath(dataFolder));
    if (record.open(QIODevice::ReadOnly)) {
        const QStringList lines = QString::fromUtf8(record.readAll()).split(u'\n');
        record.close();
        // Only a whole record, naming a copy of this folder, is a switch under way.
        const bool whole =
            lines.size() >= 3 && lines[2] == SwitchRecordEnd &&
            QFileInfo(lines[1]).fileName().startsWith(u".移行-"_qs) &&
            QFileInfo(lines[1]).absolutePath() == QFileInfo(dataFolder).absoluteFilePath();
        if (whole && QFileInfo(lines[1]).isDir()) {
            switchShop(dataFolder, lines[0], lines[1]);
            QFile::remove(switchRecordPath(dataFolder));
            syncToDisk(dataFolder);
            return true;
        }
        QFile::remove(switchRecordPath(dataFolder));
        syncToDisk(dataFolder);
    }
    // The new data of a move stopped before its switch began: its hidden
    // copy, whole or not.
    const QStringList left = data.entryList({u".移行-*"_qs, u"..移行-*"_qs},
                                            QDir::AllEntries | QDir::Hidden | QDir::System);
    if (left.isEmpty())
        return false;
    QLockFile instance(data.filePath(u"horunea.lock"_qs));
    instance.setStaleLockTime(0);
    if (!holdsInstanceLock && !instance.tryLock(0))
        return false;
    for (const QString& name : left) {
        const QString path = data.filePath(name);
        if (QFileInfo(path).isDir())
            QDir(path).removeRecursively();
        else
            QFile::remove(path);
    }
    return false;
}

} // namespace horunea
