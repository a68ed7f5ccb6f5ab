#pragma once

#include <QString>

namespace horunea {

// A Jet Like pattern as a PostgreSQL regular expression (an ARE) that
// matches exactly the texts the pattern matches (jetLike): the whole text,
// % any run, _ any one character, [a-z] a range by character code, [!a-z]
// an exclusion, an unclosed [ itself, and ASCII letters either case, in
// ranges too. Every other ASCII sign stands for itself.
QString jetPatternAsServerRegex(const QString& pattern);

// The statement that makes the folded search's function on the server,
// searchfold(text) in the given schema: the same form searchFolded gives,
// made from it (every character the files fold, as they fold it), so the
// two cannot differ.
QString serverFoldFunction(const QString& schema);

} // namespace horunea
