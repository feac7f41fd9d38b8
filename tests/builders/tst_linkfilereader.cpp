// The link rule, the link list file reader, its decoding and the clipboard
// line splitter.
#include "builders/linkfilereader.h"
#include "builders/linktext.h"
#include "support/testenv.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

tv::LinkFileScan scanBytes(QByteArray bytes, const tv::LinkFileScanHooks &hooks = {})
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return tv::scanLinkFile(buffer, hooks);
}

tv::LinkFileScan scanText(const QString &text)
{
    return scanBytes(text.toUtf8());
}

} // namespace

class TestLinkFileReader : public QObject
{
    Q_OBJECT
private slots:
    void isLinkText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("link");
        QTest::newRow("http") << "http://a.example/" << true;
        QTest::newRow("upper-case-HTTP") << "HTTP://A" << true;
        QTest::newRow("no-separator-needed") << "httpx" << true;
        QTest::newRow("htt-too-short") << "htt" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("leading-blank") << " http://a" << false;
    }
    void isLinkText()
    {
        QFETCH(QString, text);
        QFETCH(bool, link);
        QCOMPARE(tv::IsLinkText(text), link);
    }

    void readerItems_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("crlf-lines") << "http://a\r\nhttp://b\r\n" << QStringList{"http://a", "http://b"};
        // A lone CR ends an item too: a URL never holds a raw line break.
        QTest::newRow("lone-cr-lines") << "http://a\rhttp://b" << QStringList{"http://a", "http://b"};
        QTest::newRow("comma-splits") << "http://a,word\r\n" << QStringList{"http://a", "word"};
        QTest::newRow("leading-blanks-skipped") << "   \thttp://a\r\n" << QStringList{"http://a"};
        QTest::newRow("trailing-blanks-kept") << "http://a  \r\n" << QStringList{"http://a  "};
        QTest::newRow("quoted-comma-kept") << "\"http://a/x,y\"\r\n" << QStringList{"http://a/x,y"};
        QTest::newRow("text-after-closing-quote-dropped") << "\"http://a\"junk,http://b" << QStringList{"http://a", "http://b"};
        QTest::newRow("unclosed-quote-ends-at-line")
            << "\"http://a,b\r\nhttp://c" << QStringList{"http://a,b", "http://c"};
        QTest::newRow("empty-lines-give-empty-items") << "\r\n\r\nhttp://a" << QStringList{"", "", "http://a"};
        QTest::newRow("nothing-between-commas") << "http://a,,http://b" << QStringList{"http://a", "", "http://b"};
        QTest::newRow("only-blanks") << "   " << QStringList{""};
    }
    void readerItems()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QByteArray bytes = text.toUtf8();
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        tv::LinkFileReader reader(buffer);
        QStringList got;
        QByteArray item;
        while (reader.next(item) == tv::LinkFileReader::Result::Item) {
            got.append(QString::fromUtf8(item));
            QVERIFY2(got.size() <= items.size() + 1, "reader does not advance");
        }
        QCOMPARE(got, items);
    }

    void scanStopsAtBadItem_data()
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
        // A link of the longest length allowed is read; one byte more is refused
        // unread, and nothing after it is read.
        const QString longest = "http://a/" + QString(tv::LinkFileReader::MaxItemLength - 9, u'x');
        QTest::newRow("longest-item") << longest + "\r\nhttp://b" << QStringList{longest, "http://b"} << false << "";
        QTest::newRow("item-over-the-bound") << longest + "xy\r\nhttp://b" << QStringList{} << true << longest + 'x';
    }
    void scanStopsAtBadItem()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, links);
        QFETCH(bool, bad);
        QFETCH(QString, badText);
        const tv::LinkFileScan scan = scanText(text);
        QCOMPARE(scan.links, links);
        QCOMPARE(scan.badItem, bad);
        QCOMPARE(scan.badText, badText);
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<bool>("fallback");
        QTest::newRow("utf8") << QByteArray("http://a/\xc3\xa9t\xc3\xa9") << QStringList{QString::fromUtf8("http://a/\u00e9t\u00e9")} << false;
        QTest::newRow("utf8-bom-dropped") << QByteArray("\xef\xbb\xbfhttp://a") << QStringList{"http://a"} << false;
        // One stray byte makes the file Latin-1, links read before it included:
        // every byte stays a character.
        QTest::newRow("invalid-utf8-makes-file-latin1")
            << QByteArray("http://a/\xc3\xa9\r\nhttp://b/\xe9t\xe9")
            << QStringList{QString::fromUtf8("http://a/\u00c3\u00a9"), QString::fromUtf8("http://b/\u00e9t\u00e9")} << true;
        QTest::newRow("truncated-sequence-at-end") << QByteArray("http://a\xc3") << QStringList{QString::fromUtf8("http://a\u00c3")} << true;
    }
    void decoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, links);
        QFETCH(bool, fallback);
        const tv::LinkFileScan scan = scanBytes(bytes);
        QCOMPARE(scan.links, links);
        QCOMPARE(scan.latin1Fallback, fallback);
    }

    void itemsAcrossPieces()
    {
        // Items, a quote and a CR LF cut by the reader's 64 KiB pieces.
        QByteArray bytes;
        QStringList links;
        for (int i = 0; bytes.size() < 300 * 1024; ++i) {
            const QByteArray link = "http://example.com/" + QByteArray(i % 97, 'x') + QByteArray::number(i);
            bytes += (i % 3 == 0 ? '"' + link + "\",\r\n" : link + "\r\n");
            links << QString::fromLatin1(link);
        }
        const tv::LinkFileScan scan = scanBytes(bytes);
        QCOMPARE(scan.links, links);
        QVERIFY(!scan.badItem);
    }

    void roomAndLeftOut()
    {
        // Asked once, at the first link: room for two; the rest are counted.
        int asked = 0;
        tv::LinkFileScanHooks hooks;
        hooks.firstLink = [&] { return ++asked, qsizetype(2); };
        const tv::LinkFileScan scan = scanBytes("\r\nhttp://1\r\nhttp://2\r\nhttp://3\r\nhttp://4\r\nbad", hooks);
        QCOMPARE(asked, 1);
        QCOMPARE(scan.links, (QStringList{"http://1", "http://2"}));
        QCOMPARE(scan.leftOut, 2);
    }

    void onlyRegularFilesOpen()
    {
        // The list file's own check, after the dialog's: a FIFO neither opens nor blocks.
        QTemporaryDir dir;
        QFile fifo(dir.filePath("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo.fileName()).constData(), 0600), 0);
        QString why;
        QVERIFY(!tv::openRegularFile(fifo, &why));
        QCOMPARE(why, QStringLiteral("it is not a regular file"));
    }

    void clipboardLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("final-crlf-no-extra-line") << "a\r\nb\r\n" << QStringList{"a", "b"};
        QTest::newRow("lf-only") << "a\nb\n" << QStringList{"a", "b"};
        QTest::newRow("lone-cr-stays") << "a\rb\r\nc" << QStringList{"a\rb", "c"};
        QTest::newRow("empty-lines") << "\r\n\r\na" << QStringList{"", "", "a"};
    }
    void clipboardLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(tv::splitClipboardLines(text), lines);
    }
};

TV_TEST_MAIN(TestLinkFileReader)
#include "tst_linkfilereader.moc"
