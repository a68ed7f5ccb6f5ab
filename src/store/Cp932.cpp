#include "store/Cp932.h"

#include "store/Failure.h"
#include "store/Utf8.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>
#include <utility>
#include <vector>

namespace horunea {

namespace {

const char* const CodePage = "windows-31j";

QString characterAt(const QString& text, qsizetype i)
{
    if (text[i].isHighSurrogate() && i + 1 < text.size())
        return text.mid(i, 2);
    return text.mid(i, 1);
}

// One converter each per thread: opening the code page costs far more than
// converting a line.
QStringEncoder& encoder()
{
    static thread_local QStringEncoder e(CodePage, QStringConverter::Flag::Stateless);
    return e;
}
QStringDecoder& decoder()
{
    static thread_local QStringDecoder d(CodePage, QStringConverter::Flag::Stateless);
    return d;
}

} // namespace

namespace {

// Whether the text comes back unchanged through CP932; its bytes if so. A
// converter that met an error is made anew: its error would stay.
bool roundTrips(const QString& text, QByteArray* bytes)
{
    QStringEncoder& e = encoder();
    e.resetState();
    QByteArray encoded = e.encode(text);
    if (e.hasError())
        e = QStringEncoder(CodePage, QStringConverter::Flag::Stateless);
    QStringDecoder& d = decoder();
    d.resetState();
    const QString back = d.decode(encoded);
    if (d.hasError())
        d = QStringDecoder(CodePage, QStringConverter::Flag::Stateless);
    if (back != text)
        return false;
    *bytes = std::move(encoded);
    return true;
}

} // namespace

namespace {

constexpr char32_t NoCharacter = 0xFFFFFFFF;

// The code page by table, found once through the converters: a text is then
// converted one lookup a character. The bytes below 0x80 are ASCII, as in
// Windows; the converter's own table would exchange some control characters
// (0x1A, 0x1C, 0x7F), so that a Ctrl+Z in a remark came back as another one.
struct Cp932Tables
{
    // By character of the basic plane: its code (one byte below 0x100,
    // else lead and trail), 0 when it would not come back unchanged.
    std::vector<quint16> codes = std::vector<quint16>(0x10000, 0);
    // By byte: the character of a single byte; NoCharacter for a lead byte
    // or a byte the code page does not define.
    std::array<char32_t, 256> singles{};
    // By lead byte, its place in `pairs`; -1 for a byte that leads nothing.
    std::array<int, 256> leads{};
    // By lead place × 256 + trail: the character, or NoCharacter.
    std::vector<char32_t> pairs;
};

// The one character a converter gives for those bytes, or NoCharacter.
char32_t decodedCharacter(const QByteArray& bytes)
{
    QStringDecoder& d = decoder();
    d.resetState();
    const QString text = d.decode(bytes);
    if (d.hasError())
        d = QStringDecoder(CodePage, QStringConverter::Flag::Stateless);
    const QList<uint> ucs = text.toUcs4();
    // An undefined byte comes back as U+FFFD or as the substitute U+001A.
    if (ucs.size() != 1 || ucs[0] == 0xFFFD || (ucs[0] == 0x1A && bytes != "\x1a"))
        return NoCharacter;
    return ucs[0];
}

// The single bytes the code page leaves undefined, as Windows reads (and
// writes) them: the previous version's files may hold them.
constexpr std::pair<uchar, char32_t> WindowsSingles[] = {
    {0x80, 0x0080}, {0xA0, 0xF8F0}, {0xFD, 0xF8F1}, {0xFE, 0xF8F2}, {0xFF, 0xF8F3}};

const Cp932Tables& tables()
{
    static const Cp932Tables built = [] {
        Cp932Tables t;
        for (char32_t c = 0x80; c < 0x10000; ++c) {
            if (c >= 0xD800 && c < 0xE000)
                continue;
            QByteArray bytes;
            if (!roundTrips(QString(QChar(char16_t(c))), &bytes))
                continue;
            if (bytes.size() == 1 && uchar(bytes[0]) >= 0x80)
                t.codes[c] = quint16(uchar(bytes[0]));
            else if (bytes.size() == 2)
                t.codes[c] = quint16(uchar(bytes[0]) << 8 | uchar(bytes[1]));
        }
        int lead = 0;
        for (int b = 0; b < 256; ++b) {
            const bool isLead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
            t.leads[size_t(b)] = isLead ? lead++ : -1;
            t.singles[size_t(b)] = isLead     ? NoCharacter
                                   : b < 0x80 ? char32_t(b)
                                              : decodedCharacter(QByteArray(1, char(b)));
        }
        for (const auto& [byte, c] : WindowsSingles) {
            if (t.singles[byte] == NoCharacter && t.codes[c] == 0) {
                t.singles[byte] = c;
                t.codes[c] = byte;
            }
        }
        t.pairs.assign(size_t(lead) * 256, NoCharacter);
        for (int b = 0; b < 256; ++b) {
            if (t.leads[size_t(b)] < 0)
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                const char pair[2] = {char(b), char(trail)};
                t.pairs[size_t(t.leads[size_t(b)]) * 256 + size_t(trail)] =
                    decodedCharacter(QByteArray(pair, 2));
            }
        }
        return t;
    }();
    return built;
}

} // namespace

bool appendCp932(char32_t c, std::string* out)
{
    if (c < 0x80) {
        out->push_back(char(c));
        return true;
    }
    if (c >= 0x10000)
        return false;
    const quint16 code = tables().codes[c];
    if (code == 0)
        return false;
    if (code >= 0x100)
        out->push_back(char(code >> 8));
    out->push_back(char(code & 0xFF));
    return true;
}

void appendUtf8OfCp932(QByteArrayView bytes, std::string* out)
{
    const Cp932Tables& t = tables();
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        if (p[i] < 0x80) {
            qsizetype j = i + 1;
            while (j < n && p[j] < 0x80)
                ++j;
            out->append(reinterpret_cast<const char*>(p + i), j - i);
            i = j;
            continue;
        }
        const uchar b = p[i];
        char32_t c = t.singles[b];
        qsizetype width = 1;
        if (const int lead = t.leads[b]; lead >= 0) {
            // A pair the code page does not define is one U+FFFD; a byte
            // that cannot trail (or an ASCII one, which may be a quote or a
            // comma) is read again on its own.
            const uchar trail = i + 1 < n ? p[i + 1] : 0;
            c = t.pairs[size_t(lead) * 256 + trail];
            if (c != NoCharacter || (trail >= 0x80 && trail <= 0xFC))
                width = 2;
        }
        utf8::append(c == NoCharacter ? char32_t(0xFFFD) : c, *out);
        i += width;
    }
}

QByteArray encodeCp932(const QString& text, QString* refused)
{
    std::string bytes;
    bytes.reserve(size_t(text.size()) * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isSurrogate() || !appendCp932(c.unicode(), &bytes)) {
            if (refused)
                *refused = characterAt(text, i);
            return {};
        }
    }
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QString decodeCp932(const QByteArray& bytes)
{
    std::string utf8;
    utf8.reserve(size_t(bytes.size()) * 3 / 2);
    appendUtf8OfCp932(bytes, &utf8);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

} // namespace horunea
