#pragma once

#include "platform/browser.h"

#include <memory>

namespace tv {

// The user's web browser as the program drives it.
std::unique_ptr<BrowserComponent> createSystemBrowser(QObject *parent = nullptr);

} // namespace tv
