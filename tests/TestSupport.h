#pragma once

#include "store/Connections.h"
#include "store/DataFolder.h"
#include "store/ShippedFiles.h"
#include "ui/Dialogs.h"
#include "ui/UserSettings.h"

#include <QQueue>
#include <QSettings>

#include <QTemporaryDir>
#include <QUrl>
#include <functional>

namespace horunea::test {

// Scripted dialogs: records every message and shell open, answers questions
// from queues (Yes and cancel when a queue runs dry).
class FakeDialogs : public Dialogs
{
public:
    struct Message
    {
        QString text;
        Icon icon;
        QString details;
    };

    FakeDialogs() { Dialogs::setInstance(this); }
    ~FakeDialogs() override { Dialogs::setInstance(nullptr); }

    void message(QWidget*, const QString& text, Icon icon, const QString& details) override
    {
        messages.append({text, icon, details});
    }
    bool confirm(QWidget*, const QString& text) override
    {
        questions << text;
        return confirmAnswers.isEmpty() ? true : confirmAnswers.dequeue();
    }
    std::optional<QString> input(QWidget*, const QString& prompt, const QString&) override
    {
        prompts << prompt;
        if (inputAnswers.isEmpty())
            return std::nullopt;
        return inputAnswers.dequeue();
    }
    QString openFile(QWidget*, const QString&, const QString&, const QString&) override
    {
        return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
    }
    QString saveFile(QWidget*, const QString& caption, const QString& suggested,
                     const QString&) override
    {
        saveCaptions << caption;
        saveSuggestions << suggested;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
    }
    QString chooseFolder(QWidget*, const QString& caption, const QString&) override
    {
        folderCaptions << caption;
        return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
    }
    bool choosePrinter(QWidget*, QPrinter& printer) override
    {
        ++printDialogs;
        // A test sets the printer as the user would in the dialog.
        return printerAnswer ? printerAnswer(printer) : false;
    }
    bool openUrl(const QUrl& url) override
    {
        urls << url;
        return desktopOpens;
    }

    QString lastMessage() const { return messages.isEmpty() ? QString() : messages.last().text; }

    std::function<bool(QPrinter&)> printerAnswer;
    bool desktopOpens = true; // false: the desktop has no program for a link
    QList<Message> messages;
    QStringList questions;
    QStringList prompts;
    QList<QUrl> urls;
    QQueue<bool> confirmAnswers;
    QQueue<std::optional<QString>> inputAnswers;
    QQueue<QString> fileAnswers;
    QQueue<QString> folderAnswers;
    QStringList folderCaptions;
    QQueue<QString> saveAnswers;
    QStringList saveCaptions, saveSuggestions;
    int printDialogs = 0;
};

// A fresh data folder with the shipped files, made the program's data folder
// for the test's lifetime.
// Each test process keeps what a user arranges (column widths, window
// places) in a folder of its own, never in the user's.
inline const bool ownConfigFolder = [] {
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    return true;
}();

class TempDataFolder
{
public:
    explicit TempDataFolder(bool withShippedFiles = true)
    {
        // Every test starts from the program's own widths and places.
        userSettings().clear();
        Connections::instance().reset();
        DataFolder::set(m_dir.path());
        if (withShippedFiles)
            EnsureShippedFiles();
    }
    ~TempDataFolder()
    {
        userSettings().clear();
        Connections::instance().reset();
        DataFolder::set(QString());
    }
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

} // namespace horunea::test
