// Arbitrary bytes from the port through the whole receive path: cutting,
// classification, every type handler and acknowledgement matching.

#include <cstddef>
#include <cstdint>

#include "protocol/otathread.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static otaThread worker;
    if (size < 2)
        return 0;
    // The first two bytes choose the worker's situation: pending command and mode.
    worker.multiDeviceMode = data[0] & 1;
    worker.targetId = data[0] >> 1;
    worker.deviceCount = 0;
    worker.execute(data[1] % 30);
    size_t offset = 2;
    while (offset < size) {
        const size_t chunk = 1 + data[offset] % 40;
        const size_t end = offset + 1 + chunk < size ? offset + 1 + chunk : size;
        worker.getSerialData(QByteArray(reinterpret_cast<const char*>(data + offset + 1), int(end - offset - 1)));
        offset = end;
    }
    worker.execute(0);
    return 0;
}
