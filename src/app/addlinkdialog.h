#pragma once

// "Add Single Link" (Form11): adds one typed address to the link list.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tv {

class LinkList;

// Works on `list` directly: "Add " clears it first when not appending, even
// when the address is then refused and the dialog stays open.
class Form11 final : public QDialog
{
    Q_OBJECT
public:
    explicit Form11(LinkList *list, QWidget *parent = nullptr);

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
    LinkList *m_list;
    bool m_listChanged = false;
};

} // namespace tv
