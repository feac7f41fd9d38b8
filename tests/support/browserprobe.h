#pragma once

#include "platform/browser.h"

#include <QStringList>

#include <memory>

namespace tvtest {

// Records the events of one browser window as short lines, in order:
//   "before <url>", "complete top|frame <url>", "error top|frame <url> <code>",
//   "newwindow", "progress <p>/<max>", "quit".
// "top" means the event's object was the window itself (its name()).
class BrowserEventLog : public QObject
{
    Q_OBJECT
public:
    // Pop-ups are declined.
    explicit BrowserEventLog(tv::BrowserWindow *window);

    QStringList lines;
    int count(const QString &prefix) const;
    QStringList matching(const QString &prefix) const;
    bool topComplete() const { return count(QStringLiteral("complete top")) > 0; }
    int lastProgress() const;
    void clear() { lines.clear(); }
};

} // namespace tvtest
