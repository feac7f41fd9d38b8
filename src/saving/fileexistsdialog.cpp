#include "saving/fileexistsdialog.h"

#include "platform/messagebox.h"
#include "saving/targetnames.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tv {

Form8::Form8(const QString &existing, QWidget *parent) : QDialog(parent), filnm(existing)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("File Exists"));

    Label1 = new QLabel(QStringLiteral("The file \"%1\" already exists in the destination folder. Select the action you "
                                       "wish to be taken below.")
                            .arg(filnm),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    const QString captions[] = {QStringLiteral("Overwrite"), QStringLiteral("Skip file"),
                                QStringLiteral("Save with new name:")};
    auto *layout = new QVBoxLayout(this);
    // As large as the contents at any font and scale, and no sizing border.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(Label1);
    for (int i = 0; i < 3; ++i) {
        Option1[i] = new QRadioButton(captions[i], this);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        connect(Option1[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
        layout->addWidget(Option1[i]);
    }
    Option1[0]->setChecked(true);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setEnabled(false);
    layout->addWidget(Text1);
    Check1 = new QCheckBox(QStringLiteral("Use this action for all subsequent files during this transfer."), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    layout->addWidget(Check1);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    layout->addLayout(buttons);
    connect(Command1, &QPushButton::clicked, this, &Form8::Command1_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(15);
    Timer1->setTimerType(Qt::CoarseTimer);
    connect(Timer1, &QTimer::timeout, this, &Form8::Timer1_Timer);
    Timer1->start();
}

ExistsAnswer Form8::answer() const
{
    if (!m_confirmed)
        return ExistsAnswer{ExistsSkip, filnm, false};
    return ExistsAnswer{owaction, filnm, Check1->isChecked()};
}

void Form8::refillName()
{
    Text1->setEnabled(true);
    Text1->setText(filnm);
    Text1->setFocus();
    Text1->setSelection(0, int(Text1->text().size()));
}

void Form8::Option1_Click(int index)
{
    if (index == 2) {
        refillName();
        // Chosen with the arrow keys, the button takes the focus back after
        // this click: the name box gets it once that is over.
        QTimer::singleShot(0, this, [this] {
            if (Option1[2]->isChecked())
                refillName();
        });
    } else
        Text1->clear();
}

void Form8::Timer1_Timer()
{
    const bool on = Option1[2]->isChecked();
    if (Text1->isEnabled() != on)
        Text1->setEnabled(on);
}

void Form8::Command1_Click()
{
    for (int i = 0; i < 3; ++i) {
        if (Option1[i]->isChecked()) {
            owaction = i;
            break;
        }
    }
    if (owaction == ExistsNewName) {
        // A typed name is held to the same rule as a name from a link.
        const QString typed = SafeFileName(Text1->text());
        if (typed.isEmpty()) {
            MsgBox(this,
                   QStringLiteral("Please specify a valid filename in the space provided or choose anothr save option."),
                   MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("No Filename Specified"));
            owaction = ExistsOverwrite;
            refillName();
            return;
        }
        filnm = typed;
    }
    m_confirmed = true;
    Timer1->stop();
    accept();
}

void Form8::closeEvent(QCloseEvent *event)
{
    // The window's close button answers "Skip file".
    if (!m_confirmed)
        owaction = ExistsSkip;
    QDialog::closeEvent(event);
}

} // namespace tv
