#include "store/DataFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace horunea {

QString DataFolder::s_folder;

void DataFolder::set(const QString& folder)
{
    s_folder = folder.isEmpty() ? QString() : QDir(folder).absolutePath();
}

QString DataFolder::programFolder()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                        : QDir::currentPath();
}

QString DataFolder::path()
{
    return s_folder.isEmpty() ? programFolder() : s_folder;
}

namespace {
QString in(const QString& folder, const QString& name)
{
    return QDir(folder).filePath(name);
}
} // namespace

QString DataFolder::masterPath()
{
    return in(path(), u"main.mdb"_qs);
}
QString DataFolder::customerTemplatePath()
{
    return in(path(), u"kelvo.mdb"_qs);
}
QString DataFolder::repairTemplatePath()
{
    return in(path(), u"care.mdb"_qs);
}
QString DataFolder::customerFolder()
{
    return in(path(), u"kelvo"_qs);
}
QString DataFolder::repairFolder()
{
    return in(path(), u"care"_qs);
}
QString DataFolder::lockPath()
{
    return in(path(), u"horunea.lock"_qs);
}

QString DataFolder::customerPath(const QString& operatorName)
{
    return in(customerFolder(), operatorName + u".mdb"_qs);
}

QString DataFolder::repairPath(const QString& repairAccountName)
{
    return in(repairFolder(), repairAccountName + u".mdb"_qs);
}

} // namespace horunea
