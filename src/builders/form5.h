#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tv {

class BrowserComponent;
class Form1;

// The addresses of the open browser windows that show an HTML page, in the
// order of the browser's window list; unreadable windows are left out.
QStringList openPageAddresses(BrowserComponent *browser);

// "Build List from URL": asks for the address; `strurl` holds it after
// "Build" and stays "" when the dialog is cancelled or closed.
class Form5 final : public QDialog
{
    Q_OBJECT
public:
    explicit Form5(Form1 *owner);

    QString strurl;

    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QComboBox *Combo1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command3 = nullptr;
    QTimer *Timer1 = nullptr;

    void Form_Load();
    void Command1_Click();
    void Command3_Click();
    void Timer1_Timer();

private:
    Form1 *m_owner;
};

} // namespace tv
