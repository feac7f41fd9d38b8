#pragma once

#include "app/mainwindow.h"
#include "platform/commoncontrols.h"
#include "settings/settingsstore.h"
#include "support/fakebrowser.h"
#include "support/testenv.h"
#include "winsupport/filedialogs.h"

#include <QFile>

#include <memory>

namespace tvtest {

// A main window over a fake browser, with a fresh settings file, its message
// boxes scripted and its file dialogs answered from answerPath (then "" =
// Cancel). Tests that set things up before Form_Load pass load = false.
struct MainWindowFixture
{
    explicit MainWindowFixture(bool load = true)
    {
        QFile::remove(tv::CRegSettings::program().fileName());
        reopen(load);
        tv::setFileDialogHandler([this](const tv::FileDialogRequest &request) {
            requests.append(request);
            return std::exchange(answerPath, QString());
        });
    }
    ~MainWindowFixture() { tv::setFileDialogHandler({}); }
    MainWindowFixture(const MainWindowFixture &) = delete;
    MainWindowFixture &operator=(const MainWindowFixture &) = delete;

    // A fresh main window, as at the next start.
    void reopen(bool load = true)
    {
        form.reset();
        form = std::make_unique<tv::Form1>(&browser);
        form->settings() = tv::CRegSettings::program();
        if (load)
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
