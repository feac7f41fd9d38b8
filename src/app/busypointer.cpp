#include "app/busypointer.h"

#include <QApplication>

namespace tv {

void showBusyPointer()
{
    if (!QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void showArrowHourglass()
{
    if (QApplication::overrideCursor())
        QApplication::changeOverrideCursor(Qt::BusyCursor);
    else
        QApplication::setOverrideCursor(Qt::BusyCursor);
}

void clearBusyPointer()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

BusyPointer::BusyPointer() : m_on(!QApplication::overrideCursor())
{
    if (m_on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void BusyPointer::release()
{
    if (m_on)
        QApplication::restoreOverrideCursor();
    m_on = false;
}

} // namespace tv
