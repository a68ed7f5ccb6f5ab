// Writes a day's shop as the Windows version keeps it (Access files) into a
// folder, for the tests that run horunea-cli on one.
//   make_windows_shop FOLDER
#include "tools/WindowsShop.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    horunea::test::DaysWindowsShop().write(QString::fromLocal8Bit(argv[1]));
    return 0;
}
