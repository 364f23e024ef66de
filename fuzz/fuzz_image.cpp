// The firmware image check on arbitrary bytes, the Intel HEX checker among
// it: an accepted image is exactly the bytes checked, and a .hex image is
// accepted only when the checker finds no bad line.
//
// Input: byte 0 bit 0 names the file .hex (set) or .bin; the rest is the file.

#include <cstddef>
#include <cstdint>

#include "protocol/firmwareimage.h"
#include "protocol/intelhex.h"

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool hex = data[0] & 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), int(size - 1));
    const int badLine = intelhex::firstBadLine(bytes);
    require(badLine >= 0 && badLine <= bytes.count('\n') + 2);

    const firmware::Image image = firmware::checkImage(hex ? QStringLiteral("a.hex") : QStringLiteral("a.bin"), bytes);
    using firmware::ImageFault;
    switch (image.fault) {
    case ImageFault::none:
        require(image.bytes == bytes);
        require(!hex || badLine == 0);
        break;
    case ImageFault::empty: require(bytes.isEmpty()); break;
    case ImageFault::tooLarge: require(quint64(bytes.size()) > firmware::largestImage); break;
    case ImageFault::malformedHex: require(hex && image.badLine == badLine && badLine > 0); break;
    default: require(false); break;  // the bytes in hand are neither missing nor unreadable
    }
    return 0;
}
