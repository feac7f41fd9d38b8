// Only one copy runs: the hand-over message, and copies started together.
#include "app/startup.h"
#include "platform/singleinstance.h"
#include "support/mainwindowfixture.h"
#include "support/testenv.h"

#include <QLocalSocket>
#include <QProcess>

using tv::SingleInstance;

namespace {

// One copy of the program (with a scripted browser), started with the address
// of its page in front.
class Copy
{
public:
    explicit Copy(const QString &front, const QString &argument = QString(), int expected = 1000)
    {
        m_process.setProgram(qEnvironmentVariable("TALLYVANE_TEST_BINARY_DIR") + QStringLiteral("/tests/app/tv_instance_helper"));
        m_process.setArguments(QStringList{front.isEmpty() ? QStringLiteral("-") : front, QString::number(expected)}
                               + (argument.isEmpty() ? QStringList() : QStringList{argument}));
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~Copy()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    bool waitStarted() { return m_process.waitForStarted(5000); }
    QString output() { return m_seen += QString::fromLocal8Bit(m_process.readAllStandardOutput()); }
    bool isFirst() { return output().startsWith(u"first"); }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    int exitCode() const { return m_process.exitCode(); }

private:
    QProcess m_process;
    QString m_seen;
};

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
    QTemporaryDir m_files;

private slots:
    void wireForm()
    {
        // Addresses go there and back; a message cut short, of odd length, of
        // negative or oversized length is refused.
        QString decoded;
        qsizetype consumed = 0;
        using Request = SingleInstance::Request;
        for (Request r : {Request::PageInFront, Request::Build}) {
            for (const QString &a : {QString(), QStringLiteral("http://\u00fcber.example/\u65e5\U0001F600")}) {
                const QByteArray bytes = SingleInstance::encode(a, r);
                Request back = r == Request::Build ? Request::PageInFront : Request::Build;
                QVERIFY(SingleInstance::decode(bytes, &decoded, &consumed, &back));
                QVERIFY(decoded == a && back == r);
                QCOMPARE(consumed, 4 + 2 * a.size());
                QVERIFY(a.isEmpty() || !SingleInstance::decode(bytes.left(bytes.size() - 1), &decoded, &consumed));
            }
        }
        const qint32 big = (SingleInstance::MaxAddressChars + 1) * 2;
        for (const QByteArray &bad : {QByteArray("\x03\x00\x00\x00" "abc", 7), QByteArray("\xff\xff\xff\xff", 4),
                                      QByteArray(reinterpret_cast<const char *>(&big), 4)})
            QVERIFY(!SingleInstance::decode(bad, &decoded, &consumed));
    }

    void startsAtTheSameMomentLeaveOneCopy()
    {
        const QStringList fronts = {QStringLiteral("http://127.0.0.1/a.html"), QStringLiteral("http://127.0.0.1/b.html"),
                                    QString(), QStringLiteral("http://127.0.0.1/c.html"),
                                    QStringLiteral("http://127.0.0.1/d.html")};
        std::vector<std::unique_ptr<Copy>> copies;
        for (const QString &front : fronts)
            copies.push_back(std::make_unique<Copy>(front));
        for (auto &c : copies)
            QVERIFY(c->waitStarted());

        // All but one end by themselves, each after handing over.
        QTRY_COMPARE_WITH_TIMEOUT(std::count_if(copies.begin(), copies.end(), [](auto &c) { return c->running(); }), 1L, 20000);
        int firstIndex = -1;
        for (int i = 0; i < int(copies.size()); ++i) {
            if (copies[i]->running()) {
                firstIndex = i;
                QTRY_VERIFY(copies[i]->isFirst());
            } else {
                QCOMPARE(copies[i]->output().trimmed(), QStringLiteral("second"));
                QCOMPARE(copies[i]->exitCode(), 0);
            }
        }
        // Every non-empty address of the other copies arrived in the first.
        for (int i = 0; i < int(copies.size()); ++i) {
            if (i == firstIndex || fronts[i].isEmpty())
                continue;
            QTRY_VERIFY2(copies[firstIndex]->output().contains(QStringLiteral("got ") + fronts[i] + u'\n'), qPrintable(fronts[i]));
        }
        QVERIFY(!copies[firstIndex]->output().contains(u"got \n"));
    }

    void addressArgument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("address");
        const QString page = m_files.filePath(QStringLiteral("page one.html"));
        QVERIFY(tvtest::writeFile(page));
        QTest::newRow("none") << QStringList{} << QString();
        QTest::newRow("options only") << QStringList{QStringLiteral("--list")} << QString();
        QTest::newRow("web address") << QStringList{QStringLiteral("https://a.example/p?q=1")} << QStringLiteral("https://a.example/p?q=1");
        QTest::newRow("host name") << QStringList{QStringLiteral("a.example/x y")} << QStringLiteral("http://a.example/x%20y");
        QTest::newRow("after an option, first of two") << QStringList{QStringLiteral("-x"), QStringLiteral("ftp://b.example/"), QStringLiteral("c.example")}
                                                 << QStringLiteral("ftp://b.example/");
        QTest::newRow("script") << QStringList{QStringLiteral("javascript:alert(1)")} << QString();
        QTest::newRow("mail") << QStringList{QStringLiteral("mailto:a@b.example")} << QString();
        QTest::newRow("relative file") << QStringList{QStringLiteral("page one.html")} << QUrl::fromLocalFile(page).toString(QUrl::FullyEncoded);
    }

    void addressArgument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, address);
        QCOMPARE(tv::addressArgument(QStringList{QStringLiteral("tallyvane")} + arguments, m_files.path()), address);
    }

    void addressGivenAtStartIsBuilt()
    {
        // A second start given an address asks the first copy to build it,
        // instead of handing over the page in front.
        Copy first(QString(), QString(), 1);
        QVERIFY(first.waitStarted());
        QTRY_VERIFY_WITH_TIMEOUT(first.isFirst(), 10000);
        Copy second(QStringLiteral("http://127.0.0.1/front.html"), QStringLiteral("127.0.0.1:9/given.html"));
        QTRY_VERIFY_WITH_TIMEOUT(!second.running(), 10000);
        QCOMPARE(second.output().trimmed(), QStringLiteral("second"));
        QTRY_VERIFY_WITH_TIMEOUT(!first.running(), 10000);
        QCOMPARE(first.output(), QStringLiteral("first\nbuild http://127.0.0.1:9/given.html\n"));

        // A first copy builds the page it is started with.
        const QString page = m_files.filePath(QStringLiteral("start.html"));
        QVERIFY(tvtest::writeFile(page));
        Copy alone(QString(), page, 1);
        QVERIFY(alone.waitStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!alone.running(), 10000);
        QCOMPARE(alone.output(), QStringLiteral("first\nbuild ") + QUrl::fromLocalFile(page).toString() + u'\n');
    }

    void addressWaitsUntilTheWindowIsFree()
    {
        // A busy window, then a build still loading: the address is built after them.
        tvtest::MainWindowFixture fx;
        const auto built = [&fx] {
            QStringList urls;
            for (const auto &w : std::as_const(fx.browser.harvests))
                if (auto window = w.lock())
                    urls += window->navigations;
            return urls;
        };
        fx.form->buildFromArgument(QStringLiteral("http://127.0.0.1:9/first.html"));
        QTRY_COMPARE(built(), QStringList{QStringLiteral("http://127.0.0.1:9/first.html")});
        fx.form->buildFromArgument(QStringLiteral("http://127.0.0.1:9/second.html"));
        QTest::qWait(400);
        QCOMPARE(built().size(), 1);
        QTest::keyClick(fx.form.get(), Qt::Key_Escape);
        QTRY_COMPARE(built().value(0), QStringLiteral("http://127.0.0.1:9/second.html"));
    }
};

TV_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
