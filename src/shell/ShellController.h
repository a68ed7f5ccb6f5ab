#pragma once

#include <QObject>
#include <QPointer>

#include "shell/MainMenuWindow.h"

#include <memory>

class QLockFile;

namespace horunea {

class MainMenuWindow;


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

signals:
    void mainMenuShown(MainMenuWindow* menu);

private:
    void wireMainMenu(MainMenuWindow* menu);

    std::unique_ptr<QLockFile> m_lock;
    QPointer<MainMenuWindow> m_mainMenu;
};

} // namespace horunea
