#include "support/browserprobe.h"

namespace tvtest {

BrowserEventLog::BrowserEventLog(tv::BrowserWindow *window)
{
    const QString self = window->name();
    auto who = [self](const QString &pDisp) { return pDisp == self ? QStringLiteral("top") : QStringLiteral("frame"); };
    connect(window, &tv::BrowserWindow::BeforeNavigate2, this,
            [this](const QString &, const QString &url) { lines << QStringLiteral("before ") + url; });
    connect(window, &tv::BrowserWindow::DocumentComplete, this,
            [this, who](const QString &pDisp, const QString &url) { lines << QStringLiteral("complete %1 %2").arg(who(pDisp), url); });
    connect(window, &tv::BrowserWindow::NavigateError, this,
            [this, who](const QString &pDisp, const QString &url, const QString &, qint32 code) {
                lines << QStringLiteral("error %1 %2 %3").arg(who(pDisp), url, QString::number(quint32(code), 16));
            });
    connect(window, &tv::BrowserWindow::NewWindow2, this, [this](bool *cancel) {
        lines << QStringLiteral("newwindow");
        *cancel = true;
    });
    connect(window, &tv::BrowserWindow::ProgressChange, this,
            [this](qint32 p, qint32 max) { lines << QStringLiteral("progress %1/%2").arg(p).arg(max); });
    connect(window, &tv::BrowserWindow::OnQuit, this, [this] { lines << QStringLiteral("quit"); });
}

int BrowserEventLog::count(const QString &prefix) const
{
    return int(matching(prefix).size());
}

QStringList BrowserEventLog::matching(const QString &prefix) const
{
    QStringList out;
    for (const QString &l : lines)
        if (l.startsWith(prefix))
            out << l;
    return out;
}

int BrowserEventLog::lastProgress() const
{
    const QStringList p = matching(QStringLiteral("progress "));
    return p.isEmpty() ? 1 : p.last().mid(9).section(QLatin1Char('/'), 0, 0).toInt();
}

} // namespace tvtest
