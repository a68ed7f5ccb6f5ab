#pragma once

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class QMessageBox;
class QPrinter;
class QWidget;

namespace horunea {

// Every message box, input box, file dialog and shell open goes through here,
// so that tests can answer them. All boxes carry the title ホルネア.
class Dialogs
{
public:
    enum class Icon { Information, Exclamation, Critical, Plain };

    virtual ~Dialogs() = default;

    // details: what the engine said, shown under the box's 詳細 button.
    virtual void message(QWidget* parent, const QString& text, Icon icon,
                         const QString& details = QString()) = 0;
    // A warning-icon question with Yes and No; true for Yes.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
    // An input box; nullopt when cancelled.
    virtual std::optional<QString> input(QWidget* parent, const QString& prompt,
                                         const QString& initial = QString()) = 0;
    // A file-open dialog; empty when cancelled.
    virtual QString openFile(QWidget* parent, const QString& caption, const QString& folder,
                             const QString& filter) = 0;
    // A file-save dialog that asks before replacing a file; empty when cancelled.
    virtual QString saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                             const QString& filter) = 0;
    // A folder chooser; empty when cancelled.
    virtual QString chooseFolder(QWidget* parent, const QString& caption,
                                 const QString& folder) = 0;
    // The system's print dialog on the printer; false when cancelled.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;
    // Hands a document, mailto: address or web address to the desktop's
    // default program. Returns what the desktop said; callers may ignore it.
    virtual bool openUrl(const QUrl& url) = 0;

    static Dialogs& instance();
    // Replaces the dialogs (tests); nullptr restores the real ones. Not owned.
    static void setInstance(Dialogs* dialogs);

    static QString title();
};

// The real dialogs: QMessageBox, QInputDialog, QFileDialog, QDesktopServices.
class QtDialogs : public Dialogs
{
public:
    // The boxes as they are shown, before they are shown.
    static std::unique_ptr<QMessageBox> messageBox(QWidget* parent, const QString& text, Icon icon);
    // No is the default: one stray Enter must not delete anything.
    static std::unique_ptr<QMessageBox> confirmBox(QWidget* parent, const QString& text);

    void message(QWidget* parent, const QString& text, Icon icon,
                 const QString& details = QString()) override;
    bool confirm(QWidget* parent, const QString& text) override;
    std::optional<QString> input(QWidget* parent, const QString& prompt,
                                 const QString& initial) override;
    QString openFile(QWidget* parent, const QString& caption, const QString& folder,
                     const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                     const QString& filter) override;
    QString chooseFolder(QWidget* parent, const QString& caption, const QString& folder) override;
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;
    bool openUrl(const QUrl& url) override;
};

} // namespace horunea

#include <functional>

class QApplication;

namespace horunea {

// Loads Qt's own Japanese texts (はい, いいえ, キャンセル, the context menus of
// the boxes); false when the translation files are not installed.
bool installJapaneseTranslations(QApplication& app);

// Runs work started by the user; a store error is shown (critical icon) and
// the command ends there. Returns whether the work ran through.
bool runGuarded(QWidget* parent, const std::function<void()>& work);

// Hands a web page or a mail address to the desktop; says so when the
// desktop has no program to open it with (xdg-utils and a browser or a mail
// program are the desktop's to install).
void openOnDesktop(QWidget* parent, const QUrl& url);

} // namespace horunea
