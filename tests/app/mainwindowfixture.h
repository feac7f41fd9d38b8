#pragma once

#include "app/form1.h"
#include "platform/commoncontrols.h"
#include "support/fakebrowser.h"
#include "support/testenv.h"
#include "winsupport/msaveload.h"

#include <memory>

namespace tvtest {

// A loaded main window over a fake browser, with its message boxes scripted
// and its file dialogs answered from answerPath (then "" = Cancel).
struct MainWindowFixture
{
    MainWindowFixture()
    {
        reopen();
        form->settings().DeleteSetting(QStringLiteral("Options"), QStringLiteral("Last Used Save Folder"));
        tv::setFileDialogHandler([this](const tv::FileDialogRequest &request) {
            requests.append(request);
            return std::exchange(answerPath, QString());
        });
    }
    ~MainWindowFixture() { tv::setFileDialogHandler({}); }
    MainWindowFixture(const MainWindowFixture &) = delete;
    MainWindowFixture &operator=(const MainWindowFixture &) = delete;

    // A fresh main window, as at the next start.
    void reopen()
    {
        form.reset();
        form = std::make_unique<tv::Form1>(&browser);
        form->Form_Load();
    }

    QString countText() const { return form->sbStatusBar->Panels(QStringLiteral("pnlProgress"))->Text(); }

    MessageBoxScript boxes;
    FakeBrowserComponent browser;
    std::unique_ptr<tv::Form1> form;
    QList<tv::FileDialogRequest> requests;
    QString answerPath;
};

} // namespace tvtest
