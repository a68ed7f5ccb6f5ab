#pragma once

#include "CoreTestSupport.h"
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

// Every test that uses the windows starts from the program's own widths
// and places.
inline const bool clearsUserSettings = [] {
    TempDataFolder::s_fresh = [] { userSettings().clear(); };
    return true;
}();

} // namespace horunea::test
