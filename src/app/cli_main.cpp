#include "app/Cli.h"
#include "store/DataFolder.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

namespace {

// Qt's own notes (a missing runtime folder, font fallbacks) are not the
// program's output: stderr carries errors and progress only.
void quietQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg ||
        qEnvironmentVariableIsSet("HORUNEA_QT_DEBUG"))
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[])
{
    qInstallMessageHandler(quietQtNotes);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Reports are painted without a screen: no display is needed.
    std::unique_ptr<QCoreApplication> app;
    if (horunea::cliNeedsPainting(arguments)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    horunea::DataFolder::protect();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return horunea::runCli(app->arguments().mid(1), out, err);
}
