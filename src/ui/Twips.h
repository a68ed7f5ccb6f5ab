#pragma once

#include <QRect>

class QWidget;

namespace horunea {

// Sizes are given in twips (1440 per inch); at 96 dpi 15 twips make a pixel.
constexpr int TwipsPerPixel = 15;

constexpr int twips(int value)
{
    return value / TwipsPerPixel;
}
constexpr int toTwips(int pixels)
{
    return pixels * TwipsPerPixel;
}
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}
void placeTwips(QWidget* widget, int left, int top, int width, int height);

} // namespace horunea
