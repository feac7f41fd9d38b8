#include "builders/filtersdialog.h"

#include "builders/filters.h"
#include "platform/messagebox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace tv {

namespace {

template <typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

Form3::Form3(CRegSettings &settings, QWidget *parent) : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Manage Filters"));

    Label3 = named(new QLabel(QStringLiteral("Define the file types below whose links you'd like displayed in the list when "
                                             "building a list from a url. Enter a description and an extension then click "
                                             "\"Add\". Don't include the dot. "),
                              this),
                   "Label3");
    Label3->setWordWrap(true);
    Label1 = named(new QLabel(QStringLiteral("&Description:"), this), "Label1");
    Text1 = named(new QLineEdit(this), "Text1");
    Label1->setBuddy(Text1);
    Label2 = named(new QLabel(QStringLiteral("&Extension:"), this), "Label2");
    Text2 = named(new QLineEdit(this), "Text2");
    Label2->setBuddy(Text2);
    List1 = named(new QListWidget(this), "List1");
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    Command1 = named(new QPushButton(QStringLiteral("Add"), this), "Command1");
    Command4 = named(new QPushButton(QStringLiteral("Delete"), this), "Command4");
    Command2 = named(new QPushButton(QStringLiteral("Save"), this), "Command2");
    Command3 = named(new QPushButton(QStringLiteral("Cancel"), this), "Command3");
    Command2->setDefault(true);
    Command2->setAutoDefault(true);
    // Only the default button takes Enter: Add while a filter is typed, else Save.
    Command1->setAutoDefault(false);
    Command4->setAutoDefault(false);
    Command3->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    // As large as the contents at any font and scale, and no sizing border.
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->addWidget(Label3, 0, 0, 1, 3);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(Text1, 1, 1);
    grid->addWidget(Command1, 1, 2);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(Text2, 2, 1);
    grid->addWidget(List1, 3, 0, 1, 2);
    auto *side = new QVBoxLayout;
    side->addWidget(Command4);
    side->addStretch();
    side->addWidget(Command2);
    side->addWidget(Command3);
    grid->addLayout(side, 3, 2);

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Command1);
    setTabOrder(Command1, List1);
    setTabOrder(List1, Command4);
    setTabOrder(Command4, Command2);
    setTabOrder(Command2, Command3);
    // A typed filter is not lost to Enter.
    for (QLineEdit *field : {Text1, Text2})
        connect(field, &QLineEdit::textChanged, this, [this] {
            Timer1_Timer(); // Add enabled before the Enter that may follow at once
            (Command1->isEnabled() ? Command1 : Command2)->setDefault(true);
        });

    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &Form3::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form3::Command3_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(15);
    Timer1->setTimerType(Qt::CoarseTimer);
    connect(Timer1, &QTimer::timeout, this, &Form3::Timer1_Timer);

    Form_Load();
    Timer1_Timer();
    Timer1->start();
}

void Form3::Form_Load()
{
    List1->addItems(Filters::load(m_settings));
    Text1->clear();
    Text2->clear();
}

QStringList Form3::entries() const
{
    QStringList list;
    for (int i = 0; i < List1->count(); ++i)
        list.append(List1->item(i)->text());
    return list;
}

void Form3::Timer1_Timer()
{
    const bool canAdd = !Text1->text().isEmpty() && !Text2->text().isEmpty();
    if (Command1->isEnabled() != canAdd)
        Command1->setEnabled(canAdd);
    const bool canDelete = List1->currentRow() != -1;
    if (Command4->isEnabled() != canDelete)
        Command4->setEnabled(canDelete);
}

void Form3::Command1_Click()
{
    const QString entry = Text1->text() + QString::fromUtf16(Filters::Separator) + Text2->text();
    const QString extension = Filters::extensionOf(entry);
    if (Filters::indexOfExtension(entries(), extension) >= 0) {
        MsgBox(this, QStringLiteral("You already have the type \"%1\" in the list.").arg(extension), MsgButtons::Ok,
               MsgIcon::Information, QStringLiteral("Duplicate Type"));
        return;
    }
    Text1->clear();
    Text2->clear();
    List1->addItem(entry);
}

void Form3::Command4_Click()
{
    if (List1->currentRow() == -1)
        return;
    for (int i = 0; i < List1->count(); ++i) {
        if (List1->item(i)->isSelected()) {
            delete List1->takeItem(i);
            // As a list box does after a removal: no current entry.
            List1->setCurrentRow(-1);
            return;
        }
    }
}

void Form3::Command2_Click()
{
    const QStringList list = entries();
    Filters::save(m_settings, list);
    accept();
}

void Form3::Command3_Click()
{
    reject();
}

} // namespace tv
