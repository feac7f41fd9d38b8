#include "viewer/slideshowpauseddialog.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace tv {

Form7::Form7(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Slideshow Paused"));

    Command1 = new QPushButton(QStringLiteral("Resume Slideshow"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    // Esc and the window's close button both stop, as this button does.
    Command2 = new QPushButton(QStringLiteral("Stop Slideshow"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);

    auto *layout = new QHBoxLayout(this);
    // As large as the contents at any font and scale, and no sizing border.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(Command1);
    layout->addWidget(Command2);

    connect(Command1, &QPushButton::clicked, this, &Form7::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form7::Command2_Click);
}

void Form7::Command1_Click()
{
    ss_resume = true;
    accept();
}

void Form7::Command2_Click()
{
    ss_resume = false;
    reject();
}

} // namespace tv
