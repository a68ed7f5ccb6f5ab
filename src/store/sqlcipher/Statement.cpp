#include "store/sqlcipher/Statement.h"

#include "store/JetDialect.h"

#include <string_view>

namespace horunea {

namespace {

std::string_view utf8Of(sqlite3_value* v)
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return data ? std::string_view(data, size_t(sqlite3_value_bytes(v))) : std::string_view();
}

// Jet's Like, registered under the name the store's LIKE operator calls;
// it reads the stored UTF-8 as it is.
void likeFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    Q_UNUSED(argc);
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto compiled = [&] { return new JetPattern(JetPattern::fromUtf8(utf8Of(argv[0]))); };
    // The pattern is the same for every row of a statement: prepare it once.
    auto* pattern = static_cast<JetPattern*>(sqlite3_get_auxdata(context, 0));
    if (!pattern) {
        sqlite3_set_auxdata(context, 0, compiled(),
                            [](void* p) { delete static_cast<JetPattern*>(p); });
        // set_auxdata may have deleted it at once when it cannot keep it.
        pattern = static_cast<JetPattern*>(sqlite3_get_auxdata(context, 0));
    }
    std::unique_ptr<JetPattern> once(pattern ? nullptr : compiled());
    const bool hit = (pattern ? pattern : once.get())->matchesUtf8(utf8Of(argv[1]));
    sqlite3_result_int(context, hit ? 1 : 0);
}

// SearchFold(text): the text as the search that does not tell widths and
// kana apart compares it; Null stays Null.
void searchFoldFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    Q_UNUSED(argc);
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const std::string_view text = utf8Of(argv[0]);
    bool plain = true; // ASCII without capitals folds to itself
    for (const char c : text) {
        if ((c & 0x80) || (c >= 'A' && c <= 'Z')) {
            plain = false;
            break;
        }
    }
    if (plain) {
        sqlite3_result_text(context, text.data(), int(text.size()), SQLITE_TRANSIENT);
        return;
    }
    const std::string folded = searchFoldedUtf8(text);
    sqlite3_result_text(context, folded.data(), int(folded.size()), SQLITE_TRANSIENT);
}

} // namespace

QString errorText(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("メモリ不足");
}

void registerJetFunctions(sqlite3* db)
{
    sqlite3_create_function_v2(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               likeFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "searchfold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               searchFoldFunction, nullptr, nullptr, nullptr);
}

} // namespace horunea
