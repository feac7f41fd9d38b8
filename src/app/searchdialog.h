#pragma once

// "Search List" (Form9): the text to find in the link list and how.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tv {

// What "Find" and "Find Next" hand back.
struct SearchAnswers
{
    QString text;
    bool matchCase = false;
    bool addToSelection = false;
    bool findNext = false;
    bool inText = false;
};

// Accepted by "Find" or "Find Next"; the owner then takes answers().
class Form9 final : public QDialog
{
    Q_OBJECT
public:
    explicit Form9(QWidget *parent = nullptr);

    const SearchAnswers &answers() const { return m_answers; }

    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QCheckBox *Check1 = nullptr;   // "Match Case"
    QCheckBox *Check2 = nullptr;   // "Add to Selection"
    QCheckBox *Check3 = nullptr;   // "Search link text too"
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

private:
    void storeAnswers();

    SearchAnswers m_answers;
};

} // namespace tv
