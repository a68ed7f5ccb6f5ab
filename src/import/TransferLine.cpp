#include "import/TransferLine.h"

#include "store/Cp932.h"
#include "store/Failure.h"
#include "store/Utf8.h"

#include <charconv>

namespace horunea {

namespace {

// Appends one character of a text value inside its quotes.
void appendCharacter(char32_t c, std::string* out)
{
    switch (c) {
    case U'\\':
        out->append("\\\\", 2);
        return;
    case U'"':
        out->append("\\\"", 2);
        return;
    case U'\r':
        out->append("\\r", 2);
        return;
    case U'\n':
        out->append("\\n", 2);
        return;
    default:
        break;
    }
    if (!appendCp932(c, out)) {
        char code[8];
        const auto end = std::to_chars(code, code + sizeof code, uint(c), 16).ptr;
        out->append("\\u{", 3);
        out->append(code, size_t(end - code));
        out->push_back('}');
    }
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

void TransferLineBuilder::separate()
{
    if (m_finished) {
        m_bytes.clear();
        m_finished = false;
    } else if (!m_bytes.empty()) {
        m_bytes.push_back(',');
    }
}

void TransferLineBuilder::addNumber(qint64 n)
{
    separate();
    char digits[24];
    m_bytes.append(digits, size_t(std::to_chars(digits, digits + sizeof digits, n).ptr - digits));
}

void TransferLineBuilder::addNumberText(qint64 n)
{
    separate();
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    m_bytes.push_back('"');
    m_bytes.append(digits, size_t(end - digits));
    m_bytes.push_back('"');
}

void TransferLineBuilder::addText(std::string_view text)
{
    separate();
    const size_t start = m_bytes.size();
    m_bytes.push_back('"');
    const auto* p = reinterpret_cast<const uchar*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        // A run of plain ASCII goes over whole.
        size_t j = i;
        while (j < n && p[j] < 0x80 && p[j] != '\\' && p[j] != '"' && p[j] != '\r' && p[j] != '\n')
            ++j;
        m_bytes.append(text.data() + i, j - i);
        i = j;
        if (i >= n)
            break;
        const char32_t c = utf8::next(p, n, &i);
        if (c == utf8::Invalid || (c >= 0xD800 && c < 0xE000)) {
            // Not UTF-8 as Qt writes it: the value as the text Qt makes of it.
            m_bytes.resize(start);
            appendQuoted(QString::fromUtf8(text.data(), qsizetype(n)));
            return;
        }
        appendCharacter(c, &m_bytes);
    }
    m_bytes.push_back('"');
}

void TransferLineBuilder::addText(QStringView text)
{
    separate();
    appendQuoted(text);
}

void TransferLineBuilder::appendQuoted(QStringView text)
{
    m_bytes.push_back('"');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(c, text[++i]);
        else if (c.isSurrogate())
            code = 0xFFFD;
        appendCharacter(code, &m_bytes);
    }
    m_bytes.push_back('"');
}

void TransferLineBuilder::add(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        addNumber(value.toLongLong());
        return;
    default:
        addText(value.isNull() ? QString() : value.toString());
    }
}

std::string_view TransferLineBuilder::finish()
{
    if (!m_finished)
        m_bytes.append("\r\n", 2);
    m_finished = true;
    return m_bytes;
}

QByteArray transferLine(const QVariantList& values)
{
    TransferLineBuilder line;
    for (const QVariant& v : values)
        line.add(v);
    const std::string_view bytes = line.finish();
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

void TransferValues::parse(QByteArrayView cp932)
{
    m_utf8.clear();
    appendUtf8OfCp932(cp932, &m_utf8);
    m_values.clear();
    m_ends.clear();
    const char* p = m_utf8.data();
    const qsizetype n = qsizetype(m_utf8.size());
    bool quoted = false;
    qsizetype i = 0;
    // Runs of plain characters are taken whole; only quotes, commas and
    // escapes are looked at one by one. Each of them is ASCII, which never
    // occurs inside a longer UTF-8 character.
    auto runUntil = [&](char a, char b) {
        qsizetype j = i;
        while (j < n && p[j] != a && p[j] != b)
            ++j;
        m_values.append(p + i, size_t(j - i));
        i = j;
    };
    while (i < n) {
        if (!quoted) {
            runUntil('"', ',');
            if (i >= n)
                break;
            if (p[i] == '"')
                quoted = true;
            else
                m_ends.push_back(qsizetype(m_values.size()));
            ++i;
            continue;
        }
        runUntil('"', '\\');
        if (i >= n)
            break;
        if (p[i] == '"') {
            quoted = false;
            ++i;
            continue;
        }
        // A backslash: the escape that follows it.
        if (i + 1 >= n) {
            m_values.push_back('\\');
            ++i;
            continue;
        }
        const char e = p[i + 1];
        i += 2;
        if (e == 'r') {
            m_values.push_back('\r');
        } else if (e == 'n') {
            m_values.push_back('\n');
        } else if (e == 'u' && i < n && p[i] == '{') {
            qsizetype j = i + 1;
            while (j < n && j - i <= 6 && isHex(p[j]))
                ++j;
            bool ok = false;
            const char32_t code =
                j > i + 1 && j < n && p[j] == '}'
                    ? char32_t(QByteArrayView(p + i + 1, j - i - 1).toUInt(&ok, 16))
                    : 0;
            if (ok && code <= 0x10FFFF && !(code >= 0xD800 && code < 0xE000)) {
                utf8::append(code, m_values);
                i = j + 1;
            } else {
                m_values.push_back('u');
            }
        } else if (uchar(e) >= 0x80) {
            --i; // the backslash alone goes; the character stays as it is
        } else {
            m_values.push_back(e);
        }
    }
    m_ends.push_back(qsizetype(m_values.size()));
}

std::string_view TransferValues::operator[](qsizetype i) const
{
    if (i < 0 || i >= size())
        return {};
    const qsizetype start = i == 0 ? 0 : m_ends[size_t(i - 1)];
    return std::string_view(m_values).substr(size_t(start), size_t(m_ends[size_t(i)] - start));
}

QString TransferValues::text(qsizetype i) const
{
    const std::string_view v = (*this)[i];
    return QString::fromUtf8(v.data(), qsizetype(v.size()));
}

QStringList TransferValues::texts() const
{
    QStringList list;
    list.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        list << text(i);
    return list;
}

QStringList parseTransferLine(const QByteArray& line)
{
    TransferValues values;
    values.parse(line);
    return values.texts();
}

TransferWriter::TransferWriter(const QString& path) : m_file(path)
{
    // A new file only: never one planted there before, never through a link.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Failure(u"ファイルを作れません: "_qs + path + u"\n"_qs + m_file.errorString());
}

void TransferWriter::write(TransferLineBuilder& line)
{
    const std::string_view bytes = line.finish();
    if (m_file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        throw Failure(u"ファイルに書き込めません: "_qs + m_file.fileName() + u"\n"_qs +
                      m_file.errorString());
    ++m_lines;
}

void TransferWriter::write(const QVariantList& values)
{
    TransferLineBuilder line;
    for (const QVariant& v : values)
        line.add(v);
    write(line);
}

void TransferWriter::close()
{
    if (!m_file.flush())
        throw Failure(u"ファイルに書き込めません: "_qs + m_file.fileName());
    m_file.close();
}

TransferReader::TransferReader(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw Failure(u"ファイルが読めません: "_qs + path);
}

bool TransferReader::nextLine(QByteArrayView* line)
{
    constexpr qsizetype Chunk = 256 * 1024;
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n', m_at);
        if (end >= 0) {
            *line = QByteArrayView(m_buffer.constData() + m_at, end - m_at);
            m_at = end + 1;
            return true;
        }
        if (m_end) {
            if (m_at >= m_buffer.size())
                return false;
            *line = QByteArrayView(m_buffer.constData() + m_at, m_buffer.size() - m_at);
            m_at = m_buffer.size();
            return true;
        }
        // The part of a line left over moves to the front, and more is read.
        m_buffer.remove(0, m_at);
        m_at = 0;
        const qsizetype have = m_buffer.size();
        m_buffer.resize(have + Chunk);
        const qint64 got = m_file.read(m_buffer.data() + have, Chunk);
        if (got < 0)
            throw Failure(u"ファイルが読めません: "_qs + m_file.fileName() + u"\n"_qs +
                          m_file.errorString());
        m_buffer.resize(have + got);
        m_end = got == 0;
    }
}

bool TransferReader::next(TransferValues* values)
{
    QByteArrayView line;
    if (!nextLine(&line))
        return false;
    if (line.endsWith('\r'))
        line.chop(1);
    ++m_line;
    values->parse(line);
    return true;
}

bool TransferReader::next(QStringList* values)
{
    if (!next(&m_values))
        return false;
    *values = m_values.texts();
    return true;
}

} // namespace horunea
