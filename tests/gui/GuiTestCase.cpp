#include "GuiTestCase.h"

#include "shell/ShellController.h"
#include "store/DateText.h"
#include "store/SessionState.h"

namespace horunea::test {

void GuiTestCase::init()
{
    m_folder = new TempDataFolder();
    m_dialogs = new FakeDialogs();
    SessionState::instance().reset();
    Clock::setToday(m_today);
    m_shell = new ShellController();
    prepare();
}

void GuiTestCase::cleanup()
{
    tidy();
    delete m_shell;
    m_shell = nullptr;
    delete m_dialogs;
    m_dialogs = nullptr;
    delete m_folder;
    m_folder = nullptr;
    Clock::setToday(QDate());
    SessionState::instance().reset();
}

} // namespace horunea::test
