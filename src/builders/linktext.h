#pragma once

#include <QString>
#include <QStringView>

namespace tv {

// A text is a link when it begins with "http" or "ftp", in any letter case.
// Nothing else is looked at: no trimming, no scheme separator.
bool IsLinkText(QStringView text);
// The same for text known to be plain ASCII, without making a string of it.
bool IsLinkText(QLatin1String text);

} // namespace tv
