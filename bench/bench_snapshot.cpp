// Navigate to a 30,000-link page on 127.0.0.1 and take its document snapshot:
// through Tallyvane's browser component, and through a bare DevTools client
// written for this measurement (the floor).
#include "platform/cdpcomponent.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QWebSocket>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int LinkCount = 30000;

struct Environment
{
    tvtest::HttpServer site;
    tv::CdpBrowserComponent browser{tv::BrowserChoice::find()};
    QString pageUrl;

    Environment()
    {
        site.listen();
        QByteArray page = "<html><head><title>links</title></head><body>\n";
        page.reserve(LinkCount * 90);
        for (int i = 0; i < LinkCount; ++i)
            page += "<a href=\"/files/archive/2026/section-" + QByteArray::number(i % 97) + "/item-" + QByteArray::number(i) +
                    ".zip\">item " + QByteArray::number(i) + "</a><br>\n";
        page += "</body></html>\n";
        site.route("/links.html", {200, "text/html", page});
        pageUrl = site.url("/links.html");
    }
};

std::unique_ptr<Environment> env;

Environment &environment()
{
    if (!env)
        env = std::make_unique<Environment>();
    return *env;
}

// Runs events until `done` holds, checking whenever `wake` fires (no polling,
// so the wait itself costs no processor time).
template<typename Sender, typename Signal>
bool waitFor(const std::function<bool()> &done, int timeoutMs, const Sender *sender, Signal wake)
{
    if (done())
        return true;
    QEventLoop loop;
    QObject::connect(sender, wake, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

void loadWithComponent(tv::BrowserWindow &w, const QString &url)
{
    bool complete = false;
    const auto c = QObject::connect(&w, &tv::BrowserWindow::DocumentComplete, [&](const QString &pDisp, const QString &) {
        if (pDisp == w.name())
            complete = true;
    });
    w.navigate(url);
    waitFor([&] { return complete; }, 30000, &w, &tv::BrowserWindow::DocumentComplete);
    QObject::disconnect(c);
}

void BM_Tallyvane_NavigateToSnapshot(benchmark::State &state)
{
    Environment &e = environment();
    tv::BrowserWindowPtr w = e.browser.createHarvestWindow();
    for (auto _ : state) {
        loadWithComponent(*w, e.pageUrl);
        const tv::HtmlDocumentPtr doc = w->document();
        if (doc->links.size() != LinkCount)
            state.SkipWithError("wrong link count");
        state.PauseTiming();
        loadWithComponent(*w, QStringLiteral("about:blank"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Tallyvane_NavigateToSnapshot)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

void BM_Tallyvane_SnapshotOnly(benchmark::State &state)
{
    Environment &e = environment();
    tv::BrowserWindowPtr w = e.browser.createHarvestWindow();
    loadWithComponent(*w, e.pageUrl);
    for (auto _ : state) {
        const tv::HtmlDocumentPtr doc = w->document();
        if (doc->links.size() != LinkCount)
            state.SkipWithError("wrong link count");
    }
}
BENCHMARK(BM_Tallyvane_SnapshotOnly)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

// The least a client must do: one socket, one page session, navigate, wait
// for the load event, one evaluate that returns the addresses.
class BareClient
{
public:
    explicit BareClient(const QUrl &endpoint)
    {
        m_socket.setMaxAllowedIncomingMessageSize(256 * 1024 * 1024);
        m_socket.setMaxAllowedIncomingFrameSize(256 * 1024 * 1024);
        QObject::connect(&m_socket, &QWebSocket::textMessageReceived, [this](const QString &m) {
            m_inbox << QJsonDocument::fromJson(m.toUtf8()).object();
        });
        m_socket.open(endpoint);
        waitFor([&] { return m_socket.state() == QAbstractSocket::ConnectedState; }, 5000, &m_socket, &QWebSocket::connected);
        const QString target = call("Target.createTarget", {{"url", "about:blank"}}).value("targetId").toString();
        m_session = call("Target.attachToTarget", {{"targetId", target}, {"flatten", true}}).value("sessionId").toString();
        call("Page.enable", {}, m_session);
    }

    QJsonObject call(const QString &method, const QJsonObject &params, const QString &session = {})
    {
        const int id = ++m_id;
        QJsonObject m{{"id", id}, {"method", method}, {"params", params}};
        if (!session.isEmpty())
            m.insert("sessionId", session);
        m_socket.sendTextMessage(QString::fromUtf8(QJsonDocument(m).toJson(QJsonDocument::Compact)));
        QJsonObject result;
        waitFor([&] { return take([&](const QJsonObject &x) { return x.value("id").toInt() == id; }, &result); }, 30000,
                &m_socket, &QWebSocket::textMessageReceived);
        return result.value("result").toObject();
    }

    void navigate(const QString &url)
    {
        m_inbox.clear();
        call("Page.navigate", {{"url", url}}, m_session);
        waitFor([&] { return take([](const QJsonObject &x) { return x.value("method") == "Page.loadEventFired"; }, nullptr); },
                30000, &m_socket, &QWebSocket::textMessageReceived);
    }

    QStringList links()
    {
        const QJsonObject r = call("Runtime.evaluate",
                                   {{"expression", "Array.from(document.links, a => a.href)"}, {"returnByValue", true}}, m_session);
        QStringList out;
        const QJsonArray a = r.value("result").toObject().value("value").toArray();
        out.reserve(a.size());
        for (const QJsonValue &v : a)
            out << v.toString();
        return out;
    }

private:
    bool take(const std::function<bool(const QJsonObject &)> &match, QJsonObject *out)
    {
        for (qsizetype i = 0; i < m_inbox.size(); ++i) {
            if (match(m_inbox[i])) {
                if (out)
                    *out = m_inbox[i];
                m_inbox.remove(0, i + 1);
                return true;
            }
        }
        return false;
    }

    QWebSocket m_socket;
    QList<QJsonObject> m_inbox;
    QString m_session;
    int m_id = 0;
};

void BM_BareClient_NavigateToSnapshot(benchmark::State &state)
{
    Environment &e = environment();
    e.browser.createHarvestWindow(); // makes sure the harvest browser runs
    BareClient client(e.browser.harvestEndpoint());
    for (auto _ : state) {
        client.navigate(e.pageUrl);
        if (client.links().size() != LinkCount)
            state.SkipWithError("wrong link count");
        state.PauseTiming();
        client.navigate(QStringLiteral("about:blank"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BareClient_NavigateToSnapshot)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

void BM_BareClient_SnapshotOnly(benchmark::State &state)
{
    Environment &e = environment();
    e.browser.createHarvestWindow();
    BareClient client(e.browser.harvestEndpoint());
    client.navigate(e.pageUrl);
    for (auto _ : state) {
        if (client.links().size() != LinkCount)
            state.SkipWithError("wrong link count");
    }
}
BENCHMARK(BM_BareClient_SnapshotOnly)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    tvtest::IsolatedUserFolders folders;
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (env)
        env->browser.shutdown();
    env.reset();
    benchmark::Shutdown();
    return 0;
}
