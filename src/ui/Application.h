#pragma once

class QApplication;

namespace horunea {

// What the program sets up before its first window: its name (no display
// name, so that window titles stay exactly the system's own), Qt's Japanese
// texts, the program font and the window icon.
void configureApplication(QApplication& app);

// From then on, a dialog that closes gives the keyboard back to the window
// beneath, to the control that had it. Once is enough.
void returnFocusAfterDialogs();

} // namespace horunea
