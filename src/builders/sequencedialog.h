#pragma once

// "Build Sequential List" (Form2): one URL with a marked number becomes a run
// of numbered links.

#include "builders/sequencelist.h"

#include <QDialog>
#include <QLineEdit>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace tv {

// A line edit that keeps its selection when it loses the focus, as the
// builder reads the marked part only when "Build" is pressed.
class SelectionKeepingEdit final : public QLineEdit
{
    Q_OBJECT
public:
    explicit SelectionKeepingEdit(QWidget *parent = nullptr);

    // The part the user marked last: kept while the focus is elsewhere,
    // forgotten when the text changes or the user deselects in the box.
    int keptStart() const { return m_start; }
    int keptLength() const { return m_length; }
    QString keptText() const { return text().mid(m_start, m_length); }

signals:
    // Focus went to another control of the same window.
    void lostFocus();

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void selectionMoved();

    int m_start = 0;
    int m_length = 0;
};

// Accepted by "Build" once the input passes its checks; the owner then makes
// the run's links.
class Form2 final : public QDialog
{
    Q_OBJECT
public:
    explicit Form2(QWidget *parent = nullptr);

    // The run as it was at "Build".
    const SequenceList &sequence() const { return m_sequence; }
    // "Append to existing list" as it was at "Build".
    bool Append() const { return m_append; }

    QLabel *Label4 = nullptr;
    QLabel *Label1 = nullptr;
    SelectionKeepingEdit *Text1 = nullptr;
    QCheckBox *Check1 = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *text3 = nullptr;
    QLabel *Label3 = nullptr;
    QComboBox *text4 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QTimer *Timer1 = nullptr;

    void Form_Load();
    void Text1_LostFocus();
    void text3_Change();
    void text3_KeyPress(int &keyAscii);
    void text4_KeyPress(int &keyAscii);
    void Timer1_Timer();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    SequenceList m_sequence;
    bool m_append = false;
};

} // namespace tv
