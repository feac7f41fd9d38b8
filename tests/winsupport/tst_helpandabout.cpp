// The help window: the page of each context and the window's links; and
// "About..." with its two addresses.
#include "platform/desktopservices.h"
#include "support/testenv.h"
#include "winsupport/aboutdialog.h"
#include "winsupport/helpwindow.h"

#include <QPushButton>
#include <QTextBrowser>

using tv::HelpWindow;

class TestHelpAndAbout : public QObject
{
    Q_OBJECT

    QStringList m_opened;
    long m_openResult = 42;
    tv::ShellOpener m_previous;

private slots:
    void init()
    {
        m_opened.clear();
        m_openResult = 42;
        m_previous = tv::setShellOpener([this](QWidget *, const QString &target) {
            m_opened.append(target);
            return m_openResult;
        });
    }
    void cleanup()
    {
        tv::setShellOpener(m_previous);
        delete HelpWindow::instance();
    }

    void contextsAndLinks()
    {
        tvtest::MessageBoxScript boxes;
        HelpWindow *help = tv::ShowHelp(nullptr, 19);
        QCOMPARE(help->source().fileName(), QStringLiteral("topic19.html"));
        // One window serves every request.
        QCOMPARE(tv::ShowHelp(nullptr, tv::HelpContents), help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->source().fileName(), QStringLiteral("index.html"));
        emit help->browser->anchorClicked(QUrl(QStringLiteral("topic17.html")));
        QCOMPARE(help->source().fileName(), QStringLiteral("topic17.html"));
        QTest::mouseClick(help->cmdContents, Qt::LeftButton);
        QCOMPARE(help->source().fileName(), QStringLiteral("index.html"));
        // Web and e-mail addresses go to the desktop; the page stays.
        emit help->browser->anchorClicked(QUrl(QStringLiteral("https://www.example.com/")));
        emit help->browser->anchorClicked(QUrl(QStringLiteral("mailto:support@example.com")));
        QCOMPARE(m_opened, (QStringList{"https://www.example.com/", "mailto:support@example.com"}));
        QCOMPARE(help->source().fileName(), QStringLiteral("index.html"));
        QVERIFY(boxes.shown().isEmpty());
        // A link to a page that is not there is reported; the page stays.
        emit help->browser->anchorClicked(QUrl(QStringLiteral("nothere.html")));
        QCOMPARE(help->source().fileName(), QStringLiteral("index.html"));
        QCOMPARE(boxes.shown().size(), 1);
        QVERIFY(boxes.shown().first().text.contains(QStringLiteral("nothere.html")));
    }

    void addresses()
    {
        tvtest::MessageBoxScript boxes;
        tv::FrmAbt dialog;
        dialog.show();
        QTest::mouseClick(dialog.Label6, Qt::LeftButton);
        QTest::keyClick(dialog.Label5, Qt::Key_Space);
        QCOMPARE(m_opened, (QStringList{"https://www.example.com/", "mailto:support@example.com"}));
        QVERIFY(boxes.shown().isEmpty());
        // Nothing to open them with: each click says so.
        m_openResult = tv::ShellOpenNoAssociation;
        QTest::mouseClick(dialog.Label6, Qt::LeftButton);
        QTest::mouseClick(dialog.Label5, Qt::LeftButton);
        QCOMPARE(boxes.shown().size(), 2);
    }
};

TV_TEST_MAIN(TestHelpAndAbout)
#include "tst_helpandabout.moc"
