#include "ui/FormParts.h"

#include <QApplication>
#include <QPalette>

#include "ui/EnterNavigation.h"
#include "ui/Fonts.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace horunea {

QLabel* plainLabel(QWidget* parent)
{
    return plainLabel(QString(), parent);
}

QLabel* plainLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

QLabel* headingLabel(const QString& text, QWidget* parent)
{
    auto* label = plainLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    QFont font = programFont(12);
    font.setBold(true);
    label->setFont(font);
    label->setStyleSheet(u"background: #1d4e89; color: white;"_qs);
    return label;
}

QPushButton* commandButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    pressesOnEnter(b);
    return b;
}

QList<QLineEdit*> fieldRows(QWidget* parent, const QStringList& captions,
                            const QList<InputMode>& modes, int left, int top, int width)
{
    QList<QLineEdit*> boxes;
    for (int i = 0; i < captions.size(); ++i) {
        auto* caption = plainLabel(captions[i], parent);
        placeTwips(caption, left, top + i * 360, 1300, 300);
        auto* box = new QLineEdit(parent);
        box->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        setInputMode(box, modes.value(i));
        placeTwips(box, left + 1340, top + i * 360, width - 1340, 300);
        boxes << box;
    }
    return boxes;
}

} // namespace horunea

namespace horunea {

namespace {

bool darkPalette()
{
    const QPalette palette = QApplication::palette();
    return palette.color(QPalette::Window).lightness() < 128;
}

} // namespace

QString headingTextStyle()
{
    return darkPalette() ? u"color: #8cb8f0;"_qs : u"color: #1d4e89;"_qs;
}

QString valueBoxStyle()
{
    return u"background: palette(base); color: palette(text); border: 1px solid palette(mid);"
           u" padding-left: 2px;"_qs;
}

} // namespace horunea
