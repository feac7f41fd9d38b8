// The help: the page of each context, the pages themselves and the help
// window's links.
#include "platform/desktopservices.h"
#include "support/testenv.h"
#include "winsupport/helpwindow.h"

#include <QDir>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>

#include <memory>

using tv::HelpWindow;

namespace {

QString readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QStringList helpPages()
{
    return QDir(tv::HelpFolder()).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

} // namespace

class TestHelp : public QObject
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

    void addSlash_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("appends-one") << "/usr/share/tallyvane/help" << "/usr/share/tallyvane/help/";
        QTest::newRow("keeps-existing") << "/opt/help/" << "/opt/help/";
        QTest::newRow("root-single-separator") << "/" << "/";
    }
    void addSlash()
    {
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        QCOMPARE(tv::AddSlash(folder), expected);
    }

    void contextOpensItsPage_data()
    {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("title");
        QTest::newRow("contents") << 0 << "index.html" << "Contents";
        QTest::newRow("preferences") << 6 << "topic6.html" << "Program Preferences";
        QTest::newRow("sequential-list") << 17 << "topic17.html" << "Build Sequential List";
        QTest::newRow("slideshow-options") << 19 << "topic19.html" << "Slideshow";
    }
    void contextOpensItsPage()
    {
        QFETCH(int, context);
        QFETCH(QString, file);
        QFETCH(QString, title);
        tvtest::MessageBoxScript boxes;
        HelpWindow *help = tv::ShowHelp(nullptr, context);
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->source().fileName(), file);
        QCOMPARE(help->pageTitle(), title);
        QVERIFY(help->browser->toPlainText().size() > 200);
        QVERIFY(help->windowTitle().endsWith(title));
        QVERIFY(boxes.shown().isEmpty());
        // The same window serves the next request.
        QCOMPARE(tv::ShowHelp(nullptr, tv::HelpContents), help);
        QCOMPARE(help->source().fileName(), QStringLiteral("index.html"));
    }

    void missingTopicIsReported()
    {
        tvtest::MessageBoxScript boxes;
        QVERIFY(!tv::ShowHelp(nullptr, 4242));
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Help"));
        QCOMPARE(boxes.shown().first().icon, tv::MsgIcon::Critical);
        QVERIFY(boxes.shown().first().text.contains(QStringLiteral("topic4242.html")));
    }

    void everyLocalLinkResolves()
    {
        const QStringList pages = helpPages();
        QVERIFY(pages.contains(QStringLiteral("index.html")));
        QSet<QString> linked{QStringLiteral("index.html")};
        static const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
        for (const QString &page : pages) {
            const QString html = readAll(tv::HelpFolder() + u'/' + page);
            QVERIFY2(html.contains(QStringLiteral("<title>")), qPrintable(page));
            for (auto it = href.globalMatch(html); it.hasNext();) {
                const QString target = it.next().captured(1);
                if (target.contains(u':'))
                    continue;   // a web or e-mail address
                const QString file = target.section(u'#', 0, 0);
                if (file.isEmpty())
                    continue;
                QVERIFY2(QFile::exists(tv::HelpFolder() + u'/' + file), qPrintable(page + " -> " + target));
                linked.insert(file);
            }
        }
        // No page that nothing leads to.
        for (const QString &page : pages)
            QVERIFY2(linked.contains(page), qPrintable(page));
    }

    void pagesUseNoNetwork()
    {
        // Pictures, styles and scripts come from the help folder only.
        static const QRegularExpression remote(QStringLiteral("(src|<link[^>]*href)=\"[a-z]+://"),
                                               QRegularExpression::CaseInsensitiveOption);
        for (const QString &page : helpPages())
            QVERIFY2(!remote.match(readAll(tv::HelpFolder() + u'/' + page)).hasMatch(), qPrintable(page));
    }

    void listFilePageTellsTheFormat()
    {
        const QString text = readAll(tv::HelpFolder() + QStringLiteral("/listfile.html"));
        for (const char *needle : {"comma", "double quote", "http", "ftp", "Bad Format", "32767"})
            QVERIFY2(text.contains(QLatin1String(needle), Qt::CaseInsensitive), needle);
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
        QVERIFY(m_opened.isEmpty());
    }

    void brokenLinkIsReported()
    {
        tvtest::MessageBoxScript boxes;
        HelpWindow *help = tv::ShowHelp(nullptr, tv::HelpContents);
        emit help->browser->anchorClicked(QUrl(QStringLiteral("nothere.html")));
        QCOMPARE(help->source().fileName(), QStringLiteral("index.html"));
        QCOMPARE(boxes.shown().size(), 1);
        QCOMPARE(boxes.shown().first().title, QStringLiteral("Help"));
        QVERIFY(boxes.shown().first().text.contains(QStringLiteral("nothere.html")));
    }

    void outsideLinksGoToTheDesktop_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("opened");
        QTest::newRow("web-page") << "https://www.example.com/" << "https://www.example.com/";
        QTest::newRow("e-mail") << "mailto:support@example.com" << "mailto:support@example.com";
    }
    void outsideLinksGoToTheDesktop()
    {
        QFETCH(QString, link);
        QFETCH(QString, opened);
        HelpWindow *help = tv::ShowHelp(nullptr, tv::HelpContents);
        emit help->browser->anchorClicked(QUrl(link));
        QCOMPARE(m_opened, QStringList{opened});
        QCOMPARE(help->source().fileName(), QStringLiteral("index.html"));
    }
};

TV_TEST_MAIN(TestHelp)
#include "tst_helpwindow.moc"
