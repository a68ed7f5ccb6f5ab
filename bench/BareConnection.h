#pragma once

// The floor of the benchmarks: a connection of the bare SQLCipher C API to
// a file of ours, with the store's key and page cache and nothing else.
#include "store/Database.h"

#include <QFile>
#include <QString>

#include <sqlcipher/sqlite3.h>

namespace horunea::bench {

inline sqlite3* openBare(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const QByteArray key = "PRAGMA key = '" + Database::password().toUtf8() + "';";
    sqlite3_exec(db, key.constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA cache_size = -32768;", nullptr, nullptr, nullptr);
    return db;
}

} // namespace horunea::bench
