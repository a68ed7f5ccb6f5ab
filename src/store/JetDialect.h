#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <QStringView>

#include <string>
#include <string_view>
#include <vector>

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

// The statements of a text of several separated by ";", each trimmed; a ";"
// inside a literal, a bracketed name or a comment separates nothing, and a
// piece of blanks and comments alone is no statement.
QStringList splitJetStatements(const QString& sql);

// The characters of a text as the Like matcher reads them: surrogate pairs
// joined, a surrogate without its partner standing for itself.
std::u32string jetCharacters(QStringView text);

// Characters as a text, each as it is: a leading U+FEFF is kept (which
// QString::fromUcs4 would take for a byte order mark and drop).
QString textOfCharacters(std::u32string_view chars);

// Jet's Like: % any run, _ one character, [a-z] a range, [!a-z] an exclusion,
// ranges by character code, ASCII letters matched regardless of case.
bool jetLike(const QString& pattern, const QString& text);

// A Like pattern prepared once for many texts (the store keeps one per
// statement). A pattern that only asks for a fixed text somewhere ("%山田%")
// or at the start ("山田%") is matched by comparing bytes, the rest by the
// general matcher.
class JetPattern
{
public:
    explicit JetPattern(const QString& pattern);
    // A pattern as the store holds it; malformed bytes stand for themselves.
    static JetPattern fromUtf8(std::string_view pattern);

    bool matches(QStringView text) const;
    bool matchesUtf8(std::string_view text) const;

private:
    enum class Kind : unsigned char { Any, One, Char, Class };
    struct Element
    {
        Kind kind;
        char32_t c = 0;   // Char
        unsigned cls = 0; // Class: index into m_classes
    };
    struct Range
    {
        char32_t low, high;
    };
    struct CharClass
    {
        bool negate = false;
        std::vector<Range> ranges;
    };
    enum class Form { General, Contains, Prefix };

    JetPattern() = default;
    void compile(std::u32string_view pattern);
    static bool inClass(const CharClass& cls, char32_t c);
    bool accepts(const Element& e, char32_t c) const;
    bool matchDecoded(std::u32string_view text) const;

    std::vector<Element> m_elements;
    std::vector<CharClass> m_classes;
    Form m_form = Form::General;
    std::string m_literal; // UTF-8, ASCII letters in lower case
    bool m_literalHasLetters = false;
    // Characters of a text the match can read: all, unless the only % ends
    // the pattern.
    size_t m_anchoredLength = size_t(-1);
};

// The text a Like pattern must hold to find exactly the given text, however
// it is written: % _ and [ are put in brackets.
QString likeLiteral(const QString& text);

// The form under which the search finds text regardless of width, kana and
// letter case: full-width Latin letters, digits and signs become ASCII,
// letters lower case, katakana (full or half width) hiragana, a voiced kana
// its base kana and mark (ガ, ｶﾞ and が all become か゛), the ideographic
// space a space, and the JIS forms Linux input methods type their CP932
// twins (〜 ～ → ~, − － → -, ‖ → ∥, — → ―, ￠ ￡ ￢ → ¢ £ ¬; the dashes ‐ ‑ ‒ – ﹣
// → -). Every character folds on its own, so that whatever the exact search
// finds, the folded search finds too.
QString searchFolded(QStringView text);
std::string searchFoldedUtf8(std::string_view text);

} // namespace horunea
