// The sequential list: any selection and any Start # / End # texts are
// either refused or give the run they describe.
// Input: selection start and length (32 bits each, big-endian), then the
// address, Start # and End #, each ended by a NUL.

#include "fuzzsupport.h"

#include "builders/sequencelist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Bytes in(data, size);
    tv::SequenceList list;
    list.selStart = in.int32();
    list.selLength = in.int32();
    list.url = QString::fromUtf8(in.field());
    list.startText = QString::fromUtf8(in.field());
    list.endText = QString::fromUtf8(in.field());

    for (const QString &text : {list.startText, list.endText}) {
        if (const auto n = tv::SequenceList::ParseNumber(text)) {
            FUZZ_CHECK(*n >= 0);
            FUZZ_CHECK(tv::SequenceList::ParseNumber(tv::SequenceList::Format(*n, text)) == n);
        }
    }
    tv::SequenceList::message(list.check());
    if (list.check() != tv::SequenceList::Check::Ok)
        return 0;
    FUZZ_CHECK(list.selStart >= 0 && list.selLength > 0 && qint64(list.selStart) + list.selLength <= list.url.size());
    const qint64 count = list.count();
    FUZZ_CHECK(count >= 0 && count <= qint64(tv::SequenceList::MaxNumber) + 1);
    const QStringList links = list.links(16);
    FUZZ_CHECK(links.size() == std::min<qint64>(count, 16));
    const QString prefix = list.url.left(list.selStart);
    const QString suffix = list.url.mid(list.selStart + list.selLength);
    for (qsizetype i = 0; i < links.size(); ++i) {
        const QString &link = links.at(i);
        FUZZ_CHECK(link.startsWith(prefix) && link.endsWith(suffix));
        const QString number = link.mid(prefix.size(), link.size() - prefix.size() - suffix.size());
        FUZZ_CHECK(number.size() >= list.startText.size());
        FUZZ_CHECK(tv::SequenceList::ParseNumber(number) == *tv::SequenceList::ParseNumber(list.startText) + i);
    }
    return 0;
}
