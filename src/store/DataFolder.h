#pragma once

#include <QString>

namespace horunea {

// Where the database files lie: the folder --data-dir names; without it the
// program folder when it is writable, or $XDG_DATA_HOME/horunea
// (~/.local/share/horunea) for an installed program (one whose help document
// lies in <prefix>/share/horunea) or a program folder it cannot write to.
// Paths are built with the platform's separator.
class DataFolder
{
public:
    static void set(const QString& folder);
    static QString path();

    static QString masterPath();           // main.mdb
    static QString serverConfPath();       // server.conf: the shop's server, when it has one
    static QString customerTemplatePath(); // kelvo.mdb
    static QString repairTemplatePath();   // care.mdb
    static QString customerFolder();       // kelvo
    static QString repairFolder();         // care
    // Why a name cannot be an account's file name ("「/」は使えません"), or
    // empty when it can: also when a file named after it (its lock, its
    // file moved aside) would pass the 255 bytes of a file name.
    static QString accountNameProblem(const QString& name);
    static constexpr int MaxAccountNameBytes = 255 - int(sizeof("kelvo-.mdb.lock") - 1);
    // The characters no account name may hold.
    static QString forbiddenNameCharacters();
    static QString lockPath();
    // Files the process makes from now on are its user's alone (0600, folders
    // 0700): main.mdb holds every password, the accounts' files the shop's
    // customers. The account folders, and the data folder unless it is the
    // program's own folder, are made 0700. No core dump is written of the
    // process (it holds passwords).
    static void protect();

    // The folder holding the executable.
    static QString programFolder();
    // The help document: beside the program, or in <prefix>/share/horunea.
    static QString helpDocumentPath();
    // The manual's HTML pages (index.html first): help/ beside the program, or
    // <prefix>/share/horunea/help.
    static QString helpFolderPath();
    // The program runs from an installed tree (<prefix>/bin beside
    // <prefix>/share/horunea), not from a folder of its own.
    static bool isInstalled();
    static QString userDataFolder(); // $XDG_DATA_HOME/horunea

private:
    static QString s_folder;
};

} // namespace horunea
