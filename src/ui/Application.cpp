#include "ui/Application.h"

#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/ToolbarIcons.h"

#include <QApplication>

namespace horunea {

void configureApplication(QApplication& app)
{
    // A display name would make the desktop add " — ホルネア" to every title.
    QApplication::setApplicationName(u"horunea"_qs);
    installJapaneseTranslations(app);
    QApplication::setFont(programFont());
    QApplication::setWindowIcon(glyphIcon(u"ホ"_qs, QColor(0x1d, 0x4e, 0x89)));
}

} // namespace horunea
