#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <memory>

namespace horunea {

// The kinds of value an Access (Jet) column holds, by the numbers the
// files use.
enum class JetType {
    Bool = 0x01,
    Byte = 0x02,
    Int = 0x03,
    Long = 0x04,
    Money = 0x05,
    Float = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0A,
    Ole = 0x0B,
    Memo = 0x0C,
    Guid = 0x0F,
    Numeric = 0x10,
};

struct JetColumn
{
    QString name;
    JetType type;
};

// One table of a JetFile, read row by row in the file's order.
class JetTable
{
public:
    JetTable(JetTable&&) noexcept;
    ~JetTable();

    const QString& name() const { return m_name; }
    const QList<JetColumn>& columns() const { return m_columns; }
    // The next key the table's counter gives, as the table's definition
    // keeps it (0 when it has none).
    qint64 nextCounter() const { return m_nextCounter; }
    // The row count the table's definition keeps: what a whole reading
    // finds, unless the file was not closed properly.
    qint64 definitionRows() const { return m_definitionRows; }

    // Moves to the next row; false after the last. Throws Failure when a
    // row cannot be read.
    bool next();
    // A value of the current row: a null QVariant for Null; QString for
    // text and memo (empty text stays empty, not Null), for currency and
    // decimal numbers (exact, "1500.25") and for a GUID; qint64 for whole
    // numbers; double for Single and Double; bool for yes/no; QDateTime
    // (UTC, as the day count says) for date/time; QByteArray for binary.
    QVariant value(int column) const;
    bool isNull(int column) const;

private:
    friend class JetFile;
    struct Cursor;
    JetTable(QString name, std::unique_ptr<Cursor> cursor);
    QString m_name;
    QList<JetColumn> m_columns;
    qint64 m_nextCounter = 0;
    qint64 m_definitionRows = 0;
    std::unique_ptr<Cursor> m_cursor;
};

// Decodes Jet 4 text: UTF-16LE, or the compressed form that starts FF FE.
QString decodeJet4Text(const char* bytes, qsizetype size);

} // namespace horunea
