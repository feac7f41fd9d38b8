#include "platform/cdp/systembrowser.h"

#include "platform/cdp/cdpcomponent.h"

namespace tv {

std::unique_ptr<BrowserComponent> createSystemBrowser(const BrowserChoice &choice, QObject *parent)
{
    return std::make_unique<CdpBrowserComponent>(choice, parent);
}

} // namespace tv
