#pragma once

#include <QDialog>

namespace horunea {

// Form9: the program's name, version and what it is for, with the maker's
// home page and mail address.
class VersionWindow : public QDialog
{
    Q_OBJECT
public:
    explicit VersionWindow(QWidget* parent = nullptr);

    static QString homePage();
    static QString mailAddress();
};

} // namespace horunea
