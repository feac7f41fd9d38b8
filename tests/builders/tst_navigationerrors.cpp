#include "builders/navigationerrors.h"
#include "support/testenv.h"

class TestNavigationErrors : public QObject
{
    Q_OBJECT
private slots:
    void text_data();
    void text();
};

void TestNavigationErrors::text_data()
{
    QTest::addColumn<qint32>("code");
    QTest::addColumn<QString>("text");

    const struct { quint32 code; const char *text; } table[] = {
        {0x800C0002, "URL string is not valid."},
        {0x800C0003, "No session found."},
        {0x800C0004, "Unable to connect to server."},
        {0x800C0005, "Requested resource is not found."},
        {0x800C0006, "Requested object is not found."},
        {0x800C0007, "Requested data is not available."},
        {0x800C0008, "Failure occurred during download."},
        {0x800C0009, "Requested navigation requires authentication."},
        {0x800C000A, "Required media not available or valid."},
        {0x800C000B, "Connection timed out."},
        {0x800C000C, "Request is invalid."},
        {0x800C000D, "Protocol is not recognized."},
        {0x800C000E, "Navigation request has encountered a security issue."},
        {0x800C000F, "Unable to load data from the server. "},
        {0x800C0010, "Unable to create an instance of the object."},
        {0x800C0014, "Attempt to redirect the navigation failed."},
        {0x800C0015, "Navigation redirected to a directory."},
        {0x800C0016, "Unable to lock request with the server."},
        {0x800C0017, "Reissue request with extended binding."},
        {0x800C0018, "Binding is terminated."},
        {0x800C0100, "Permission to download is declined."},
        {0x800C0200, "Result is dispatched."},
        {0x800C0300, "Cannot replace a protected System File Protection (SFP) file."},
        {400, "Invalid syntax. "},
        {401, "Access denied. "},
        {402, "Payment required. "},
        {403, "Request forbidden. "},
        {404, "Object not found. "},
        {405, "Method is not allowed. "},
        {406, "No response acceptable to client found. "},
        {407, "Proxy authentication required. "},
        {408, "Server timed out waiting for request. "},
        {409, "User should resubmit with more info. "},
        {410, "Resource is no longer available. "},
        {411, "Server refused to accept request without a length. "},
        {412, "Precondition given in request failed. "},
        {413, "Request entity was too large. "},
        {414, "Request Uniform Resource Identifier (URI) too long. "},
        {415, "Unsupported media type. "},
        {449, "Retry after doing the appropriate action. "},
        {500, "Internal server error. "},
        {501, "Server does not support the functionality required to fulfill the request. "},
        {502, "Error response received from gateway. "},
        {503, "Temporarily overloaded. "},
        {504, "Timed out waiting for gateway. "},
        {505, "HTTP version not supported. "},
    };
    for (const auto &row : table)
        QTest::addRow("listed-0x%X", row.code) << qint32(row.code) << QString::fromLatin1(row.text);

    // Codes next to listed ones, and the whole range of signs, fall back to decimal.
    QTest::newRow("unlisted-http-418") << 418 << QStringLiteral("418");
    QTest::newRow("unlisted-http-506") << 506 << QStringLiteral("506");
    QTest::newRow("unlisted-moniker-gap-0x800C0011") << qint32(0x800C0011u) << QStringLiteral("-2146697199");
    QTest::newRow("unlisted-moniker-0x800C0001") << qint32(0x800C0001u) << QStringLiteral("-2146697215");
    QTest::newRow("unlisted-zero") << 0 << QStringLiteral("0");
    QTest::newRow("unlisted-negative-one") << -1 << QStringLiteral("-1");
    QTest::newRow("unlisted-int-min") << std::numeric_limits<qint32>::min() << QStringLiteral("-2147483648");
}

void TestNavigationErrors::text()
{
    QFETCH(qint32, code);
    QFETCH(QString, text);
    QCOMPARE(tv::navigationErrorText(code), text);
}

TV_TEST_MAIN(TestNavigationErrors)
#include "tst_navigationerrors.moc"
