// The link rule, the link list file scan, its decoding and the clipboard
// scan.
#include "builders/linkfilereader.h"
#include "builders/linktext.h"
#include "support/testenv.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>

#include <sys/stat.h>

namespace {

tv::LinkFileScan scanBytes(QByteArray bytes, const tv::LinkFileScanHooks &hooks = {})
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return tv::scanLinkFile(buffer, hooks);
}

// Hands out `first` bytes at the first read, then the rest.
class Trickle : public QIODevice
{
public:
    Trickle(const QByteArray &bytes, qint64 first) : m_bytes(bytes), m_first(first) { open(ReadOnly | Unbuffered); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        const qint64 n = std::min({max, m_bytes.size() - m_pos, m_pos == 0 ? m_first : max});
        std::memcpy(data, m_bytes.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_first;
    qint64 m_pos = 0;
};

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

    void scan_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QString>("badText"); // the item the scan stopped at
        QTest::newRow("crlf-lines") << "http://a\r\nhttp://b\r\n" << QStringList{"http://a", "http://b"} << "";
        // A lone CR ends an item too: a URL never holds a raw line break.
        QTest::newRow("lone-cr-lines") << "http://a\rhttp://b" << QStringList{"http://a", "http://b"} << "";
        QTest::newRow("leading-blanks-skipped") << "   \thttp://a\r\n" << QStringList{"http://a"} << "";
        QTest::newRow("trailing-blanks-kept") << "http://a  \r\n" << QStringList{"http://a  "} << "";
        QTest::newRow("quoted-comma-kept") << "\"http://a/x,y\"\r\n" << QStringList{"http://a/x,y"} << "";
        QTest::newRow("text-after-closing-quote-dropped")
            << "\"http://a\"junk,http://b" << QStringList{"http://a", "http://b"} << "";
        QTest::newRow("unclosed-quote-ends-at-line")
            << "\"http://a,b\r\nhttp://c" << QStringList{"http://a,b", "http://c"} << "";
        QTest::newRow("link-then-link-comma-word") << "http://a\r\nhttp://b,word\r\n" << QStringList{"http://a", "http://b"} << "word";
        QTest::newRow("bad-first-item") << "hello\r\nhttp://a" << QStringList{} << "hello";
        QTest::newRow("empty-items-skipped-silently")
            << "\r\n,,http://a\r\n\r\n ftp://b\r\n   " << QStringList{"http://a", "ftp://b"} << "";
        QTest::newRow("empty-file") << "" << QStringList{} << "";
        // A link of the longest length allowed is read; one byte more is refused
        // unread, and nothing after it is read.
        const QString longest = "http://a/" + QString(tv::LinkFileReader::MaxItemLength - 9, u'x');
        QTest::newRow("longest-item") << longest + "\r\nhttp://b" << QStringList{longest, "http://b"} << "";
        QTest::newRow("item-over-the-bound") << longest + "xy\r\nhttp://b" << QStringList{} << longest + 'x';
    }
    void scan()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, links);
        QFETCH(QString, badText);
        const tv::LinkFileScan scan = scanText(text);
        QCOMPARE(scan.links, links);
        QCOMPARE(scan.badItem, !badText.isEmpty());
        QCOMPARE(scan.badText, badText);
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<bool>("fallback");
        QTest::newRow("utf8") << QByteArray("http://a/\xc3\xa9t\xc3\xa9") << QStringList{QString::fromUtf8("http://a/\u00e9t\u00e9")} << false;
        QTest::newRow("utf8-bom-dropped") << QByteArray("\xef\xbb\xbfhttp://a") << QStringList{"http://a"} << false;
        // Each item decides for itself: a stray byte makes its own item
        // Latin-1, not its neighbours before or after.
        QTest::newRow("invalid-utf8-makes-its-item-latin1")
            << QByteArray("http://a/caf\xc3\xa9\r\nhttp://b/\xe9t\xe9,http://c/\xc3\xa9")
            << QStringList{QString::fromUtf8("http://a/caf\u00e9"), QString::fromUtf8("http://b/\u00e9t\u00e9"),
                           QString::fromUtf8("http://c/\u00e9")}
            << true;
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

    void bomSplitAcrossReads()
    {
        // However the first bytes arrive, the mark is not part of the first item.
        for (const int first : {1, 2, 3, 4}) {
            Trickle device("\xef\xbb\xbfhttp://a\r\nhttp://b", first);
            const tv::LinkFileScan scan = tv::scanLinkFile(device);
            QCOMPARE(scan.links, (QStringList{"http://a", "http://b"}));
        }
        // Bytes that only begin like a mark are kept.
        Trickle device("\xef\xbbhttp://a", 1);
        QCOMPARE(tv::scanLinkFile(device).badText, QString::fromLatin1("\xef\xbbhttp://a"));
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

    void clipboard_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("links");
        QTest::newRow("crlf-final-line-end") << "http://a\r\nno\r\n\r\nFTP://b\r\n" << QStringList{"http://a", "FTP://b"};
        QTest::newRow("lf-lines") << "http://a\nhttp://b\n" << QStringList{"http://a", "http://b"};
        QTest::newRow("lone-cr-lines") << "http://a\rhttp://b\rhttp://c" << QStringList{"http://a", "http://b", "http://c"};
        QTest::newRow("mixed-ends-and-empty-lines") << "\r\n\rhttp://a\n\r\nhttp://b" << QStringList{"http://a", "http://b"};
        // Unlike a file: not trimmed, not cut at commas, and a line that is
        // no link is passed over.
        QTest::newRow("blanks-and-commas-stay") << " http://a\r\nhttp://b,c " << QStringList{"http://b,c "};
        const QString longest = "http://a/" + QString(tv::LinkFileReader::MaxItemLength - 9, u'x');
        QTest::newRow("longest-line") << longest << QStringList{longest};
        QTest::newRow("line-over-the-bound-skipped") << longest + "x\nhttp://b" << QStringList{"http://b"};
        // The bound counts the bytes a file would hold.
        QTest::newRow("bound-in-utf8-bytes") << longest.chopped(1) + u'\u00e9' + "\rhttp://b" << QStringList{"http://b"};
    }
    void clipboard()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, links);
        QCOMPARE(tv::scanClipboardText(text).links, links);
    }

    void clipboardRoom()
    {
        // As for a file: asked once at the first link, the rest counted.
        int asked = 0;
        tv::LinkFileScanHooks hooks;
        hooks.firstLink = [&] { return ++asked, qsizetype(2); };
        const tv::LinkFileScan scan = tv::scanClipboardText(u"no\rhttp://1\rhttp://2\rhttp://3\rhttp://4", hooks);
        QCOMPARE(asked, 1);
        QCOMPARE(scan.links, (QStringList{"http://1", "http://2"}));
        QCOMPARE(scan.leftOut, 2);
    }
};

TV_TEST_MAIN(TestLinkFileReader)
#include "tst_linkfilereader.moc"
