// The message a second copy hands over: decoding never reads past the bytes
// it has, and what it accepts encodes back to the same bytes.

#include "fuzzsupport.h"

#include "platform/singleinstance.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exact copy, so ASan sees a read past its end.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString address;
    qsizetype consumed = -1;
    tv::SingleInstance::Request request = tv::SingleInstance::Request::PageInFront;
    if (!tv::SingleInstance::decode(bytes, &address, &consumed, &request))
        return 0;
    FUZZ_CHECK(consumed >= 4 && consumed <= bytes.size());
    FUZZ_CHECK(address.size() <= tv::SingleInstance::MaxAddressChars);
    FUZZ_CHECK(tv::SingleInstance::encode(address, request) == bytes.left(consumed));
    return 0;
}
