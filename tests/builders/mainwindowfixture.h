#pragma once

#include "app/form1.h"
#include "support/fakebrowser.h"
#include "support/testenv.h"

#include <QFile>

namespace tvtest {

// The main window over a scripted browser, with its message boxes recorded
// and the settings it loads from emptied.
struct MainWindowFixture
{
    MessageBoxScript boxes;
    FakeBrowserComponent browser;
    tv::Form1 form{&browser};

    MainWindowFixture()
    {
        form.settings().setCompany(QStringLiteral("Quillmere"));
        form.settings().setAppName(QStringLiteral("Tallyvane"));
        QFile::remove(form.settings().fileName());
    }
};

} // namespace tvtest
