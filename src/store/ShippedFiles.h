#pragma once

#include <QString>
#include <QStringList>

namespace horunea {

enum class DatabaseKind;

// Creates a new database file of a kind with its shipped content. The file is
// written under a temporary name and renamed into place only when complete.
// Throws Failure; an existing file is never touched.
void createDatabaseFile(const QString& path, DatabaseKind kind);

// Creates main.mdb, kelvo.mdb and care.mdb in the data folder where they are
// missing; returns the paths created. Throws Failure when the folder cannot
// be made or written, when a main.mdb that is there cannot be used, and when
// main.mdb is missing while account files are there (a new, empty main.mdb
// would orphan them all). A template that cannot be used is left as it is:
// only account creation needs it (see templateProblem). With strict, every
// file that is there must be usable (init), and nothing is made otherwise.
QStringList EnsureShippedFiles(bool strict = false);

// Why a template cannot make new accounts, with how to make it again; empty
// when it can.
QString templateProblem(DatabaseKind kind);

// Writes both templates anew with their shipped content (init --templates),
// each replacing the old one in one rename; main.mdb and the accounts are not
// touched. Returns the paths written.
QStringList RewriteTemplates();

// Why a file cannot be used as a database of that kind, or empty.
QString unusableDatabaseFile(const QString& path, DatabaseKind kind);

} // namespace horunea
