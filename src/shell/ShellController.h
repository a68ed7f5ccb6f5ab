#pragma once

#include <QObject>
#include <QPointer>

#include "admin/AccountAdmin.h"
#include "customer/CustomerWindow.h"
#include "repair/RepairWindow.h"
#include "shell/MainMenuWindow.h"

#include <memory>

class QLockFile;

namespace horunea {

class CustomerWindow;

// Runs the program's windows: start-up with the single-instance test and the
// splash, and the main menu.
class ShellController : public QObject
{
    Q_OBJECT
public:
    enum class StartResult { Started, AlreadyRunning, Failed };

    explicit ShellController(QObject* parent = nullptr);
    ~ShellController() override;

    // Takes the data folder's instance lock, creates missing shipped files,
    // checks the master database, then shows the splash (or, without it, the
    // main menu at once). Tells the user why when it cannot go on.
    StartResult start(bool withSplash = true);

    // Loads and shows the main menu in its full layout; nullptr when the
    // master database could not be read.
    MainMenuWindow* showMainMenu();
    MainMenuWindow* mainMenu() const { return m_mainMenu; }
    CustomerWindow* customerWindow() const { return m_customerWindow; }
    RepairWindow* repairWindow() const { return m_repairWindow; }

    // 開く on the customer side of a main menu: checks the password, opens the
    // operator's database and shows the customer window.
    void OpenCustomerData(MainMenuWindow* menu);
    // 開く on the repair side: the same for a repair account.
    void OpenRepairData(MainMenuWindow* menu);
    // Loads the main menu in a reduced layout and shows it modally over a
    // data window.
    void showReducedMenu(MainMenuWindow::Layout layout, QWidget* over);

signals:
    void mainMenuShown(MainMenuWindow* menu);

private:
    void wireMainMenu(MainMenuWindow* menu);
    // 管理者メニュー: the login, then the administrator menu; the main menu's
    // lists are filled again when it closes.
    void showAdministratorMenu(MainMenuWindow* menu);
    // 最適化 of either side, for the account chosen in its list.
    void compact(MainMenuWindow* menu, AccountKind kind);
    void openData(MainMenuWindow* menu, AccountKind kind);
    void wireCustomerWindow(CustomerWindow* window);
    void wireRepairWindow(RepairWindow* window);
    void bringBack(QMainWindow* window, Qt::WindowStates state);
    void SwitchToRepairWindow();
    void SwitchToCustomerWindow();
    void customerWindowUnloading();

    std::unique_ptr<QLockFile> m_lock;
    QPointer<MainMenuWindow> m_mainMenu;
    QPointer<CustomerWindow> m_customerWindow;
    QPointer<RepairWindow> m_repairWindow;
};

} // namespace horunea
