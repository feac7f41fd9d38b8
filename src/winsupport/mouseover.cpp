#include "winsupport/mouseover.h"

#include <QCursor>
#include <QWidget>

namespace tv {

bool IsMouseOver(const QWidget *ctl)
{
    if (!ctl || !ctl->parentWidget())
        return false;
    const QPoint at = ctl->parentWidget()->mapFromGlobal(QCursor::pos(ctl->screen()));
    const QRect r = ctl->geometry();
    return r.left() <= at.x() && at.x() <= r.left() + r.width() && r.top() <= at.y() && at.y() <= r.top() + r.height();
}

} // namespace tv
