#pragma once

#include "platform/browser.h"

#include <memory>

namespace tv {

struct BrowserChoice;

// The user's web browser as the program drives it.
std::unique_ptr<BrowserComponent> createSystemBrowser(const BrowserChoice &choice, QObject *parent = nullptr);

} // namespace tv
