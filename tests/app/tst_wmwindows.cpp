// Every window as a real window manager shows it at twice the normal scale:
// no text cut, the help in front of the window that asked for it, and the
// compact strip without pieces of the hidden parts.
#include "app/addlinkdialog.h"
#include "app/linklist.h"
#include "app/searchdialog.h"
#include "builders/filtersdialog.h"
#include "builders/importchoicedialog.h"
#include "builders/sequencedialog.h"
#include "platform/commoncontrols.h"
#include "saving/fileexistsdialog.h"
#include "saving/savingfilesdialog.h"
#include "settings/preferencesdialog.h"
#include "support/mainwindowfixture.h"
#include "support/wmsession.h"
#include "viewer/slideshowoptionsdialog.h"
#include "viewer/slideshowpauseddialog.h"
#include "winsupport/aboutdialog.h"
#include "winsupport/helpwindow.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QTextBrowser>
#include <QToolBar>

using namespace tv;

namespace {

using MakeWindow = std::function<QWidget *(Form1 &)>;

struct NoHost final : SavingHost
{
    void setTransferCaption(const QString &) override {}
    void setTransferHostEnabled(bool) override {}
    void minimizeForTransfer() override {}
    void restoreForTransfer() override {}
    void transferEnded(bool) override {}
};

// Bottom to top, as the manager stacks them.
QList<quint32> stacking()
{
    return x11::property32(x11::rootWindow(), "_NET_CLIENT_LIST_STACKING");
}

bool above(const QWidget &upper, const QWidget &lower)
{
    const QList<quint32> order = stacking();
    return order.indexOf(quint32(upper.windowHandle()->winId())) > order.indexOf(quint32(lower.windowHandle()->winId()));
}

// What of a widget's text its geometry cannot show, or "" when all fits.
QString clipped(const QWidget *w)
{
    QSize needed = w->minimumSizeHint().expandedTo(w->sizeHint());
    if (auto *label = qobject_cast<const QLabel *>(w); label && label->wordWrap())
        needed = QSize(0, label->heightForWidth(label->width()));
    else if (auto *box = qobject_cast<const QGroupBox *>(w))
        needed = box->minimumSizeHint();
    else if (!qobject_cast<const QLabel *>(w) && !qobject_cast<const QAbstractButton *>(w))
        needed.setWidth(0); // boxes and lists may scroll sideways
    const QRect inWindow(w->mapTo(w->window(), QPoint(0, 0)), w->size());
    if (w->width() < needed.width() || w->height() < needed.height() || !w->window()->rect().contains(inWindow))
        return QStringLiteral("%1 %2 at %3x%4, needs %5x%6")
            .arg(QLatin1String(w->metaObject()->className()), w->objectName())
            .arg(w->width()).arg(w->height()).arg(needed.width()).arg(needed.height());
    return {};
}

// The letter a text underlines, lower case, or "".
QString mnemonic(const QString &text)
{
    for (qsizetype i = text.indexOf(u'&'); i >= 0 && i + 1 < text.size(); i = text.indexOf(u'&', i + 2)) {
        if (text.at(i + 1) != u'&')
            return text.at(i + 1).toLower();
    }
    return {};
}

} // namespace

class TestWmWindows : public QObject
{
    Q_OBJECT

    std::unique_ptr<tvtest::MainWindowFixture> m_fx;
    NoHost m_host;
    CRegSettings m_settings = CRegSettings::program();

    Form1 &shownForm(bool ontop = false)
    {
        Form1 &f = *m_fx->form;
        CRegSettings::program().SaveSetting(QStringLiteral("Options"), QStringLiteral("On Top"), ontop ? QStringLiteral("True") : QStringLiteral("False"));
        f.Form_Load();
        tvtest::list1(f).AppendMany(QStringList(40, QStringLiteral("http://127.0.0.1/a/rather/long/address/of/a/page.html")));
        if (!QTest::qWaitForWindowExposed(&f))
            qWarning("the main window was not exposed");
        return f;
    }

private slots:
    void init() { m_fx = std::make_unique<tvtest::MainWindowFixture>(false); }
    void cleanup()
    {
        m_fx.reset();
        delete HelpWindow::instance();
    }

    void nothingClipped_data()
    {
        QTest::addColumn<MakeWindow>("make");
        auto row = [](const char *name, MakeWindow make) { QTest::newRow(name) << make; };
        row("main-window", [](Form1 &f) { return &f; });
        row("build-from-url", [this](Form1 &f) { return new Form5(&m_fx->browser, std::nullopt, true, &f); });
        row("sequential-list", [](Form1 &f) { return new Form2(&f); });
        row("add-single-link", [](Form1 &f) { return new Form11(&tvtest::list1(f), &f); });
        row("search-list", [](Form1 &f) { return new Form9(&f); });
        row("manage-filters", [this](Form1 &f) { return new Form3(m_settings, &f); });
        row("import-choice", [](Form1 &f) { return new Form10(&f); });
        row("preferences", [](Form1 &f) { return new Form12(Preferences{}, &f); });
        row("slide-show-options", [](Form1 &f) { return new Form6(SlideshowOptions{}, &f); });
        row("slideshow-paused", [](Form1 &f) { return new Form7(&f); });
        row("file-exists-long-name", [](Form1 &f) {
            return new Form8(QStringLiteral("a-picture-named-in-ninety-characters-without-one-space-so-it-cannot-wrap-0123456789.jpg"), &f);
        });
        row("saving-files", [this](Form1 &f) { return new Form4({}, QDir::tempPath(), OwPrompt, false, &m_host, &f); });
        row("about", [](Form1 &f) { return new FrmAbt(&f); });
        row("help", [](Form1 &f) { return ShowHelp(&f, HelpPreferences); });
    }
    void nothingClipped()
    {
        QFETCH(MakeWindow, make);
        Form1 &f = shownForm();
        QWidget *window = make(f);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        tvtest::snapshot(QStringLiteral("window-%1-x%2").arg(QLatin1String(QTest::currentDataTag()),
                                                             qEnvironmentVariable("QT_SCALE_FACTOR")));
        auto cutIn = [window] {
            QStringList cut;
            for (const QWidget *w : window->findChildren<QWidget *>()) {
                // A box's own line edit is measured with the box.
                const QWidget *parent = w->parentWidget();
                if (w->isVisible() && w->window() == window && !qobject_cast<const QToolBar *>(parent) &&
                    !qobject_cast<const QComboBox *>(parent) && !qobject_cast<const QAbstractSpinBox *>(parent))
                    cut << clipped(w);
            }
            cut.removeAll(QString());
            return cut.join(u"; ");
        };
        // A text changed by the window itself is laid out a moment later.
        QTRY_VERIFY2(cutIn().isEmpty(), qPrintable(cutIn()));
        // Every underlined letter of the window is its own, and a label's leads somewhere.
        QStringList letters;
        for (const QWidget *w : window->findChildren<QWidget *>()) {
            const auto *label = qobject_cast<const QLabel *>(w);
            const auto *button = qobject_cast<const QAbstractButton *>(w);
            const auto *box = qobject_cast<const QGroupBox *>(w);
            const QString text = label ? label->text() : button ? button->text() : box ? box->title() : QString();
            const QString letter = mnemonic(text);
            if (letter.isEmpty())
                continue;
            QVERIFY2(!letters.contains(letter), qPrintable(text));
            letters << letter;
            QVERIFY2(!label || label->buddy(), qPrintable(text));
        }
        if (window != &f)
            delete window;
    }

    void helpInFrontOfWhatAskedAndEscCloses()
    {
        Form1 &f = shownForm(true);
        QTRY_VERIFY(x11::atomNames(f.windowHandle()->winId(), "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"));
        // F1 is a shortcut of the active window; under load the manager may not have activated it yet.
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClick(&f, Qt::Key_F1);
        HelpWindow *help = HelpWindow::instance();
        QVERIFY(help);
        QVERIFY(QTest::qWaitForWindowExposed(help));
        QTRY_VERIFY(above(*help, f));
        tvtest::snapshot(QStringLiteral("help-over-ontop"));
        // Clicking the main window does not bury it.
        f.activateWindow();
        QTest::qWait(200);
        QVERIFY(above(*help, f));
        help->activateWindow();
        QTRY_VERIFY(help->isActiveWindow());
        QTest::keyClick(static_cast<QWidget *>(help->browser), Qt::Key_Escape);
        QVERIFY(!help->isVisible());

        // Asked from a dialog: over the dialog, and still over the main
        // window once the dialog has gone.
        auto *slideshow = new Form6(SlideshowOptions{}, &f);
        slideshow->setAttribute(Qt::WA_DeleteOnClose);
        slideshow->show();
        QVERIFY(QTest::qWaitForWindowExposed(slideshow));
        slideshow->Command2->click();
        QVERIFY(QTest::qWaitForWindowExposed(help));
        QTRY_VERIFY(above(*help, *slideshow));
        slideshow->close();
        QTRY_VERIFY(above(*help, f));
    }

    void compactShowsOnlyTheToolbar()
    {
        Form1 &f = shownForm();
        tvtest::list1(f).setListIndex(0);
        tvtest::press(f, "resize");
        QToolBar &bar = tvtest::toolbar1(f);
        // The manager may change its frame after the switch: the strip follows.
        QTRY_COMPARE(bar.geometry(), f.rect());
        tvtest::snapshot(QStringLiteral("compact-x%1").arg(qEnvironmentVariable("QT_SCALE_FACTOR")));
        // Everything visible inside the client area belongs to the toolbar.
        const QRect client = f.rect();
        for (const QWidget *w : f.findChildren<QWidget *>()) {
            if (!w->isVisible() || w->window() != &f || w == &bar || bar.isAncestorOf(w))
                continue;
            const QRect r(w->mapTo(&f, QPoint(0, 0)), w->size());
            QVERIFY2(!client.intersects(r), qPrintable(QStringLiteral("%1 %2 shows at %3,%4 %5x%6")
                                                           .arg(QLatin1String(w->metaObject()->className()),
                                                                w->objectName())
                                                           .arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())));
        }
        // Wide enough for the caption beside the manager's buttons.
        QVERIFY(f.width() >= QFontMetrics(f.font()).horizontalAdvance(f.windowTitle()));
        tvtest::press(f, "resize");
        QVERIFY(tvtest::list1(f).isVisible() && f.statusBar()->isVisible());
    }
};

TV_WM_TEST_MAIN(TestWmWindows, "1280x1024x24",
                if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) qputenv("QT_SCALE_FACTOR", "2"))
#include "tst_wmwindows.moc"
