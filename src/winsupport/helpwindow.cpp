#include "winsupport/helpwindow.h"

#include "platform/desktopservices.h"
#include "platform/messagebox.h"
#include "winsupport/x11window.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QScreen>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>

namespace tv {

namespace {

QPointer<HelpWindow> &helpWindow()
{
    static QPointer<HelpWindow> window;
    return window;
}

} // namespace

QString HelpFolder()
{
    // share/tallyvane/help beside the program's folder: in the build tree and
    // wherever it is installed; else the folder it was installed for.
    const QString besides = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tallyvane/help");
    const QString installed = QStringLiteral(TALLYVANE_DATADIR "/help");
    for (const QString &candidate : {besides, installed}) {
        if (QFileInfo::exists(candidate + QStringLiteral("/index.html")))
            return QDir(candidate).canonicalPath();
    }
    return installed;
}

QString AddSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString HelpFilePath(const QString &folder, int context)
{
    const QString page = context == HelpContents ? QStringLiteral("index.html")
                                                 : QStringLiteral("topic%1.html").arg(context);
    return AddSlash(folder) + page;
}

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Tallyvane Help"));
    // Help left open must not keep the program running after its main window.
    setAttribute(Qt::WA_QuitOnClose, false);

    cmdContents = new QPushButton(QStringLiteral("&Contents"), this);
    cmdContents->setObjectName(QStringLiteral("cmdContents"));
    cmdBack = new QPushButton(QStringLiteral("&Back"), this);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmdBack->setEnabled(false);
    cmdForward = new QPushButton(QStringLiteral("&Forward"), this);
    cmdForward->setObjectName(QStringLiteral("cmdForward"));
    cmdForward->setEnabled(false);
    browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("browser"));
    browser->setOpenLinks(false);
    browser->setOpenExternalLinks(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdContents);
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdForward);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser);

    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    connect(cmdContents, &QPushButton::clicked, this, [this] { showPage(HelpFilePath(HelpFolder(), HelpContents)); });
    connect(cmdBack, &QPushButton::clicked, browser, &QTextBrowser::backward);
    connect(cmdForward, &QPushButton::clicked, browser, &QTextBrowser::forward);
    connect(browser, &QTextBrowser::backwardAvailable, cmdBack, &QPushButton::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, cmdForward, &QPushButton::setEnabled);
    connect(browser, &QTextBrowser::anchorClicked, this, &HelpWindow::linkClicked);
    connect(browser, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(QStringLiteral("Tallyvane Help - ") + pageTitle()); });
}

HelpWindow *HelpWindow::instance()
{
    return helpWindow();
}

void HelpWindow::showPage(const QString &path)
{
    browser->setSource(QUrl::fromLocalFile(path));
}

QUrl HelpWindow::source() const
{
    return browser->source();
}

void HelpWindow::stayInFrontOf(QWidget *owner)
{
    if (m_owner)
        m_owner->removeEventFilter(this);
    m_owner = owner ? owner->window() : nullptr;
    if (m_owner)
        m_owner->installEventFilter(this);
    x11::setTransientFor(windowHandle(), m_owner ? m_owner->windowHandle() : nullptr);
}

bool HelpWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A dialog that asked for help has closed: its own window is next. A
    // minimised window is no closed one.
    if (watched == m_owner && event->type() == QEvent::Hide && !event->spontaneous() && m_owner->parentWidget() &&
        isVisible()) {
        stayInFrontOf(m_owner->parentWidget());
        // The manager may have sunk it for a moment without its owner.
        raise();
    }
    return QWidget::eventFilter(watched, event);
}

QString HelpWindow::pageTitle() const
{
    return browser->documentTitle();
}

void HelpWindow::linkClicked(const QUrl &url)
{
    const QUrl target = browser->source().resolved(url);
    if (target.isLocalFile()) {
        if (QFileInfo::exists(target.toLocalFile())) {
            browser->setSource(target);
        } else {
            MsgBox(this, QStringLiteral("The help page \"%1\" could not be found.").arg(target.toLocalFile()),
                   MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Help"));
        }
        return;
    }
    if (target.scheme() == u"mailto")
        OpenMail(this, target.path());
    else
        OpenWebPage(this, target.toString());
}

HelpWindow *ShowHelp(QWidget *owner, int context)
{
    const QString path = HelpFilePath(HelpFolder(), context);
    if (!QFileInfo::exists(path)) {
        MsgBox(owner, QStringLiteral("The help page \"%1\" could not be found. Please reinstall Tallyvane.").arg(path),
               MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Help"));
        return nullptr;
    }
    QPointer<HelpWindow> &window = helpWindow();
    if (!window) {
        // No parent: the help stays usable while a modal dialog is open.
        window = new HelpWindow;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, [w = window.data()] { delete w; });
        // About a hundred characters wide, never larger than the screen,
        // beside its owner and wholly on the screen.
        const QFontMetrics text(window->font());
        const QRect screen = (owner ? owner->screen() : window->screen())->availableGeometry();
        const QSize size = QSize(text.averageCharWidth() * 100, text.height() * 36).boundedTo(screen.size() * 9 / 10);
        window->resize(size);
        QPoint at = owner ? owner->window()->frameGeometry().topLeft() + QPoint(40, 40) : screen.topLeft();
        at.setX(std::max(screen.left(), std::min(at.x(), screen.right() - size.width() - 20)));
        at.setY(std::max(screen.top(), std::min(at.y(), screen.bottom() - size.height() - 40)));
        window->move(at);
    }
    window->showPage(path);
    window->show();
    window->stayInFrontOf(owner);
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace tv
