// Jet's Like against a small matcher written from the rules alone: % any
// run, _ one character, [set] with ranges by code and ! for the rest, an
// unclosed [ standing for itself, ASCII letters matching either case. The
// input is pattern, a zero byte, text (UTF-8). The store's UTF-8 path must
// agree with the UTF-16 one.
#include "store/JetDialect.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace horunea;

namespace {

std::u32string codePoints(const QString& s)
{
    std::u32string out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t c = s[i].unicode();
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(s[i], s[i + 1]);
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

bool letter(char32_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool sameChar(char32_t p, char32_t c)
{
    return p == c || (letter(c) && (c ^ 0x20) == p);
}

bool inSet(const std::u32string& set, char32_t c)
{
    size_t k = 0;
    const bool negate = !set.empty() && set[0] == U'!';
    if (negate)
        k = 1;
    bool hit = false;
    for (; k < set.size();) {
        char32_t low = set[k], high = set[k];
        if (k + 2 < set.size() && set[k + 1] == U'-') {
            high = set[k + 2];
            k += 3;
        } else {
            ++k;
        }
        auto within = [&](char32_t x) { return x >= low && x <= high; };
        hit |= within(c) || (letter(c) && within(c ^ 0x20));
    }
    return hit != negate;
}

// Matching by table: can pattern[i…] match text[j…]?
bool reference(const std::u32string& p, const std::u32string& t)
{
    const size_t n = p.size(), m = t.size();
    std::vector<std::vector<char>> can(n + 1, std::vector<char>(m + 1, 0));
    can[n][m] = 1;
    for (size_t i = n; i-- > 0;) {
        // The element at i and its length.
        size_t length = 1;
        std::u32string set;
        bool isSet = false;
        if (p[i] == U'[') {
            const size_t close = p.find(U']', i + 1);
            if (close != std::u32string::npos) {
                isSet = true;
                set = p.substr(i + 1, close - i - 1);
                length = close - i + 1;
            }
        }
        for (size_t j = m + 1; j-- > 0;) {
            bool ok = false;
            if (p[i] == U'%' && !isSet)
                ok = can[i + 1][j] || (j < m && can[i][j + 1]);
            else if (j < m) {
                const bool accepts =
                    isSet ? inSet(set, t[j]) : (p[i] == U'_' || sameChar(p[i], t[j]));
                ok = accepts && can[i + length][j + 1];
            }
            can[i][j] = ok;
        }
    }
    return can[0][0];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 400)
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t zero = input.find('\0');
    const QString pattern = QString::fromUtf8(input.substr(0, zero));
    const QString text =
        zero == std::string::npos ? QString() : QString::fromUtf8(input.substr(zero + 1));
    const bool expected = reference(codePoints(pattern), codePoints(text));
    if (jetLike(pattern, text) != expected)
        std::abort();
    const JetPattern compiled(pattern);
    if (compiled.matchesUtf8(text.toStdString()) != expected)
        std::abort();
    if (JetPattern::fromUtf8(pattern.toStdString()).matchesUtf8(text.toStdString()) != expected)
        std::abort();
    return 0;
}
