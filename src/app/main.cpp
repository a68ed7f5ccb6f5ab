#include "shell/ShellController.h"
#include "store/DataFolder.h"
#include "ui/Application.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    horunea::configureApplication(app);

    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--data-dir" && i + 1 < args.size()) {
            horunea::DataFolder::set(args[++i]);
        } else {
            QTextStream(stderr) << "使い方: horunea [--data-dir フォルダー]\n";
            return 2;
        }
    }

    horunea::DataFolder::protect();
    horunea::ShellController shell;
    if (shell.start() != horunea::ShellController::StartResult::Started)
        return 1;
    return app.exec();
}
