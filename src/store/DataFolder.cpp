#include "store/DataFolder.h"

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "store/Failure.h"

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

namespace {

const QString HelpDocument = u"ホルネア2.0.0.doc"_qs;

// A shipped file beside the program, and where an installed program has it
// (<prefix>/share/horunea).
QString besideProgram(const QString& name)
{
    return QDir(DataFolder::programFolder()).filePath(name);
}
QString installedFile(const QString& name)
{
    return QDir::cleanPath(besideProgram(u"../share/horunea/"_qs + name));
}

// The installed file when there is none beside the program, else the one
// beside it (missing or not).
QString shippedFile(const QString& name)
{
    const QString beside = besideProgram(name);
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installedFile(name)))
        return installedFile(name);
    return beside;
}

} // namespace

bool DataFolder::isInstalled()
{
    return shippedFile(HelpDocument) == installedFile(HelpDocument);
}

QString DataFolder::userDataFolder()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::home().filePath(u".local/share"_qs);
    return QDir(base).filePath(u"horunea"_qs);
}

QString DataFolder::path()
{
    if (!s_folder.isEmpty())
        return s_folder;
    // A program folder of its own keeps the data beside the programs; an
    // installed program never writes into the system's program folder.
    const QString program = programFolder();
    if (!isInstalled() && QFileInfo(program).isWritable())
        return program;
    return userDataFolder();
}

QString DataFolder::helpDocumentPath()
{
    return shippedFile(HelpDocument);
}

QString DataFolder::helpFolderPath()
{
    return QFileInfo(shippedFile(u"help/index.html"_qs)).path();
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
QString DataFolder::serverConfPath()
{
    return in(path(), u"server.conf"_qs);
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
void DataFolder::protect()
{
    // The process holds the passwords of every account: no core dump of it
    // is written, neither by the kernel nor by a crash collector.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::prctl(PR_SET_DUMPABLE, 0);
    ::umask(077);
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    // The program's own folder stays as it is (others may run the program
    // from it); a data folder of its own, and the account folders, are closed.
    const QString folder = path();
    if (QFileInfo(folder).isDir() &&
        QFileInfo(folder).canonicalFilePath() != QFileInfo(programFolder()).canonicalFilePath())
        QFile::setPermissions(folder, ownerOnly);
    for (const QString& accounts : {customerFolder(), repairFolder()})
        if (QFileInfo(accounts).isDir())
            QFile::setPermissions(accounts, ownerOnly);
}

QString DataFolder::lockPath()
{
    return in(path(), u"horunea.lock"_qs);
}

QString DataFolder::forbiddenNameCharacters()
{
    return u"|*\",/:;<>?\\"_qs;
}

QString DataFolder::accountNameProblem(const QString& name)
{
    if (name.trimmed().isEmpty())
        return u"名前がありません。"_qs;
    for (const QChar c : name) {
        if (forbiddenNameCharacters().contains(c))
            return QStringLiteral("「%1」は使えません。").arg(c);
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return u"制御文字は使えません。"_qs;
    }
    if (name.startsWith(u'.'))
        return u"先頭に「.」は使えません。"_qs;
    if (name.endsWith(u'.') || name.endsWith(u' ') || name.endsWith(u'　'))
        return u"末尾に「.」や空白は使えません。"_qs;
    if (!name.isValidUtf16())
        return u"文字が壊れています。"_qs;
    // Most file systems hold 255 bytes in a name, and the longest name made
    // from an account's is its lock, "kelvo-<name>.mdb.lock" (a file moved
    // aside for deletion, ".削除中-<name>.mdb", is as long).
    if (name.toUtf8().size() > MaxAccountNameBytes)
        return u"長すぎます。"_qs;
    // Names some file systems keep for devices.
    static const QStringList devices{u"CON"_qs, u"PRN"_qs, u"AUX"_qs, u"NUL"_qs};
    const QString stem = name.section(u'.', 0, 0).toUpper();
    if (devices.contains(stem) ||
        (stem.size() == 4 && (stem.startsWith(u"COM") || stem.startsWith(u"LPT")) &&
         stem[3] >= u'1' && stem[3] <= u'9'))
        return u"装置の名前は使えません。"_qs;
    return QString();
}

} // namespace horunea
