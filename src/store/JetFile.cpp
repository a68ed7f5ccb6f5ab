#include "store/JetFile.h"

#include "store/Cp932.h"
#include "store/Failure.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTimeZone>

#include <mdbtools.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace horunea {

namespace {

constexpr int OffsetMask = 0x1fff;
constexpr int DeletedRow = 0x4000;
constexpr int PointerRow = 0x8000;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

uint32_t le32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

QString moneyText(qint64 tenThousandths)
{
    const bool negative = tenThousandths < 0;
    const quint64 magnitude =
        negative ? quint64(0) - quint64(tenThousandths) : quint64(tenThousandths);
    QString text = QString::number(magnitude / 10000);
    QString fraction = QString::number(magnitude % 10000).rightJustified(4, u'0');
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += u'.' + fraction;
    return negative ? u'-' + text : text;
}

QDateTime fromDayCount(double days)
{
    // Whole days from 1899-12-30 (negative before it), the time of day as
    // the fraction's size whatever the sign.
    static const QDate epoch(1899, 12, 30);
    const double whole = std::trunc(days);
    const qint64 ms = std::llround(std::fabs(days - whole) * 86400000.0);
    return QDateTime(epoch.addDays(qint64(whole)), QTime(0, 0), QTimeZone::utc()).addMSecs(ms);
}

} // namespace

QString decodeJet4Text(const char* bytes, qsizetype size)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    if (size < 2 || b[0] != 0xff || b[1] != 0xfe) {
        QString text(size / 2, Qt::Uninitialized);
        std::memcpy(text.data(), bytes, size_t(size / 2) * 2); // UTF-16LE on this machine
        return text;
    }
    QString text;
    text.reserve(size);
    bool oneByte = true;
    for (qsizetype i = 2; i < size;) {
        if (b[i] == 0) {
            oneByte = !oneByte;
            ++i;
        } else if (oneByte) {
            text.append(QChar(b[i++]));
        } else if (i + 1 < size) {
            text.append(QChar(char16_t(b[i] | b[i + 1] << 8)));
            i += 2;
        } else {
            break;
        }
    }
    return text;
}

struct JetFile::Handle
{
    MdbHandle* mdb = nullptr;
    ~Handle()
    {
        if (mdb)
            mdb_close(mdb);
    }
};

struct JetTable::Cursor
{
    QString path;
    MdbHandle* mdb = nullptr;
    MdbTableDef* table = nullptr;
    std::vector<MdbField> fields;
    int pageRows = 0;
    int nextRow = 0;
    bool onPage = false;
    bool jet3 = false;
    ~Cursor()
    {
        if (table)
            mdb_free_tabledef(table);
    }
    [[noreturn]] void damaged(const QString& what) const
    {
        throw Failure(u"「"_qs + shown(path) + u"」の「"_qs + QString::fromUtf8(table->name) +
                          u"」が壊れていて読めません。"_qs,
                      what);
    }
    QString text(const unsigned char* p, int size) const
    {
        if (jet3)
            return decodeCp932(QByteArray(reinterpret_cast<const char*>(p), size));
        return decodeJet4Text(reinterpret_cast<const char*>(p), size);
    }
    // A memo's or OLE's bytes: in the row, on one long-value page, or over
    // a chain of them.
    QByteArray longValue(const unsigned char* p, int size) const;
};

namespace {

// The first bytes of a file, up to size; empty when it cannot be read.
QByteArray headOf(const QByteArray& nativePath, int size, int* error = nullptr)
{
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC);
    if (error)
        *error = fd < 0 ? errno : 0;
    if (fd < 0)
        return {};
    QByteArray head(size, '\0');
    qsizetype got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, head.data() + got, size_t(size - got));
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    head.truncate(got);
    return head;
}

bool isJetHead(const QByteArray& head)
{
    return head.size() >= 0x18 && head[0] == 0 && head[1] == 1 &&
           (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
}

} // namespace

bool JetFile::looksLikeJet(const QByteArray& nativePath)
{
    return isJetHead(headOf(nativePath, 0x18));
}

JetFile::JetFile(QString path, std::unique_ptr<Handle> handle)
    : m_path(std::move(path)), m_handle(std::move(handle))
{}
JetFile::JetFile(JetFile&&) noexcept = default;
JetFile& JetFile::operator=(JetFile&&) noexcept = default;
JetFile::~JetFile() = default;

JetFile JetFile::open(const QString& path, const QByteArray& nativePath)
{
    const QByteArray native = nativePath.isEmpty() ? QFile::encodeName(path) : nativePath;
    int error = 0;
    const QByteArray head = headOf(native, 4096, &error);
    if (error == ENOENT)
        throw Failure(u"「"_qs + shown(path) + u"」がありません。"_qs);
    if (error != 0)
        throw Failure(u"「"_qs + shown(path) + u"」を読めません。"_qs,
                      QString::fromLocal8Bit(strerror(error)));
    if (!isJetHead(head))
        throw Failure(u"「"_qs + shown(path) +
                      u"」は Access (Jet) のデータベースではありません。"_qs);
    const int version = head.size() > 0x14 ? uchar(head[0x14]) : -1;
    if (version >= MDB_VER_ACCDB_2007 || head.mid(4, 15) == "Standard ACE DB")
        throw Failure(u"「"_qs + shown(path) +
                      u"」は Access 2007 以降の形式 (.accdb) です。Windows版のデータ (.mdb) を"
                      u"選んでください。"_qs);
    if (head.size() < 2048)
        throw Failure(u"「"_qs + shown(path) + u"」は途中で切れていて読めません。"_qs);
    // Jet 3 names are in the Windows Japanese code page.
    setenv("MDB_JET3_CHARSET", "CP932", 0);
    auto handle = std::make_unique<Handle>();
    handle->mdb = mdb_open(native.constData(), MDB_NOFLAGS);
    if (!handle->mdb || !mdb_read_catalog(handle->mdb, MDB_TABLE))
        throw Failure(u"「"_qs + shown(path) + u"」が壊れていて読めません。"_qs);
    return JetFile(path, std::move(handle));
}

int JetFile::jetVersion() const
{
    return IS_JET3(m_handle->mdb) ? 3 : 4;
}

QStringList JetFile::tableNames() const
{
    QStringList names;
    GPtrArray* catalog = m_handle->mdb->catalog;
    for (guint i = 0; catalog && i < catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (mdb_is_user_table(entry))
            names << QString::fromUtf8(entry->object_name);
    }
    return names;
}

JetTable JetFile::table(const QString& name) const
{
    MdbHandle* mdb = m_handle->mdb;
    GPtrArray* catalog = mdb->catalog;
    MdbCatalogEntry* found = nullptr;
    for (guint i = 0; catalog && i < catalog->len && !found; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (entry->object_type == MDB_TABLE && QString::fromUtf8(entry->object_name) == name)
            found = entry;
    }
    if (!found)
        throw Failure(u"「"_qs + shown(m_path) + u"」に表「"_qs + name + u"」がありません。"_qs);
    auto cursor = std::make_unique<JetTable::Cursor>();
    cursor->path = m_path;
    cursor->mdb = mdb;
    cursor->jet3 = IS_JET3(mdb);
    cursor->table = mdb_read_table(found);
    if (!cursor->table || !mdb_read_columns(cursor->table))
        throw Failure(u"「"_qs + shown(m_path) + u"」の表「"_qs + name +
                      u"」の定義が壊れていて読めません。"_qs);
    JetTable table(name, std::move(cursor));
    MdbTableDef* def = table.m_cursor->table;
    for (guint i = 0; i < def->num_cols; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
        table.m_columns.append({QString::fromUtf8(col->name), JetType(col->col_type)});
    }
    table.m_cursor->fields.resize(def->num_cols);
    table.m_definitionRows = def->num_rows;
    // The counter's next value, kept in the definition after the row count.
    if (mdb_read_alt_pg(mdb, found->table_pg) == mdb->fmt->pg_size)
        table.m_nextCounter = le32(mdb->alt_pg_buf + (IS_JET3(mdb) ? 16 : 20));
    mdb_rewind_table(def);
    return table;
}

JetTable::JetTable(QString name, std::unique_ptr<Cursor> cursor)
    : m_name(std::move(name)), m_cursor(std::move(cursor))
{}
JetTable::JetTable(JetTable&&) noexcept = default;
JetTable::~JetTable() = default;

bool JetTable::next()
{
    Cursor& c = *m_cursor;
    MdbHandle* mdb = c.mdb;
    for (;;) {
        if (!c.onPage || c.nextRow >= c.pageRows) {
            if (!mdb_read_next_dpg(c.table))
                return false;
            c.onPage = true;
            c.nextRow = 0;
            c.pageRows = mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset);
        }
        const int row = c.nextRow++;
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, row, &start, &size) != 0)
            c.damaged(u"page %1 row %2: no such place"_qs.arg(mdb->cur_pg).arg(row));
        if (size == 0 || (start & DeletedRow))
            continue;
        // A row grown elsewhere leaves a pointer here; it is read where it
        // now lies, on its own page of the table.
        if ((start & PointerRow) && size == 4)
            continue;
        if (mdb_crack_row(c.table, start & OffsetMask, size, c.fields.data()) < 0)
            c.damaged(u"page %1 row %2: cannot be cracked"_qs.arg(mdb->cur_pg).arg(row));
        return true;
    }
}

bool JetTable::isNull(int column) const
{
    const MdbField& f = m_cursor->fields[size_t(column)];
    return m_columns[column].type != JetType::Bool && f.is_null;
}

QByteArray JetTable::Cursor::longValue(const unsigned char* p, int size) const
{
    if (size < MDB_MEMO_OVERHEAD)
        damaged(u"long value header of %1 bytes"_qs.arg(size));
    const uint32_t head = le32(p);
    const uint32_t length = head & 0x3fffffff;
    if (head & 0x80000000u) {
        if (length > uint32_t(size - MDB_MEMO_OVERHEAD))
            damaged(u"long value in the row longer than the row"_qs);
        return QByteArray(reinterpret_cast<const char*>(p) + MDB_MEMO_OVERHEAD, qsizetype(length));
    }
    uint32_t pgRow = le32(p + 4);
    QByteArray value;
    const bool single = head & 0x40000000u;
    for (int pages = 0; pgRow; ++pages) {
        void* buf = nullptr;
        int at = 0;
        size_t rowSize = 0;
        if (pages > 1 << 20 || mdb_find_pg_row(mdb, int(pgRow), &buf, &at, &rowSize) != 0)
            damaged(u"long value page %1 row %2"_qs.arg(pgRow >> 8).arg(pgRow & 0xff));
        const auto* row = static_cast<const unsigned char*>(buf) + at;
        if (single) {
            value.append(reinterpret_cast<const char*>(row),
                         qsizetype(qMin<size_t>(rowSize, length)));
            break;
        }
        if (rowSize < 4)
            damaged(u"long value chain at page %1"_qs.arg(pgRow >> 8));
        value.append(reinterpret_cast<const char*>(row) + 4, qsizetype(rowSize - 4));
        pgRow = le32(row);
        if (uint32_t(value.size()) >= length)
            break;
    }
    if (uint32_t(value.size()) < length)
        damaged(u"long value of %1 bytes, %2 found"_qs.arg(length).arg(value.size()));
    value.truncate(qsizetype(length));
    return value;
}

QVariant JetTable::value(int column) const
{
    const Cursor& c = *m_cursor;
    const MdbField& f = c.fields[size_t(column)];
    const JetType type = m_columns[column].type;
    if (type == JetType::Bool)
        return !f.is_null;
    if (f.is_null)
        return {};
    const unsigned char* p = c.mdb->pg_buf + f.start;
    auto fixed = [&](int bytes) {
        if (f.siz < bytes)
            c.damaged(u"a value of %1 bytes where %2 belong"_qs.arg(f.siz).arg(bytes));
    };
    switch (type) {
    case JetType::Byte:
        fixed(1);
        return qint64(p[0]);
    case JetType::Int: {
        fixed(2);
        int16_t v;
        std::memcpy(&v, p, 2);
        return qint64(v);
    }
    case JetType::Long: {
        fixed(4);
        int32_t v;
        std::memcpy(&v, p, 4);
        return qint64(v);
    }
    case JetType::Money: {
        fixed(8);
        int64_t v;
        std::memcpy(&v, p, 8);
        return moneyText(v);
    }
    case JetType::Float: {
        fixed(4);
        float v;
        std::memcpy(&v, p, 4);
        return double(v);
    }
    case JetType::Double: {
        fixed(8);
        double v;
        std::memcpy(&v, p, 8);
        return v;
    }
    case JetType::DateTime: {
        fixed(8);
        double v;
        std::memcpy(&v, p, 8);
        return fromDayCount(v);
    }
    case JetType::Text:
        return c.text(p, f.siz);
    case JetType::Memo: {
        const QByteArray bytes = c.longValue(p, f.siz);
        return c.text(reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
    }
    case JetType::Ole:
        return c.longValue(p, f.siz);
    case JetType::Guid: {
        fixed(16);
        char* s = mdb_uuid_to_string(c.mdb->pg_buf, f.start);
        const QString text = QString::fromLatin1(s);
        g_free(s);
        return text;
    }
    case JetType::Numeric: {
        fixed(17);
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(c.table->columns, guint(column)));
        char* s = mdb_numeric_to_string(c.mdb, f.start, col->col_scale, col->col_prec);
        const QString text = QString::fromLatin1(s);
        g_free(s);
        return text;
    }
    default:
        return QByteArray(reinterpret_cast<const char*>(p), f.siz);
    }
}

} // namespace horunea
