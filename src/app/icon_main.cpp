// Writes the program's icon for the desktop: horunea-icon PNG_FILE SVG_FILE
// (256 × 256). Run at build time, without a display.
#include "ui/ProgramIcon.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "使い方: horunea-icon PNGファイル SVGファイル\n");
        return 2;
    }
    QImage image(256, 256, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    horunea::paintProgramIcon(painter, 256);
    painter.end();
    QFile svg(QString::fromLocal8Bit(argv[2]));
    const QByteArray text = horunea::programIconSvg();
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG") ||
        !svg.open(QIODevice::WriteOnly | QIODevice::Truncate) || svg.write(text) != text.size()) {
        std::fprintf(stderr, "アイコンを書けません。\n");
        return 1;
    }
    return 0;
}
