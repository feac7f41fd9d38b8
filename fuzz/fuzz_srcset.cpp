// The srcset choice and the link text: whatever a page writes, the chosen
// candidate is a piece of the attribute, its address is none the harvest
// skips, and a text is collapsed, within its limit and whole characters.
// Input: a selector byte (bit 0: the rest is UTF-16, so lone surrogates come
// through), then the text.

#include "fuzzsupport.h"

#include "platform/markuprules.h"

#include <QUrl>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Bytes in(data, size);
    const uint8_t flags = in.byte();
    const QByteArray rest = in.rest();
    const QString text = flags & 1
        ? QString(reinterpret_cast<const QChar *>(rest.constData()), rest.size() / 2)
        : QString::fromUtf8(rest);

    const QStringView candidate = tv::largestSrcsetCandidate(text);
    FUZZ_CHECK(candidate.isEmpty() || text.contains(candidate));
    FUZZ_CHECK(!candidate.contains(u' ') && !candidate.endsWith(u','));
    const QString address = tv::srcsetAddress(text, QStringLiteral("http://127.0.0.1/dir/page.html"));
    const QString scheme = QUrl(address).scheme();
    FUZZ_CHECK(scheme != u"data" && scheme != u"blob");
    FUZZ_CHECK(!candidate.isEmpty() || address.isEmpty());

    const QString collapsed = tv::linkText(text);
    FUZZ_CHECK(collapsed.size() <= tv::MaxLinkText);
    FUZZ_CHECK(collapsed == collapsed.simplified());
    FUZZ_CHECK(collapsed.isEmpty() || !collapsed.back().isHighSurrogate());
    // No half character anywhere, whatever the page sent.
    for (qsizetype i = 0; i < collapsed.size(); ++i) {
        const bool paired = collapsed.at(i).isHighSurrogate()
            ? i + 1 < collapsed.size() && collapsed.at(i + 1).isLowSurrogate()
            : i > 0 && collapsed.at(i - 1).isHighSurrogate();
        FUZZ_CHECK(!collapsed.at(i).isSurrogate() || paired);
    }
    return 0;
}
