#include "protocol/otathread.h"

#include <QLoggingCategory>
#include <QMetaObject>

#include <chrono>

#include "protocol/adapterline.h"
#include "protocol/framecodec.h"

Q_LOGGING_CATEGORY(lcWire, "torvane.wire", QtInfoMsg)

otaThread::otaThread(QObject* parent) : QThread(parent) {}

void otaThread::setClock(Clock* replacement)
{
    clockInUse.store(replacement ? replacement : &loopClock, std::memory_order_release);
}

Clock& otaThread::realTime()
{
    return loopClock;
}

otaThread::~otaThread()
{
    if (isRunning()) {
        stop();
        waitForEnd();
    }
    closeWaveFile();
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
    post([this, code] {
        stateCode = code;
        emit sendState();
    });
}

void otaThread::post(std::function<void()> job)
{
    bool first;
    {
        std::lock_guard<std::mutex> lock(outboxMutex);
        first = outbox.isEmpty();
        outbox.append(std::move(job));
    }
    // Called by name, the wake-up carries nothing built by our code: Qt makes and frees it under its own lock.
    if (first)
        QMetaObject::invokeMethod(this, "drainOutbox", Qt::QueuedConnection);
}

void otaThread::runOnOwnerThread(std::function<void()> job)
{
    if (onOwnerThread())
        job();
    else
        post(std::move(job));
}

void otaThread::drainOutbox()
{
    QVector<std::function<void()>> jobs;
    {
        std::lock_guard<std::mutex> lock(outboxMutex);
        jobs.swap(outbox);
    }
    for (const auto& job : jobs)
        job();
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
    loopEnded.store(true, std::memory_order_release);
}

bool otaThread::waitForEnd(unsigned long ms)
{
    if (!wait(ms))
        return false;
    (void)loopEnded.load(std::memory_order_acquire);
    return true;
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
    post([this] {
        rxBuffer.clear();
        ++rxClearCount;
    });
}

CanFrame otaThread::requestFrame(uint8_t type) const
{
    CanFrame frame;
    frame.id = codec::makeId(type, targetId, hostId);
    frame.length = 8;
    return frame;
}

void otaThread::emitLine(const QByteArray& line)
{
    if (onOwnerThread()) {
        emit WriteToSerial(line, qint16(line.size()));
        return;
    }
    // The port belongs to the GUI thread: the run loop's lines are queued to it.
    post([this, line] { emit WriteToSerial(line, qint16(line.size())); });
}

void otaThread::sendCanFrame(CanFrame& frame)
{
    const QByteArray line = adapterline::encodeDataLine(frame);
    qCDebug(lcWire) << "CAN id:" << frame.id;
    emitLine(line);
}

void otaThread::sendRawLine(const CanFrame& frame)
{
    emitLine(adapterline::encodeModuleLine(frame));
}

void otaThread::sendAdapterCommand(int index)
{
    emitLine(adapterline::adapterCommandText(index));
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
    writeWaveLines();
    if (rxClearCount != clearsBefore)
        return;  // a command dropped the partial line while we decoded
    work.append(rxBuffer);
    rxBuffer.swap(work);
}
