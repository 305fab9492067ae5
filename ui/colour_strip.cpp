#include "colour_strip.h"

#include <QPainter>

namespace corvane::ui {

ColourStrip::ColourStrip(QWidget* parent) : QWidget(parent), image_(InnerWidth, InnerHeight, QImage::Format_RGB32)
{
    setFixedSize(InnerWidth + 2 * Border, InnerHeight + 2 * Border);
    image_.fill(palette().color(QPalette::Base));
}

void ColourStrip::fill(int x, int y, int w, int h, QColor colour)
{
    QPainter painter(&image_);
    painter.fillRect(x, y, w, h, colour);
    update(x + Border, y + Border, w, h);
}

void ColourStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(0, 0, width() - 1, height() - 1);
    painter.drawImage(Border, Border, image_);
}

} // namespace corvane::ui
