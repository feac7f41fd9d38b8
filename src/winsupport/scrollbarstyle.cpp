#include "winsupport/scrollbarstyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionSlider>

namespace tv {

ScrollBarContrastStyle::ScrollBarContrastStyle(QObject *parent) : QProxyStyle(QApplication::style()->name())
{
    setParent(parent);
}

void ScrollBarContrastStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                                QPainter *painter, const QWidget *widget) const
{
    const auto *bar = qstyleoption_cast<const QStyleOptionSlider *>(option);
    if (control != CC_ScrollBar || !bar || !(bar->subControls & SC_ScrollBarSlider) || !(bar->state & State_Enabled)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    QStyleOptionSlider rest(*bar);
    rest.subControls &= ~SC_ScrollBarSlider;
    QProxyStyle::drawComplexControl(control, &rest, painter, widget);
    const QRect handle = subControlRect(control, bar, SC_ScrollBarSlider, widget);
    if (handle.isEmpty())
        return;
    const bool pressed = (bar->activeSubControls & SC_ScrollBarSlider) && (bar->state & State_Sunken);
    painter->save();
    painter->setPen(bar->palette.color(QPalette::Dark));
    painter->setBrush(pressed ? bar->palette.color(QPalette::Dark) : bar->palette.color(QPalette::Mid));
    painter->drawRect(handle.adjusted(0, 0, -1, -1));
    painter->restore();
}

} // namespace tv
