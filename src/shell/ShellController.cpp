#include "shell/ShellController.h"

#include "customer/CustomerWindow.h"
#include "customer/RecordEditorDialog.h"
#include "shell/Accounts.h"
#include "shell/MainMenuWindow.h"
#include "shell/SessionState.h"
#include "shell/SplashWindow.h"
#include "store/DataFolder.h"
#include "store/Connections.h"
#include "store/Database.h"
#include "store/ShippedFiles.h"
#include "ui/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace horunea {

ShellController::ShellController(QObject* parent) : QObject(parent) {}

ShellController::~ShellController()
{
    if (m_mainMenu)
        delete m_mainMenu.data();
    if (m_customerWindow) {
        m_customerWindow->disconnect(this);
        delete m_customerWindow.data();
    }
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
    connect(menu, &MainMenuWindow::openCustomerRequested, this,
            [this, menu] { OpenCustomerData(menu); });
}

void ShellController::showReducedMenu(MainMenuWindow::Layout layout, QWidget* over)
{
    auto* menu = new MainMenuWindow(over);
    if (!menu->load()) {
        delete menu;
        return;
    }
    menu->setMenuLayout(layout);
    wireMainMenu(menu);
    menu->setWindowModality(Qt::ApplicationModal);
    menu->exec();
}

void ShellController::OpenCustomerData(MainMenuWindow* menu)
{
    Dialogs& dialogs = Dialogs::instance();
    const QString name = menu->selectedOperatorName();
    const QString number = menu->operatorNumber();
    bool passwordOk = false;
    if (!runGuarded(menu, [&] {
            passwordOk = CheckOperatorPassword(MasterConnection(), menu->operatorPassword(), number);
        }))
        return;
    if (!passwordOk) {
        dialogs.message(menu, u"パスワードが違います。"_qs, Dialogs::Icon::Critical);
        return;
    }

    // The account's file is checked before anything is released, so that a
    // missing or unreadable file leaves the menu and any open data as they were.
    const QString path = DataFolder::customerPath(name);
    if (!QFileInfo(path).isFile()) {
        dialogs.message(menu,
                        QStringLiteral("使用者「%1」のデータベースファイルがありません。\n%2")
                            .arg(name, QDir::toNativeSeparators(path)),
                        Dialogs::Icon::Critical);
        return;
    }
    try {
        Database::open(path).close();
    } catch (const StoreError& e) {
        dialogs.message(menu, QStringLiteral("使用者「%1」のデータベースを開けません。\n%2")
                                  .arg(name, e.message()),
                        Dialogs::Icon::Critical);
        return;
    }

    Connections& connections = Connections::instance();
    SessionState& session = SessionState::instance();
    const bool ok = runGuarded(menu, [&] {
        if (!connections.CustomerDatabasePath.isEmpty())
            connections.CloseCustomerDatabase();
        connections.CustomerDatabasePath = path;
        connections.OpenCustomerDatabase();
        session.CustomerAccountName = name;
        if (!m_customerWindow) {
            m_customerWindow = new CustomerWindow();
            wireCustomerWindow(m_customerWindow);
        }
        m_customerWindow->OpenCustomerWindow();
        m_customerWindow->setOperatorNames(menu->operatorNames());
    });
    if (!ok) {
        // A half-opened account is not left behind.
        if (m_customerWindow && !m_customerWindow->isVisible())
            delete m_customerWindow.data();
        connections.CloseCustomerDatabase();
        session.CustomerAccountName.clear();
        return;
    }
    // Shown before the menu goes, so that the program never stands without a window.
    if (!m_customerWindow->isVisible()) {
        m_customerWindow->show();
        session.CustomerWindowState = Qt::WindowNoState;
    }
    menu->close();
    m_customerWindow->activateWindow();
}

void ShellController::wireCustomerWindow(CustomerWindow* window)
{
    connect(window, &CustomerWindow::switchToRepairRequested, this,
            &ShellController::SwitchToRepairWindow);
    connect(window, &CustomerWindow::changeOperatorRequested, this, [this, window] {
        showReducedMenu(MainMenuWindow::Layout::CustomerOnlyMenu, window);
    });
    connect(window, &CustomerWindow::unloading, this, &ShellController::customerWindowUnloading);
    connect(window, &CustomerWindow::editorRequested, window, [window](int kind, bool isNew) {
        RecordEditorDialog::OpenEditor(window, kind, isNew);
    });
}

void ShellController::SwitchToRepairWindow()
{
    SessionState& session = SessionState::instance();
    if (m_customerWindow && !m_customerWindow->isMinimized())
        session.CustomerWindowState = m_customerWindow->windowState() & Qt::WindowMaximized;
    if (session.RepairAccountName.isEmpty())
        showReducedMenu(MainMenuWindow::Layout::RepairOnlyMenu, m_customerWindow);
}

void ShellController::customerWindowUnloading()
{
    if (SessionState::instance().RepairAccountName.isEmpty())
        showMainMenu();
}

} // namespace horunea
