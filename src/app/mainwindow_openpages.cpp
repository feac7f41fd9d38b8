// "Build list from open browser windows" (the work is OpenPagesBuild's).
#include "app/mainwindow.h"

#include "app/linklist.h"
#include "app/openpagesbuild.h"
#include "app/urlbuildsession.h"
#include "platform/messagebox.h"

namespace tv {

void Form1::mnulstWindows_Click()
{
    if (m_openPages->running() || m_build->running())
        return;
    const QList<BrowserWindowPtr> windows = m_openPages->openWindows();
    OpenPagesBuild::Result result;
    result.windows = windows.size();
    if (!windows.isEmpty()) {
        askAppendOrNew({});
        result = m_openPages->run(windows);
    }
    if (const QString message = OpenPagesBuild::endMessage(result); !message.isEmpty())
        MsgBox(this, message, MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Open Browser Windows"));
    if (result.cutAt > 0)
        m_buildHost->reportPageCut(result.cutAt);
    else if (result.unfinished)
        m_buildHost->reportPageUnfinished();
    else if (result.leftOut > 0)
        m_buildHost->reportListFull(result.leftOut);
}

} // namespace tv
