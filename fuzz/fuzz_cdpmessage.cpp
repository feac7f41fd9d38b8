// One message from the browser: whatever its bytes, it decodes to a reply,
// an event or nothing, and a reply carries either a result or an error.

#include "fuzzsupport.h"

#include "platform/cdp/cdpconnection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const tv::CdpIncoming in = tv::decodeCdpMessage(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    switch (in.kind) {
    case tv::CdpIncoming::Kind::None:
        FUZZ_CHECK(in.method.isEmpty() && in.id == 0);
        break;
    case tv::CdpIncoming::Kind::Reply:
        FUZZ_CHECK(in.reply.ok || in.reply.result.isEmpty());
        break;
    case tv::CdpIncoming::Kind::Event:
        FUZZ_CHECK(!in.method.isEmpty());
        break;
    }
    return 0;
}
