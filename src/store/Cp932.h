#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace horunea {

// The Windows Japanese code page (windows-31j), in which files meant for
// Windows programs are written: ①, ㈱, ～ and the NEC and IBM extensions
// included.

// The text in CP932. A character that would not come back unchanged (an
// emoji, a letter of another script) is never written as "?": encoding
// stops, *refused receives that character, and the result is empty.
// The single bytes the code page leaves undefined read as Windows reads them
// (0x80 → U+0080, 0xA0 → U+F8F0, 0xFD–0xFF → U+F8F1–U+F8F3) and are written
// back as the same bytes; an undefined pair reads as U+FFFD.
QByteArray encodeCp932(const QString& text, QString* refused);
QString decodeCp932(const QByteArray& bytes);

// The same conversions one character at a time, by table, for the files
// that carry millions of values. appendCp932 appends the character's bytes,
// or returns false when it would not come back unchanged; appendUtf8OfCp932
// appends as UTF-8 what decodeCp932 gives for those bytes.
bool appendCp932(char32_t c, std::string* out);
void appendUtf8OfCp932(QByteArrayView bytes, std::string* out);

} // namespace horunea
