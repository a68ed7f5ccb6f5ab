#pragma once

#include <QDialog>

namespace horunea {

// Form9: the program's name, version and what it is for, and the way to the
// manual. The project has no web site or mail desk of its own to name.
class VersionWindow : public QDialog
{
    Q_OBJECT
public:
    explicit VersionWindow(QWidget* parent = nullptr);
};

} // namespace horunea
