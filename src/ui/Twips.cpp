#include "ui/Twips.h"

#include <QWidget>

namespace horunea {

void placeTwips(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsRect(left, top, width, height));
}

} // namespace horunea
