#include "protocol/otathread.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <chrono>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"

Q_LOGGING_CATEGORY(lcWire, "torvane.wire", QtInfoMsg)

otaThread::otaThread(QObject* parent) : QThread(parent)
{
    sleepFor = [this](unsigned ms) { defaultSleep(ms); };
    idleWait = [this] { defaultIdle(); };
}

otaThread::~otaThread()
{
    if (isRunning()) {
        stop();
        wait();
    }
}

bool otaThread::onOwnerThread() const
{
    return QThread::currentThread() == thread();
}

void otaThread::raiseState(int code)
{
    if (onOwnerThread()) {
        stateCode = code;
        emit sendState();
        return;
    }
    // From the run loop: each notification travels with its own code, in order.
    QMetaObject::invokeMethod(
        this,
        [this, code] {
            stateCode = code;
            emit sendState();
        },
        Qt::QueuedConnection);
}

void otaThread::setPending(int op)
{
    pendingOp.store(op, std::memory_order_release);
    { std::lock_guard<std::mutex> lock(wakeMutex); }
    wake.notify_all();
}

bool otaThread::endPending(int expected)
{
    return pendingOp.compare_exchange_strong(expected, 0, std::memory_order_acq_rel);
}

void otaThread::stop()
{
    requestInterruption();
    {
        std::lock_guard<std::mutex> lock(wakeMutex);
        stopRequested.store(true);
    }
    wake.notify_all();
}

void otaThread::defaultSleep(unsigned ms)
{
    std::unique_lock<std::mutex> lock(wakeMutex);
    wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopRequested.load(); });
}

void otaThread::defaultIdle()
{
    const int seen = pendingOp.load(std::memory_order_acquire);
    std::unique_lock<std::mutex> lock(wakeMutex);
    wake.wait_for(lock, std::chrono::milliseconds(20), [this, seen] {
        return stopRequested.load() || pendingOp.load(std::memory_order_acquire) != seen;
    });
}

void otaThread::run()
{
    while (!stopRequested.load() && !isInterruptionRequested())
        pollOnce();
}

void otaThread::clearReceiveBuffer()
{
    if (onOwnerThread()) {
        rxBuffer.clear();
        ++rxClearCount;
        return;
    }
    // The receive path owns the buffer: the clearing is queued ahead of the line
    // that this command writes, so it happens before any answer to it arrives.
    QMetaObject::invokeMethod(
        this,
        [this] {
            rxBuffer.clear();
            ++rxClearCount;
        },
        Qt::QueuedConnection);
}

CanFrame otaThread::requestFrame(uint8_t type) const
{
    CanFrame frame;
    frame.id = codec::makeId(type, targetId, hostId);
    frame.length = 8;
    return frame;
}

void otaThread::sendCanFrame(CanFrame& frame)
{
    const QByteArray line = adapterline::encodeDataLine(frame);
    qCDebug(lcWire) << "CAN id:" << frame.id;
    emit WriteToSerial(line, qint16(line.size()));
}

void otaThread::sendRawLine(const CanFrame& frame)
{
    const QByteArray line = adapterline::encodeModuleLine(frame);
    emit WriteToSerial(line, qint16(line.size()));
}

void otaThread::sendAdapterCommand(int index)
{
    const QByteArray text = adapterline::adapterCommandText(index);
    emit WriteToSerial(text, qint16(text.size()));
}

void otaThread::getSerialData(QByteArray bytes)
{
    rxBuffer.append(bytes);
    // Decoding may issue commands that clear the buffer; work on our own copy.
    QByteArray work;
    work.swap(rxBuffer);
    const quint64 clearsBefore = rxClearCount;
    adapterline::cutLines(work, [this](const QByteArray& line) {
        decodeLine(line);
        qCDebug(lcWire) << "rxHex:" << line.toHex();
    });
    if (rxClearCount != clearsBefore)
        return;  // a command dropped the partial line while we decoded
    work.append(rxBuffer);
    rxBuffer.swap(work);
}
