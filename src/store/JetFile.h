#pragma once

#include "store/JetTable.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace horunea {

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

} // namespace horunea
