#include "winsupport/aboutdialog.h"

#include "platform/desktopservices.h"

#include <QDate>
#include <QHBoxLayout>
#include <QPainter>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace tv {

namespace {

// The product logo: a list of links under a weather vane. Painted, so it
// needs no image plugin.
QPixmap logo(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2a, 0x5d, 0xa8));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    p.setBrush(Qt::white);
    for (int row = 0; row < 3; ++row) {
        p.drawEllipse(QRectF(12, 32 + row * 9, 5, 5));
        p.drawRoundedRect(QRectF(21, 33 + row * 9, 31 - row * 6, 3), 1.5, 1.5);
    }
    p.setPen(QPen(QColor(0xf2, 0xb1, 0x34), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 20), QPointF(48, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xb1, 0x34));
    p.drawPolygon(QPolygonF({QPointF(52, 11), QPointF(42, 8), QPointF(45, 17)}));
    p.drawPolygon(QPolygonF({QPointF(13, 20), QPointF(8, 14), QPointF(10, 24)}));
    return pixmap;
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
    Picture1->setPixmap(logo(64));
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
    // As large as the contents at any font and scale, and no sizing border.
    layout->setSizeConstraint(QLayout::SetFixedSize);
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
