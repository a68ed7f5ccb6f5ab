#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace horunea {

// Comma-separated values as Excel on a Japanese desktop opens them: CP932,
// CR LF, every field quoted (a quote doubled). The JIS forms Linux input
// methods type are written as Windows and iconv write them (− 817C, 〜 8160,
// ‖ 8161, — 815C, ¢ 8191, £ 8192, ¬ 81CA). Failure when a character
// cannot be written ("… は CSV に書けない文字です"), and nothing is written;
// the file is replaced whole or not at all.
void writeCsvFile(const QString& path, const QStringList& headers,
                  const std::vector<QStringList>& rows);
QByteArray csvBytes(const QStringList& headers, const std::vector<QStringList>& rows);

} // namespace horunea
