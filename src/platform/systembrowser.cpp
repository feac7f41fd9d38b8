#include "platform/systembrowser.h"

namespace tv {

namespace {

// Stands in until a browser can be driven: no windows are open and none can
// be created, which every caller already handles as a failed browser call.
class NoBrowserComponent final : public BrowserComponent
{
public:
    using BrowserComponent::BrowserComponent;
    QList<BrowserWindowPtr> shellWindows() override { return {}; }
    QString foregroundWindow() override { return {}; }
    BrowserWindowPtr createWindow() override { throw BrowserError(QStringLiteral("No web browser is available.")); }
    BrowserWindowPtr createHarvestWindow() override { return createWindow(); }
    void shutdown() override {}
};

} // namespace

std::unique_ptr<BrowserComponent> createSystemBrowser(QObject *parent)
{
    return std::make_unique<NoBrowserComponent>(parent);
}

} // namespace tv
