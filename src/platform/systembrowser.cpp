#include "platform/systembrowser.h"

#include "platform/cdpcomponent.h"

namespace tv {

std::unique_ptr<BrowserComponent> createSystemBrowser(QObject *parent)
{
    return std::make_unique<CdpBrowserComponent>(parent);
}

} // namespace tv
