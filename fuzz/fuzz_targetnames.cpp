// The names downloads are saved under: whatever the link, the name stays in
// its folder, can be created, and with its counter and ".part" fits the
// system's 255-byte limit as the bytes actually written.
// Input: a flag byte (bit 0: the rest is UTF-16, so lone surrogates come
// through), a counter byte, then the text.

#include "fuzzsupport.h"

#include "saving/targetnames.h"

#include <QFile>

namespace {

void checkName(const QString &name)
{
    FUZZ_CHECK(!name.contains(u'/'));
    FUZZ_CHECK(name != u"." && name != u"..");
    for (const QChar c : name)
        FUZZ_CHECK(c.unicode() >= 0x20 && c.unicode() != 0x7f);
    FUZZ_CHECK(QFile::encodeName(name).size() <= tv::MaxNameBytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Bytes in(data, size);
    const uint8_t flags = in.byte();
    const qint32 counter = in.byte();
    const QByteArray rest = in.rest();
    const QString text = flags & 1
        ? QString(reinterpret_cast<const QChar *>(rest.constData()), rest.size() / 2)
        : QString::fromUtf8(rest);

    const QString safe = tv::SafeFileName(text);
    FUZZ_CHECK(safe.isEmpty() == text.isEmpty());
    checkName(safe);
    FUZZ_CHECK(tv::SafeFileName(safe) == safe);
    const QString target = tv::TargetFileName(text);
    checkName(target);
    FUZZ_CHECK(!target.isEmpty());
    const QString numbered = tv::NumberedName(target + QStringLiteral(".part"), counter);
    FUZZ_CHECK(QFile::encodeName(numbered).size() <= 255);
    return 0;
}
