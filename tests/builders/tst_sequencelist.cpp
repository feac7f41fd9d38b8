// The sequence rules without the dialog: number parsing, the checks and the
// run of links.
#include "builders/sequencelist.h"
#include "support/testenv.h"

using tv::SequenceList;

class TestSequenceList : public QObject
{
    Q_OBJECT

private:
    static SequenceList run(const QString &url, int selStart, int selLength, const QString &start, const QString &end)
    {
        SequenceList s;
        s.url = url;
        s.selStart = selStart;
        s.selLength = selLength;
        s.startText = start;
        s.endText = end;
        return s;
    }

private slots:
    void parseNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint32>("value");
        QTest::newRow("leading-zeros") << "008" << true << 8;
        QTest::newRow("all-zeros") << "000" << true << 0;
        QTest::newRow("largest") << "2147483647" << true << 2147483647;
        QTest::newRow("largest-with-zeros") << "0002147483647" << true << 2147483647;
        QTest::newRow("one-above-largest") << "2147483648" << false << 0;
        QTest::newRow("far-too-large") << "99999999999999999999999" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("pasted-letters") << "12a" << false << 0;
        QTest::newRow("blank-before") << " 12" << false << 0;
        QTest::newRow("sign") << "+5" << false << 0;
        QTest::newRow("negative") << "-5" << false << 0;
        QTest::newRow("other-digits") << QString::fromUtf8("\u0661\u0662") << false << 0;
    }
    void parseNumber()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(qint32, value);
        const auto parsed = SequenceList::ParseNumber(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }

    void links_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QStringList>("expected");
        const QString pic = QStringLiteral("http://server/photos/pic007.jpg");
        QTest::newRow("worked-example-padded") << pic << 24 << 3 << "008" << "012"
            << QStringList{"http://server/photos/pic008.jpg", "http://server/photos/pic009.jpg",
                           "http://server/photos/pic010.jpg", "http://server/photos/pic011.jpg",
                           "http://server/photos/pic012.jpg"};
        // The pattern comes from the Start # text, not from the selection.
        QTest::newRow("worked-example-unpadded") << pic << 24 << 3 << "8" << "12"
            << QStringList{"http://server/photos/pic8.jpg", "http://server/photos/pic9.jpg",
                           "http://server/photos/pic10.jpg", "http://server/photos/pic11.jpg",
                           "http://server/photos/pic12.jpg"};
        QTest::newRow("start-above-end-adds-nothing") << pic << 24 << 3 << "5" << "3" << QStringList{};
        QTest::newRow("grows-past-one-zero") << "http://h/a1.gif" << 10 << 1 << "9" << "11"
            << QStringList{"http://h/a9.gif", "http://h/a10.gif", "http://h/a11.gif"};
        QTest::newRow("start-000-gives-000") << "http://h/x5" << 10 << 1 << "000" << "1"
            << QStringList{"http://h/x000", "http://h/x001"};
        QTest::newRow("selection-at-end-empty-suffix") << "http://h/p12" << 10 << 2 << "01" << "02"
            << QStringList{"http://h/p01", "http://h/p02"};
        QTest::newRow("selection-at-start-empty-prefix") << "7/http" << 0 << 1 << "3" << "4"
            << QStringList{"3/http", "4/http"};
        QTest::newRow("single-number") << "http://h/7" << 9 << 1 << "7" << "7" << QStringList{"http://h/7"};
        QTest::newRow("end-at-largest-number") << "http://h/1" << 9 << 1 << "2147483646" << "2147483647"
            << QStringList{"http://h/2147483646", "http://h/2147483647"};
    }
    void links()
    {
        QFETCH(QString, url);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QStringList, expected);
        const SequenceList s = run(url, selStart, selLength, start, end);
        QCOMPARE(s.check(), SequenceList::Check::Ok);
        QCOMPARE(s.count(), qint64(expected.size()));
        QCOMPARE(s.links(32767), expected);
    }

    void wholeRangeIsBoundedByTheLimit()
    {
        // 0 to the largest number: more links than any list holds; only the
        // limit is made and the count does not overflow.
        const SequenceList s = run(QStringLiteral("http://h/1.jpg"), 9, 1, QStringLiteral("0"), QStringLiteral("2147483647"));
        QCOMPARE(s.count(), qint64(2147483648));
        const QStringList made = s.links(32767);
        QCOMPARE(made.size(), 32767);
        QCOMPARE(made.first(), QStringLiteral("http://h/0.jpg"));
        QCOMPARE(made.last(), QStringLiteral("http://h/32766.jpg"));
        QVERIFY(s.links(0).isEmpty());
    }

    void check_data()
    {
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("expected");
        QTest::newRow("no-selection") << -1 << 0 << "1" << "2" << int(SequenceList::Check::NoSelection);
        QTest::newRow("selection-past-text") << 8 << 5 << "1" << "2" << int(SequenceList::Check::NoSelection);
        QTest::newRow("bad-start") << 0 << 1 << "1x" << "2" << int(SequenceList::Check::BadStart);
        QTest::newRow("start-too-large") << 0 << 1 << "3000000000" << "2" << int(SequenceList::Check::BadStart);
        QTest::newRow("bad-end") << 0 << 1 << "1" << "two" << int(SequenceList::Check::BadEnd);
        QTest::newRow("empty-end") << 0 << 1 << "1" << "" << int(SequenceList::Check::BadEnd);
        QTest::newRow("selection-before-numbers") << -1 << 0 << "x" << "y" << int(SequenceList::Check::NoSelection);
    }
    void check()
    {
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(int, expected);
        const SequenceList s = run(QStringLiteral("http://h/a"), selStart, selLength, start, end);
        QCOMPARE(int(s.check()), expected);
        // A number that cannot be read gives no run at all.
        if (expected == int(SequenceList::Check::BadStart) || expected == int(SequenceList::Check::BadEnd))
            QCOMPARE(s.count(), qint64(0));
    }
};

TV_TEST_MAIN(TestSequenceList)
#include "tst_sequencelist.moc"
