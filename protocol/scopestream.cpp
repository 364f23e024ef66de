// The oscilloscope on the wire: the frequency, the channel groups, start and
// stop (commands 24..27), and the drive's communication type 10 frames:
// the replies to the configuration and the sample stream, decoded into the
// per-channel windows and the wave file.

#include <algorithm>
#include <cstring>
#include <qcustomplot.h>

#include "protocol/framecodec.h"
#include "protocol/otathread.h"
#include "protocol/scopecodec.h"

using namespace codec;
using namespace scopecodec;

namespace {

uint16_t hostField(SubCode sub) { return uint16_t((sub << 8) | hostId); }

}  // namespace

ScopeState::ScopeState() = default;
ScopeState::~ScopeState() = default;

void SampleWindow::reset(uint32_t capacity)
{
    ring = QVector<QCPGraphData>(int(capacity));
    head = 0;
    count = 0;
    appended = 0;
}

void SampleWindow::append(double key, double value)
{
    const uint32_t cap = capacity();
    if (cap == 0)
        return;
    uint32_t slot = head + count;
    if (slot >= cap)
        slot -= cap;
    ring.data()[slot] = QCPGraphData(key, value);
    ++appended;
    if (count < cap)
        ++count;
    else if (++head == cap)
        head = 0;
}

void SampleWindow::copyTo(QVector<QCPGraphData>& points, uint64_t& start) const
{
    const uint32_t cap = capacity();
    const uint64_t first = appended - count;
    // Refilling a vector the plot no longer holds spares an allocation and its page
    // faults; moving its points up in place spares reading the ring as well.
    const bool reusable = points.isDetached() && points.size() == int(count);
    uint32_t kept = 0;
    if (!reusable)
        points = QVector<QCPGraphData>(static_cast<int>(count), QCPGraphData(0, 0));
    else if (start <= first && first - start < count)
        kept = count - uint32_t(first - start);
    QCPGraphData* to = points.data();
    if (kept > 0)
        std::memmove(to, to + (count - kept), kept * sizeof(QCPGraphData));
    // the ring's points from index `kept` of the window on
    uint32_t from = head + kept;
    if (from >= cap)
        from -= cap;
    const uint32_t rest = count - kept;
    const uint32_t beforeWrap = std::min(rest, cap - from);
    const QCPGraphData* ringPoints = ring.constData();
    std::copy(ringPoints + from, ringPoints + from + beforeWrap, to + kept);
    std::copy(ringPoints, ringPoints + (rest - beforeWrap), to + kept + beforeWrap);
    start = first;
}

void otaThread::executeScope(unsigned code, CanFrame& frame)
{
    switch (code) {
    case cmdScopeFrequency:
        writeLe16(frame.data, scopeFrequency);
        frame.data[2] = 17;
        frame.data[3] = 0;
        writeLe32(frame.data + 4, 921600);
        frame.id = makeId(commScope, targetId, hostField(subFrequency));
        sendCanFrame(frame);
        setPending(opScopeConfig);
        break;
    case cmdScopeChannels:
        // slots beyond the channel count carry 0: the drive takes the count from the identifier
        for (int i = 0; i < 4; ++i) {
            const int position = scopeConfigCursor + i;
            const uint16_t channelCode =
                position < scopeChannelCount && position < 8 ? channelCodes[scopeChannels[position] & 7] : 0;
            writeLe16(frame.data + 2 * i, channelCode);
        }
        frame.id = makeId(commScope, targetId, channelGroupField(scopeChannelCount, scopeConfigCursor));
        scopeConfigCursor = uint8_t(scopeConfigCursor + 4);
        sendCanFrame(frame);
        setPending(opScopeConfig);
        break;
    case cmdScopeStart:
        sampleFramesSeen = 0;
        droppedSamples = 0;
        waveFailure = recordfile::WriteFailure::none;
        frame.id = makeId(commScope, targetId, hostField(subSample));
        sendCanFrame(frame);
        setPending(opScopeStart);
        break;
    case cmdScopeStop:
        sendScopeStop();
        setPending(opScopeStop);
        break;
    default:
        setPending(opNone);
        break;
    }
}

void otaThread::sendScopeStop()
{
    CanFrame frame = requestFrame(commScope);
    frame.id = makeId(commScope, targetId, hostField(subStop));
    sendCanFrame(frame);
}

void otaThread::handleScopeFrame()
{
    const uint32_t id = rxFrame.id;
    const unsigned sub = (id >> 16) & 3;
    const unsigned error = (id >> 18) & 3;
    const unsigned frameNumber = (id >> 20) & 0x0F;

    // A sample after a stop request ends the repetition of the stop, but the
    // wait for the drive's confirmation goes on (the run loop bounds it).
    int op = pendingOp.load(std::memory_order_acquire);
    const bool stopping = op == opScopeStop || op == opScopeStopConfirm;
    if (sub == subSample && stopping) {
        if (op == opScopeStop)
            pendingOp.compare_exchange_strong(op, opScopeStopConfirm, std::memory_order_acq_rel);
    } else if (op != opNone) {
        pendingOp.store(opNone, std::memory_order_release);
    }
    paramErrorFlags = 0;

    switch (sub) {
    case subFrequency:
        tickMicros = readLeFloat(rxFrame.data);
        freqReplyWord1 = readLe16(rxFrame.data + 4);
        freqReplyWord2 = readLe16(rxFrame.data + 6);
        if (error == 0) {
            raiseState(stScopeFreqOk);
        } else {
            paramErrorFlags = 0x02;
            raiseState(stScopeConfigError);
        }
        break;
    case subChannels:
        sampleTime = 0;
        lastTimestamp = 0;
        if (error != 0) {
            paramErrorFlags = 0x04u << (error - 1);
            raiseState(stScopeConfigError);
        } else if (scopeConfigCursor < scopeChannelCount) {
            execute(cmdScopeChannels);
        } else {
            completeConfiguration();
        }
        break;
    case subSample:
        scopeRunning.store(1, std::memory_order_release);
        if (error != 0) {
            paramErrorFlags = 0x20;
            raiseState(stScopeConfigError);
            break;
        }
        std::copy(rxFrame.data, rxFrame.data + 8, sampleBuffer + 8 * frameNumber);
        sampleFramesSeen = uint16_t(sampleFramesSeen | (1u << frameNumber));
        if (8 * frameNumber + 8 >= sampleBytes) {
            // decoded only when every frame of the sample arrived since the previous one completed
            const uint32_t all = (2u << frameNumber) - 1;
            if (sampleFramesSeen == all)
                decodeSample();
            else
                ++droppedSamples;
            sampleFramesSeen = 0;
        }
        break;
    default:
        scopeRunning.store(0, std::memory_order_release);
        raiseState(stScopeStopped);
        break;
    }
}

void otaThread::completeConfiguration()
{
    bool typesMatch = true;
    for (int i = 0; i < scopeChannelCount && i < 8; ++i) {
        const int c = scopeChannels[i] & 7;
        const uint8_t nibbles = rxFrame.data[i / 2];
        channelTypeEcho[c] = (i % 2 == 0) ? (nibbles & 0x0F) : (nibbles >> 4);
        typesMatch = typesMatch && channelTypeEcho[c] == channelTypes[c];
    }
    emitEvery = emissionPeriod(scopeFrequency);
    windowCapacity = windowPoints(scopeFrequency);
    for (int c = 0; c < 8; ++c) {
        sampleVectors[c] = QVector<QCPGraphData>();
        spareVectors[c] = QVector<QCPGraphData>();
        sampleVectorStarts[c] = spareVectorStarts[c] = 0;
        sampleWindows[c].reset(0);
    }
    for (int i = 0; i < scopeChannelCount && i < 8; ++i)
        sampleWindows[scopeChannels[i] & 7].reset(windowCapacity);
    emitCounter = 0;
    sampleCount = 0;
    windowFull = false;
    sampleFramesSeen = 0;
    decodedSamples = 0;
    if (typesMatch) {
        raiseState(stScopeChannelsOk);
    } else {
        paramErrorFlags = 0x40;
        raiseState(stScopeConfigError);
    }
}

void otaThread::decodeSample()
{
    const uint16_t timestamp = readLe16(sampleBuffer);
    sampleTime += double(ticksToSeconds(timestampTicks(lastTimestamp, timestamp), tickMicros));
    lastTimestamp = timestamp;

    const int count = std::min<int>(scopeChannelCount, 8);
    uint32_t listTypes[8];
    const uint8_t* p = sampleBuffer + 2;
    for (int i = 0; i < count; ++i) {
        const int c = scopeChannels[i] & 7;
        listTypes[i] = channelTypes[c];
        sampleWindows[c].append(sampleTime, sampleValue(channelTypes[c], p));
        p += valueSize(channelTypes[c]);
    }
    ++decodedSamples;

    // The lines go out together at the end of the received chunk, or before a
    // batch could outgrow what a pipe takes whole, whatever the next line's length.
    if (waveSaving && waveLines.size() >= waveBatchBytes)
        writeWaveLines();
    if (waveSaving) {
        appendWaveLine(waveLines, sampleTime, sampleBuffer + 2, listTypes, count);
        ++waveLineCount;
    }

    if (!windowFull && ++sampleCount >= windowCapacity)
        windowFull = true;

    if (++emitCounter >= emitEvery) {
        emitCounter = 0;
        materializeWindows();
        emit scopeToShow(sampleVectors);
    }
}

void otaThread::materializeWindows()
{
    for (int i = 0; i < scopeChannelCount && i < 8; ++i) {
        const int c = scopeChannels[i] & 7;
        sampleVectors[c].swap(spareVectors[c]);
        std::swap(sampleVectorStarts[c], spareVectorStarts[c]);
        sampleWindows[c].copyTo(sampleVectors[c], sampleVectorStarts[c]);
    }
}

bool otaThread::openWaveFile(const QString& name)
{
    writeWaveLines();  // lines still waiting belong to the file open before
    waveLinesKept = 0;
    waveFailure = recordfile::WriteFailure::none;
    waveSaving = recordfile::openForAppend(waveFile, name);
    return waveSaving;
}

void otaThread::writeWaveLines()
{
    const uint32_t lines = waveLineCount;
    if (lines == 0)
        return;
    waveLineCount = 0;
    if (!waveSaving) {  // saving was switched off under them: there is no file to take them
        waveLines.resize(0);
        return;
    }
    const recordfile::WriteFailure failure = recordfile::writeWhole(waveFile, waveLines);
    waveLines.resize(0);
    if (failure == recordfile::WriteFailure::none)
        waveLinesKept += lines;
    else
        failWaveFile(failure);
}

void otaThread::closeWaveFile()
{
    writeWaveLines();
    waveFile.close();
    waveSaving = false;
}

void otaThread::failWaveFile(recordfile::WriteFailure cause)
{
    waveFailure = cause;
    closeWaveFile();
    emit waveFileFailed();
}
