#include "app/windowlayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tv {

TwipsPerPixel twipsPerPixel(const QWidget *widget)
{
    return {std::max(1, int(std::lround(1440.0 / widget->logicalDpiX()))),
            std::max(1, int(std::lround(1440.0 / widget->logicalDpiY())))};
}

QSize compactOuterSize(TwipsPerPixel tpp, QSize frame, QSize toolbar, int captionWidth)
{
    const int width = std::max({2430 / tpp.x, toolbar.width() + frame.width(), captionWidth + frame.width()});
    return {width, toolbar.height() + frame.height()};
}

} // namespace tv
