#pragma once

// "Manage Filters" (Form3): edits the file-type filters.

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace tv {

class CRegSettings;

// Edits a working copy of the filters stored in `settings`; "Save" writes the
// store and accepts, so the owner takes entries() as its filters; "Cancel"
// changes nothing.
class Form3 final : public QDialog
{
    Q_OBJECT
public:
    explicit Form3(CRegSettings &settings, QWidget *parent = nullptr);

    QLabel *Label3 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Text2 = nullptr;
    QListWidget *List1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QTimer *Timer1 = nullptr;

    void Form_Load();
    void Command1_Click();
    void Command4_Click();
    void Command2_Click();
    void Command3_Click();
    void Timer1_Timer();

    QStringList entries() const;

private:
    CRegSettings &m_settings;
};

} // namespace tv
