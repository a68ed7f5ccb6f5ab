#pragma once

#include "store/SqlPiece.h"

#include <QString>
#include <QStringList>

namespace horunea {

// What the search window can search: the three lists of the customer window
// or the three of the repair window.
enum class SearchKind { Users, Subjects, Logs, Repairs, Unpaid, RepairLogs };

// How the second word joins the first ("なし" drops it).
enum class SearchJoin { None, Or, And };

struct SearchRequest
{
    SearchKind kind = SearchKind::Users;
    QString word1;
    SearchJoin join = SearchJoin::None;
    QString word2;
    // Full- and half-width forms, hiragana and katakana, and letter case do
    // not count; off, a word is found as Jet's Like finds it.
    bool folded = true;
};

// The fields a condition tests, in order.
QStringList searchFields(SearchKind kind);

// (F1 Like ? or F2 Like ? or … or Fn Like ?) with the word bound to every
// placeholder as "%word%": the word is found literally, its ' % _ [ too.
// Folded, every field is compared as SearchFold(F) with the word folded.
SqlPiece searchCondition(SearchKind kind, const QString& word, bool folded);

// " AND", " OR" or, for なし, nothing.
QString searchJoiner(SearchJoin join);

// The piece that replaces the list's condition: " WHERE " + c1 + joiner +
// c2. The unpaid list has its own WHERE, so it gets " AND (" + c1 + joiner
// + c2 + ")": the pair stays inside the unpaid condition.
SqlPiece searchClause(const SearchRequest& request);

// "'" + w1 + "'" + joiner + " '" + w2 + "' の検索結果"; with なし the second
// word is dropped and stands empty.
QString searchHeading(const SearchRequest& request);

// Users, subjects and logs live in customer data; the rest in repair data.
bool searchesCustomerData(SearchKind kind);

// The choice box entries, and the join an entry stands for.
QStringList searchJoinChoices();
SearchJoin searchJoinOf(const QString& choice);

} // namespace horunea
