#pragma once

#include "TestSupport.h"

#include <QDate>
#include <QObject>

namespace horunea {
class ShellController;
}

namespace horunea::test {

// What every window test class starts from. Before each test: a data folder
// of its own with the shipped files, scripted dialogs, a fresh session, the
// day the class fixes as today (none: the real day) and a shell controller
// that has not started yet; then the class's prepare(). After each test: the
// class's tidy(), then all of it torn down, the last made first, and the day
// and the session put back. A class derives from it and declares no init()
// or cleanup() of its own.
class GuiTestCase : public QObject
{
    Q_OBJECT
public:
    explicit GuiTestCase(QDate today = {}) : m_today(today) {}

protected:
    // The class's own accounts and rows, made before each test.
    virtual void prepare() {}
    // What the class leaves behind besides the fixture, after each test.
    virtual void tidy() {}

    TempDataFolder* m_folder = nullptr;
    FakeDialogs* m_dialogs = nullptr;
    ShellController* m_shell = nullptr;

private slots:
    void init();
    void cleanup();

private:
    QDate m_today;
};

} // namespace horunea::test
