#include "sim/simulator.h"

#include <QFile>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QElapsedTimer>

#include <fcntl.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "protocol/adapterline.h"

namespace {

int speedOf(speed_t s)
{
    switch (s) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    case B460800: return 460800;
    case B921600: return 921600;
    case B1152000: return 1152000;
    default: return 0;
    }
}

}  // namespace

// Lives on the simulator's thread: the pty, the adapter's line protocol and the bus.
class SimHost : public QObject {
public:
    explicit SimHost(Simulator& owner) : sim(owner) {}

    ~SimHost() override
    {
        unplug();
        drives.clear();
    }

    QString open()
    {
        rate = sim.adapterRate;
        for (const SimDriveConfig& config : sim.drives)
            drives.push_back(std::make_unique<SimDrive>(config, [this](const CanFrame& f) { sendFrame(f); }));
        return plugIn();
    }

    // A new pseudo-terminal, as a replugged adapter enumerates anew; the
    // stable link, when asked for, is pointed at it in one rename.
    QString plugIn()
    {
        masterFd = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (masterFd < 0 || ::grantpt(masterFd) != 0 || ::unlockpt(masterFd) != 0)
            return QString();
        const char* name = ::ptsname(masterFd);
        if (!name)
            return QString();
        const QString slavePath = QString::fromLocal8Bit(name);
        // Our own descriptor on the slave keeps the pair alive across the tool's
        // close and reopen, and shows the line speed the tool set.
        slaveFd = ::open(name, O_RDWR | O_NOCTTY);
        termios raw;
        if (slaveFd >= 0 && ::tcgetattr(slaveFd, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::cfsetspeed(&raw, B9600);
            ::tcsetattr(slaveFd, TCSANOW, &raw);
        }
        ::fcntl(masterFd, F_SETFL, ::fcntl(masterFd, F_GETFL) | O_NONBLOCK);
        notifier = new QSocketNotifier(masterFd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] { readTool(); });
        if (!sim.linkPath.isEmpty()) {
            const QByteArray link = QFile::encodeName(sim.linkPath);
            const QByteArray fresh = link + ".new";
            ::unlink(fresh.constData());
            if (::symlink(name, fresh.constData()) != 0 || ::rename(fresh.constData(), link.constData()) != 0)
                return QString();
        }
        return slavePath;
    }

    // The adapter is pulled out: the tool's end of the line hangs up, the link vanishes.
    void unplug()
    {
        delete notifier;
        notifier = nullptr;
        if (!sim.linkPath.isEmpty())
            ::unlink(QFile::encodeName(sim.linkPath).constData());
        if (slaveFd >= 0)
            ::close(slaveFd);
        if (masterFd >= 0)
            ::close(masterFd);
        slaveFd = masterFd = -1;
        pending.clear();
    }

    int toolRate() const
    {
        termios t;
        if (slaveFd < 0 || ::tcgetattr(slaveFd, &t) != 0)
            return 0;
        return speedOf(::cfgetospeed(&t));
    }

    void readTool()
    {
        char chunk[4096];
        for (;;) {
            const ssize_t n = ::read(masterFd, chunk, sizeof chunk);
            if (n <= 0)
                break;
            // The adapter understands only bytes sent at its own rate.
            if (toolRate() != rate) {
                pending.clear();
                continue;
            }
            pending.append(chunk, int(n));
        }
        adapterline::cutLines(pending, [this](const QByteArray& line) { handleLine(line); });
    }

    void writeTool(const QByteArray& bytes)
    {
        if (masterFd < 0)
            return;  // unplugged
        QByteArray out = bytes;
        if (toolRate() != rate)  // a receiver at another rate sees noise without line ends
            out = QByteArray(bytes.size(), '\xF0');
        const char* p = out.constData();
        qint64 left = out.size();
        while (left > 0) {
            const ssize_t n = ::write(masterFd, p, size_t(left));
            if (n <= 0)
                break;
            p += n;
            left -= n;
        }
    }

    void answerAdapter(const QByteArray& bytes)
    {
        if (sim.adapterSilent)
            return;
        if (sim.adapterDropNextAnswers > 0) {
            --sim.adapterDropNextAnswers;
            return;
        }
        writeTool(sim.adapterGarbage ? QByteArray("\x13\x37garbage") : bytes);
    }

    void handleLine(const QByteArray& line)
    {
        if (adapterline::isDataLine(line)) {
            const CanFrame frame = adapterline::parseDataLine(line);
            sim.record(frame);
            if (sim.adapterSilent)
                return;
            for (auto& d : drives)
                if (d->canId() == (frame.id & 0xFF))
                    d->receive(frame);
            return;
        }
        sim.recordText(line);
        // Module commands are three bytes whose last is zero ("AT+A\0" is the query).
        if (line.size() == 7 && line.startsWith("AT") && line[4] == '\0') {
            handleModuleCommand(uint8_t(line[2]), uint8_t(line[3]));
            return;
        }
        if (line.startsWith("AT+")) {
            answerAdapter("OK\r\n");
            if (line.startsWith("AT+USART_PARAM=")) {
                const int newRate = line.mid(15).split(',').value(0).toInt();
                if (newRate > 0)
                    rate = newRate;
            }
            return;
        }
    }

    void handleModuleCommand(uint8_t op, uint8_t code)
    {
        if (op == 0x2B) {
            answerAdapter(QByteArray(1, char(sim.adapterBaudCode)) + "J\r\n");
            answerAdapter(QByteArray(1, char(sim.adapterFrameCode)) + "M\r\n");
        } else if (op == 0x3B) {
            sim.adapterBaudCode = code;
            answerAdapter("\x1F\x1B\r\n");
        } else if (op == 0x4B) {
            sim.adapterFrameCode = code;
            answerAdapter("\x1FK\r\n");
        }
    }

    void sendFrame(const CanFrame& frame)
    {
        if (sim.adapterSilent)
            return;
        CanFrame copy = frame;
        writeTool(adapterline::encodeDataLine(copy));
    }

    Simulator& sim;
    int masterFd = -1;
    int slaveFd = -1;
    int rate = 921600;
    QByteArray pending;
    QSocketNotifier* notifier = nullptr;
    std::vector<std::unique_ptr<SimDrive>> drives;
};

Simulator::Simulator() = default;

Simulator::~Simulator()
{
    stop();
}

QString Simulator::start()
{
    if (host)
        return path;
    wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    threadReady = false;
    threadEnded.store(false);
    // Both run on the simulator's thread: the first thing it does, and the last.
    const auto ready = QObject::connect(&thread, &QThread::started, [this] {
        wakeNotifier = new QSocketNotifier(wakeFd, QSocketNotifier::Read);
        QObject::connect(wakeNotifier, &QSocketNotifier::activated, [this] {
            uint64_t count = 0;
            while (read(wakeFd, &count, sizeof count) == sizeof count) {
            }
            drainJobs();
        });
        std::lock_guard<std::mutex> lock(startMutex);
        threadReady = true;
        startSignal.notify_all();
    });
    const auto finished = QObject::connect(&thread, &QThread::finished, [this] {
        delete wakeNotifier;
        wakeNotifier = nullptr;
        threadEnded.store(true, std::memory_order_release);
    });
    thread.start();
    {
        std::unique_lock<std::mutex> lock(startMutex);
        startSignal.wait(lock, [this] { return threadReady; });
    }
    QObject::disconnect(ready);
    finishedConnection = finished;
    SimHost* created = new SimHost(*this);
    created->moveToThread(&thread);
    host = created;
    runOnSimThread([this] { path = host->open(); });
    return path;
}

void Simulator::stop()
{
    if (!host)
        return;
    runOnSimThread([this] { delete host; });
    host = nullptr;
    thread.quit();
    thread.wait();
    (void)threadEnded.load(std::memory_order_acquire);
    QObject::disconnect(finishedConnection);
    close(wakeFd);
    wakeFd = -1;
}

void Simulator::unplug()
{
    runOnSimThread([this] {
        host->unplug();
        path.clear();
    });
}

QString Simulator::replug()
{
    runOnSimThread([this] {
        if (host->masterFd < 0)
            path = host->plugIn();
    });
    return path;
}

bool Simulator::plugged() const
{
    bool in = false;
    const_cast<Simulator*>(this)->runOnSimThread([&] { in = host->masterFd >= 0; });
    return in;
}

void Simulator::drainJobs()
{
    std::vector<std::function<void()>> now;
    {
        std::lock_guard<std::mutex> lock(jobsMutex);
        now.swap(jobs);
    }
    for (const auto& job : now)
        job();
}

void Simulator::runOnSimThread(const std::function<void()>& job)
{
    if (!host)
        return;
    if (QThread::currentThread() == &thread) {
        job();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneSignal;
    bool done = false;
    {
        std::lock_guard<std::mutex> lock(jobsMutex);
        jobs.push_back([&] {
            job();
            std::lock_guard<std::mutex> doneLock(doneMutex);
            done = true;
            doneSignal.notify_all();
        });
    }
    const uint64_t one = 1;
    if (write(wakeFd, &one, sizeof one) != sizeof one)
        qWarning("simulator: cannot wake its thread");
    std::unique_lock<std::mutex> lock(doneMutex);
    doneSignal.wait(lock, [&] { return done; });
}

SimDrive* Simulator::drive(int index) const
{
    if (!host || index < 0 || index >= int(host->drives.size()))
        return nullptr;
    return host->drives[size_t(index)].get();
}

int Simulator::currentAdapterRate() const
{
    int rate = 0;
    const_cast<Simulator*>(this)->runOnSimThread([&] { rate = host->rate; });
    return rate;
}

void Simulator::record(const CanFrame& frame)
{
    std::lock_guard<std::mutex> lock(observed);
    frames.append(frame);
    arrived.notify_all();
}

void Simulator::recordText(const QByteArray& text)
{
    std::lock_guard<std::mutex> lock(observed);
    texts.append(text);
    arrived.notify_all();
}

// Copies that share no block with the lists: an append on the simulator's
// thread may grow a block in place once the reader's copy stopped sharing it.
QList<CanFrame> Simulator::framesReceived() const
{
    std::lock_guard<std::mutex> lock(observed);
    QList<CanFrame> copy = frames;
    copy.detach();
    return copy;
}

QList<QByteArray> Simulator::textsReceived() const
{
    std::lock_guard<std::mutex> lock(observed);
    QList<QByteArray> copy = texts;
    copy.detach();
    return copy;
}

void Simulator::clearObservations()
{
    std::lock_guard<std::mutex> lock(observed);
    frames.clear();
    texts.clear();
}

bool Simulator::waitForFrame(const std::function<bool(const CanFrame&)>& match, int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    std::unique_lock<std::mutex> lock(observed);
    int checked = 0;
    for (;;) {
        for (; checked < frames.size(); ++checked)
            if (match(frames[checked]))
                return true;
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0)
            return false;
        arrived.wait_for(lock, std::chrono::milliseconds(left));
    }
}
