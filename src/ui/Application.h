#pragma once

class QApplication;

namespace horunea {

// What the program sets up before its first window: its name (no display
// name, so that window titles stay exactly the system's own), Qt's Japanese
// texts, the program font and the window icon.
void configureApplication(QApplication& app);

} // namespace horunea
