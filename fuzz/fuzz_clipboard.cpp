// Clipboard text: what is taken are links, each on a line of its own.

#include "fuzzsupport.h"

#include "builders/linkfilereader.h"
#include "builders/linktext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList links = tv::clipboardLinks(text);
    FUZZ_CHECK(links.size() <= text.count(u'\n') + 1);
    for (const QString &link : links) {
        FUZZ_CHECK(tv::IsLinkText(link));
        FUZZ_CHECK(!link.contains(u'\n'));
        FUZZ_CHECK(text.contains(link));
    }
    return 0;
}
