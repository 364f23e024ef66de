#pragma once
// The adapter's line protocol: data lines carrying one CAN frame, module
// lines, configuration texts, and the cutting of the received byte stream.

#include <QByteArray>
#include <functional>

#include "protocol/canframe.h"

namespace adapterline {

constexpr int workingSerialRate = 921600;
constexpr int receiveBufferBound = 64;  // no valid line is longer; older bytes are noise

// Normalises the frame (length 0 → one zero byte, length ≤ 8, type modulo 32)
// and returns the data line "AT" + BE(id << 3 | 4) + length + data + CR LF.
QByteArray encodeDataLine(CanFrame& frame);
// "AT" + the first `length` payload bytes + CR LF.
QByteArray encodeModuleLine(const CanFrame& frame);
// The configuration text of an index (indices 5 and above 6 are the probe).
QByteArray adapterCommandText(int index);

bool isDataLine(const QByteArray& line);
// Decodes a data line; at most eight data bytes are copied. Bytes beyond the
// line's length keep their values from `previous` (the last frame received).
CanFrame parseDataLine(const QByteArray& line, const CanFrame& previous = CanFrame());

// Adapter answers that carry a code of their own (the state code raised),
// or -1 when the line is none of them. `code` receives the reported byte.
int classifyAnswer(const QByteArray& line, uint8_t& code);

// Cuts every complete line out of `buffer` (front first) and hands it to
// `onLine`; what remains waits for more bytes, bounded by receiveBufferBound.
void cutLines(QByteArray& buffer, const std::function<void(const QByteArray&)>& onLine);

}  // namespace adapterline
