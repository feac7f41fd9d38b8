#pragma once

class QWidget;

namespace tv {

// True when the mouse pointer is over the control, its right and bottom edges
// (left + width, top + height in its container) included. Never throws: a
// control without a container answers false.
bool IsMouseOver(const QWidget *ctl);

} // namespace tv
