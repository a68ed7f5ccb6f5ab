#include "ui/UserSettings.h"

#include "ui/ReportListView.h"

#include <QHeaderView>
#include <QSettings>
#include <QWidget>

namespace horunea {

QSettings& userSettings()
{
    static QSettings settings(QSettings::IniFormat, QSettings::UserScope, u"horunea"_qs,
                              u"horunea"_qs);
    return settings;
}

void rememberColumns(ReportListView* list, const QString& key)
{
    const QString name = u"columns/"_qs + key;
    QHeaderView* header = list->header();
    // Only the widths: which columns show stays the program's.
    const QVariantList widths = userSettings().value(name).toList();
    if (widths.size() == header->count())
        for (int i = 0; i < header->count(); ++i)
            if (!header->isSectionHidden(i) && widths[i].toInt() > 0)
                header->resizeSection(i, widths[i].toInt());
    QObject::connect(header, &QHeaderView::sectionResized, list, [header, name] {
        QVariantList sizes;
        for (int i = 0; i < header->count(); ++i)
            sizes << header->sectionSize(i);
        userSettings().setValue(name, sizes);
    });
}

void restoreWindowPlace(QWidget* window)
{
    const QByteArray geometry =
        userSettings().value(u"windows/"_qs + window->objectName()).toByteArray();
    if (!geometry.isEmpty())
        window->restoreGeometry(geometry);
}

void saveWindowPlace(const QWidget* window)
{
    userSettings().setValue(u"windows/"_qs + window->objectName(), window->saveGeometry());
}

} // namespace horunea
