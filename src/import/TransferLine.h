#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>

#include <string>
#include <string_view>
#include <vector>

namespace horunea {

// The line format of the transfer files: one record per line, CR LF, text in
// CP932, values separated by commas; a text value in double quotes, a number
// bare. Reading splits at the commas outside quotes and drops the quotes.
//
// Inside quotes a backslash starts an escape, so that every value comes back
// unchanged: \" a double quote, \\ a backslash, \r and \n the line breaks,
// and \u{1F600} a character CP932 cannot hold (an emoji in a remark).

// One line being written, value after value.
class TransferLineBuilder
{
public:
    TransferLineBuilder() { m_bytes.reserve(1024); }
    void addNumber(qint64 n);
    // A number written as text, in quotes (the running numbers).
    void addNumberText(qint64 n);
    void addText(std::string_view text); // UTF-8
    void addText(QStringView text);
    // The values as text and numbers by their type.
    void add(const QVariant& value);
    // The line with its CR LF; the builder then starts the next line.
    std::string_view finish();

private:
    void separate();
    void appendQuoted(QStringView text);
    std::string m_bytes;
    bool m_finished = false;
};

QByteArray transferLine(const QVariantList& values);
// The values of one line (without its CR LF), each as text.
QStringList parseTransferLine(const QByteArray& line);

} // namespace horunea

// What reads and writes the lines.
#include "import/TransferReader.h"
#include "import/TransferValues.h"
#include "import/TransferWriter.h"
