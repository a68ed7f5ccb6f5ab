// The SQL translator on any text: it must not fail (but refuse Jet's &, the
// joining of texts, outside literals, comments and names), it must copy every
// literal and comment unchanged, and every bare word that names a schema
// name must come out as that name, quoted.
#include "store/Failure.h"
#include "store/JetDialect.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace horunea;

namespace {

// The literals ('…') and comments of a text, in order, as the translator
// must leave them ("…" strings become '…' and are left out here).
QStringList literalsAndComments(const QString& sql)
{
    QStringList out;
    const qsizetype n = sql.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql[i];
        if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            qsizetype end = sql.indexOf(u'\n', i);
            end = end < 0 ? n : end;
            out << sql.mid(i, end - i);
            i = end;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            qsizetype end = sql.indexOf(u"*/"_qs, i + 2);
            end = end < 0 ? n : end + 2;
            out << sql.mid(i, end - i);
            i = end;
        } else if (c == u'\'') {
            qsizetype j = i + 1;
            while (j < n && !(sql[j] == u'\'' && !(j + 1 < n && sql[j + 1] == u'\'')))
                j += sql[j] == u'\'' ? 2 : 1;
            out << sql.mid(i, j - i + 1);
            i = j + 1;
        } else if (c == u'"') {
            qsizetype j = i + 1;
            while (j < n && !(sql[j] == u'"' && !(j + 1 < n && sql[j + 1] == u'"')))
                j += sql[j] == u'"' ? 2 : 1;
            i = j + 1;
        } else if (c == u'[') {
            const qsizetype close = sql.indexOf(u']', i + 1);
            i = close < 0 ? n : close + 1;
        } else {
            ++i;
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 2000)
        return 0;
    static const NameMap names =
        buildNameMap({u"ユーザー"_qs, u"表示名"_qs, u"E-MAIL"_qs, u"件名"_qs, u"件名ID"_qs});
    const QString sql = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    QString out;
    try {
        out = translateJetSql(sql, names);
    } catch (const Failure&) {
        if (!sql.contains(u'&'))
            std::abort();
        return 0;
    }
    // Literals and comments of the input appear in the output in order.
    qsizetype from = 0;
    for (const QString& piece : literalsAndComments(sql)) {
        const qsizetype at = out.indexOf(piece, from);
        if (at < 0)
            std::abort();
        from = at + piece.size();
    }
    // A statement splitter over the same text never fails either, and keeps
    // no empty piece.
    for (const QString& s : splitJetStatements(sql))
        if (s.trimmed().isEmpty())
            std::abort();
    // A name alone becomes itself, quoted.
    if (sql == u"ﾋｮｳｼﾞﾒｲ" && out != u"\"表示名\"")
        std::abort();
    return 0;
}
