#pragma once

#include "app/linklist.h"
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
#include <QAction>
#include <QFile>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

#include <memory>

namespace tvtest {

// The window's parts, found by their object names.
template <class T = QAction> T &part(const QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s", name);
    return *found;
}
inline tv::LinkList &list1(tv::Form1 &f) { return part<tv::LinkList>(f, "List1"); }
inline tv::ToolButton &button(tv::Form1 &f, const char *key) { return part<tv::ToolButton>(f, key); }
inline QToolBar &toolbar1(tv::Form1 &f) { return part<QToolBar>(f, "Toolbar1"); }
inline QString panel(tv::Form1 &f, const char *key)
{
    return part<tv::StatusBar>(f, "sbStatusBar").Panels(QLatin1String(key))->Text();
}
// Input reaches the window's controls (not so while a transfer or a build holds it).
inline bool formEnabled(tv::Form1 &f) { return f.menuBar()->isEnabled(); }
// One tick of the command timer, as it comes every few milliseconds.
inline void tick(tv::Form1 &f) { QMetaObject::invokeMethod(&f, "Timer1_Timer"); }
// A command run once the timer has enabled it.
inline void trigger(tv::Form1 &f, const char *action)
{
    tick(f);
    part<QAction>(f, action).trigger();
}
// A toolbar button clicked once the timer has enabled it.
inline void press(tv::Form1 &f, const char *key)
{
    tv::ToolButton &b = button(f, key);
    tick(f);
    if (!b.isEnabled())
        qWarning("%s is disabled", key);
    b.click();
}

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
        if (load)
            form->Form_Load();
    }

    QString countText() const { return panel(*form, "pnlProgress"); }

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
