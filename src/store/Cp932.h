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

// Comma-separated values as Excel on a Japanese desktop opens them: CP932,
// CR LF, every field quoted (a quote doubled). The JIS forms Linux input
// methods type are written as Windows and iconv write them (− 817C, 〜 8160,
// ‖ 8161, — 815C, ¢ 8191, £ 8192, ¬ 81CA). StoreError when a character
// cannot be written ("… は CSV に書けない文字です"), and nothing is written;
// the file is replaced whole or not at all.
void writeCsvFile(const QString& path, const QStringList& headers,
                  const std::vector<QStringList>& rows);
QByteArray csvBytes(const QStringList& headers, const std::vector<QStringList>& rows);

} // namespace horunea
