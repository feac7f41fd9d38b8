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

// The compact window: 2430 by 885 twips, outer size, in pixels.
QSize compactOuterSize(TwipsPerPixel tpp);

// The list's size in a full-size window of the given outer size: 235 twips
// narrower, and shorter by the toolbar, the status bar and 800 twips. A
// negative width or height keeps the previous size whole.
QSize listSize(QSize outer, int toolbarHeight, int statusHeight, TwipsPerPixel tpp, QSize previous);

} // namespace tv
