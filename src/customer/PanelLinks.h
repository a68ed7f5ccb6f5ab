#pragma once

#include <QString>
#include <QUrl>

namespace horunea {

// What 送る and 表示 hand to the desktop: a URL, or why nothing is handed.
struct PanelLink
{
    QUrl url;        // empty when refused or when the value is empty
    QString refusal; // the message shown instead, empty when the URL is good
};

// 送る: a mailto: address alone ("mailto:" put in front when missing); what
// follows a '?' or '#' (headers such as attach=, cc=, body=) is dropped.
PanelLink MailLink(const QString& value);

// 表示: http and https addresses only; one without a scheme gets "http://".
// Any other scheme (file:, javascript:, ssh:, …) is refused.
PanelLink WebLink(const QString& value);

} // namespace horunea
