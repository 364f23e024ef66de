#include "protocol/adapterline.h"

#include "protocol/codes.h"

namespace adapterline {

namespace {
constexpr char CR = 0x0D;
constexpr char LF = 0x0A;
}  // namespace

QByteArray encodeDataLine(CanFrame& frame)
{
    if (frame.length == 0) {
        frame.length = 1;
        frame.data[0] = 0x00;
    }
    if (frame.length > 8)
        frame.length = 8;
    frame.id = (frame.id & 0x00FFFFFFu) | (((frame.id >> 24) % 32u) << 24);

    const uint32_t wire = (frame.id << 3) | 0x4u;
    QByteArray line;
    line.reserve(frame.length + 9);
    line.append('A').append('T');
    line.append(char(wire >> 24)).append(char(wire >> 16)).append(char(wire >> 8)).append(char(wire));
    line.append(char(frame.length));
    line.append(reinterpret_cast<const char*>(frame.data), frame.length);
    line.append(CR).append(LF);
    return line;
}

QByteArray encodeModuleLine(const CanFrame& frame)
{
    const int length = frame.length > 8 ? 8 : frame.length;
    QByteArray line("AT");
    line.append(reinterpret_cast<const char*>(frame.data), length);
    line.append(CR).append(LF);
    return line;
}

QByteArray adapterCommandText(int index)
{
    switch (index) {
    case 0: return QByteArrayLiteral("AT+CAN_MODE=0\r\n");
    case 1: return QByteArrayLiteral("AT+CAN_FRAMEFORMAT=1,0,1,0\r\n");
    case 2: return QByteArrayLiteral("AT+CAN_FILTER0=1,0,0,0\r\n");
    case 3: return QByteArrayLiteral("AT+CAN_BAUD=1000000\r\n");
    case 4: return "AT+USART_PARAM=" + QByteArray::number(workingSerialRate) + ",0,0,0\r\n";
    case 6: return QByteArrayLiteral("AT+CG\r\n");
    default: return QByteArrayLiteral("AT+AT\r\n");
    }
}

bool isDataLine(const QByteArray& line)
{
    return line.size() >= 7 && line[0] == 'A' && line[1] == 'T' && uint8_t(line[6]) + 9 == line.size();
}

CanFrame parseDataLine(const QByteArray& line, const CanFrame& previous)
{
    CanFrame frame = previous;
    const auto* b = reinterpret_cast<const uint8_t*>(line.constData());
    const uint32_t wire = (uint32_t(b[2]) << 24) | (uint32_t(b[3]) << 16) | (uint32_t(b[4]) << 8) | b[5];
    frame.id = wire >> 3;
    frame.length = b[6] > 8 ? 8 : b[6];
    for (int i = 0; i < frame.length; ++i)
        frame.data[i] = b[7 + i];
    return frame;
}

int classifyAnswer(const QByteArray& line, uint8_t& code)
{
    if (line.size() < 2)
        return -1;
    const uint8_t b0 = uint8_t(line[0]);
    const uint8_t b1 = uint8_t(line[1]);
    code = b0;
    if (b1 == 'J')
        return stModuleBaudRate;
    if (b1 == 'M')
        return stModuleFrameType;
    if (b0 == 0x1F) {
        if (b1 == 0x1B)
            return stModuleBaudChanged;
        if (b1 == 'K')
            return stModuleFrameTypeChanged;
        return -1;
    }
    if (b0 == 'O' && b1 == 'K')
        return stModuleLegacyFirmware;
    return -1;
}

namespace {

// Length of the line at `from`, or 0 when it is not complete yet.
int completeLineLength(const char* p, int available)
{
    // A data line carries its own length: take it whole, even when its
    // identifier or data hold the pair CR LF.
    if (available >= 2 && p[0] == 'A' && p[1] == 'T') {
        if (available < 7)
            return 0;
        const int length = uint8_t(p[6]);
        if (length <= 8) {
            const int total = length + 9;
            if (available < total)
                return 0;
            if (p[total - 2] == CR && p[total - 1] == LF)
                return total;
        }
    }
    for (int i = 0; i + 1 < available; ++i)
        if (p[i] == CR && p[i + 1] == LF)
            return i + 2;
    return 0;
}

}  // namespace

void cutLines(QByteArray& buffer, const std::function<void(const QByteArray&)>& onLine)
{
    int offset = 0;
    const int size = buffer.size();
    while (offset < size) {
        const int length = completeLineLength(buffer.constData() + offset, size - offset);
        if (length == 0)
            break;
        onLine(QByteArray(buffer.constData() + offset, length));
        offset += length;
    }
    int keep = size - offset;
    if (keep > receiveBufferBound) {
        offset = size - receiveBufferBound;
        keep = receiveBufferBound;
    }
    if (offset > 0)
        buffer = QByteArray(buffer.constData() + offset, keep);
}

}  // namespace adapterline
