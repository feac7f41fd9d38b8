// The browser's pipe, read in pieces of any size: the messages cut out are
// exactly the non-empty NUL-ended runs of the stream, in order, and what is
// held back is the unfinished tail.

#include "fuzzsupport.h"

#include "platform/cdp/cdppipetransport.h"

#include <QList>

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Bytes in(data, size);
    // The first byte picks the piece sizes; the rest is the stream.
    const uint8_t seed = in.byte();
    const QByteArray stream = in.rest();

    QList<QByteArray> expected = stream.split('\0');
    const QByteArray tail = expected.takeLast();
    expected.removeAll(QByteArray());

    tv::CdpFrameReader reader;
    QList<QByteArray> got;
    uint32_t state = seed | 1u;
    for (qsizetype at = 0; at < stream.size();) {
        state = state * 1103515245u + 12345u;
        const qsizetype piece = std::min<qsizetype>(stream.size() - at, 1 + qsizetype(state >> 16) % (seed % 64 + 1));
        if (state & 0x100) {
            reader.append(QByteArrayView(stream.constData() + at, piece));
        } else {
            // As a read into reserved room that fills only part of it.
            char *room = reader.reserve(piece + 7);
            std::memcpy(room, stream.constData() + at, size_t(piece));
            reader.commit(piece + 7, piece);
        }
        at += piece;
        for (QByteArray message; reader.next(message);)
            got.append(message);
        FUZZ_CHECK(reader.pending() <= at);
    }
    FUZZ_CHECK(got == expected);
    FUZZ_CHECK(reader.pending() == tail.size());
    return 0;
}
