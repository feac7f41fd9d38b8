#pragma once

#include "builders/urldialog.h"
#include "support/modalhelper.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

namespace tvtest {

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
