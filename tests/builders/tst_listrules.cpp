// The rules of list building, each as one table: the filters, the harvest
// walk, link texts and srcset choice, the sequence and the navigation-error texts. (The link rule and the
// list file reader have a test of their own.)
#include "builders/filters.h"
#include "builders/linkharvest.h"
#include "builders/navigationerrors.h"
#include "builders/pathpart.h"
#include "builders/sequencelist.h"
#include "builders/linkfilereader.h"
#include "platform/markuprules.h"
#include "settings/settingsstore.h"
#include "support/fakebrowser.h"
#include "support/testenv.h"

#include <QFile>
#include <QSettings>

#include <limits>
#include <tuple>

using namespace tv;
using tvtest::makeDocument;

namespace {

const QStringList none;

} // namespace

class TestListRules : public QObject
{
    Q_OBJECT

private slots:
    void filters()
    {
        QCOMPARE(Filters::extensionOf("Pictures - jpg"), QStringLiteral("jpg"));
        QCOMPARE(Filters::extensionOf("Pics - old - jpg"), QStringLiteral("old - jpg"));
        QCOMPARE(Filters::extensionOf("jpg"), QStringLiteral("jpg"));
        const std::tuple<const char *, QStringList, bool> matches[] = {
            {"http://h/a.jpg", {"gif", "jpg"}, true},
            {"http://h/a.JPG", {"jpg"}, false},
            {"http://h/a.jpg", {".jpg"}, false},
            // A dot with nothing after it is passed over and cut off.
            {"http://h.jpg/a.", {"jpg/a"}, true},
            // No dot after the host: the host's last dot starts the extension.
            {"http://example.com", {"com"}, true},
        };
        for (const auto &[address, extensions, passes] : matches)
            QVERIFY2(Filters::matches(QLatin1String(address), extensions) == passes, address);
    }

    void pathPart()
    {
        const std::pair<QString, QStringList> rows[] = {
            {"C:\\dir\\file.txt", {"C:", "\\dir\\", "file", ".txt"}},
            {"http://host/dir/pic.gif", {"", "", "http://host/dir/pic", ".gif"}},
            {"http://www.example.com/", {"", "", "http://www.example", ".com/"}},
            // A dot with nothing after it gives no extension; the next dot is tried.
            {"a.b.", {"", "", "a", ".b"}},
            {"C:\\a.b\\file", {"C:", "\\a.b\\", "file", ""}},
        };
        for (const auto &[path, parts] : rows)
            QCOMPARE((QStringList{PathPart(path, 0), PathPart(path, 1), PathPart(path, 2), PathPart(path, 3)}), parts);
        QCOMPARE(tvtest::errorOf([] { PathPart("x", 4); }).number(), 1L);
    }

    void filterStore()
    {
        CRegSettings settings = CRegSettings::program();
        QFile::remove(settings.fileName());
        settings.SaveSetting("File Types", "Custom", "Old - c");
        // The section is rewritten whole, numbered from "Type 0".
        const QStringList entries{"A - a", "B - b"};
        Filters::save(settings, entries);
        QCOMPARE(QSettings(settings.fileName(), QSettings::IniFormat).value("File Types/Type 0").toString(), entries[0]);
        QCOMPARE(Filters::load(settings), entries);
        Filters::save(settings, {});
        QVERIFY(settings.GetAllSettings("File Types").isEmpty());
        settings.SaveSetting("Filters", "Apply Filters", "1x");
        QVERIFY(Filters::applyFilters(settings));
        settings.SaveSetting("Filters", "Apply Filters", "2");
        QVERIFY(!Filters::applyFilters(settings));
        Filters::setApplyFilters(settings, false);
        QCOMPARE(settings.GetSetting("Filters", "Apply Filters"), QStringLiteral("0"));
    }

    void harvestWalk()
    {
        const QString p = QStringLiteral("http://h.test/");
        const std::tuple<QStringList, HtmlDocumentPtr, QStringList, QStringList> rows[] = {
            {{p + "B"}, makeDocument(p, {p + "A", p + "B", p + "A"}), none, {p + "A"}},
            // "%20" and a blank are the same entry once listed.
            {none, makeDocument(p, {p + "a%20b", p + "a b", p + "c%2520"}), none, {p + "a b", p + "c%2520"}},
            {none,
             makeDocument(p, {p + "top"},
                          {makeDocument(p + "f0", {p + "f0"}, {makeDocument(p + "f00", {p + "f00"})}), nullptr,
                           makeDocument(p + "f1", {p + "f1", p + "top"})}),
             none,
             {p + "top", p + "f0", p + "f00", p + "f1"}},
            {none, makeDocument(p, {p + "a.gif", p + "b.GIF", p + "my%20pic.gif"}), {"gif"}, {p + "a.gif", p + "my pic.gif"}},
        };
        for (const auto &[listed, doc, filters, added] : rows) {
            LinkHarvest harvest(listed, 32767 - listed.size(), filters);
            harvest.walk(*doc);
            QCOMPARE(harvest.added(), added);
            QCOMPARE(harvest.leftOut(), 0);
        }
        // Only "%20" becomes a blank; "%%2020" holds one, what is left holds none.
        QCOMPARE(LinkHarvest::listedForm("http://a/%2F%41%20"), QStringLiteral("http://a/%2F%41 "));
        QCOMPARE(LinkHarvest::listedForm("%%2020"), QStringLiteral("% 20"));
        // What does not fit is counted, duplicates once.
        for (const auto &[room, leftOut] : {std::pair{10, 0}, {4, 1}, {0, 5}}) {
            LinkHarvest harvest({}, room);
            harvest.walk(*makeDocument("p", {"1", "2", "3", "4", "2", "5"}));
            QCOMPARE(harvest.added(), QStringList({"1", "2", "3", "4", "5"}).mid(0, 5 - leftOut));
            QCOMPARE(harvest.leftOut(), leftOut);
        }
    }

    void linkTextsAndSrcsets()
    {
        // The first text of an address is kept; a repeat's is not.
        auto doc = std::make_shared<HtmlDocument>(*makeDocument("p", {"a", "b", "a"}));
        doc->texts = {"first", ""};
        LinkHarvest harvest({}, 10);
        harvest.walk(*doc);
        QCOMPARE(harvest.harvested().size(), 2);
        QCOMPARE(harvest.harvested().at(0).text, QStringLiteral("first"));

        const QString longText = QString(3000, u'x');
        const QString pair = QString(999, u'y') + QStringLiteral("\U0001F600");
        for (const auto &[raw, text] : {std::pair{QStringLiteral(" \t a \n\n b\u00a0 "), QStringLiteral("a b")},
                                        {longText, longText.left(MaxLinkText)},
                                        {pair, pair.left(MaxLinkText - 1)},
                                        {QString(999, u'z') + QStringLiteral(" tail"), QString(999, u'z')},
                                        {QString(u'a') + QChar(0xD800) + u'b' + QChar(0xDC00), QStringLiteral("a\uFFFDb\uFFFD")}})
            QCOMPARE(linkText(raw), text);

        const QString base = QStringLiteral("http://h.test/dir/page.html");
        for (const auto &[srcset, address] : std::initializer_list<std::pair<const char *, const char *>>{
                 {"a.png 1x, b.png 3x, c.png 2x", "http://h.test/dir/b.png"},
                 {"a.png, b.png 1.5x", "http://h.test/dir/b.png"},
                 {"s.png 320w, /l.png 1200w, m.png 800w", "http://h.test/l.png"},
                 {"a.png 100w, b.png 2x", "http://h.test/dir/a.png"},
                 {"a(1,2).png 10w,b.png,, c.png 9w", "http://h.test/dir/a(1,2).png"},
                 {"x.png (a, 5w) 1w, y.png 2w", "http://h.test/dir/y.png"},
                 {"https://o.test/a%20b.png 2x,data:image/png;base64,AA 3x", ""},
                 {"blob:http://h.test/1", ""},
                 {" , ,, ", ""},
             })
            QCOMPARE(srcsetAddress(QString::fromLatin1(srcset), base), QString::fromLatin1(address));
    }

    void sequenceNumbers()
    {
        for (const auto &[text, value] : {std::pair{"008", 8}, {"2147483647", 2147483647}, {"2147483648", -1},
                                          {"", -1}, {"12a", -1}, {"-5", -1}, {" 2", -1}}) {
            const auto parsed = SequenceList::ParseNumber(QLatin1String(text));
            QVERIFY2(parsed.value_or(-1) == value, text);
        }
    }

    void sequenceRuns()
    {
        const QString pic = QStringLiteral("http://server/photos/pic007.jpg");
        // The pattern comes from the Start # text, not from the selection.
        const std::tuple<QString, int, int, const char *, const char *, QStringList> rows[] = {
            {pic, 24, 3, "008", "010", {"http://server/photos/pic008.jpg", "http://server/photos/pic009.jpg",
                                        "http://server/photos/pic010.jpg"}},
            {pic, 24, 3, "9", "10", {"http://server/photos/pic9.jpg", "http://server/photos/pic10.jpg"}},
            {pic, 24, 3, "5", "3", {}},
            {"http://h/p12", 10, 2, "01", "02", {"http://h/p01", "http://h/p02"}},
            {"http://h/1", 9, 1, "2147483646", "2147483647", {"http://h/2147483646", "http://h/2147483647"}},
        };
        for (const auto &[url, selStart, selLength, start, end, links] : rows) {
            const SequenceList s{url, selStart, selLength, QLatin1String(start), QLatin1String(end)};
            QCOMPARE(s.check(), SequenceList::Check::Ok);
            QCOMPARE(s.count(), qint64(links.size()));
            QCOMPARE(s.links(32767), links);
        }
        // 0 to the largest number: only what fits is made, the count does not overflow.
        const SequenceList all{"http://h/1", 9, 1, "0", "2147483647"};
        QCOMPARE(all.count(), qint64(2147483648));
        QCOMPARE(all.links(3), QStringList({"http://h/0", "http://h/1", "http://h/2"}));
        // Refused input gives no run at all.
        const std::tuple<int, const char *, const char *, SequenceList::Check> refused[] = {
            {-1, "1", "2", SequenceList::Check::NoSelection},
            {0, "1x", "2", SequenceList::Check::BadStart},
            {0, "3000000000", "2", SequenceList::Check::BadStart},
            {0, "1", "two", SequenceList::Check::BadEnd},
        };
        for (const auto &[selStart, start, end, check] : refused) {
            const SequenceList s{"http://h/a", selStart, 1, QLatin1String(start), QLatin1String(end)};
            QCOMPARE(s.check(), check);
            if (check != SequenceList::Check::NoSelection)
                QCOMPARE(s.count(), qint64(0));
        }
        // A selection reaching past the largest int does not overflow; a start
        // padded past the longest link a list may hold is refused.
        QCOMPARE((SequenceList{"http://h/a", 9, INT_MAX, "1", "2"}.check()), SequenceList::Check::NoSelection);
        QCOMPARE((SequenceList{"http://h/a", INT_MAX, INT_MAX, "1", "2"}.check()), SequenceList::Check::NoSelection);
        const qsizetype widest = tv::LinkFileReader::MaxItemLength - 9;
        QCOMPARE((SequenceList{"http://h/a", 9, 1, QString(widest, u'0'), "2"}.check()), SequenceList::Check::Ok);
        QCOMPARE((SequenceList{"http://h/a", 9, 1, QString(widest + 1, u'0'), "2"}.check()), SequenceList::Check::TooLong);
    }

    void navigationErrorTexts()
    {
        // The trailing blanks are part of the texts; codes not listed are
        // written in decimal, as signed numbers.
        const std::pair<qint32, QString> rows[] = {
            {qint32(0x800C0002u), "URL string is not valid."},
            {qint32(0x800C000Fu), "Unable to load data from the server. "},
            {qint32(0x800C0300u), "Cannot replace a protected System File Protection (SFP) file."},
            {404, "Object not found. "},
            {418, "418"},
            {qint32(0x800C0011u), "-2146697199"},
            {std::numeric_limits<qint32>::min(), "-2147483648"},
        };
        for (const auto &[code, text] : rows)
            QCOMPARE(navigationErrorText(code), text);
    }
};

TV_TEST_MAIN(TestListRules)
#include "tst_listrules.moc"
