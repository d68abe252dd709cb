// The line a checking child prints for the tray: whatever the bytes, the
// decoder refuses them with a reason or gives a result that encodes back to
// a line that decodes to the same.
#include "FuzzCheck.h"
#include "core/FetchResultWire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString error;
    const std::optional<FetchResult> result = FetchResultWire::decode(fuzz::bytes(data, size), &error);
    FUZZ_CHECK(result.has_value() == error.isEmpty());
    if (!result)
        return 0;
    const QByteArray line = FetchResultWire::encode(*result);
    const std::optional<FetchResult> again = FetchResultWire::decode(line, &error);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(FetchResultWire::encode(*again) == line);
    fuzz::checkAsShown(*result);
    return 0;
}
