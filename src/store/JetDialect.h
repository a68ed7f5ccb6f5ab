#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <string>

namespace horunea {

// The folded form under which table and field names are matched: full- and
// half-width forms and letter case do not count (ﾕｰｻﾞｰID reaches ユーザーID).
QString foldName(const QString& name);

// Folded name -> the name as the schema spells it.
using NameMap = QHash<QString, QString>;
NameMap buildNameMap(const QStringList& schemaNames);

// Rewrites Jet SQL text for the store: names in the schema, bare or bracketed,
// are replaced by the schema's spelling in double quotes; Jet's double-quoted
// strings become single-quoted. String literals are never touched.
QString translateJetSql(const QString& sql, const NameMap& names);

// Jet's Like: % any run, _ one character, [a-z] a range, [!a-z] an exclusion,
// ranges by character code, ASCII letters matched regardless of case.
bool jetLike(const QString& pattern, const QString& text);

// A Like pattern prepared once for many texts (the store keeps one per
// statement).
class JetPattern
{
public:
    explicit JetPattern(const QString& pattern);
    bool matches(QStringView text) const;

private:
    std::u32string m_pattern;
};

} // namespace horunea
