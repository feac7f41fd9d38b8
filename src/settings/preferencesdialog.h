#pragma once

// "Program Preferences" (Form12): the preferences dialog.

#include "settings/preferences.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tv {

// "Program Preferences": keep on top, where links open, what to do with a file
// that already exists.
class Form12 final : public QDialog
{
    Q_OBJECT
public:
    // Shows the current preferences of the main window.
    explicit Form12(const Preferences &current, QWidget *parent = nullptr);

    QGroupBox *Frame3 = nullptr;
    QCheckBox *chkontop = nullptr;
    QGroupBox *Frame2 = nullptr;
    QLabel *Label2 = nullptr;
    std::array<QRadioButton *, 2> oplnkopen{};
    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    std::array<QRadioButton *, Preferences::OverwriteActions> opowaction{};
    QLabel *lblsimul = nullptr;
    QSpinBox *simuldl = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;

    // What the controls say now; an action shown by no option keeps its value.
    Preferences chosen() const;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

signals:
    // "Save" stored the preferences; the main window takes them before the
    // dialog closes, so its z-order is re-applied from the new state.
    void saved(const tv::Preferences &preferences);
    // "Help": the owner shows the preferences' help page.
    void helpRequested();

private:
    Preferences m_current;
};

} // namespace tv
