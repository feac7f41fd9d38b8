// The help window: the page of each context, the pages themselves and the
// window's links; and "About..." with its two addresses.
#include "platform/desktopservices.h"
#include "support/testenv.h"
#include "winsupport/aboutdialog.h"
#include "winsupport/helpwindow.h"

#include <QDir>
#include <QPushButton>
#include <QTextBrowser>

#include <tuple>

using tv::HelpWindow;

class TestHelpAndAbout : public QObject
{
    Q_OBJECT

    QStringList m_opened;
    tv::ShellOpener m_previous;

private slots:
    void init()
    {
        m_opened.clear();
        m_previous = tv::setShellOpener([this](QWidget *, const QString &target) {
            m_opened.append(target);
            return 42L;
        });
    }
    void cleanup()
    {
        tv::setShellOpener(m_previous);
        delete HelpWindow::instance();
    }

    void contextsOpenTheirPages()
    {
        tvtest::MessageBoxScript boxes;
        HelpWindow *help = nullptr;
        for (const auto &[context, file, title] : {std::tuple{0, "index.html", "Contents"},
                                                   {6, "topic6.html", "Program Preferences"},
                                                   {17, "topic17.html", "Build Sequential List"},
                                                   {19, "topic19.html", "Slideshow"}}) {
            HelpWindow *shown = tv::ShowHelp(nullptr, context);
            // One window serves every request.
            QVERIFY(shown && (!help || shown == help));
            help = shown;
            QVERIFY(help->isVisible());
            QCOMPARE(help->source().fileName(), QLatin1String(file));
            QCOMPARE(help->windowTitle(), QStringLiteral("Tallyvane Help - ") + QLatin1String(title));
        }
        QVERIFY(boxes.shown().isEmpty());
    }

    void linksInsideTheHelp()
    {
        HelpWindow *help = tv::ShowHelp(nullptr, tv::HelpContents);
        QVERIFY(!help->cmdBack->isEnabled());
        emit help->browser->anchorClicked(QUrl(QStringLiteral("topic17.html")));
        QCOMPARE(help->source().fileName(), QStringLiteral("topic17.html"));
        QVERIFY(help->cmdBack->isEnabled());
        QTest::mouseClick(help->cmdBack, Qt::LeftButton);
        QCOMPARE(help->source().fileName(), QStringLiteral("index.html"));
        QTest::mouseClick(help->cmdForward, Qt::LeftButton);
        QCOMPARE(help->source().fileName(), QStringLiteral("topic17.html"));
        QTest::mouseClick(help->cmdContents, Qt::LeftButton);
        QCOMPARE(help->source().fileName(), QStringLiteral("index.html"));
        // Web and e-mail addresses go to the desktop; the page stays.
        emit help->browser->anchorClicked(QUrl(QStringLiteral("https://www.example.com/")));
        emit help->browser->anchorClicked(QUrl(QStringLiteral("mailto:support@example.com")));
        QCOMPARE(m_opened, (QStringList{"https://www.example.com/", "mailto:support@example.com"}));
        QCOMPARE(help->source().fileName(), QStringLiteral("index.html"));
        // A link to a page that is not there is reported; the page stays.
        tvtest::MessageBoxScript boxes;
        emit help->browser->anchorClicked(QUrl(QStringLiteral("nothere.html")));
        QCOMPARE(help->source().fileName(), QStringLiteral("index.html"));
        QCOMPARE(boxes.shown().size(), 1);
        QVERIFY(boxes.shown().first().text.contains(QStringLiteral("nothere.html")));
    }

    void addresses()
    {
        QStringList opened;
        long result = 42;
        const tv::ShellOpener previous = tv::setShellOpener([&](QWidget *, const QString &target) {
            opened.append(target);
            return result;
        });
        tvtest::MessageBoxScript boxes;
        tv::FrmAbt dialog;
        dialog.show();
        QTest::mouseClick(dialog.Label6, Qt::LeftButton);
        QTest::keyClick(dialog.Label5, Qt::Key_Space);
        QCOMPARE(opened, (QStringList{"https://www.example.com/", "mailto:support@example.com"}));
        QVERIFY(boxes.shown().isEmpty());
        result = tv::ShellOpenNoAssociation;
        QTest::mouseClick(dialog.Label6, Qt::LeftButton);
        QTest::mouseClick(dialog.Label5, Qt::LeftButton);
        tv::setShellOpener(previous);
        QCOMPARE(boxes.shown().size(), 2);
        QCOMPARE(boxes.shown().at(0).text, QStringLiteral("Could not start your web browser."));
        QCOMPARE(boxes.shown().at(1).text, QStringLiteral("Could not start your email program."));
    }
};

TV_TEST_MAIN(TestHelpAndAbout)
#include "tst_helpandabout.moc"
