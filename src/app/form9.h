#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tv {

class Form1;

// "Search List": hands the search text and its options to the main window.
class Form9 final : public QDialog
{
    Q_OBJECT
public:
    explicit Form9(Form1 *owner);

    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QCheckBox *Check1 = nullptr;   // "Match Case"
    QCheckBox *Check2 = nullptr;   // "Add to Selection"
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

private:
    void storeAnswers();

    Form1 *m_owner;
};

} // namespace tv
