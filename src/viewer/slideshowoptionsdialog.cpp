#include "viewer/slideshowoptionsdialog.h"

#include "winsupport/helpwindow.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tv {

namespace {

// Two option buttons of one array in a frame, index 1 above index 0.
void addOptionPair(QGroupBox *frame, QVBoxLayout *layout, const char *name, const QString &caption1,
                   const QString &caption0, std::array<QRadioButton *, 2> &options)
{
    auto *group = new QButtonGroup(frame);
    for (int i : {1, 0}) {
        options[i] = new QRadioButton(i == 1 ? caption1 : caption0, frame);
        options[i]->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
        group->addButton(options[i], i);
        layout->addWidget(options[i]);
    }
}

} // namespace

Form6::Form6(const SlideshowOptions &stored, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Slide Show Options"));

    Frame2 = new QGroupBox(QStringLiteral("Interval:"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Combo1 = new QComboBox(Frame2);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Label1 = new QLabel(QStringLiteral("&seconds"), Frame2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(Combo1);
    auto *frame2Layout = new QVBoxLayout(Frame2);
    auto *intervalRow = new QHBoxLayout;
    intervalRow->addWidget(Combo1);
    intervalRow->addWidget(Label1);
    intervalRow->addStretch();
    frame2Layout->addLayout(intervalRow);
    addOptionPair(Frame2, frame2Layout, "Option2", QStringLiteral("From load start"),
                  QStringLiteral("From load comlpete"), Option2);

    Frame1 = new QGroupBox(QStringLiteral("Links to Include:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto *frame1Layout = new QVBoxLayout(Frame1);
    addOptionPair(Frame1, frame1Layout, "Option1", QStringLiteral("Just selected"), QStringLiteral("All in list"),
                  Option1);

    Command3 = new QPushButton(QStringLiteral("Start"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("Help"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);
    Command1 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command3);
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);

    auto *layout = new QVBoxLayout(this);
    // As large as the contents at any font and scale, and no sizing border.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(Frame2);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);

    connect(Command3, &QPushButton::clicked, this, &Form6::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &Form6::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &Form6::Command1_Click);

    // Load: "1" to "120", the stored interval selected.
    for (qint32 i = SlideshowOptions::MinInterval; i <= SlideshowOptions::MaxInterval; ++i)
        Combo1->addItem(QString::number(i));
    Combo1->setCurrentIndex(stored.interval - 1);
    Option1[stored.justSelected ? 1 : 0]->setChecked(true);
    Option2[stored.fromLoadComplete ? 0 : 1]->setChecked(true);
    incl = stored.justSelected ? 1 : 0;
    interval = stored.interval;
    whentochange = stored.fromLoadComplete ? 1 : 0;
}

std::optional<SlideshowOptions> Form6::result() const
{
    if (canceled)
        return std::nullopt;
    SlideshowOptions o;
    o.interval = interval;
    o.justSelected = incl == 1;
    o.fromLoadComplete = whentochange == 1;
    return o;
}

void Form6::Command3_Click()
{
    canceled = false;
    incl = Option1[1]->isChecked() ? 1 : 0;
    whentochange = Option2[0]->isChecked() ? 1 : 0;
    interval = Combo1->currentText().toInt();
    accept();
}

void Form6::Command2_Click()
{
    ShowHelp(this, HelpSlideshowOptions);
}

void Form6::Command1_Click()
{
    canceled = true;
    reject();
}

} // namespace tv
