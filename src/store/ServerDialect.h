#pragma once

#include <QString>

namespace horunea {

// A Jet Like pattern as a PostgreSQL regular expression (an ARE) that
// matches exactly the texts the pattern matches (jetLike): the whole text,
// % any run, _ any one character, [a-z] a range by character code, [!a-z]
// an exclusion, an unclosed [ itself, and ASCII letters either case, in
// ranges too. Every other ASCII sign stands for itself.
QString jetPatternAsServerRegex(const QString& pattern);

} // namespace horunea
