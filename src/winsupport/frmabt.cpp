#include "winsupport/frmabt.h"

#include "app/module1.h"
#include "platform/messagebox.h"

#include <QDate>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace tv {

namespace {

ShellOpener &currentOpener()
{
    static ShellOpener opener;
    return opener;
}

long shellOpen(QWidget *owner, const QString &target)
{
    const ShellOpener &opener = currentOpener();
    return opener ? opener(owner, target) : ShellOpen(owner, target);
}

} // namespace

QString MakerName()
{
    return QStringLiteral("Quillmere");
}

QString MakerHomePage()
{
    return QStringLiteral("https://www.example.com/");
}

QString SupportAddress()
{
    return QStringLiteral("support@example.com");
}

ShellOpener setShellOpener(ShellOpener opener)
{
    ShellOpener previous = std::move(currentOpener());
    currentOpener() = std::move(opener);
    return previous;
}

long OpenWebPage(QWidget *owner, const QString &url)
{
    const long result = shellOpen(owner, url);
    if (result == ShellOpenNoAssociation)
        MsgBox(owner, QStringLiteral("Could not start your web browser."), MsgButtons::Ok, MsgIcon::Exclamation,
               QStringLiteral("Oops!"));
    return result;
}

long OpenMail(QWidget *owner, const QString &address)
{
    const long result = shellOpen(owner, QStringLiteral("mailto:") + address);
    if (result == ShellOpenNoAssociation)
        MsgBox(owner, QStringLiteral("Could not start your email program."), MsgButtons::Ok, MsgIcon::Exclamation,
               QStringLiteral("Oops!"));
    return result;
}

LinkLabel::LinkLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    setPalette(p);
    setCursor(Qt::PointingHandCursor);
    // Reachable with Tab and opened with Space or Enter.
    setFocusPolicy(Qt::StrongFocus);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space) {
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

FrmAbt::FrmAbt(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmAbt"));
    setWindowTitle(QStringLiteral("About..."));

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(QIcon(QStringLiteral(":/tallyvane.svg")).pixmap(64, 64));
    Label7 = new QLabel(QStringLiteral("Version 1.0"), this);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(QStringLiteral("Find more great software from Quillmere at:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label6 = new LinkLabel(MakerHomePage(), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label5 = new LinkLabel(SupportAddress(), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Command3 = new QPushButton(QStringLiteral("OK"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setDefault(true);

    auto *text = new QVBoxLayout;
    text->addWidget(Label7);
    text->addWidget(Label2);
    text->addSpacing(8);
    text->addWidget(Label3);
    text->addWidget(Label6);
    text->addWidget(Label5);
    auto *top = new QHBoxLayout;
    top->addWidget(Picture1, 0, Qt::AlignTop);
    top->addLayout(text);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command3);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(Label6, &LinkLabel::clicked, this, &FrmAbt::Label6_Click);
    connect(Label5, &LinkLabel::clicked, this, &FrmAbt::Label5_Click);
    connect(Command3, &QPushButton::clicked, this, &FrmAbt::Command3_Click);
    Form_Load();
    Command3->setFocus();
}

void FrmAbt::Form_Load()
{
    Label2->setText(QStringLiteral("Copyright \u00a9 %1 %2").arg(QDate::currentDate().year()).arg(MakerName()));
}

void FrmAbt::Label6_Click()
{
    OpenWebPage(this, MakerHomePage());
}

void FrmAbt::Label5_Click()
{
    OpenMail(this, SupportAddress());
}

void FrmAbt::Command3_Click()
{
    accept();
}

} // namespace tv
