#pragma once

#include <QList>
#include <QString>
#include <QStringList>
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

class JetTable;

// An Access (Jet 3 or Jet 4) database file of the Windows version, read
// through libmdb. The values are taken from the rows libmdb cracks and
// decoded here: Jet 4 text as UTF-16 (surrogate pairs kept, so 𠮷 and emoji
// come through) or in its compressed form, Jet 3 text through the program's
// CP932 table, Null kept apart from empty text. A database password or
// encoded pages read the same.
class JetFile
{
public:
    // Throws Failure naming the file when it is missing, not a Jet
    // database, a newer Access file (.accdb), or cannot be read. The
    // native path, when given, is the file's name as the folder holds it
    // (a name copied from Windows may not be UTF-8); path is what is shown.
    static JetFile open(const QString& path, const QByteArray& nativePath = {});
    JetFile(JetFile&&) noexcept;
    JetFile& operator=(JetFile&&) noexcept;
    ~JetFile();

    const QString& path() const { return m_path; }
    int jetVersion() const; // 3 or 4
    // The tables a user made (not the engine's own), in the file's order.
    QStringList tableNames() const;
    // Throws Failure when the table is not there or its definition is damaged.
    JetTable table(const QString& name) const;

    // Whether the bytes begin as a Jet or Access database file does.
    static bool looksLikeJet(const QByteArray& nativePath);

private:
    struct Handle;
    JetFile(QString path, std::unique_ptr<Handle> handle);
    QString m_path;
    std::unique_ptr<Handle> m_handle;
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
