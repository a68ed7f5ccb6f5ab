#include "ui/Dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace horunea {

namespace {
Dialogs* s_override = nullptr;
}

Dialogs& Dialogs::instance()
{
    static QtDialogs real;
    return s_override ? *s_override : real;
}

void Dialogs::setInstance(Dialogs* dialogs)
{
    s_override = dialogs;
}

QString Dialogs::title()
{
    return u"ホルネア"_qs;
}

void QtDialogs::message(QWidget* parent, const QString& text, Icon icon)
{
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    if (icon == Icon::Exclamation)
        boxIcon = QMessageBox::Warning;
    else if (icon == Icon::Critical)
        boxIcon = QMessageBox::Critical;
    QMessageBox box(boxIcon, title(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::confirm(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, title(), text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::input(QWidget* parent, const QString& prompt,
                                        const QString& initial)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, title(), prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString QtDialogs::openFile(QWidget* parent, const QString& caption, const QString& folder,
                            const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

bool QtDialogs::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace horunea

#include "store/StoreError.h"

namespace horunea {

bool runGuarded(QWidget* parent, const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const StoreError& e) {
        Dialogs::instance().message(parent, e.message(), Dialogs::Icon::Critical);
        return false;
    }
}

} // namespace horunea
