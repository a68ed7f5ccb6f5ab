#pragma once

#include <QString>
#include <QStringList>

namespace horunea {

enum class DatabaseKind;

// Creates a new database file of a kind with its shipped content. The file is
// written under a temporary name and renamed into place only when complete.
// Throws StoreError; an existing file is never touched.
void createDatabaseFile(const QString& path, DatabaseKind kind);

// Creates main.mdb, kelvo.mdb and care.mdb in the data folder where they are
// missing; returns the paths created. Throws StoreError when the folder cannot
// be made or written.
QStringList EnsureShippedFiles();

} // namespace horunea
