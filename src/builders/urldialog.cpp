#include "builders/urldialog.h"

#include "platform/browser.h"
#include "platform/desktopservices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace tv {

QStringList openPageAddresses(BrowserComponent *browser)
{
    QStringList addresses;
    if (!browser)
        return addresses;
    QList<BrowserWindowPtr> windows;
    try {
        windows = browser->shellWindows();
    } catch (const BrowserError &) {
        return addresses;
    }
    for (const BrowserWindowPtr &w : std::as_const(windows)) {
        try {
            if (w->isHtmlDocument())
                addresses.append(w->locationUrl());
        } catch (const BrowserError &) {
            // A window that cannot be read is no suggestion.
        }
    }
    return addresses;
}

Form5::Form5(BrowserComponent *browser, const std::optional<QString> &currentEntry, bool filtersApplied,
             QWidget *parent)
    : QDialog(parent), m_browser(browser), m_currentEntry(currentEntry)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Build List from URL"));

    Label1 = new QLabel(QStringLiteral("&URL:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setMinimumContentsLength(40);
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Check2 = new QCheckBox(QStringLiteral("Append to existing list"), this);
    Check2->setObjectName(QStringLiteral("Check2"));
    Label2 = new QLabel(filtersApplied ? QStringLiteral("Filters will be applied. (See \"Options\" menu.)")
                                       : QStringLiteral("Filters will not be applied. (See \"Options\" menu.)"),
                        this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Command1 = new QPushButton(QStringLiteral("Build"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command3 = new QPushButton(QStringLiteral("Cancel"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    // As large as the contents at any font and scale, and no sizing border.
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Text1, 0, 1);
    grid->addWidget(Combo1, 1, 1);
    grid->addWidget(Check2, 2, 1);
    grid->addWidget(Label2, 3, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &Form5::Command3_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(15);
    Timer1->setTimerType(Qt::CoarseTimer);
    connect(Timer1, &QTimer::timeout, this, &Form5::Timer1_Timer);

    Form_Load();
    Timer1_Timer();
    Timer1->start();
}

void Form5::Form_Load()
{
    // A person takes longer to type an address than the invisible browser
    // takes to start: the build then finds it ready.
    if (m_browser)
        m_browser->prepareHarvest();
    EnableAutoComplete(Text1);
    strurl.clear();

    const QStringList open = openPageAddresses(m_browser);
    const bool fromBrowser = !open.isEmpty();
    Text1->setHidden(fromBrowser);
    Combo1->setHidden(!fromBrowser);
    for (auto it = open.crbegin(); it != open.crend(); ++it)
        Combo1->addItem(*it);

    if (m_currentEntry) {
        Combo1->insertItem(0, *m_currentEntry);
        Text1->hide();
        Combo1->show();
        Combo1->setCurrentIndex(0);
    }
    if (fromBrowser)
        Combo1->setCurrentIndex(0);
    Label1->setBuddy(Text1->isHidden() ? static_cast<QWidget *>(Combo1) : Text1);
    (Text1->isHidden() ? static_cast<QWidget *>(Combo1) : Text1)->setFocus();
}

void Form5::Timer1_Timer()
{
    const bool any = !Combo1->currentText().isEmpty() || !Text1->text().isEmpty();
    if (Command1->isEnabled() != any)
        Command1->setEnabled(any);
}

void Form5::Command1_Click()
{
    m_append = Check2->isChecked();
    strurl = Text1->isHidden() ? Combo1->currentText() : Text1->text();
    RememberAddress(strurl);
    accept();
}

void Form5::Command3_Click()
{
    reject();
}

} // namespace tv
