#include "shell/VersionWindow.h"

#include "shell/HelpWindow.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/FormParts.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

namespace horunea {

VersionWindow::VersionWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"Form9"_qs);
    setWindowTitle(u"バージョン情報"_qs);
    setFont(programFont());

    auto* name = plainLabel(u"ホルネア"_qs, this);
    name->setObjectName(u"Label1"_qs);
    QFont big = programFont(20);
    big.setBold(true);
    name->setFont(big);
    placeTwips(name, 360, 240, 5400, 600);

    auto* version = plainLabel(u"Version 2.0.1　データベース版"_qs, this);
    version->setObjectName(u"Label2"_qs);
    placeTwips(version, 360, 900, 5400, 300);

    auto* description =
        plainLabel(u"顧客（ユーザー）と件名・ログ、修理の受付と修理ログ、修理先と自社の情報を"
                   u"管理する、営業担当者と小さなお店のためのソフトウェアです。"
                   u"使用者ごとにパスワードで守られたデータベースを持ち、"
                   u"一覧表や情報シートを印刷できます。"_qs,
                   this);
    description->setObjectName(u"Label3"_qs);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(description, 360, 1320, 5400, 1500);

    auto* help = commandButton(u"Command1"_qs, u"ヘルプを見る"_qs, this);
    help->setToolTip(u"ホルネアの説明書を開きます"_qs);
    placeTwips(help, 360, 2940, 5400, 420);
    auto* close = commandButton(u"Command3"_qs, u"閉じる"_qs, this);
    close->setDefault(true);
    placeTwips(close, 360, 3480, 5400, 420);

    // The manual opens once this modal window is gone, so that it can be used.
    connect(help, &QPushButton::clicked, this, [this] {
        accept();
        QWidget* owner = parentWidget();
        QMetaObject::invokeMethod(
            owner ? static_cast<QObject*>(owner) : qApp, [owner] { showManual(owner); },
            Qt::QueuedConnection);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(twips(6120), twips(4140));
}

} // namespace horunea
