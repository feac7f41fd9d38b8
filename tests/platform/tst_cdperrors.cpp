// The navigation status codes given for the browser's network errors.
#include "platform/cdperrors.h"
#include "support/testenv.h"

class TestCdpErrors : public QObject
{
    Q_OBJECT

private slots:
    void codes_data()
    {
        QTest::addColumn<QString>("errorText");
        QTest::addColumn<bool>("download");
        QTest::addColumn<bool>("redirected");
        QTest::addColumn<qint64>("code"); // -1: nothing is reported
        QTest::newRow("refused") << "net::ERR_CONNECTION_REFUSED" << false << false << qint64(0x800C0004);
        QTest::newRow("without-net-prefix") << "ERR_CONNECTION_REFUSED" << false << false << qint64(0x800C0004);
        QTest::newRow("invalid-url") << "net::ERR_INVALID_URL" << false << false << qint64(0x800C0002);
        QTest::newRow("name-not-resolved") << "net::ERR_NAME_NOT_RESOLVED" << false << false << qint64(0x800C0005);
        QTest::newRow("empty-response") << "net::ERR_EMPTY_RESPONSE" << false << false << qint64(0x800C0007);
        QTest::newRow("proxy-auth-prefix") << "net::ERR_PROXY_AUTH_UNSUPPORTED" << false << false << qint64(0x800C0009);
        QTest::newRow("credentials-without-status") << "net::ERR_INVALID_AUTH_CREDENTIALS" << false << false << qint64(0x800C0009);
        QTest::newRow("timed-out") << "net::ERR_TIMED_OUT" << false << false << qint64(0x800C000B);
        QTest::newRow("unknown-scheme") << "net::ERR_UNKNOWN_URL_SCHEME" << false << false << qint64(0x800C000D);
        QTest::newRow("ssl-prefix") << "net::ERR_SSL_PROTOCOL_ERROR" << false << false << qint64(0x800C000E);
        QTest::newRow("blocked-prefix") << "net::ERR_BLOCKED_BY_CLIENT" << false << false << qint64(0x800C000E);
        QTest::newRow("unsafe-port") << "net::ERR_UNSAFE_PORT" << false << false << qint64(0x800C000E);
        QTest::newRow("redirect-loop") << "net::ERR_TOO_MANY_REDIRECTS" << false << false << qint64(0x800C0014);
        // An abort is the program's own Stop or a newer navigation, unless...
        QTest::newRow("abort-reports-nothing") << "net::ERR_ABORTED" << false << false << qint64(-1);
        QTest::newRow("abort-of-a-download") << "net::ERR_ABORTED" << true << false << qint64(0x800C0008);
        QTest::newRow("abort-after-redirect") << "net::ERR_ABORTED" << false << true << qint64(0x800C0014);
        QTest::newRow("unknown-error-is-generic") << "net::ERR_SOMETHING_NEW" << false << false << qint64(0x800C0008);
        // A prefix rule must not swallow a longer name of another rule.
        QTest::newRow("ssl-exact-not-prefix-of-other") << "net::ERR_SSL_VERSION_OR_CIPHER_MISMATCH" << false << false
                                                       << qint64(0x800C000E);
    }
    void codes()
    {
        QFETCH(QString, errorText);
        QFETCH(bool, download);
        QFETCH(bool, redirected);
        QFETCH(qint64, code);
        const std::optional<qint32> got = tv::cdp::navigationErrorCode(errorText, download, redirected);
        if (code < 0) {
            QVERIFY(!got);
        } else {
            QVERIFY(got);
            QCOMPARE(quint32(*got), quint32(code));
        }
    }

    void navigableSchemes_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("navigable");
        QTest::newRow("https-upper-case") << "HTTPS://h.test/" << true;
        QTest::newRow("file") << "file:///tmp/x.html" << true;
        QTest::newRow("about") << "about:blank" << true;
        QTest::newRow("handed-to-other-programs") << "mailto:x@h.test" << false;
        QTest::newRow("made-up") << "foo://bar" << false;
        QTest::newRow("no-scheme") << "h.test/x" << false;
    }
    void navigableSchemes()
    {
        QFETCH(QString, url);
        QFETCH(bool, navigable);
        QCOMPARE(tv::cdp::isNavigableScheme(url), navigable);
    }
};

TV_TEST_MAIN(TestCdpErrors)
#include "tst_cdperrors.moc"
