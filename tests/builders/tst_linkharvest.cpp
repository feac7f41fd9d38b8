#include "builders/linkharvest.h"
#include "support/fakebrowser.h"
#include "support/testenv.h"

#include <QRandomGenerator>

using tv::HtmlDocumentPtr;
using tv::LinkHarvest;
using tvtest::makeDocument;

Q_DECLARE_METATYPE(HtmlDocumentPtr)

class TestLinkHarvest : public QObject
{
    Q_OBJECT
private slots:
    void walk_data();
    void walk();
    void listedForm_data();
    void listedForm();
    void room_data();
    void room();
    void agreesWithListScan();
};

void TestLinkHarvest::walk_data()
{
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<HtmlDocumentPtr>("doc");
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<QStringList>("added");

    const QString p = QStringLiteral("http://h.test/");
    QTest::newRow("duplicate-and-listed-skipped")
        << QStringList{p + "B"} << makeDocument(p, {p + "A", p + "B", p + "A"}) << QStringList{}
        << QStringList{p + "A"};
    QTest::newRow("case-makes-a-different-address")
        << QStringList{p + "a"} << makeDocument(p, {p + "A", p + "a"}) << QStringList{} << QStringList{p + "A"};
    // "%20" and a blank are the same entry once listed.
    QTest::newRow("percent20-against-blank")
        << QStringList{} << makeDocument(p, {p + "a%20b", p + "a b", p + "c%2520"}) << QStringList{}
        << QStringList{p + "a b", p + "c%2520"};
    QTest::newRow("percent20-against-listed-blank")
        << QStringList{p + "x y"} << makeDocument(p, {p + "x%20y"}) << QStringList{} << QStringList{};
    QTest::newRow("frames-depth-first-in-order")
        << QStringList{}
        << makeDocument(p, {p + "top"},
                        {makeDocument(p + "f0", {p + "f0"}, {makeDocument(p + "f00", {p + "f00"})}),
                         makeDocument(p + "f1", {p + "f1"})})
        << QStringList{} << QStringList{p + "top", p + "f0", p + "f00", p + "f1"};
    QTest::newRow("unreadable-frame-skipped")
        << QStringList{}
        << makeDocument(p, {p + "top"}, {nullptr, makeDocument(p + "f1", {p + "f1", p + "top"})})
        << QStringList{} << QStringList{p + "top", p + "f1"};
    QTest::newRow("filter-gif-only")
        << QStringList{}
        << makeDocument(p, {p + "a.gif", p + "b.GIF", p + "c.html", QStringLiteral("http://example.com")})
        << QStringList{"gif"} << QStringList{p + "a.gif"};
    QTest::newRow("filter-sees-blank-form")
        << QStringList{} << makeDocument(p, {p + "my%20pic.gif"}) << QStringList{"gif"} << QStringList{p + "my pic.gif"};
    QTest::newRow("empty-document") << QStringList{p} << makeDocument(p, {}) << QStringList{} << QStringList{};
}

void TestLinkHarvest::walk()
{
    QFETCH(QStringList, listed);
    QFETCH(HtmlDocumentPtr, doc);
    QFETCH(QStringList, filters);
    QFETCH(QStringList, added);

    LinkHarvest harvest(listed, 32767 - listed.size(), filters);
    harvest.walk(*doc);
    QCOMPARE(harvest.added(), added);
    QCOMPARE(harvest.leftOut(), 0);
}

void TestLinkHarvest::listedForm_data()
{
    QTest::addColumn<QString>("href");
    QTest::addColumn<QString>("listed");
    QTest::newRow("none") << "http://a/b" << "http://a/b";
    QTest::newRow("several") << "http://a/x%20y%20z" << "http://a/x y z";
    QTest::newRow("adjacent") << "%20%20" << "  ";
    QTest::newRow("only-percent20-decoded") << "http://a/%2F%41%20" << "http://a/%2F%41 ";
    // "%%2020" holds one "%20"; what is left after it, "%" " " "20", holds none.
    QTest::newRow("nested-looking") << "%%2020" << "% 20";
    QTest::newRow("lowercase-hex-is-not-percent20") << "a%2b%2a" << "a%2b%2a";
}

void TestLinkHarvest::listedForm()
{
    QFETCH(QString, href);
    QFETCH(QString, listed);
    QCOMPARE(LinkHarvest::listedForm(href), listed);
}

void TestLinkHarvest::room_data()
{
    QTest::addColumn<int>("room");
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("leftOut");
    // The page has 5 distinct new addresses, one of them twice.
    QTest::newRow("fits") << 10 << 5 << 0;
    QTest::newRow("exactly") << 5 << 5 << 0;
    QTest::newRow("one-short") << 4 << 4 << 1;
    QTest::newRow("full") << 0 << 0 << 5;
    QTest::newRow("negative-room-is-full") << -3 << 0 << 5;
}

void TestLinkHarvest::room()
{
    QFETCH(int, room);
    QFETCH(int, added);
    QFETCH(int, leftOut);
    LinkHarvest harvest({}, room);
    harvest.walk(*makeDocument("p", {"1", "2", "3", "4", "2", "5"}));
    QCOMPARE(harvest.added().size(), added);
    QCOMPARE(harvest.added(), QStringList({"1", "2", "3", "4", "5"}).mid(0, added));
    QCOMPARE(harvest.leftOut(), leftOut);
}

// Against the plain rule: scan the whole list for every address.
void TestLinkHarvest::agreesWithListScan()
{
    QRandomGenerator rng(20261206);
    auto address = [&rng] {
        QString a = QStringLiteral("http://h/");
        const int n = rng.bounded(1, 4);
        for (int i = 0; i < n; ++i)
            a += QStringList{"a", "A", "%20", " ", "b.gif", "c"}.at(rng.bounded(6));
        return a;
    };
    for (int round = 0; round < 50; ++round) {
        QStringList listed;
        for (int i = rng.bounded(10); i > 0; --i)
            listed.append(address());
        QStringList links;
        for (int i = rng.bounded(40); i > 0; --i)
            links.append(address());

        QStringList expected = listed;
        for (QString href : links) {
            href.replace(QStringLiteral("%20"), QStringLiteral(" "));
            bool found = false;
            for (const QString &entry : std::as_const(expected))
                found = found || entry == href;
            if (!found)
                expected.append(href);
        }

        LinkHarvest harvest(listed, 32767);
        harvest.walk(*makeDocument("p", links));
        QCOMPARE(listed + harvest.added(), expected);
    }
}

TV_TEST_MAIN(TestLinkHarvest)
#include "tst_linkharvest.moc"
