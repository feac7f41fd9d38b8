// "Export list...": the three formats, written through the safe writer.
#include "saving/listformats.h"
#include "support/testenv.h"

#include <QTemporaryDir>

Q_DECLARE_METATYPE(tv::ListFormat)

class TestListFormats : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void formats_data()
    {
        QTest::addColumn<tv::ListFormat>("format");
        QTest::addColumn<int>("links");
        QTest::addColumn<QByteArray>("expected");   // whole file, or for the long list its last line
        QTest::addColumn<int>("lines");

        QTest::newRow("aria2") << tv::ListFormat::Aria2Input << 0
                               << QByteArray("http://a.example/x,y.jpg\n  out=x,y.jpg\n  referer=http://a.example/page\n"
                                             "http://b.example/\xc3\xbc.txt\n  out=\xc3\xbc.txt\n"
                                             "http://c.example/dir/%09x/\n  out=index.html\n")
                               << 7;
        // RFC 4180: quoted when holding a comma or a quote, quotes doubled, CR LF.
        QTest::newRow("csv") << tv::ListFormat::Csv << 0
                             << QByteArray("url,text\r\n"
                                           "\"http://a.example/x,y.jpg\",\"Caf\xc3\xa9, \"\"best\"\"\"\r\n"
                                           "http://b.example/\xc3\xbc.txt,\r\n"
                                           "http://c.example/dir/\tx/,'=cmd <b>\r\n")
                             << 4;
        QTest::newRow("html") << tv::ListFormat::Html << 0
                              << QByteArray("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Links</title>"
                                            "</head>\n<body>\n<ol>\n"
                                            "<li><a href=\"http://a.example/x,y.jpg\">Caf\xc3\xa9, &quot;best&quot;</a></li>\n"
                                            "<li><a href=\"http://b.example/\xc3\xbc.txt\">http://b.example/\xc3\xbc.txt</a></li>\n"
                                            "<li><a href=\"http://c.example/dir/\tx/\">=cmd &lt;b&gt;</a></li>\n"
                                            "</ol>\n</body></html>\n")
                              << 9;
        // The fullest list the program holds.
        QTest::newRow("aria2-32767") << tv::ListFormat::Aria2Input << 32767 << QByteArray("  out=32766.bin")
                                     << 2 * 32767;
        QTest::newRow("csv-32767") << tv::ListFormat::Csv << 32767 << QByteArray("http://n.example/32766.bin,\r")
                                   << 32768;
        QTest::newRow("html-32767") << tv::ListFormat::Html << 32767 << QByteArray("</ol>") << 32767 + 6;
    }
    void formats()
    {
        QFETCH(tv::ListFormat, format);
        QFETCH(int, links);
        QFETCH(QByteArray, expected);
        QFETCH(int, lines);
        QList<tv::ListEntry> entries;
        if (links == 0) {
            entries = {{"http://a.example/x,y.jpg", QString::fromUtf8("Caf\u00e9, \"best\""), "http://a.example/page"},
                       {QString::fromUtf8("http://b.example/\u00fc.txt"), {}, {}},
                       // A tab would split an aria2 line into mirrors; a formula must stay text.
                       {"http://c.example/dir/\tx/", "=cmd <b>", {}}};
        }
        for (int i = 0; i < links; ++i)
            entries.append({QStringLiteral("http://n.example/%1.bin").arg(i), {}, {}});

        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        const tv::ListExportResult result = tv::ExportList(path, format, entries);
        QVERIFY2(result.ok, qPrintable(result.errorText));
        const QByteArray written = tvtest::readFile(path);
        QCOMPARE(written.count('\n'), lines);
        if (links == 0)
            QCOMPARE(written, expected);
        else
            QVERIFY(written.split('\n').at(format == tv::ListFormat::Html ? lines - 2 : lines - 1).startsWith(expected));
    }
};

TV_TEST_MAIN(TestListFormats)
#include "tst_listformats.moc"
