#pragma once

#include <QString>

#include <optional>

namespace tv::cdp {

// Navigation status codes the program's navigation-error table knows.
enum NavigationErrorCode : qint32 {
    InvalidUrl = qint32(0x800C0002u),
    CannotConnect = qint32(0x800C0004u),
    ResourceNotFound = qint32(0x800C0005u),
    ConnectionFailed = qint32(0x800C0007u),
    DownloadFailure = qint32(0x800C0008u),
    AuthenticationRequired = qint32(0x800C0009u),
    Timeout = qint32(0x800C000Bu),
    UnknownProtocol = qint32(0x800C000Du),
    SecurityProblem = qint32(0x800C000Eu),
    RedirectFailed = qint32(0x800C0014u),
};

// The status code for a failed document load, from the browser's network
// error text ("net::ERR_CONNECTION_REFUSED" or without the prefix).
// No value means nothing is reported: an abort by Stop or by a newer
// navigation. `isDownload`: the load turned into a download; `redirected`:
// the failing request had been redirected.
std::optional<qint32> navigationErrorCode(const QString &errorText, bool isDownload = false, bool redirected = false);

// True for the schemes the browser can load itself; other schemes only abort.
bool isNavigableScheme(const QString &url);

} // namespace tv::cdp
