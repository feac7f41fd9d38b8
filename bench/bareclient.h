#pragma once

// A bare DevTools client over a browser connection, the floor the program's
// own page loads are measured against.

#include "platform/cdp/cdpconnection.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>

#include <functional>

namespace {

// A page of `count` links, each to a file of its own, with a short text.
QByteArray linksPage(int count)
{
    QByteArray page = "<html><head><title>links</title></head><body>\n";
    page.reserve(count * 90);
    for (int i = 0; i < count; ++i)
        page += "<a href=\"/files/archive/2026/section-" + QByteArray::number(i % 97) + "/item-" + QByteArray::number(i) +
                ".zip\">item " + QByteArray::number(i) + "</a><br>\n";
    return page + "</body></html>\n";
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

// The least a client must do over the harvest browser's own connection: one
// page session, navigate, wait for the load event, one evaluate that returns
// the addresses (no page registry, event mapping or frame walk).
class BareClient
{
public:
    explicit BareClient(tv::CdpConnection *connection) : m_connection(connection)
    {
        QObject::connect(m_connection, &tv::CdpConnection::eventReceived, m_connection,
                         [this](const QString &session, const QString &method, const QJsonObject &) {
                             if (session == m_session && method == QLatin1String("Page.loadEventFired"))
                                 m_loaded = true;
                         });
        const QString target = call("Target.createTarget", {{"url", "about:blank"}}).value("targetId").toString();
        m_session = call("Target.attachToTarget", {{"targetId", target}, {"flatten", true}}).value("sessionId").toString();
        call("Page.enable", {}, m_session);
    }

    QJsonObject call(const QString &method, const QJsonObject &params, const QString &session = {})
    {
        return m_connection->call(method, params, session, 30000).result;
    }

    void navigate(const QString &url)
    {
        m_loaded = false;
        call("Page.navigate", {{"url", url}}, m_session);
        waitFor([&] { return m_loaded; }, 30000, m_connection, &tv::CdpConnection::eventReceived);
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
    tv::CdpConnection *m_connection;
    QString m_session;
    bool m_loaded = false;
};

} // namespace
