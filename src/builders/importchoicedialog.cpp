#include "builders/importchoicedialog.h"

#include "winsupport/formborder.h"

#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tv {

Form10::Form10(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Select Desired Action"));

    auto *layout = new QVBoxLayout(this);
    Option1[1] = new QRadioButton(QStringLiteral("Append to list"), this);
    Option1[1]->setObjectName(QStringLiteral("Option1_1"));
    Option1[0] = new QRadioButton(QStringLiteral("Build new list"), this);
    Option1[0]->setObjectName(QStringLiteral("Option1_0"));
    Option1[0]->setChecked(true);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);

    layout->addWidget(Option1[1]);
    layout->addWidget(Option1[0]);
    layout->addWidget(Command1, 0, Qt::AlignHCenter);
    // A window manager draws the caption in its own, often bold, font beside
    // an icon and three buttons: a dialog only as wide as its contents would
    // show the caption cut short.
    layout->addStrut(CaptionWidth(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, &Form10::Command1_Click);
}

void Form10::Command1_Click()
{
    m_append = Option1[1]->isChecked();
    accept();
}

} // namespace tv
