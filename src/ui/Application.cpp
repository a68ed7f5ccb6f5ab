#include "ui/Application.h"

#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/ProgramIcon.h"

#include <QApplication>

namespace horunea {

void configureApplication(QApplication& app)
{
    // A display name would make the desktop add " — ホルネア" to every title.
    QApplication::setApplicationName(u"horunea"_qs);
    installJapaneseTranslations(app);
    QApplication::setFont(programFont());
    QApplication::setWindowIcon(programIcon());
}

} // namespace horunea
