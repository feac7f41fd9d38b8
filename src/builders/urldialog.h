#pragma once

// "Build List from URL" (Form5): asks for the address of the page to list.

#include <QDialog>
#include <QStringList>

#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tv {

class BrowserComponent;

// The addresses of the open browser windows that show an HTML page, in the
// order of the browser's window list; unreadable windows are left out.
QStringList openPageAddresses(BrowserComponent *browser);

// Suggests the list's current entry and the pages open in `browser`, and
// tells whether the filters apply. `strurl` holds the address after "Build"
// and stays "" when the dialog is cancelled or closed.
class Form5 final : public QDialog
{
    Q_OBJECT
public:
    Form5(BrowserComponent *browser, const std::optional<QString> &currentEntry, bool filtersApplied,
          QWidget *parent = nullptr);

    QString strurl;
    // "Append to existing list" as it was at "Build".
    bool Append() const { return m_append; }

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
    BrowserComponent *m_browser;
    std::optional<QString> m_currentEntry;
    bool m_append = false;
};

} // namespace tv
