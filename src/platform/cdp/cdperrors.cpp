#include "platform/cdp/cdperrors.h"

#include <QUrl>

namespace tv::cdp {

std::optional<qint32> navigationErrorCode(const QString &errorText, bool isDownload, bool redirected)
{
    QString e = errorText.trimmed();
    if (e.startsWith(QLatin1String("net::")))
        e = e.mid(5);
    if (e == QLatin1String("ERR_ABORTED")) {
        if (isDownload)
            return DownloadFailure;
        if (redirected)
            return RedirectFailed; // a redirect to a scheme the browser will not follow
        return std::nullopt;
    }
    struct Rule
    {
        const char *text;
        bool prefix;
        qint32 code;
    };
    static const Rule rules[] = {
        {"ERR_INVALID_URL", false, InvalidUrl},
        {"ERR_CONNECTION_REFUSED", false, CannotConnect},
        {"ERR_CONNECTION_FAILED", false, CannotConnect},
        {"ERR_ADDRESS_UNREACHABLE", false, CannotConnect},
        {"ERR_INTERNET_DISCONNECTED", false, CannotConnect},
        {"ERR_PROXY_CONNECTION_FAILED", false, CannotConnect},
        {"ERR_NAME_NOT_RESOLVED", false, ResourceNotFound},
        {"ERR_NAME_RESOLUTION_FAILED", false, ResourceNotFound},
        {"ERR_EMPTY_RESPONSE", false, ConnectionFailed},
        {"ERR_CONNECTION_RESET", false, ConnectionFailed},
        {"ERR_CONNECTION_CLOSED", false, ConnectionFailed},
        {"ERR_CONTENT_LENGTH_MISMATCH", false, ConnectionFailed},
        {"ERR_INVALID_HTTP_RESPONSE", false, ConnectionFailed},
        {"ERR_PROXY_AUTH_", true, AuthenticationRequired},
        {"ERR_UNEXPECTED_PROXY_AUTH", false, AuthenticationRequired},
        {"ERR_INVALID_AUTH_CREDENTIALS", false, AuthenticationRequired},
        {"ERR_TIMED_OUT", false, Timeout},
        {"ERR_CONNECTION_TIMED_OUT", false, Timeout},
        {"ERR_UNKNOWN_URL_SCHEME", false, UnknownProtocol},
        {"ERR_DISALLOWED_URL_SCHEME", false, UnknownProtocol},
        {"ERR_SSL_", true, SecurityProblem},
        {"ERR_CERT_", true, SecurityProblem},
        {"ERR_BLOCKED_BY_", true, SecurityProblem},
        {"ERR_UNSAFE_PORT", false, SecurityProblem},
        {"ERR_TOO_MANY_REDIRECTS", false, RedirectFailed},
        {"ERR_UNSAFE_REDIRECT", false, RedirectFailed},
        {"ERR_INVALID_REDIRECT", false, RedirectFailed},
    };
    for (const Rule &r : rules) {
        const QLatin1String t(r.text);
        if (r.prefix ? e.startsWith(t) : e == t)
            return r.code;
    }
    return DownloadFailure; // the table's code for any other failure
}

bool isNavigableScheme(const QString &url)
{
    static const QStringList schemes = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file"),
                                        QStringLiteral("about"), QStringLiteral("data"),
                                        QStringLiteral("blob"), QStringLiteral("chrome")};
    const QUrl u(url);
    return u.isValid() && schemes.contains(u.scheme().toLower());
}

} // namespace tv::cdp
