#include "platform/singleinstance.h"
#include "support/testenv.h"

#include <QLocalSocket>
#include <QProcess>

using tv::SingleInstance;

namespace {

QString helperPath()
{
    return qEnvironmentVariable("TALLYVANE_TEST_BINARY_DIR") + QStringLiteral("/tests/app/tv_instance_helper");
}

// One copy of the program, started with the address of its page in front.
class Copy
{
public:
    explicit Copy(const QString &front)
    {
        m_process.setProgram(helperPath());
        m_process.setArguments({front.isEmpty() ? QStringLiteral("-") : front, QStringLiteral("1000")});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    ~Copy() { stop(); }
    void start() { m_process.start(); }
    bool waitStarted() { return m_process.waitForStarted(5000); }
    QString output()
    {
        m_seen += QString::fromLocal8Bit(m_process.readAllStandardOutput());
        return m_seen;
    }
    bool isFirst() { return output().startsWith(u"first"); }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    int exitCode() const { return m_process.exitCode(); }
    void kill()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    void stop()
    {
        if (!running())
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            kill();
    }

private:
    QProcess m_process;
    QString m_seen;
};

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void wireForm_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("address");
        for (const QString &a : {QString(), QStringLiteral("http://127.0.0.1/a.html?x=1"),
                                 QStringLiteral("http://\u00fcber.example/\u65e5\u672c\U0001F600")}) {
            const QByteArray bytes = SingleInstance::encode(a);
            QTest::addRow("round-trip-%d-chars", int(a.size())) << bytes << true << a;
            if (!a.isEmpty())
                QTest::addRow("incomplete-%d-chars", int(a.size())) << bytes.left(bytes.size() - 1) << false << QString();
        }
        QTest::newRow("short-header") << QByteArray("\x02\x00", 2) << false << QString();
        QTest::newRow("odd-length") << QByteArray("\x03\x00\x00\x00" "abc", 7) << false << QString();
        QTest::newRow("negative-length") << QByteArray("\xff\xff\xff\xff", 4) << false << QString();
        QByteArray huge(4, 0);
        const qint32 big = (SingleInstance::MaxAddressChars + 1) * 2;
        memcpy(huge.data(), &big, 4);
        QTest::newRow("oversized") << huge << false << QString();
    }
    void wireForm()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(QString, address);
        QString decoded;
        qsizetype consumed = 0;
        QCOMPARE(SingleInstance::decode(bytes, &decoded, &consumed), ok);
        if (ok) {
            QCOMPARE(bytes.size(), 4 + 2 * address.size());
            QCOMPARE(decoded, address);
            QCOMPARE(consumed, bytes.size());
        }
    }

    void serverIgnoresBadPeersAndKeepsServing()
    {
        SingleInstance first(QStringLiteral("tallyvane-unit"));
        QVERIFY(first.tryBecomeFirst());
        SingleInstance other(QStringLiteral("tallyvane-unit"));
        QVERIFY(!other.tryBecomeFirst());
        QSignalSpy handed(&first, &SingleInstance::handedOver);

        QLocalSocket bad;
        bad.connectToServer(first.socketPath());
        QVERIFY(bad.waitForConnected(2000));
        bad.write(QByteArray("\x00\x00\x00\x7f", 4));  // far too long
        bad.flush();
        QTRY_COMPARE(bad.state(), QLocalSocket::UnconnectedState);

        QLocalSocket good;
        good.connectToServer(first.socketPath());
        QVERIFY(good.waitForConnected(2000));
        good.write(SingleInstance::encode(QStringLiteral("http://127.0.0.1/ok")));
        QTRY_COMPARE(handed.size(), 1);
        QCOMPARE(handed.first().first().toString(), QStringLiteral("http://127.0.0.1/ok"));
        QTRY_VERIFY(good.bytesAvailable() > 0 || good.state() == QLocalSocket::UnconnectedState);
        QCOMPARE(good.read(1), QByteArray(1, '\x01'));
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
            c->start();
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

    void copyThatDiedLeavesNoLock()
    {
        Copy crashed(QStringLiteral("http://127.0.0.1/x.html"));
        crashed.start();
        QVERIFY(crashed.waitStarted());
        QTRY_VERIFY_WITH_TIMEOUT(crashed.isFirst(), 10000);
        crashed.kill();

        Copy next(QStringLiteral("http://127.0.0.1/y.html"));
        next.start();
        QVERIFY(next.waitStarted());
        QTRY_VERIFY_WITH_TIMEOUT(next.isFirst(), 10000);

        // The new first copy takes hand-overs as the old one did.
        Copy second(QStringLiteral("http://127.0.0.1/z.html"));
        second.start();
        QVERIFY(second.waitStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!second.running(), 10000);
        QTRY_VERIFY(next.output().contains(u"got http://127.0.0.1/z.html\n"));
        next.stop();
    }
};

TV_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
