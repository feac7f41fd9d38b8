// Clipboard text: what is taken are links, each on a line of its own.

#include "fuzzsupport.h"

#include "builders/linkfilereader.h"
#include "builders/linktext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const tv::LinkFileScan scan = tv::scanClipboardText(text);
    FUZZ_CHECK(scan.leftOut == 0);
    FUZZ_CHECK(scan.links.size() <= text.count(u'\n') + text.count(u'\r') + 1);
    for (const QString &link : scan.links) {
        FUZZ_CHECK(tv::IsLinkText(link));
        FUZZ_CHECK(!link.contains(u'\n') && !link.contains(u'\r'));
        FUZZ_CHECK(link.toUtf8().size() <= 32 * 1024);
        FUZZ_CHECK(text.contains(link));
    }
    return 0;
}
