#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tv {

class Form1;

// "Add Single Link": adds one typed address to the main window's list.
class Form11 final : public QDialog
{
    Q_OBJECT
public:
    explicit Form11(Form1 *owner);

    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QCheckBox *Check1 = nullptr;   // "Append to existing list"
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

    // True once the list was cleared or extended.
    bool listChanged() const { return m_listChanged; }

    void Command1_Click();
    void Command2_Click();

private:
    Form1 *m_owner;
    bool m_listChanged = false;
};

} // namespace tv
