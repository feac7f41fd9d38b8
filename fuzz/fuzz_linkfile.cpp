// A link list file: read whole and read a few bytes at a time it gives the
// same scan, and what it keeps are links within the bounds.

#include "fuzzsupport.h"

#include "builders/linkfilereader.h"
#include "builders/linktext.h"

#include <QBuffer>

namespace {

// A file that hands out at most a few bytes per read, as a pipe or a slow
// disk may.
class Trickle final : public QIODevice
{
public:
    Trickle(const QByteArray &bytes, int most) : m_bytes(bytes), m_most(most) { open(QIODevice::ReadOnly); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 n = std::min({maxSize, qint64(m_most), qint64(m_bytes.size()) - m_at});
        std::memcpy(data, m_bytes.constData() + m_at, size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }
    bool isSequential() const override { return true; }

private:
    QByteArray m_bytes;
    int m_most;
    qint64 m_at = 0;
};

bool operator==(const tv::LinkFileScan &a, const tv::LinkFileScan &b)
{
    return a.links == b.links && a.leftOut == b.leftOut && a.badItem == b.badItem && a.badText == b.badText
           && a.latin1Fallback == b.latin1Fallback && a.readError == b.readError;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Bytes in(data, size);
    // The first byte is the room for links and the largest read; the rest is the file.
    const uint8_t shape = in.byte();
    QByteArray file = in.rest();
    const qsizetype room = shape % 32;
    const tv::LinkFileScanHooks hooks{[room] { return room; }, {}};

    QBuffer whole(&file);
    whole.open(QIODevice::ReadOnly);
    const tv::LinkFileScan scan = tv::scanLinkFile(whole, hooks);
    Trickle trickle(file, 1 + shape / 32);
    FUZZ_CHECK(tv::scanLinkFile(trickle, hooks) == scan);

    FUZZ_CHECK(scan.links.size() <= room);
    FUZZ_CHECK(!scan.readError);
    for (const QString &link : scan.links) {
        FUZZ_CHECK(tv::IsLinkText(link));
        FUZZ_CHECK(link.size() <= tv::LinkFileReader::MaxItemLength);
        FUZZ_CHECK(!link.contains(u'\n') && !link.contains(u'\r'));
    }
    return 0;
}
