#include "app/searchdialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tv {

Form9::Form9(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("Search List"));

    auto named = [](QWidget *w, const char *name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };
    Label1 = new QLabel(QStringLiteral("&Search text:"), this);
    named(Label1, "Label1");
    Text1 = new QLineEdit(this);
    named(Text1, "Text1");
    Text1->setMinimumWidth(260);
    Label1->setBuddy(Text1);
    Check1 = new QCheckBox(QStringLiteral("Match Case"), this);
    named(Check1, "Check1");
    Check2 = new QCheckBox(QStringLiteral("Add to Selection"), this);
    named(Check2, "Check2");
    Check2->setChecked(true);
    Check3 = new QCheckBox(QStringLiteral("Search link text too"), this);
    named(Check3, "Check3");
    Command1 = new QPushButton(QStringLiteral("Find"), this);
    named(Command1, "Command1");
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("Find Next"), this);
    named(Command2, "Command2");
    Command2->setAutoDefault(false);
    Command3 = new QPushButton(QStringLiteral("Cancel"), this);
    named(Command3, "Command3");
    Command3->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0, 1, 2);
    grid->addWidget(Text1, 1, 0, 1, 2);
    grid->addWidget(Check1, 2, 0);
    grid->addWidget(Check2, 3, 0);
    grid->addWidget(Check3, 4, 0);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 5, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, &Form9::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form9::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form9::Command3_Click);
}

void Form9::storeAnswers()
{
    m_answers.addToSelection = Check2->isChecked();
    m_answers.matchCase = Check1->isChecked();
    m_answers.text = Text1->text();
    m_answers.inText = Check3->isChecked();
}

void Form9::Command1_Click()
{
    storeAnswers();
    accept();
}

void Form9::Command2_Click()
{
    storeAnswers();
    m_answers.findNext = true;
    accept();
}

void Form9::Command3_Click()
{
    reject();
}

} // namespace tv
