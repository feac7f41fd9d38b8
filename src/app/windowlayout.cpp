#include "app/windowlayout.h"

#include <QWidget>

#include <cmath>

namespace tv {

TwipsPerPixel twipsPerPixel(const QWidget *widget)
{
    return {std::max(1, int(std::lround(1440.0 / widget->logicalDpiX()))),
            std::max(1, int(std::lround(1440.0 / widget->logicalDpiY())))};
}

QSize compactOuterSize(TwipsPerPixel tpp)
{
    return {2430 / tpp.x, 885 / tpp.y};
}

QSize listSize(QSize outer, int toolbarHeight, int statusHeight, TwipsPerPixel tpp, QSize previous)
{
    const int width = outer.width() * tpp.x - 235;
    const int height = (outer.height() - toolbarHeight - statusHeight) * tpp.y - 800;
    if (width < 0 || height < 0)
        return previous;
    return {width / tpp.x, height / tpp.y};
}

} // namespace tv
