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

    // A few listed codes of each kind; the trailing blanks are part of the texts.
    QTest::newRow("listed-moniker-first") << qint32(0x800C0002u) << QStringLiteral("URL string is not valid.");
    QTest::newRow("listed-moniker-refused") << qint32(0x800C0004u) << QStringLiteral("Unable to connect to server.");
    QTest::newRow("listed-moniker-with-blank") << qint32(0x800C000Fu) << QStringLiteral("Unable to load data from the server. ");
    QTest::newRow("listed-moniker-last") << qint32(0x800C0300u)
                                         << QStringLiteral("Cannot replace a protected System File Protection (SFP) file.");
    QTest::newRow("listed-http-404") << 404 << QStringLiteral("Object not found. ");
    QTest::newRow("listed-http-449") << 449 << QStringLiteral("Retry after doing the appropriate action. ");
    QTest::newRow("listed-http-505") << 505 << QStringLiteral("HTTP version not supported. ");

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
