#pragma once

#include <QSize>

class QWidget;

namespace tv {

// Screen units per pixel: 1440 divided by the logical resolution, rounded
// (15 at 96 dots per inch).
struct TwipsPerPixel
{
    int x = 15;
    int y = 15;
};
TwipsPerPixel twipsPerPixel(const QWidget *widget);

// The compact window's outer size in pixels: the toolbar alone inside the
// frame, at least 2430 twips wide and wide enough for the caption.
QSize compactOuterSize(TwipsPerPixel tpp, QSize frame, QSize toolbar, int captionWidth);

} // namespace tv
