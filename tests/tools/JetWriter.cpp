#include "tools/JetWriter.h"

#include <QDateTime>
#include <QFile>

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace horunea::test {

namespace {

constexpr int PageSize = 4096;
constexpr int DataHeader = 14; // type, 1, free space, table page, 4 unknown, row count
constexpr uint32_t CatalogPage = 2;
constexpr uint32_t MapsPage = 1;
// The pages a type-1 usage map page covers: its bitmap after 4 bytes.
constexpr uint32_t PagesPerMapPage = (PageSize - 4) * 8;

void put16(QByteArray& b, int at, uint32_t v)
{
    b[at] = char(v & 0xff);
    b[at + 1] = char((v >> 8) & 0xff);
}
void put32(QByteArray& b, int at, uint32_t v)
{
    put16(b, at, v & 0xffff);
    put16(b, at + 2, v >> 16);
}
void append16(QByteArray& b, uint32_t v)
{
    b.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
}
void append32(QByteArray& b, uint32_t v)
{
    append16(b, v & 0xffff);
    append16(b, v >> 16);
}
template <typename T> QByteArray bytesOf(T v)
{
    return QByteArray(reinterpret_cast<const char*>(&v), sizeof v); // little-endian machines
}

void rc4(const QByteArray& key, char* data, int size)
{
    unsigned char s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) & 0xff;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < size; ++n) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        data[n] = char(static_cast<unsigned char>(data[n]) ^ s[(s[i] + s[j]) & 0xff]);
    }
}

int fixedSize(JetWriter::Type type)
{
    using T = JetWriter::Type;
    switch (type) {
    case T::Bool:
        return 0;
    case T::Byte:
        return 1;
    case T::Int:
        return 2;
    case T::Long:
    case T::Float:
        return 4;
    case T::Money:
    case T::Double:
    case T::DateTime:
        return 8;
    default:
        return -1; // text, memo, OLE: variable
    }
}

QByteArray emptyDataPage(uint32_t tablePage)
{
    QByteArray page(PageSize, '\0');
    page[0] = 0x01;
    page[1] = 0x01;
    put32(page, 4, tablePage);
    return page;
}

} // namespace

struct JetWriter::Table
{
    QString name;
    QList<Column> columns;
    std::vector<int> fixedOffset; // per column; -1 for a variable one
    std::vector<int> varIndex;    // per column; -1 for a fixed one
    int fixedBytes = 0;
    int varColumns = 0;
    uint32_t definitionPage = 0;
    std::vector<uint32_t> dataPages;
    uint32_t rows = 0;
    qint64 largestKey = 0;
    qint64 nextCounter = 0;
    bool system = false;
};

JetWriter::JetWriter(const QString& path, const Options& options) : m_options(options)
{
    m_file = std::fopen(QFile::encodeName(path).constData(), "w+b");
    if (!m_file)
        throw std::runtime_error("cannot create " + path.toStdString());
    m_pages = 3; // the header, the maps, the catalog's definition
}

JetWriter::~JetWriter()
{
    if (m_file)
        std::fclose(m_file);
}

double JetWriter::dayCount(const QDateTime& when)
{
    static const qint64 epoch = QDate(1899, 12, 30).toJulianDay();
    return double(when.date().toJulianDay() - epoch) +
           when.time().msecsSinceStartOfDay() / 86400000.0;
}

uint32_t JetWriter::newPage()
{
    return m_pages++;
}

void JetWriter::writePage(uint32_t page, const QByteArray& plain)
{
    Q_ASSERT(plain.size() == PageSize);
    QByteArray bytes = plain;
    if (page > 0 && m_options.pageKey != 0) {
        const uint32_t key = m_options.pageKey ^ page;
        rc4(QByteArray(reinterpret_cast<const char*>(&key), 4), bytes.data(), PageSize);
    }
    if (fseeko(m_file, off_t(page) * PageSize, SEEK_SET) != 0 ||
        std::fwrite(bytes.constData(), 1, PageSize, m_file) != size_t(PageSize))
        throw std::runtime_error("cannot write a page");
}

QByteArray JetWriter::encodeText(const QString& text, bool compress) const
{
    QByteArray plain(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    if (!compress)
        return plain;
    // Compressed: FF FE, then characters whose high byte is 0 as one byte,
    // others as two, a 0 byte switching between the two; a character whose
    // low byte is 0 cannot be written so.
    QByteArray packed("\xff\xfe", 2);
    bool oneByte = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u & 0xff) == 0)
            return plain;
        const bool small = u < 0x100;
        if (small != oneByte) {
            packed.append('\0');
            oneByte = small;
        }
        packed.append(char(u & 0xff));
        if (!small)
            packed.append(char(u >> 8));
    }
    return packed.size() < plain.size() ? packed : plain;
}

QByteArray JetWriter::longValue(const QByteArray& data)
{
    constexpr int Single = PageSize - DataHeader - 2;
    constexpr int Chunk = Single - 4;
    QByteArray header;
    auto lvalPage = [](const QByteArray& row) {
        QByteArray page = emptyDataPage(0);
        std::memcpy(page.data() + 4, "LVAL", 4);
        put16(page, 12, 1);
        const int at = PageSize - int(row.size());
        put16(page, DataHeader, at);
        std::memcpy(page.data() + at, row.constData(), size_t(row.size()));
        put16(page, 2, PageSize - DataHeader - 2 - int(row.size()));
        return page;
    };
    if (data.size() <= Single) {
        const uint32_t page = newPage();
        writePage(page, lvalPage(data));
        append32(header, uint32_t(data.size()) | 0x40000000u);
        append32(header, page << 8);
    } else {
        const int pieces = int((data.size() + Chunk - 1) / Chunk);
        std::vector<uint32_t> pages;
        for (int i = 0; i < pieces; ++i)
            pages.push_back(newPage());
        for (int i = 0; i < pieces; ++i) {
            QByteArray row;
            append32(row, i + 1 < pieces ? pages[size_t(i) + 1] << 8 : 0);
            row.append(data.mid(qsizetype(i) * Chunk, Chunk));
            writePage(pages[size_t(i)], lvalPage(row));
        }
        append32(header, uint32_t(data.size()));
        append32(header, pages.front() << 8);
    }
    append32(header, 0);
    return header;
}

void JetWriter::beginTable(const QString& name, const QList<Column>& columns)
{
    if (m_table)
        endTable();
    auto table = std::make_unique<Table>();
    table->name = name;
    table->columns = columns;
    for (const Column& c : columns) {
        const int size = fixedSize(c.type);
        if (size >= 0) {
            table->fixedOffset.push_back(table->fixedBytes);
            table->varIndex.push_back(-1);
            table->fixedBytes += size;
        } else {
            table->fixedOffset.push_back(-1);
            table->varIndex.push_back(table->varColumns++);
        }
    }
    table->definitionPage = name == u"MSysObjects" ? CatalogPage : newPage();
    table->system = name.startsWith(u"MSys");
    m_table = table.get();
    m_tables.push_back(std::move(table));
    m_page.clear();
}

void JetWriter::setNextCounter(qint64 next)
{
    m_table->nextCounter = next;
}

void JetWriter::addRow(const QVariantList& values)
{
    Table& t = *m_table;
    if (values.size() != t.columns.size())
        throw std::runtime_error("a row of another width");
    const int count = int(t.columns.size());
    QByteArray row;
    append16(row, uint32_t(count));
    row.append(QByteArray(t.fixedBytes, '\0'));
    QByteArray mask((count + 7) / 8, '\0');
    std::vector<int> starts(size_t(t.varColumns), 0);
    auto present = [&](int i) { mask[i / 8] = char(mask[i / 8] | (1 << (i % 8))); };
    // Fixed values first, in the area after the column count.
    for (int i = 0; i < count; ++i) {
        const Column& c = t.columns[i];
        const QVariant& v = values[i];
        if (t.fixedOffset[size_t(i)] < 0)
            continue;
        if (c.type == Type::Bool) {
            if (v.toBool())
                present(i);
            continue;
        }
        if (v.isNull())
            continue;
        present(i);
        QByteArray bytes;
        switch (c.type) {
        case Type::Byte:
            bytes = bytesOf(uint8_t(v.toInt()));
            break;
        case Type::Int:
            bytes = bytesOf(int16_t(v.toInt()));
            break;
        case Type::Long:
            bytes = bytesOf(int32_t(v.toLongLong()));
            if (c.counter)
                t.largestKey = qMax(t.largestKey, v.toLongLong());
            break;
        case Type::Money:
            bytes = bytesOf(int64_t(std::llround(v.toDouble() * 10000)));
            break;
        case Type::Float:
            bytes = bytesOf(float(v.toDouble()));
            break;
        case Type::Double:
            bytes = bytesOf(v.toDouble());
            break;
        case Type::DateTime:
            bytes = bytesOf(v.typeId() == QMetaType::QDateTime ? dayCount(v.toDateTime())
                            : v.typeId() == QMetaType::QDate   ? dayCount(v.toDate().startOfDay())
                                                               : v.toDouble());
            break;
        default:
            break;
        }
        std::memcpy(row.data() + 2 + t.fixedOffset[size_t(i)], bytes.constData(),
                    size_t(bytes.size()));
    }
    // Then the variable ones, in their order.
    for (int i = 0; i < count; ++i) {
        const int v = t.varIndex[size_t(i)];
        if (v < 0)
            continue;
        starts[size_t(v)] = int(row.size());
        if (values[i].isNull())
            continue;
        present(i);
        const Column& c = t.columns[i];
        const QString text = values[i].toString();
        if (c.type == Type::Text) {
            if (text.size() > c.characters)
                throw std::runtime_error("text longer than its column");
            row.append(encodeText(text, c.compressed));
            continue;
        }
        const QByteArray data = c.type == Type::Ole
                                    ? values[i].toByteArray()
                                    : encodeText(text, c.compressed && text.size() <= 1024);
        if (data.size() <= m_options.inlineMemoBytes) {
            QByteArray header;
            append32(header, uint32_t(data.size()) | 0x80000000u);
            append32(header, 0);
            append32(header, 0);
            row.append(header).append(data);
        } else {
            row.append(longValue(data));
        }
    }
    if (t.varColumns > 0) {
        append16(row, uint32_t(row.size())); // where the last value ends
        for (int v = t.varColumns - 1; v >= 0; --v)
            append16(row, uint32_t(starts[size_t(v)]));
        append16(row, uint32_t(t.varColumns));
    }
    row.append(mask);
    addRowBytes(row);
    ++t.rows;
}

void JetWriter::addRowBytes(const QByteArray& row)
{
    if (row.size() > PageSize - DataHeader - 2)
        throw std::runtime_error("a row longer than a page");
    if (!m_page.isEmpty() && (m_pageFree < row.size() + 2 || m_pageRows >= 255))
        flushDataPage();
    if (m_page.isEmpty()) {
        m_pageNumber = newPage();
        m_page = emptyDataPage(m_table->definitionPage);
        m_pageRows = 0;
        m_pageFree = PageSize - DataHeader;
        m_table->dataPages.push_back(m_pageNumber);
    }
    const int end = m_pageRows == 0
                        ? PageSize
                        : int(uint16_t(uint8_t(m_page[DataHeader + 2 * m_pageRows - 2]) |
                                       (uint8_t(m_page[DataHeader + 2 * m_pageRows - 1]) << 8)));
    const int at = end - int(row.size());
    std::memcpy(m_page.data() + at, row.constData(), size_t(row.size()));
    put16(m_page, DataHeader + 2 * m_pageRows, uint32_t(at));
    ++m_pageRows;
    m_pageFree -= int(row.size()) + 2;
    put16(m_page, 12, uint32_t(m_pageRows));
    put16(m_page, 2, uint32_t(m_pageFree));
}

void JetWriter::flushDataPage()
{
    if (m_page.isEmpty())
        return;
    writePage(m_pageNumber, m_page);
    m_page.clear();
}

void JetWriter::endTable()
{
    flushDataPage();
    m_table = nullptr;
}

QByteArray JetWriter::usageMap(const std::vector<uint32_t>& pages)
{
    QByteArray map;
    if (pages.empty() || pages.back() - pages.front() < 64 * 8) {
        // Type 0: the bitmap itself, from a first page.
        const uint32_t first = pages.empty() ? 0 : pages.front();
        map.append('\0');
        append32(map, first);
        QByteArray bits(64, '\0');
        for (const uint32_t p : pages)
            bits[int((p - first) / 8)] =
                char(bits[int((p - first) / 8)] | (1 << ((p - first) % 8)));
        return map.append(bits);
    }
    // Type 1: pages of bitmaps, each covering its stretch of the file.
    map.append('\x01');
    const uint32_t stretches = pages.back() / PagesPerMapPage + 1;
    for (uint32_t s = 0; s < stretches; ++s) {
        QByteArray bitmap(PageSize, '\0');
        bitmap[0] = 0x05;
        bitmap[1] = 0x01;
        bool any = false;
        for (const uint32_t p : pages) {
            if (p / PagesPerMapPage != s)
                continue;
            const uint32_t bit = p % PagesPerMapPage;
            bitmap[int(4 + bit / 8)] = char(bitmap[int(4 + bit / 8)] | (1 << (bit % 8)));
            any = true;
        }
        if (!any) {
            append32(map, 0);
            continue;
        }
        const uint32_t page = newPage();
        writePage(page, bitmap);
        append32(map, page);
    }
    return map;
}

void JetWriter::writeDefinition(const Table& t)
{
    QByteArray d(63, '\0');
    d[0] = 0x02;
    d[1] = 0x01;
    put32(d, 16, t.rows);
    qint64 next = t.nextCounter > 0 ? t.nextCounter : t.largestKey + 1;
    bool counted = false;
    for (const Column& c : t.columns)
        counted = counted || c.counter;
    put32(d, 20, counted ? uint32_t(next) : 0);
    d[24] = counted ? 1 : 0;
    d[40] = char(t.system ? 0x53 : 0x4e);
    put16(d, 41, uint32_t(t.columns.size()));
    put16(d, 43, uint32_t(t.varColumns));
    put16(d, 45, uint32_t(t.columns.size()));
    // 47: no indexes, logical or real
    for (int i = 0; i < t.columns.size(); ++i) {
        const Column& c = t.columns[i];
        QByteArray e(25, '\0');
        e[0] = char(c.type);
        put16(e, 5, uint32_t(i));
        put16(e, 7, uint32_t(qMax(0, t.varIndex[size_t(i)])));
        put16(e, 9, uint32_t(i));
        const bool text = c.type == Type::Text || c.type == Type::Memo;
        if (text)
            put16(e, 11, 0x0411); // Japanese sort order
        const bool fixed = t.fixedOffset[size_t(i)] >= 0;
        e[15] = char((fixed ? 0x01 : 0) | 0x02 | (c.counter ? 0x04 : 0));
        e[16] = char(text && c.compressed ? 0x01 : 0);
        put16(e, 21, uint32_t(qMax(0, t.fixedOffset[size_t(i)])));
        const int size = c.type == Type::Text                          ? c.characters * 2
                         : c.type == Type::Memo || c.type == Type::Ole ? 0
                         : c.type == Type::Bool                        ? 1
                                                                       : fixedSize(c.type);
        put16(e, 23, uint32_t(size));
        d.append(e);
    }
    for (const Column& c : t.columns) {
        const QByteArray name = encodeText(c.name, false);
        append16(d, uint32_t(name.size()));
        d.append(name);
    }
    append16(d, 0xffff);
    if (d.size() > PageSize)
        throw std::runtime_error("a table definition longer than a page");
    put32(d, 8, uint32_t(d.size()));
    put16(d, 2, uint32_t(PageSize - d.size() - 8));
    d.append(QByteArray(PageSize - d.size(), '\0'));
    // The maps' rows are on the maps page: this table's are 2k and 2k + 1.
    int k = 0;
    for (const auto& other : m_tables) {
        if (other.get() == &t)
            break;
        ++k;
    }
    put32(d, 55, (MapsPage << 8) | uint32_t(2 * k));
    put32(d, 59, (MapsPage << 8) | uint32_t(2 * k + 1));
    writePage(t.definitionPage, d);
}

void JetWriter::finish()
{
    if (m_finished)
        return;
    if (m_table)
        endTable();
    // The catalog: one row for itself and one for each table.
    std::vector<std::pair<QString, uint32_t>> entries;
    for (const auto& t : m_tables)
        entries.emplace_back(t->name, t->definitionPage);
    beginTable(u"MSysObjects"_qs, {{u"Id"_qs, Type::Long},
                                   {u"ParentId"_qs, Type::Long},
                                   {u"Name"_qs, Type::Text, 255},
                                   {u"Type"_qs, Type::Int},
                                   {u"Flags"_qs, Type::Long},
                                   {u"LvProp"_qs, Type::Ole}});
    addRow({qint64(CatalogPage), qint64(0x0F000001), u"MSysObjects"_qs, 1, qint64(0x80000000u),
            QVariant()});
    for (const auto& [name, page] : entries)
        addRow({qint64(page), qint64(0x0F000001), name, 1, 0, QVariant()});
    endTable();
    // The maps page: each table's pages, and its pages with room (none).
    QByteArray maps = emptyDataPage(0);
    int rows = 0;
    int end = PageSize;
    auto addMapRow = [&](const QByteArray& row) {
        end -= int(row.size());
        if (end < DataHeader + 2 * (rows + 1))
            throw std::runtime_error("too many tables for the maps page");
        std::memcpy(maps.data() + end, row.constData(), size_t(row.size()));
        put16(maps, DataHeader + 2 * rows, uint32_t(end));
        ++rows;
    };
    for (const auto& t : m_tables) {
        addMapRow(usageMap(t->dataPages));
        addMapRow(usageMap({}));
    }
    put16(maps, 12, uint32_t(rows));
    put16(maps, 2, uint32_t(end - DataHeader - 2 * rows));
    writePage(MapsPage, maps);
    for (const auto& t : m_tables)
        writeDefinition(*t);
    // The header: its 128 bytes from 0x18 are RC4-encoded with a fixed key.
    QByteArray header(PageSize, '\0');
    header[1] = 0x01;
    std::memcpy(header.data() + 4, "Standard Jet DB", 16);
    put32(header, 0x14, 1); // Jet 4
    put16(header, 0x3C, 932);
    put32(header, 0x3E, m_options.pageKey);
    const double created = 45000.25;
    std::memcpy(header.data() + 0x72, &created, 8);
    QByteArray password = encodeText(m_options.password.left(20), false);
    password.append(QByteArray(40 - password.size(), '\0'));
    const int32_t day = int32_t(std::floor(created));
    for (int i = 0; i < 40; ++i)
        password[i] = char(password[i] ^ reinterpret_cast<const char*>(&day)[i % 4]);
    std::memcpy(header.data() + 0x42, password.constData(), 40);
    rc4(QByteArray("\xc7\xda\x39\x6b", 4), header.data() + 0x18, 128);
    writePage(0, header);
    if (std::fflush(m_file) != 0)
        throw std::runtime_error("cannot write the file");
    m_finished = true;
}

} // namespace horunea::test
