#pragma once

// "Select Desired Action" (Form10): append imported links or start a new list.

#include <QDialog>

class QPushButton;
class QRadioButton;

namespace tv {

// "Select Desired Action": append the new links or build a new list.
class Form10 final : public QDialog
{
    Q_OBJECT
public:
    explicit Form10(QWidget *parent = nullptr);

    // Index 1 "Append to list", index 0 "Build new list".
    QRadioButton *Option1[2] = {nullptr, nullptr};
    QPushButton *Command1 = nullptr;

    // The answer "OK" gave; only meaningful once the dialog was accepted.
    bool Append() const { return m_append; }

    void Command1_Click();

private:
    bool m_append = false;
};

} // namespace tv
