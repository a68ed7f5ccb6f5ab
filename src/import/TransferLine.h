#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace horunea {

// The line format of the transfer files: one record per line, CR LF, text in
// CP932, values separated by commas; a text value in double quotes, a number
// bare. Reading splits at the commas outside quotes and drops the quotes.
//
// Inside quotes a backslash starts an escape, so that every value comes back
// unchanged: \" a double quote, \\ a backslash, \r and \n the line breaks,
// and \u{1F600} a character CP932 cannot hold (an emoji in a remark).
QByteArray transferLine(const QVariantList& values);
// The values of one line (without its CR LF), each as text.
QStringList parseTransferLine(const QByteArray& line);

// Writes transfer lines to a file, one at a time. StoreError names the file
// when it cannot be written.
class TransferWriter
{
public:
    explicit TransferWriter(const QString& path);
    void write(const QVariantList& values);
    void close();
    qint64 lines() const { return m_lines; }

private:
    QFile m_file;
    qint64 m_lines = 0;
};

// Reads transfer lines from a file, one at a time, without loading it whole.
class TransferReader
{
public:
    explicit TransferReader(const QString& path);
    // The next line's values; false at the end of the file.
    bool next(QStringList* values);
    qint64 lineNumber() const { return m_line; }
    QString path() const { return m_file.fileName(); }

private:
    QFile m_file;
    qint64 m_line = 0;
};

} // namespace horunea
