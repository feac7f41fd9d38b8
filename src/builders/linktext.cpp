#include "builders/linktext.h"

namespace tv {

bool IsLinkText(const QString &text)
{
    return text.startsWith(u"http", Qt::CaseInsensitive) || text.startsWith(u"ftp", Qt::CaseInsensitive);
}

} // namespace tv
