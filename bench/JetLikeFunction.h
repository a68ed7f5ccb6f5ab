#pragma once

// Jet's Like for a bare SQLCipher connection, as the store registers it:
// the floors of the benchmarks need it to run the same SQL.
#include "store/JetDialect.h"

#include <sqlcipher/sqlite3.h>

#include <string_view>

namespace horunea::bench {

inline void jetLike(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    auto text = [](sqlite3_value* v) {
        return std::string_view(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                                size_t(sqlite3_value_bytes(v)));
    };
    auto* pattern = static_cast<JetPattern*>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        pattern = new JetPattern(JetPattern::fromUtf8(text(argv[0])));
        sqlite3_set_auxdata(context, 0, pattern,
                            [](void* p) { delete static_cast<JetPattern*>(p); });
        pattern = static_cast<JetPattern*>(sqlite3_get_auxdata(context, 0));
        if (!pattern) {
            sqlite3_result_int(context,
                               JetPattern::fromUtf8(text(argv[0])).matchesUtf8(text(argv[1])));
            return;
        }
    }
    sqlite3_result_int(context, pattern->matchesUtf8(text(argv[1])) ? 1 : 0);
}

inline void registerJetLike(sqlite3* db)
{
    sqlite3_create_function_v2(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, jetLike,
                               nullptr, nullptr, nullptr);
}

} // namespace horunea::bench
