#pragma once

#include <QString>

namespace tv {

// A text is a link when it begins with "http" or "ftp", in any letter case.
// Nothing else is looked at: no trimming, no scheme separator.
bool IsLinkText(const QString &text);

} // namespace tv
