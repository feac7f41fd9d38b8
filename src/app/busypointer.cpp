#include "app/busypointer.h"

#include <QApplication>
#include <QGuiApplication>

namespace tv {

namespace {

// A terminal run has no pointer to change.
bool pointerless()
{
    return !qobject_cast<QGuiApplication *>(QCoreApplication::instance());
}

} // namespace

void showBusyPointer()
{
    if (pointerless())
        return;
    if (!QApplication::overrideCursor())
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void showArrowHourglass()
{
    if (pointerless())
        return;
    if (QApplication::overrideCursor())
        QApplication::changeOverrideCursor(Qt::BusyCursor);
    else
        QApplication::setOverrideCursor(Qt::BusyCursor);
}

void clearBusyPointer()
{
    if (pointerless())
        return;
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

BusyPointer::BusyPointer() : m_on(!pointerless() && !QApplication::overrideCursor())
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
