#include "settings/preferencesdialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tv {

namespace {

// An option-button array in a frame, named name_0, name_1, ... after its index.
template<std::size_t N>
void addOptions(QGroupBox *frame, QVBoxLayout *layout, const char *name, const QString (&captions)[N],
                std::array<QRadioButton *, N> &options)
{
    auto *group = new QButtonGroup(frame);
    for (std::size_t i = 0; i < N; ++i) {
        options[i] = new QRadioButton(captions[i], frame);
        options[i]->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
        group->addButton(options[i], int(i));
        layout->addWidget(options[i]);
    }
}

} // namespace

Form12::Form12(const Preferences &current, QWidget *parent) : QDialog(parent), m_current(current)
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("Program Preferences"));

    Frame3 = new QGroupBox(QStringLiteral("Window Behavior:"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    chkontop = new QCheckBox(QStringLiteral("Keep program window on top of all other windows."), Frame3);
    chkontop->setObjectName(QStringLiteral("chkontop"));
    auto *frame3Layout = new QVBoxLayout(Frame3);
    frame3Layout->addWidget(chkontop);

    Frame2 = new QGroupBox(QStringLiteral("Opening Links:"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Label2 = new QLabel(QStringLiteral("Default action to take when opening links from list:"), Frame2);
    Label2->setObjectName(QStringLiteral("Label2"));
    auto *frame2Layout = new QVBoxLayout(Frame2);
    frame2Layout->addWidget(Label2);
    const QString linkCaptions[] = {QStringLiteral("Open links in new window."),
                                    QStringLiteral("Open links in existing window (if any).")};
    addOptions(Frame2, frame2Layout, "oplnkopen", linkCaptions, oplnkopen);

    Frame1 = new QGroupBox(QStringLiteral("Saving Files:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = new QLabel(QStringLiteral("Default action to take if file being saved already exists in destination folder:"),
                        Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    auto *frame1Layout = new QVBoxLayout(Frame1);
    frame1Layout->addWidget(Label1);
    const QString actionCaptions[] = {QStringLiteral("Prompt."), QStringLiteral("Overwrite."), QStringLiteral("Skip file."),
                                      QStringLiteral("Save with new auto generated unique name.")};
    addOptions(Frame1, frame1Layout, "opowaction", actionCaptions, opowaction);
    lblsimul = new QLabel(QStringLiteral("Simultaneous downloads:"), Frame1);
    lblsimul->setObjectName(QStringLiteral("lblsimul"));
    simuldl = new QSpinBox(Frame1);
    simuldl->setObjectName(QStringLiteral("simuldl"));
    simuldl->setRange(1, Preferences::MaxSimultaneous);
    lblsimul->setBuddy(simuldl);
    auto *simulRow = new QHBoxLayout;
    simulRow->addWidget(lblsimul);
    simulRow->addWidget(simuldl);
    simulRow->addStretch();
    frame1Layout->addLayout(simulRow);

    Command3 = new QPushButton(QStringLiteral("Help"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setAutoDefault(false);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);
    Command1 = new QPushButton(QStringLiteral("Save"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command3);
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addStretch();
    buttons->addWidget(Command1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame3);
    layout->addWidget(Frame2);
    layout->addWidget(Frame1);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &Form12::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form12::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form12::Command3_Click);

    // Load: the main window's current members, not the stored settings.
    chkontop->setChecked(current.ontop);
    oplnkopen[current.newwin ? 0 : 1]->setChecked(true);
    // A stored action outside 0 to 3 (not written by this program) selects no option.
    if (current.owaction >= 0 && current.owaction < Preferences::OverwriteActions)
        opowaction[current.owaction]->setChecked(true);
    simuldl->setValue(current.simultaneous);
}

Preferences Form12::chosen() const
{
    Preferences p;
    p.ontop = chkontop->isChecked();
    p.newwin = oplnkopen[0]->isChecked();
    p.owaction = m_current.owaction;
    p.simultaneous = simuldl->value();
    for (int i = 0; i < Preferences::OverwriteActions; ++i) {
        if (opowaction[i]->isChecked()) {
            p.owaction = i;
            break;
        }
    }
    return p;
}

void Form12::Command1_Click()
{
    const Preferences p = chosen();
    // A failed store is not reported: the preferences hold for this run anyway.
    StorePreferences(p);
    emit saved(p);
    accept();
}

void Form12::Command2_Click()
{
    reject();
}

void Form12::Command3_Click()
{
    emit helpRequested();
}

} // namespace tv
