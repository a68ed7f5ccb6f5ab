// The floor of bench_cli: what `horunea-cli users NAME --row か` does, with
// the bare SQLCipher C API and stdio only. Opens main.mdb with the key,
// reads the account's password, opens the account's file with the key, runs
// the same (translated) SQL with Jet's Like and writes the same output.
//
//   bench_cli_floor KEY MAIN.MDB NAME ACCOUNT.MDB HEADER SQL
#include "JetLikeFunction.h"

#include <sqlcipher/sqlite3.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

sqlite3* openKeyed(const char* path, const char* key)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return nullptr;
    const std::string pragma = std::string("PRAGMA key = '") + key + "';";
    sqlite3_exec(db, pragma.c_str(), nullptr, nullptr, nullptr);
    return db;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 7)
        return 2;
    const char *key = argv[1], *mainPath = argv[2], *name = argv[3], *accountPath = argv[4];
    sqlite3* master = openKeyed(mainPath, key);
    sqlite3_stmt* find = nullptr;
    if (!master || sqlite3_prepare_v2(master, "SELECT パスワード FROM 使用者 WHERE 使用者名 = ?",
                                      -1, &find, nullptr) != SQLITE_OK)
        return 1;
    sqlite3_bind_text(find, 1, name, -1, SQLITE_STATIC);
    if (sqlite3_step(find) != SQLITE_ROW || sqlite3_column_type(find, 0) != SQLITE_NULL)
        return 1; // no such account, or one with a password
    sqlite3_finalize(find);
    sqlite3_close_v2(master);

    sqlite3* db = openKeyed(accountPath, key);
    horunea::bench::registerJetLike(db);
    sqlite3_stmt* rows = nullptr;
    if (sqlite3_prepare_v2(db, argv[6], -1, &rows, nullptr) != SQLITE_OK)
        return 1;
    std::fputs(argv[5], stdout);
    std::fputc('\n', stdout);
    const int columns = sqlite3_column_count(rows);
    while (sqlite3_step(rows) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                std::fputc('\t', stdout);
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(rows, c));
            for (const char* p = text; p && *p; ++p) {
                switch (*p) {
                case '\\':
                    std::fputs("\\\\", stdout);
                    break;
                case '\t':
                    std::fputs("\\t", stdout);
                    break;
                case '\n':
                    std::fputs("\\n", stdout);
                    break;
                case '\r':
                    std::fputs("\\r", stdout);
                    break;
                default:
                    std::fputc(*p, stdout);
                }
            }
        }
        std::fputc('\n', stdout);
    }
    sqlite3_finalize(rows);
    sqlite3_close_v2(db);
    return 0;
}
