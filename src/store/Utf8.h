#pragma once

#include <cstddef>
#include <string>

namespace horunea::utf8 {

// What next() gives for bytes that are not UTF-8.
constexpr char32_t Invalid = 0xFFFFFFFF;

// The character of UTF-8 text that starts at p[*i], moving *i past it; or
// Invalid, *i unmoved, where no character starts (a stray or missing
// continuation byte, an overlong form, a code past U+10FFFF). A surrogate
// written on its own comes back as itself: some stored text holds one.
inline char32_t next(const unsigned char* p, size_t n, size_t* i)
{
    const unsigned char b = p[*i];
    int more = 0;
    char32_t c = b, least = 0;
    if (b < 0x80) {
        ++*i;
        return c;
    }
    if (b >= 0xC2 && b <= 0xDF) {
        more = 1;
        c = b & 0x1F;
        least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        more = 2;
        c = b & 0x0F;
        least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        more = 3;
        c = b & 0x07;
        least = 0x10000;
    } else {
        return Invalid;
    }
    if (n - *i <= size_t(more))
        return Invalid;
    for (int k = 1; k <= more; ++k) {
        const unsigned char t = p[*i + size_t(k)];
        if ((t & 0xC0) != 0x80)
            return Invalid;
        c = c << 6 | (t & 0x3F);
    }
    if (c < least || c > 0x10FFFF)
        return Invalid;
    *i += size_t(more) + 1;
    return c;
}

// Appends the UTF-8 of one character.
inline void append(char32_t c, std::string& out)
{
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

} // namespace horunea::utf8
