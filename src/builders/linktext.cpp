#include "builders/linktext.h"

namespace tv {

namespace {
template<typename Text>
bool startsLikeLink(const Text &text)
{
    return text.startsWith(QLatin1String("http"), Qt::CaseInsensitive)
           || text.startsWith(QLatin1String("ftp"), Qt::CaseInsensitive);
}
} // namespace

bool IsLinkText(QStringView text)
{
    return startsLikeLink(text);
}

bool IsLinkText(QLatin1String text)
{
    return startsLikeLink(text);
}

} // namespace tv
