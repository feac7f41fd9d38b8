#include "builders/sequencedialog.h"

#include "builders/linktext.h"
#include "platform/desktopservices.h"
#include "platform/messagebox.h"
#include "winsupport/helpwindow.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace tv {

namespace {

// The character code a key press delivers to a text box, -1 for keys that
// deliver none (arrows, Delete) and for the keys the dialog itself handles.
int keyAsciiOf(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return -1;
    default:
        break;
    }
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    if (control && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        return event->key() - Qt::Key_A + 1;
    const QString text = event->text();
    if (text.isEmpty())
        return -1;
    return text.at(0).unicode();
}

void refill(QComboBox *box, const QString &pattern)
{
    box->clear();
    box->addItems(SequenceList::NumberList(pattern));
    box->setCurrentIndex(0);
}

} // namespace

SelectionKeepingEdit::SelectionKeepingEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::selectionChanged, this, &SelectionKeepingEdit::selectionMoved);
    connect(this, &QLineEdit::textChanged, this, [this] {
        m_start = 0;
        m_length = 0;
    });
}

void SelectionKeepingEdit::selectionMoved()
{
    if (hasSelectedText()) {
        m_start = selectionStart();
        m_length = selectionLength();
    } else if (hasFocus()) {
        m_start = 0;
        m_length = 0;
    }
    // Deselected while the focus is elsewhere (the line edit does that on
    // its own): the marked part stays.
}

void SelectionKeepingEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (m_length > 0) {
        setSelection(m_start, m_length);
        // The line edit drops a selection it no longer owns a moment later;
        // show the marked part again after that.
        QTimer::singleShot(0, this, [this] {
            if (!hasFocus() && m_length > 0 && !hasSelectedText())
                setSelection(m_start, m_length);
        });
    }
    // Switching windows or opening a popup is no move to another control.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit lostFocus();
}

Form2::Form2(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Build Sequential List"));

    auto named = [](auto *widget, const char *name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    Label4 = named(new QLabel(QStringLiteral("Enter a url below then select the portion you would like to increment."), this), "Label4");
    Label4->setWordWrap(true);
    Label1 = named(new QLabel(QStringLiteral("&URL:"), this), "Label1");
    Text1 = named(new SelectionKeepingEdit(this), "Text1");
    Text1->setMinimumWidth(360);
    Label1->setBuddy(Text1);
    Check1 = named(new QCheckBox(QStringLiteral("Append to existing list"), this), "Check1");
    Label2 = named(new QLabel(QStringLiteral("&Start #:"), this), "Label2");
    Label3 = named(new QLabel(QStringLiteral("&End #:"), this), "Label3");
    text3 = named(new QComboBox(this), "text3");
    text4 = named(new QComboBox(this), "text4");
    for (QComboBox *box : {text3, text4}) {
        box->setEditable(true);
        // The number is what the user types: no inline completion, and Enter
        // builds instead of adding an entry.
        box->setCompleter(nullptr);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMaxVisibleItems(12);
        box->setMinimumContentsLength(10);
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }
    Label2->setBuddy(text3);
    Label3->setBuddy(text4);
    Command1 = named(new QPushButton(QStringLiteral("Build"), this), "Command1");
    Command1->setDefault(true);
    Command2 = named(new QPushButton(QStringLiteral("Help"), this), "Command2");
    Command2->setAutoDefault(false);
    Command3 = named(new QPushButton(QStringLiteral("Cancel"), this), "Command3");
    Command3->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    // As large as the contents at any font and scale, and no sizing border.
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->addWidget(Label4, 0, 0, 1, 4);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(Text1, 1, 1, 1, 3);
    grid->addWidget(Check1, 2, 1, 1, 3);
    grid->addWidget(Label2, 3, 0);
    grid->addWidget(text3, 3, 1);
    grid->addWidget(Label3, 3, 2, Qt::AlignRight);
    grid->addWidget(text4, 3, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    grid->addLayout(buttons, 4, 0, 1, 4);

    // Reading order.
    setTabOrder(Text1, Check1);
    setTabOrder(Check1, text3);
    setTabOrder(text3, text4);
    setTabOrder(text4, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);

    connect(Text1, &SelectionKeepingEdit::lostFocus, this, &Form2::Text1_LostFocus);
    connect(text3, &QComboBox::editTextChanged, this, &Form2::text3_Change);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(15);
    Timer1->setTimerType(Qt::CoarseTimer);
    connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);

    Form_Load();
    Timer1_Timer();
    Timer1->start();
    Text1->setFocus();
}

void Form2::Form_Load()
{
    EnableAutoComplete(Text1);
    const QString clip = QGuiApplication::clipboard()->text();
    if (IsLinkText(clip))
        Text1->setText(clip);
}

void Form2::Text1_LostFocus()
{
    if (Text1->keptText().isEmpty())
        return;
    const QString pattern = SequenceList::Pattern(Text1->keptLength());
    refill(text3, pattern);
    refill(text4, pattern);
}

void Form2::text3_Change()
{
    refill(text4, SequenceList::Pattern(text3->currentText().size()));
}

void Form2::text3_KeyPress(int &keyAscii)
{
    keyAscii = SequenceList::OnlyNum(keyAscii);
}

void Form2::text4_KeyPress(int &keyAscii)
{
    keyAscii = SequenceList::OnlyNum(keyAscii);
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        int keyAscii = keyAsciiOf(static_cast<QKeyEvent *>(event));
        if (keyAscii >= 0) {
            const bool start = watched == text3 || watched == text3->lineEdit();
            const bool end = watched == text4 || watched == text4->lineEdit();
            if (start)
                text3_KeyPress(keyAscii);
            else if (end)
                text4_KeyPress(keyAscii);
            if ((start || end) && keyAscii == 0)
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Form2::Timer1_Timer()
{
    const bool ready = !Text1->text().isEmpty() && !text3->currentText().isEmpty() && !text4->currentText().isEmpty();
    if (Command1->isEnabled() != ready)
        Command1->setEnabled(ready);
}

void Form2::Command1_Click()
{
    SequenceList run;
    run.url = Text1->text();
    run.selStart = Text1->keptStart();
    run.selLength = Text1->keptLength();
    run.startText = text3->currentText();
    run.endText = text4->currentText();
    // Refused input leaves the list as it was: the dialog stays open.
    const SequenceList::Check check = run.check();
    if (check != SequenceList::Check::Ok) {
        MsgBox(this, SequenceList::message(check), MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Error"));
        return;
    }
    m_sequence = run;
    m_append = Check1->isChecked();
    accept();
}

void Form2::Command2_Click()
{
    ShowHelp(this, HelpSequentialList);
}

void Form2::Command3_Click()
{
    reject();
}

} // namespace tv
