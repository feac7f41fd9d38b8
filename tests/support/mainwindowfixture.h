#pragma once

#include "app/mainwindow.h"
#include "builders/urldialog.h"
#include "platform/commoncontrols.h"
#include "settings/settingsstore.h"
#include "support/fakebrowser.h"
#include "support/modalhelper.h"
#include "support/testenv.h"
#include "winsupport/filedialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

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

// Answers the next "Build List from URL" dialog: the address in whichever
// box it shows, the append choice, then "Build" (`atBuild` runs just before).
// `answered` is set when the dialog came.
inline void answerUrlDialog(const QString &url, bool append, bool *answered = nullptr,
                            std::function<void()> atBuild = {}, int boundMs = 5000)
{
    whenModal(
        [=](QWidget *modal) {
            auto *dialog = qobject_cast<tv::Form5 *>(modal);
            if (!dialog)
                return;
            if (answered)
                *answered = true;
            dialog->Check2->setChecked(append);
            (dialog->Text1->isHidden() ? dialog->Combo1->lineEdit() : dialog->Text1)->setText(url);
            dialog->Timer1_Timer();
            if (atBuild)
                atBuild();
            dialog->Command1->click();
        },
        boundMs);
}

} // namespace tvtest
