// The link rule, the link list file reader, its decoding and the clipboard
// line splitter.
#include "builders/linkfilereader.h"
#include "builders/linktext.h"
#include "support/testenv.h"


class TestLinkFileReader : public QObject
{
    Q_OBJECT
private slots:
    void isLinkText_data();
    void isLinkText();
    void readerItems_data();
    void readerItems();
    void scanStopsAtBadItem_data();
    void scanStopsAtBadItem();
    void decoding_data();
    void decoding();
    void clipboardLines_data();
    void clipboardLines();
};

void TestLinkFileReader::isLinkText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("link");
    QTest::newRow("http") << "http://a.example/" << true;
    QTest::newRow("upper-case-HTTP") << "HTTP://A" << true;
    QTest::newRow("mixed-case-Ftp") << "Ftp://files" << true;
    QTest::newRow("no-separator-needed") << "httpx" << true;
    QTest::newRow("ftp-alone") << "ftp" << true;
    QTest::newRow("htt-too-short") << "htt" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leading-blank") << " http://a" << false;
    QTest::newRow("host-name") << "www.example.com" << false;
    QTest::newRow("other-scheme") << "mailto:a@b" << false;
    QTest::newRow("fullwidth-letters-are-not-ascii") << QString::fromUtf16(u"\uFF48ttp://a") << false;
}

void TestLinkFileReader::isLinkText()
{
    QFETCH(QString, text);
    QFETCH(bool, link);
    QCOMPARE(tv::IsLinkText(text), link);
}

void TestLinkFileReader::readerItems_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("crlf-lines") << "http://a\r\nhttp://b\r\n" << QStringList{"http://a", "http://b"};
    QTest::newRow("last-item-without-line-end") << "http://a\r\nhttp://b" << QStringList{"http://a", "http://b"};
    QTest::newRow("lf-lines") << "http://a\nhttp://b\n" << QStringList{"http://a", "http://b"};
    // A lone CR ends an item too: a URL never holds a raw line break.
    QTest::newRow("lone-cr-lines") << "http://a\rhttp://b" << QStringList{"http://a", "http://b"};
    QTest::newRow("comma-splits") << "http://a,word\r\n" << QStringList{"http://a", "word"};
    QTest::newRow("leading-blanks-skipped") << "   \thttp://a\r\n" << QStringList{"http://a"};
    QTest::newRow("trailing-blanks-kept") << "http://a  \r\n" << QStringList{"http://a  "};
    QTest::newRow("quoted-comma-kept") << "\"http://a/x,y\"\r\n" << QStringList{"http://a/x,y"};
    QTest::newRow("blanks-before-quote") << "  \"http://a,b\",http://c" << QStringList{"http://a,b", "http://c"};
    QTest::newRow("text-after-closing-quote-dropped") << "\"http://a\"junk,http://b" << QStringList{"http://a", "http://b"};
    QTest::newRow("unclosed-quote-ends-at-line")
        << "\"http://a,b\r\nhttp://c" << QStringList{"http://a,b", "http://c"};
    QTest::newRow("empty-lines-give-empty-items") << "\r\n\r\nhttp://a" << QStringList{"", "", "http://a"};
    QTest::newRow("nothing-between-commas") << "http://a,,http://b" << QStringList{"http://a", "", "http://b"};
    QTest::newRow("blank-line-is-empty-item") << "   \r\nhttp://a" << QStringList{"", "http://a"};
    QTest::newRow("empty-text") << "" << QStringList{};
    QTest::newRow("only-blanks") << "   " << QStringList{""};
}

void TestLinkFileReader::readerItems()
{
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    tv::LinkFileReader reader(text);
    QStringList got;
    while (!reader.atEnd()) {
        got.append(reader.next());
        QVERIFY2(got.size() <= items.size() + 1, "reader does not advance");
    }
    QCOMPARE(got, items);
}

void TestLinkFileReader::scanStopsAtBadItem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<bool>("bad");
    QTest::addColumn<QString>("badText");
    QTest::newRow("link-then-link-comma-word")
        << "http://a\r\nhttp://b,word\r\n" << QStringList{"http://a", "http://b"} << true << "word";
    QTest::newRow("bad-first-item") << "hello\r\nhttp://a" << QStringList{} << true << "hello";
    QTest::newRow("empty-items-skipped-silently")
        << "\r\n,,http://a\r\n\r\n ftp://b" << QStringList{"http://a", "ftp://b"} << false << "";
    QTest::newRow("empty-file") << "" << QStringList{} << false << "";
    QTest::newRow("only-blank-lines") << "\r\n  \r\n\n" << QStringList{} << false << "";
    QTest::newRow("duplicates-kept") << "http://a\nhttp://a" << QStringList{"http://a", "http://a"} << false << "";
}

void TestLinkFileReader::scanStopsAtBadItem()
{
    QFETCH(QString, text);
    QFETCH(QStringList, links);
    QFETCH(bool, bad);
    QFETCH(QString, badText);
    const tv::LinkFileScan scan = tv::scanLinkFile(text);
    QCOMPARE(scan.links, links);
    QCOMPARE(scan.badItem, bad);
    QCOMPARE(scan.badText, badText);
}

void TestLinkFileReader::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fallback");
    QTest::newRow("ascii") << QByteArray("http://a\r\n") << "http://a\r\n" << false;
    QTest::newRow("utf8") << QByteArray("http://a/\xc3\xa9t\xc3\xa9") << QString::fromUtf8("http://a/\u00e9t\u00e9") << false;
    QTest::newRow("utf8-bom-dropped") << QByteArray("\xef\xbb\xbfhttp://a") << "http://a" << false;
    // One stray byte makes the whole file Latin-1: every byte stays a character.
    QTest::newRow("invalid-utf8-whole-file-latin1")
        << QByteArray("http://a/\xc3\xa9\r\nhttp://b/\xe9t\xe9") << QString::fromUtf8("http://a/\u00c3\u00a9\r\nhttp://b/\u00e9t\u00e9")
        << true;
    QTest::newRow("truncated-sequence-at-end") << QByteArray("http://a\xc3") << QString::fromUtf8("http://a\u00c3") << true;
}

void TestLinkFileReader::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, fallback);
    const tv::DecodedText decoded = tv::decodeListText(bytes);
    QCOMPARE(decoded.text, text);
    QCOMPARE(decoded.latin1Fallback, fallback);
    QVERIFY(!decoded.text.contains(QChar::ReplacementCharacter));
}

void TestLinkFileReader::clipboardLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("final-crlf-no-extra-line") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("lf-only") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("lone-cr-stays") << "a\rb\r\nc" << QStringList{"a\rb", "c"};
    QTest::newRow("cr-before-crlf-stays") << "a\r\r\nb" << QStringList{"a\r", "b"};
    QTest::newRow("empty-lines") << "\r\n\r\na" << QStringList{"", "", "a"};
    QTest::newRow("no-line-end") << "a" << QStringList{"a"};
}

void TestLinkFileReader::clipboardLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(tv::splitClipboardLines(text), lines);
}

TV_TEST_MAIN(TestLinkFileReader)
#include "tst_linkfilereader.moc"
