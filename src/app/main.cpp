#include "shell/ShellController.h"
#include "store/DataFolder.h"
#include "ui/Fonts.h"
#include "ui/ToolbarIcons.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"horunea"_qs);
    QApplication::setApplicationDisplayName(u"ホルネア"_qs);
    QApplication::setFont(horunea::programFont());
    QApplication::setWindowIcon(horunea::glyphIcon(u"ホ"_qs, QColor(0x1d, 0x4e, 0x89)));

    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--data-dir" && i + 1 < args.size()) {
            horunea::DataFolder::set(args[++i]);
        } else {
            QTextStream(stderr) << "使い方: horunea [--data-dir フォルダー]\n";
            return 2;
        }
    }

    horunea::ShellController shell;
    if (shell.start() != horunea::ShellController::StartResult::Started)
        return 1;
    return app.exec();
}
