#include "import/TransferLine.h"

#include "store/Cp932.h"
#include "store/StoreError.h"

namespace horunea {

namespace {

bool inCp932(const QString& character)
{
    QString refused;
    return !encodeCp932(character, &refused).isEmpty();
}

// The escapes of a value inside its quotes; `checkEach` also escapes the
// characters CP932 cannot hold (only needed when the line did not encode).
QString escaped(const QString& text, bool checkEach)
{
    if (!checkEach) {
        bool plain = true;
        for (QChar c : text) {
            const char16_t u = c.unicode();
            if (u == u'\\' || u == u'"' || u == u'\r' || u == u'\n') {
                plain = false;
                break;
            }
        }
        if (plain)
            return text;
    }
    QString out;
    out.reserve(text.size() + 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'\\':
            out += u"\\\\";
            continue;
        case u'"':
            out += u"\\\"";
            continue;
        case u'\r':
            out += u"\\r";
            continue;
        case u'\n':
            out += u"\\n";
            continue;
        default:
            break;
        }
        if (!checkEach || c.unicode() < 0x80) {
            out += c;
            continue;
        }
        const qsizetype width = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, width);
        if (inCp932(character))
            out += character;
        else
            out += QStringLiteral("\\u{%1}").arg(uint(character.toUcs4().value(0)), 0, 16);
        i += width - 1;
    }
    return out;
}

QString lineText(const QVariantList& values, bool checkEach)
{
    QString text;
    text.reserve(256);
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            text += u',';
        const QVariant& v = values[i];
        const int type = v.typeId();
        if (type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::UInt ||
            type == QMetaType::ULongLong)
            text += QString::number(v.toLongLong());
        else {
            text += u'"';
            text += escaped(v.isNull() ? QString() : v.toString(), checkEach);
            text += u'"';
        }
    }
    return text;
}

} // namespace

QByteArray transferLine(const QVariantList& values)
{
    QString refused;
    QByteArray bytes = encodeCp932(lineText(values, false), &refused);
    if (!refused.isEmpty()) {
        refused.clear();
        bytes = encodeCp932(lineText(values, true), &refused);
        if (!refused.isEmpty())
            throw StoreError(u"転送ファイルに書けない文字があります: "_qs + refused);
    }
    bytes += "\r\n";
    return bytes;
}

QStringList parseTransferLine(const QByteArray& line)
{
    const QString text = decodeCp932(line);
    const QChar* p = text.constData();
    const qsizetype n = text.size();
    QStringList values;
    QString current;
    bool quoted = false;
    qsizetype i = 0;
    // Runs of plain characters are taken whole; only quotes, commas and
    // escapes are looked at one by one.
    auto runUntil = [&](char16_t a, char16_t b) {
        qsizetype j = i;
        while (j < n && p[j] != a && p[j] != b)
            ++j;
        current.append(p + i, j - i);
        i = j;
    };
    while (i < n) {
        if (!quoted) {
            runUntil(u'"', u',');
            if (i >= n)
                break;
            if (p[i] == u'"') {
                quoted = true;
            } else {
                values << current;
                current.clear();
            }
            ++i;
            continue;
        }
        runUntil(u'"', u'\\');
        if (i >= n)
            break;
        if (p[i] == u'"') {
            quoted = false;
            ++i;
            continue;
        }
        // A backslash: the escape that follows it.
        if (i + 1 >= n) {
            current += p[i++];
            continue;
        }
        const QChar e = p[i + 1];
        i += 2;
        if (e == u'r') {
            current += u'\r';
        } else if (e == u'n') {
            current += u'\n';
        } else if (e == u'u' && i < n && p[i] == u'{') {
            const qsizetype close = text.indexOf(u'}', i + 1);
            bool ok = false;
            const uint code = close > 0 ? text.mid(i + 1, close - i - 1).toUInt(&ok, 16) : 0;
            if (ok) {
                const char32_t ucs = code;
                current += QString::fromUcs4(&ucs, 1);
                i = close + 1;
            } else {
                current += e;
            }
        } else {
            current += e;
        }
    }
    values << current;
    return values;
}

TransferWriter::TransferWriter(const QString& path) : m_file(path)
{
    // A new file only: never one planted there before, never through a link.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw StoreError(u"ファイルを作れません: "_qs + path + u"\n"_qs + m_file.errorString());
}

void TransferWriter::write(const QVariantList& values)
{
    const QByteArray bytes = transferLine(values);
    if (m_file.write(bytes) != bytes.size())
        throw StoreError(u"ファイルに書き込めません: "_qs + m_file.fileName() + u"\n"_qs +
                         m_file.errorString());
    ++m_lines;
}

void TransferWriter::close()
{
    if (!m_file.flush())
        throw StoreError(u"ファイルに書き込めません: "_qs + m_file.fileName());
    m_file.close();
}

TransferReader::TransferReader(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        throw StoreError(u"ファイルが読めません: "_qs + path);
}

bool TransferReader::next(QStringList* values)
{
    if (m_file.atEnd())
        return false;
    QByteArray line = m_file.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    ++m_line;
    *values = parseTransferLine(line);
    return true;
}

} // namespace horunea
