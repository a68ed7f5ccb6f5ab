#include "shell/ShellController.h"

#include "shell/MainMenuWindow.h"
#include "shell/SplashWindow.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/ShippedFiles.h"
#include "ui/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>

namespace horunea {

ShellController::ShellController(QObject* parent) : QObject(parent) {}

ShellController::~ShellController()
{
    if (m_mainMenu)
        delete m_mainMenu.data();
}

ShellController::StartResult ShellController::start(bool withSplash)
{
    Dialogs& dialogs = Dialogs::instance();
    if (!QDir().mkpath(DataFolder::path())) {
        dialogs.message(nullptr,
                        u"データフォルダーを作成できません。\n"_qs + DataFolder::path(),
                        Dialogs::Icon::Critical);
        return StartResult::Failed;
    }

    m_lock = std::make_unique<QLockFile>(DataFolder::lockPath());
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError) {
            dialogs.message(nullptr, u"すでに「ホルネア」は起動されています。"_qs,
                            Dialogs::Icon::Exclamation);
        } else {
            dialogs.message(nullptr,
                            u"データフォルダーに書き込めません。\n"_qs + DataFolder::path(),
                            Dialogs::Icon::Critical);
        }
        m_lock.reset();
        return StartResult::AlreadyRunning;
    }

    try {
        EnsureShippedFiles();
        Database::open(DataFolder::masterPath()).close();
    } catch (const StoreError& e) {
        dialogs.message(nullptr, e.message(), Dialogs::Icon::Critical);
        return StartResult::Failed;
    }

    if (!withSplash) {
        return showMainMenu() ? StartResult::Started : StartResult::Failed;
    }
    auto* splash = new SplashWindow();
    connect(splash, &SplashWindow::finished, this, [this] {
        if (!showMainMenu())
            QCoreApplication::exit(1);
    });
    splash->show();
    return StartResult::Started;
}

MainMenuWindow* ShellController::showMainMenu()
{
    auto* menu = new MainMenuWindow();
    if (!menu->load()) {
        delete menu;
        return nullptr;
    }
    wireMainMenu(menu);
    m_mainMenu = menu;
    menu->show();
    emit mainMenuShown(menu);
    return menu;
}

void ShellController::wireMainMenu(MainMenuWindow* menu)
{
    connect(menu, &MainMenuWindow::quitRequested, this, [] { QCoreApplication::exit(0); });
}

} // namespace horunea
