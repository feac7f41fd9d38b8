// Browser events as the program sees them: the event mapper fed with event
// sequences recorded from Chromium (data/) and with made-up ones for the cases
// a local server cannot provoke, and the status codes of network errors.
#include "platform/cdp/cdpconnection.h"
#include "platform/cdp/cdperrors.h"
#include "platform/cdp/cdpeventmapper.h"
#include "support/testenv.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

#include <tuple>

namespace {

// "http://127.0.0.1:4711/a/b.html" -> "/a/b.html"; others unchanged.
QString shortUrl(const QString &url)
{
    const QUrl u(url);
    return u.host() == QLatin1String("127.0.0.1") || u.host() == QLatin1String("localhost") ? u.path() : url;
}

// The mapper's events as short lines ("before", "complete", "error", "end" of
// progress), fed one recorded or made-up line at a time: an event, the
// program's navigate / stop / the answer to its navigate, {"clear"} to empty
// the log or {"crash"} to end the renderer.
struct Run
{
    tv::CdpEventMapper &mapper;
    QStringList events;
    bool barShowedFinishedWhileLoading = false;

    explicit Run(tv::CdpEventMapper &m) : mapper(m)
    {
        const QString self = mapper.targetId();
        auto who = [self](const QString &f) { return f == self ? QStringLiteral("top") : QStringLiteral("frame"); };
        QObject::connect(&mapper, &tv::CdpEventMapper::beforeNavigate,
                         [this](const QString &url) { events << QStringLiteral("before ") + shortUrl(url); });
        QObject::connect(&mapper, &tv::CdpEventMapper::documentComplete, [this, who](const QString &f, const QString &url) {
            events << QStringLiteral("complete %1 %2").arg(who(f), shortUrl(url));
        });
        QObject::connect(&mapper, &tv::CdpEventMapper::navigateError,
                         [this, who](const QString &f, const QString &url, const QString &, qint32 code) {
                             events << QStringLiteral("error %1 %2 %3").arg(who(f), shortUrl(url), QString::number(quint32(code), 16));
                         });
        QObject::connect(&mapper, &tv::CdpEventMapper::progressChange, [this](qint32 p, qint32 max) {
            barShowedFinishedWhileLoading |= p == 0 || (p != -1 && p > max);
            if (p < 1)
                events << QStringLiteral("end");
        });
    }

    void feed(const QJsonObject &line)
    {
        const auto has = [&](const char *key) { return line.contains(QLatin1String(key)); };
        if (has("clear"))
            events.clear();
        else if (has("crash"))
            mapper.pageCrashed();
        else if (has("navigate"))
            mapper.navigationRequested(line.value(QLatin1String("navigate")).toString());
        else if (has("stop"))
            mapper.stopRequested();
        else if (has("answer"))
            mapper.navigationAnswered({true, line.value(QLatin1String("answer")).toObject(), 0, {}},
                                      line.value(QLatin1String("url")).toString());
        else
            mapper.handle(line.value(QLatin1String("method")).toString(), line.value(QLatin1String("params")).toObject());
    }
};

// A recording (data/<name>.jsonl), and its page's id: the frame the
// program's navigation was answered for.
QList<QJsonObject> recorded(const QString &name, QString *page)
{
    QFile f(QFINDTESTDATA(QStringLiteral("data/%1.jsonl").arg(name)));
    QList<QJsonObject> lines;
    if (!f.open(QIODevice::ReadOnly))
        return lines;
    while (!f.atEnd()) {
        const QJsonObject l = QJsonDocument::fromJson(f.readLine()).object();
        if (l.contains(QLatin1String("answer")))
            *page = l.value(QLatin1String("answer")).toObject().value(QLatin1String("frameId")).toString();
        if (!l.isEmpty())
            lines << l;
    }
    return lines;
}

QJsonObject ev(const char *method, const QJsonObject &params)
{
    return QJsonObject{{QStringLiteral("method"), QLatin1String(method)}, {QStringLiteral("params"), params}};
}

QJsonObject lifecycle(const QString &frame, const QString &loader, const char *name)
{
    return ev("Page.lifecycleEvent", {{"frameId", frame}, {"loaderId", loader}, {"name", QLatin1String(name)}});
}

QJsonObject started(const QString &frame, const QString &loader, const QString &url)
{
    return ev("Page.frameStartedNavigating",
              {{"frameId", frame}, {"loaderId", loader}, {"url", url}, {"navigationType", "differentDocument"}});
}

QJsonObject committed(const QString &frame, const QString &loader, const QString &url)
{
    return ev("Page.frameNavigated",
              {{"frame", QJsonObject{{"id", frame}, {"loaderId", loader}, {"url", url}, {"mimeType", "text/html"}}}});
}

} // namespace

class TestCdpEvents : public QObject
{
    Q_OBJECT

private slots:
    // Sequences recorded from Chromium, and made-up ones.
    void sequences_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("attached");
        QTest::addColumn<QList<QJsonObject>>("steps");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("busy");
        const auto recording = [](const char *tag, const char *name, const QStringList &expected) {
            QString page;
            const QList<QJsonObject> lines = recorded(QLatin1String(name), &page);
            QTest::newRow(tag) << page << false << lines << expected << false;
        };
        // Frames load before the page; the other site's frame ran in its own
        // process and its events came on its own session.
        recording("frames-complete-before-the-page", "frames-and-oopif",
                  {"before /main.html", "complete frame /oop.html", "complete frame /nested.html", "complete frame /same.html",
                   "complete frame /c2.html", "complete frame /cross.html", "end", "complete top /main.html"});
        // A 404 with a body commits normally; its status is the error code.
        recording("not-found-with-body", "not-found-404",
                  {"before /missing.html", "error top /missing.html 194", "end", "complete top /missing.html"});
        recording("frame-404-names-the-frame", "frame-404",
                  {"before /framed-404.html", "error frame /missing.html 194", "complete frame /missing.html", "end",
                   "complete top /framed-404.html"});
        // The program's Stop reports nothing; the next load completes.
        recording("stop-then-another-load", "stop-then-load",
                  {"before /slow.html", "end", "before /plain.html", "end", "complete top /plain.html"});
        // The blocked pop-up leaves no trace in the opener's events.
        recording("pop-up-on-load", "popup-on-load", {"before /popup.html", "end", "complete top /popup.html"});

        const auto madeUp = [](const char *tag, bool attached, const QList<QJsonObject> &steps, const QStringList &expected,
                               bool busy) { QTest::newRow(tag) << QStringLiteral("P") << attached << steps << expected << busy; };
        const QJsonObject clear{{"clear", true}};
        const QJsonObject crash{{"crash", true}};
        const QString a = QStringLiteral("http://h.test/a");
        const QString zip = QStringLiteral("http://h.test/file.zip");
        const QJsonObject aborted = ev("Network.loadingFailed", {{"requestId", "R1"}, {"type", "Document"},
                                                                 {"errorText", "net::ERR_ABORTED"}});
        madeUp("blank-start-of-new-window-is-silent", false,
               {started("P", "L0", "about:blank"), committed("P", "L0", "about:blank"), lifecycle("P", "L0", "load"),
                started("P", "L1", a), committed("P", "L1", a), lifecycle("P", "L1", "load")},
               {"before " + a, "end", "complete top " + a}, false);
        madeUp("download-ends-with-error-and-completion", false,
               {QJsonObject{{"navigate", zip}}, started("P", "R1", zip),
                ev("Network.requestWillBeSent", {{"requestId", "R1"}, {"frameId", "P"}, {"loaderId", "R1"},
                                                 {"type", "Document"}, {"request", QJsonObject{{"url", zip}}}}),
                aborted, ev("Page.frameStoppedLoading", {{"frameId", "P"}}),
                QJsonObject{{"answer", QJsonObject{{"frameId", "P"}, {"loaderId", "R1"}, {"errorText", "net::ERR_ABORTED"},
                                                   {"isDownload", true}}},
                            {"url", zip}}},
               {"before " + zip, "end", "error top " + zip + " 800c0008", "complete top " + zip}, false);
        // The page the program navigates away from commits and loads a moment later.
        madeUp("late-load-of-the-page-being-replaced-is-ignored", true,
               {started("P", "L1", a), clear, QJsonObject{{"navigate", "http://h.test/b"}}, committed("P", "L1", a),
                lifecycle("P", "L1", "load"), started("P", "L2", "http://h.test/b")},
               {"before http://h.test/b"}, true);
        // The user's own jump reports nothing; the program's completes.
        const QJsonObject jump = ev("Page.frameStartedNavigating", {{"frameId", "P"}, {"loaderId", "L1"},
                                                                    {"url", a + "#part"}, {"navigationType", "sameDocument"}});
        madeUp("program-jump-within-the-page-completes", true,
               {started("P", "L1", a), committed("P", "L1", a), lifecycle("P", "L1", "load"), clear, jump,
                QJsonObject{{"navigate", a + "#part"}}, jump},
               {"before " + a + "#part", "complete top " + a + "#part"}, false);
        // A second crash, of a page at rest, reports nothing.
        madeUp("crash-during-a-load-ends-it", false,
               {QJsonObject{{"navigate", a}}, started("P", "L1", a), committed("P", "L1", a), crash, crash},
               {"before " + a, "error top " + a + " 800c0008", "end", "complete top " + a}, false);
    }
    void sequences()
    {
        QFETCH(QString, page);
        QFETCH(bool, attached);
        QFETCH(QList<QJsonObject>, steps);
        QFETCH(QStringList, expected);
        QFETCH(bool, busy);
        QVERIFY(!steps.isEmpty());
        tv::CdpEventMapper mapper(page, attached);
        Run run(mapper);
        for (const QJsonObject &step : std::as_const(steps))
            run.feed(step);
        QCOMPARE(run.events, expected);
        QCOMPARE(mapper.busy(), busy);
        QVERIFY(!run.barShowedFinishedWhileLoading);
        if (QTest::currentDataTag() == QByteArray("crash-during-a-load-ends-it")) {
            QVERIFY(mapper.crashed());
            // The next load runs in a new renderer.
            run.feed(started("P", "L2", "http://h.test/b"));
            QVERIFY(!mapper.crashed());
        }
    }

    void errorCodes()
    {
        // errorText, a download, after a redirect: the code; 0 for none.
        const std::tuple<const char *, bool, bool, quint32> rows[] = {
            {"net::ERR_CONNECTION_REFUSED", false, false, 0x800C0004},
            {"ERR_CONNECTION_REFUSED", false, false, 0x800C0004},
            {"net::ERR_SSL_PROTOCOL_ERROR", false, false, 0x800C000E}, // by its prefix
            // An abort is the program's own Stop or a newer navigation, unless...
            {"net::ERR_ABORTED", false, false, 0},
            {"net::ERR_ABORTED", true, false, 0x800C0008},
            {"net::ERR_ABORTED", false, true, 0x800C0014},
            {"net::ERR_SOMETHING_NEW", false, false, 0x800C0008},
        };
        for (const auto &[text, download, redirected, code] : rows)
            QVERIFY2(quint32(tv::cdp::navigationErrorCode(QLatin1String(text), download, redirected).value_or(0)) == code, text);
        for (const auto &[url, navigable] : {std::pair{"HTTPS://h.test/", true}, {"about:blank", true},
                                            {"mailto:x@h.test", false}, {"h.test/x", false}})
            QVERIFY2(tv::cdp::isNavigableScheme(QLatin1String(url)) == navigable, url);
    }
};

TV_TEST_MAIN(TestCdpEvents)
#include "tst_cdpevents.moc"
