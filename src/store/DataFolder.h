#pragma once

#include <QString>

namespace horunea {

// Where the database files lie: the program folder unless --data-dir names
// another. Paths are built with the platform's separator.
class DataFolder
{
public:
    static void set(const QString& folder);
    static QString path();

    static QString masterPath();           // main.mdb
    static QString customerTemplatePath(); // kelvo.mdb
    static QString repairTemplatePath();   // care.mdb
    static QString customerFolder();       // kelvo
    static QString repairFolder();         // care
    static QString customerPath(const QString& operatorName);
    static QString repairPath(const QString& repairAccountName);
    static QString lockPath();

    // The folder holding the executable (help document, version window).
    static QString programFolder();

private:
    static QString s_folder;
};

} // namespace horunea
