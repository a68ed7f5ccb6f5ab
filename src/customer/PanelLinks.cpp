#include "customer/PanelLinks.h"

#include <QRegularExpression>

namespace horunea {

namespace {

PanelLink refused(const QString& message)
{
    return PanelLink{QUrl(), message};
}

bool hasControlCharacters(const QString& text)
{
    for (QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

} // namespace

PanelLink MailLink(const QString& value)
{
    QString address = value.trimmed();
    if (address.isEmpty())
        return {};
    if (address.left(7).toLower() == u"mailto:")
        address = address.mid(7);
    // The address alone: headers after '?' could attach files or add text.
    const qsizetype cut = address.indexOf(QRegularExpression(u"[?#]"_qs));
    if (cut >= 0)
        address.truncate(cut);
    address = address.trimmed();
    const QString message = u"「%1」はメールアドレスとして開けません。"_qs.arg(value);
    if (address.isEmpty() || hasControlCharacters(address) || !address.contains(u'@'))
        return refused(message);
    QUrl url;
    url.setScheme(u"mailto"_qs);
    url.setPath(address, QUrl::DecodedMode);
    if (!url.isValid())
        return refused(message);
    return PanelLink{url, QString()};
}

PanelLink WebLink(const QString& value)
{
    const QString text = value.trimmed();
    if (text.isEmpty())
        return {};
    const QString message =
        u"「%1」は開けません。表示できるのは http:// か https:// のアドレスだけです。"_qs.arg(
            value);
    if (hasControlCharacters(text))
        return refused(message);
    // A scheme is letters before a colon that is not a port ("shop.jp:8080").
    static const QRegularExpression scheme(u"^([A-Za-z][A-Za-z0-9+.-]*):(?![0-9])"_qs);
    const QRegularExpressionMatch match = scheme.match(text);
    QString address = text;
    if (!match.hasMatch()) {
        address = u"http://"_qs + text;
    } else {
        const QString name = match.captured(1).toLower();
        if (name != u"http" && name != u"https")
            return refused(message);
    }
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != u"http" && url.scheme() != u"https"))
        return refused(message);
    return PanelLink{url, QString()};
}

} // namespace horunea
