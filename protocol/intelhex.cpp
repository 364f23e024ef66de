#include "protocol/intelhex.h"

#include <QList>

namespace intelhex {

namespace {

enum RecordType : int {
    data = 0,
    endOfFile = 1,
    extendedSegmentAddress = 2,
    startSegmentAddress = 3,
    extendedLinearAddress = 4,
    startLinearAddress = 5,
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The record's bytes after the colon; false for anything but hex pairs.
bool recordBytes(const QByteArray& line, QByteArray& bytes)
{
    if (line.size() < 11 || line[0] != ':' || (line.size() - 1) % 2 != 0)
        return false;
    bytes.resize((line.size() - 1) / 2);
    for (int i = 0; i < bytes.size(); ++i) {
        const int high = hexDigit(line[1 + 2 * i]);
        const int low = hexDigit(line[2 + 2 * i]);
        if (high < 0 || low < 0)
            return false;
        bytes[i] = char(high * 16 + low);
    }
    return true;
}

bool validRecord(const QByteArray& bytes, int& type)
{
    const int count = uint8_t(bytes[0]);
    if (bytes.size() != count + 5)
        return false;
    uint8_t sum = 0;
    for (char b : bytes)
        sum = uint8_t(sum + uint8_t(b));
    if (sum != 0)
        return false;
    type = uint8_t(bytes[3]);
    switch (type) {
    case data: return true;
    case endOfFile: return count == 0;
    case extendedSegmentAddress:
    case extendedLinearAddress: return count == 2;
    case startSegmentAddress:
    case startLinearAddress: return count == 4;
    default: return false;
    }
}

}  // namespace

int firstBadLine(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();  // the newline that ends the last record
    bool ended = false;
    QByteArray bytes;
    for (int n = 0; n < lines.size(); ++n) {
        QByteArray line = lines[n];
        if (line.endsWith('\r'))
            line.chop(1);
        int type = -1;
        if (ended || !recordBytes(line, bytes) || !validRecord(bytes, type))
            return n + 1;
        ended = type == endOfFile;
    }
    return ended ? 0 : lines.size() + 1;
}

}  // namespace intelhex
