#pragma once

#include <functional>

namespace tv {

// Waits up to timeoutMs for `done`, checking every few milliseconds and
// letting events run meanwhile; false when the time ran out.
bool waitUntil(const std::function<bool()> &done, int timeoutMs);

} // namespace tv
