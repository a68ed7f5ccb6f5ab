#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
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

// The values of one line, as UTF-8 in one buffer: read millions of times
// without a string or a list made for each.
class TransferValues
{
public:
    // Reads a line (without its CR LF).
    void parse(QByteArrayView cp932);
    qsizetype size() const { return qsizetype(m_ends.size()); }
    // Value i; empty beyond the last.
    std::string_view operator[](qsizetype i) const;
    QString text(qsizetype i) const;
    QStringList texts() const;

private:
    std::string m_utf8;   // the line decoded
    std::string m_values; // the values one after the other
    std::vector<qsizetype> m_ends;
};

QByteArray transferLine(const QVariantList& values);
// The values of one line (without its CR LF), each as text.
QStringList parseTransferLine(const QByteArray& line);

// Writes transfer lines to a file, one at a time. Failure names the file
// when it cannot be written.
class TransferWriter
{
public:
    explicit TransferWriter(const QString& path);
    void write(const QVariantList& values);
    // Writes the line the builder holds.
    void write(TransferLineBuilder& line);
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
    bool next(TransferValues* values);
    bool next(QStringList* values);
    qint64 lineNumber() const { return m_line; }
    QString path() const { return m_file.fileName(); }

private:
    bool nextLine(QByteArrayView* line);
    QFile m_file;
    QByteArray m_buffer;
    qsizetype m_at = 0;
    bool m_end = false;
    qint64 m_line = 0;
    TransferValues m_values;
};

} // namespace horunea
