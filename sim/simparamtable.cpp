#include "sim/simparamtable.h"

#include <cmath>
#include <cstring>

#include "protocol/framecodec.h"

using namespace codec;

namespace {

template <typename T>
QByteArray rawOf(T v)
{
    QByteArray raw(8, '\0');
    std::memcpy(raw.data(), &v, sizeof v);
    return raw;
}

template <typename T>
T valueOf(const QByteArray& raw)
{
    T v{};
    std::memcpy(&v, raw.constData(), qMin<size_t>(sizeof v, size_t(raw.size())));
    return v;
}

}  // namespace

SimParam SimParamTable::text(const char* name, const char* value)
{
    SimParam p;
    p.name = QString::fromLatin1(name);
    p.value = QByteArray(value).leftJustified(16, '\0', true);
    p.factory = p.value;
    return p;
}

SimParam SimParamTable::number(const char* name, uint32_t type, double value, int16_t rawMin, int16_t rawMax,
                               int8_t exponent, uint8_t attribute)
{
    SimParam p;
    p.name = QString::fromLatin1(name);
    p.type = type;
    p.value = encode(type, value);
    p.factory = p.value;
    p.rawMin = rawMin;
    p.rawMax = rawMax;
    p.exponent = exponent;
    p.attribute = attribute;
    return p;
}

int SimParamTable::sizeOf(uint32_t type)
{
    static const int sizes[] = {1, 1, 2, 2, 4, 4, 4, 8, 8, 8, 16};
    return type <= 10 ? sizes[type] : 0;
}

QByteArray SimParamTable::encode(uint32_t type, double v)
{
    switch (type) {
    case 0: return rawOf(uint8_t(v));
    case 1: return rawOf(int8_t(v));
    case 2: return rawOf(uint16_t(v));
    case 3: return rawOf(int16_t(v));
    case 4: return rawOf(uint32_t(v));
    case 5: return rawOf(int32_t(v));
    case 6: return rawOf(float(v));
    case 7: return rawOf(uint64_t(v));
    case 8: return rawOf(int64_t(v));
    case 9: return rawOf(v);
    default: return QByteArray(8, '\0');
    }
}

double SimParamTable::decode(uint32_t type, const QByteArray& raw)
{
    switch (type) {
    case 0: return valueOf<uint8_t>(raw);
    case 1: return valueOf<int8_t>(raw);
    case 2: return valueOf<uint16_t>(raw);
    case 3: return valueOf<int16_t>(raw);
    case 4: return valueOf<uint32_t>(raw);
    case 5: return valueOf<int32_t>(raw);
    case 6: return double(valueOf<float>(raw));
    case 7: return double(valueOf<uint64_t>(raw));
    case 8: return double(valueOf<int64_t>(raw));
    case 9: return valueOf<double>(raw);
    default: return 0;
    }
}

double SimParamTable::limit(int16_t raw, int8_t exponent)
{
    return double(raw) * std::pow(10.0, exponent);
}

SimParamTable::SimParamTable(SimDriveContext& d) : SimFeature(d)
{
    kinds[0] = {text("DriveName", "Axis-A"), text("Location", "Bench 2")};
    kinds[1] = {text("HardwareVer", "HW 1.2"), text("FirmwareVer", "FW 3.4.1"), text("BuildDate", "2026-11-03")};
    kinds[2] = {
        number("ScopeCh1", 0, 0, 0, 255, 0),
        number("ScopeCh2", 0, 0, 0, 255, 0),
        number("ScopeFreq", 2, 100, 1, 2600, 0),
        number("CanTimeout", 0, 10, 0, 255, 0),
        number("ZeroOffset", 1, -3, -100, 100, 0),
        number("MaxSpeed", 6, 20.5f, 0, 3000, -2),
        number("SpeedKp", 6, 1.5f, 0, 1000, -1, 0),
        number("CurrentKi", 9, 0.125, -1000, 1000, -2),
        number("PulseCount", 2, 1000, 0, 5000, 1),
        number("TorqueTrim", 3, -12, -1000, 1000, 0),
        number("BaudRate", 4, 1000000, 0, 20000, 2),
        number("StartDelay", 5, -4000, -32000, 32000, 0),
        number("SerialNo", 7, 1000000000.0, 0, 30000, 5),
        number("Odometer", 8, -5, -1000, 1000, 0),
    };
    kinds[3] = {
        number("Temperature", 6, 31.2f, 0, 0, 0),
        number("BusVoltage", 6, 24.0f, 0, 0, 0),
        number("Position", 9, 0.5, 0, 0, 0),
        number("FaultWord", 4, 0, 0, 0, 0),
        number("RunTime", 7, 123456789.0, 0, 0, 0),
        number("Phase", 3, -7, 0, 0, 0),
    };
    streamTimer.setInterval(1);
    connect(&streamTimer, &QTimer::timeout, this, [this] { streamTick(); });
}

SimParam* SimParamTable::entry(uint16_t code)
{
    const int kind = code >> 12;
    const int index = code & 0x0FFF;
    if (kind > 3 || index >= kinds[kind].size())
        return nullptr;
    return &kinds[kind][index];
}

void SimParamTable::reply(uint8_t type, uint8_t status, const uint8_t data[8])
{
    CanFrame frame;
    frame.id = makeId(type, hostId, uint16_t(drive.canId() | (status << 8)));
    frame.length = 8;
    std::memcpy(frame.data, data, 8);
    drive.transmit(frame);
}

bool SimParamTable::handleFrame(const CanFrame& request)
{
    switch (commType(request.id)) {
    case commParamTable:
        if (readLe64(request.data) != drive.mcuId())
            return true;
        ++tableRequests;
        if (answerDescriptors)
            startStream();
        return true;
    case commParamRead:
        answerRead(request);
        return true;
    case commParamWrite:
        answerWrite(request);
        return true;
    default:
        return false;
    }
}

void SimParamTable::startStream()
{
    stream.clear();
    const auto add = [this](uint8_t code, uint16_t functionCode, const uint8_t* bytes, int n) {
        CanFrame f;
        f.id = makeId(commParamTable, hostId, uint16_t(drive.canId() | (code << 8)));
        f.length = 8;
        writeLe16(f.data, functionCode);
        std::memcpy(f.data + 2, bytes, size_t(n));
        stream << f;
    };
    const auto addText = [&](uint8_t firstCode, uint16_t fc, const QByteArray& text) {
        const QByteArray t = text.leftJustified(16, '\0', true);
        const auto* p = reinterpret_cast<const uint8_t*>(t.constData());
        add(firstCode, fc, p, 6);
        add(uint8_t(firstCode + 1), fc, p + 6, 6);
        add(uint8_t(firstCode + 2), fc, p + 12, 4);
    };
    for (uint32_t kind = 0; kind < 4; ++kind) {
        for (int i = 0; i < kinds[kind].size(); ++i) {
            const SimParam& p = kinds[kind][i];
            const uint16_t fc = uint16_t((kind << 12) | uint32_t(i));
            addText(0, fc, p.name.toLatin1());
            if (kind < 2) {
                addText(6, fc, p.value);
                continue;
            }
            const auto* value = reinterpret_cast<const uint8_t*>(p.value.constData());
            if (kind == 2) {
                uint8_t limits[6] = {uint8_t(p.rawMin), uint8_t(uint16_t(p.rawMin) >> 8), uint8_t(p.rawMax),
                                     uint8_t(uint16_t(p.rawMax) >> 8), uint8_t(p.exponent),
                                     uint8_t((p.type & 0x1F) | (p.attribute << 5))};
                add(3, fc, limits, 6);
            }
            uint8_t head[6] = {0, uint8_t(p.type), value[0], value[1], value[2], value[3]};
            add(4, fc, head, 6);
            if (sizeOf(p.type) == 8) {
                uint8_t tail[6] = {0, 0, value[4], value[5], value[6], value[7]};
                add(5, fc, tail, 6);
            }
        }
    }
    if (swapDescriptorFrame >= 0 && swapDescriptorFrame + 1 < stream.size())
        std::swap(stream[swapDescriptorFrame], stream[swapDescriptorFrame + 1]);
    if (sendEndFrame) {
        CanFrame end;
        end.id = makeId(commParamTable, hostId, uint16_t(drive.canId() | (9 << 8)));
        end.length = 8;
        end.data[0] = setupCount;
        end.data[2] = uint8_t(kinds[0].size() + writableStringCountDelta);
        end.data[3] = uint8_t(kinds[1].size());
        writeLe16(end.data + 4, uint16_t(kinds[2].size()));
        writeLe16(end.data + 6, uint16_t(kinds[3].size()));
        stream << end;
    }
    if (dropDescriptorFrame >= 0 && dropDescriptorFrame < stream.size())
        stream.remove(dropDescriptorFrame);
    streamPos = 0;
    streamTimer.start();
}

void SimParamTable::streamTick()
{
    for (int n = 0; n < framesPerMs && streamPos < stream.size(); ++n) {
        drive.transmit(stream[streamPos++]);
        ++descriptorFramesSent;
    }
    if (streamPos >= stream.size())
        streamTimer.stop();
}

void SimParamTable::answerRead(const CanFrame& request)
{
    const uint16_t code = readLe16(request.data);
    readCodes << code;
    const uint8_t status = readStatusError ? 1 : 0;
    const SimParam* p = entry(code);
    if (!p) {
        uint8_t data[8] = {request.data[0], request.data[1], 0, 0, 0, 0, 0, 0};
        reply(commParamRead, 1, data);
        return;
    }
    const int chunks = (sizeOf(p->type) + 3) / 4;
    for (int c = 0; c < chunks; ++c) {
        uint8_t data[8] = {request.data[0], request.data[1], uint8_t(p->type), uint8_t(c), 0, 0, 0, 0};
        std::memcpy(data + 4, p->value.constData() + 4 * c, 4);
        reply(commParamRead, status, data);
    }
}

void SimParamTable::answerWrite(const CanFrame& request)
{
    const uint8_t command = high(request.id) & 0x3;
    const auto answer = [&](uint8_t error, const uint8_t head[4]) {
        uint8_t data[8] = {head[0], head[1], head[2], head[3], 0, 0, 0, 0};
        reply(commParamWrite, uint8_t(command | (error << 2)), data);
    };
    if (command == 2) {
        ++saves;
        const uint8_t head[4] = {0, 0, lastWriteType, lastWriteChunk};
        answer(0, head);
        return;
    }
    if (command == 3) {
        static const uint8_t sequence[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        const bool valid = std::memcmp(request.data, sequence, 8) == 0;
        if (valid) {
            ++factoryResets;
            for (auto& kind : kinds)
                for (SimParam& p : kind)
                    p.value = p.factory;
        }
        // like the save, the reply echoes the head of the last value written
        const uint8_t head[4] = {uint8_t(lastWriteCode), uint8_t(lastWriteCode >> 8), lastWriteType, lastWriteChunk};
        answer(valid ? 0 : 10, head);
        return;
    }
    if (command != 0) {
        answer(10, request.data);
        return;
    }

    const uint16_t code = readLe16(request.data);
    const uint8_t type = request.data[2];
    const uint8_t chunk = request.data[3];
    lastWriteCode = code;
    lastWriteType = type;
    lastWriteChunk = chunk;
    SimParam* p = entry(code);
    const int kind = code >> 12;
    uint8_t error = 0;
    if (!p)
        error = 1;
    else if (kind != 0 && kind != 2)
        error = 2;
    else if (type != p->type)
        error = 3;
    else if (chunk == 0) {
        writeCode = code;
        writeBuffer = QByteArray(16, '\0');
        writeNextChunk = 0;
    }
    if (!error && (code != writeCode || chunk != writeNextChunk))
        error = 5;
    if (!error && writeErrorCode && (writeErrorAtCode < 0 || writeErrorAtCode == code))
        error = writeErrorCode;
    if (error) {
        answer(error, request.data);
        return;
    }
    std::memcpy(writeBuffer.data() + 4 * chunk, request.data + 4, 4);
    ++writeNextChunk;
    if (writeNextChunk * 4 >= sizeOf(p->type)) {
        if (kind == 2) {
            const QByteArray raw = writeBuffer.left(8);
            const double v = decode(p->type, raw);
            if (v < limit(p->rawMin, p->exponent) - 1e-9 || v > limit(p->rawMax, p->exponent) + 1e-9) {
                answer(6, request.data);
                return;
            }
            p->value = raw;
        } else {
            p->value = writeBuffer;
        }
        writtenCodes << code;
    }
    answer(0, request.data);
}
