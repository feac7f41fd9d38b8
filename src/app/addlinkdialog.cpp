#include "app/addlinkdialog.h"

#include "app/linklist.h"
#include "builders/linktext.h"
#include "platform/messagebox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tv {

Form11::Form11(LinkList *list, QWidget *parent) : QDialog(parent), m_list(list)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("Add Single Link"));

    Label1 = new QLabel(QStringLiteral("&URL of link to add:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setMinimumWidth(340);
    Label1->setBuddy(Text1);
    Check1 = new QCheckBox(QStringLiteral("Append to existing list"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setChecked(true);
    Command1 = new QPushButton(QStringLiteral("Add "), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    // Esc reaches QDialog::reject, which is what "Cancel" does.
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Text1, 1, 0);
    grid->addWidget(Check1, 2, 0);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    grid->addLayout(buttons, 3, 0);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, &Form11::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form11::Command2_Click);
}

void Form11::Command1_Click()
{
    if (!Check1->isChecked()) {
        m_list->Clear();
        m_listChanged = true;
    }
    const QString address = Text1->text();
    if (!address.isEmpty() && !IsLinkText(address)) {
        MsgBox(this, QStringLiteral("Please enter a valid URL in the format of \"ftp:// or http://...\". Operation aborted."),
               MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Bad Format"));
        return;
    }
    if (!m_list->Append(address)) {
        reportListFull(parentWidget(), 1);
        return;
    }
    m_listChanged = true;
    accept();
}

void Form11::Command2_Click()
{
    reject();
}

} // namespace tv
