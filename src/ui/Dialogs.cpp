#include "ui/Dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

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

std::unique_ptr<QMessageBox> QtDialogs::messageBox(QWidget* parent, const QString& text, Icon icon)
{
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    if (icon == Icon::Exclamation)
        boxIcon = QMessageBox::Warning;
    else if (icon == Icon::Critical)
        boxIcon = QMessageBox::Critical;
    else if (icon == Icon::Plain)
        boxIcon = QMessageBox::NoIcon;
    auto box = std::make_unique<QMessageBox>(boxIcon, title(), text, QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText); // names and values in a message are never markup
    return box;
}

std::unique_ptr<QMessageBox> QtDialogs::confirmBox(QWidget* parent, const QString& text)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, title(), text,
                                             QMessageBox::Yes | QMessageBox::No, parent);
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    return box;
}

void QtDialogs::message(QWidget* parent, const QString& text, Icon icon, const QString& details)
{
    auto box = messageBox(parent, text, icon);
    if (!details.isEmpty())
        box->setDetailedText(details);
    box->exec();
}

bool QtDialogs::confirm(QWidget* parent, const QString& text)
{
    return confirmBox(parent, text)->exec() == QMessageBox::Yes;
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

QString QtDialogs::saveFile(QWidget* parent, const QString& caption, const QString& suggested,
                            const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

QString QtDialogs::chooseFolder(QWidget* parent, const QString& caption, const QString& folder)
{
    return QFileDialog::getExistingDirectory(parent, caption, folder);
}

bool QtDialogs::choosePrinter(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(u"印刷"_qs);
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace horunea

#include "store/Failure.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace horunea {

bool installJapaneseTranslations(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), u"qtbase"_qs, u"_"_qs,
                          folder)) {
        delete translator;
        return false;
    }
    return QApplication::installTranslator(translator);
}

void openOnDesktop(QWidget* parent, const QUrl& url)
{
    if (Dialogs::instance().openUrl(url))
        return;
    const bool mail = url.scheme() == u"mailto";
    const QString what = mail ? u"メールを送るプログラム"_qs : u"ホームページを開くプログラム"_qs;
    Dialogs::instance().message(
        parent,
        QStringLiteral("%1が見つかりません。\n%2").arg(what, mail ? url.path() : url.toString()),
        Dialogs::Icon::Exclamation);
}

bool runGuarded(QWidget* parent, const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const Failure& e) {
        Dialogs::instance().message(parent, e.message(), Dialogs::Icon::Critical, e.detail());
        return false;
    }
}

} // namespace horunea
