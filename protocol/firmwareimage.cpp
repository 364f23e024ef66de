#include "protocol/firmwareimage.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "protocol/framecodec.h"
#include "protocol/intelhex.h"

namespace firmware {

namespace {

Image fault(ImageFault kind, const QString& cause = QString())
{
    Image image;
    image.fault = kind;
    image.cause = cause;
    return image;
}

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace

Image checkImage(const QString& fileName, QByteArray bytes)
{
    const quint64 size = quint64(bytes.size());
    if (checkSize(size) == SizeCheck::empty)
        return fault(ImageFault::empty);
    if (checkSize(size) == SizeCheck::tooLarge)
        return fault(ImageFault::tooLarge);
    if (QFileInfo(fileName).suffix().compare(QLatin1String("hex"), Qt::CaseInsensitive) == 0) {
        if (const int line = intelhex::firstBadLine(bytes)) {
            Image image = fault(ImageFault::malformedHex);
            image.badLine = line;
            return image;
        }
    }
    Image image;
    image.bytes = std::move(bytes);
    return image;
}

Image readImage(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return fault(ImageFault::missing);
    if (!info.isFile())
        return fault(ImageFault::notRegularFile);
    if (info.size() == 0)
        return fault(ImageFault::empty);
    if (quint64(info.size()) > largestImage)
        return fault(ImageFault::tooLarge);

    // Non-blocking, and checked again once open: the path may have been replaced meanwhile.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fault(errno == ENOENT ? ImageFault::missing : ImageFault::unreadable, systemReason(errno));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return fault(ImageFault::notRegularFile);
    }
    // One byte beyond the limit tells a file that grew too large.
    QByteArray bytes(int(largestImage + 1), Qt::Uninitialized);
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return fault(ImageFault::unreadable, systemReason(error));
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes.truncate(int(got));
    return checkImage(info.fileName(), std::move(bytes));
}

SizeCheck checkSize(quint64 imageSize)
{
    if (imageSize == 0)
        return SizeCheck::empty;
    if (imageSize > largestImage)
        return SizeCheck::tooLarge;
    return SizeCheck::accepted;
}

void blockBytes(const QByteArray& image, uint32_t block, uint8_t out[8])
{
    const quint64 start = quint64(block) * blockSize;
    const quint64 size = quint64(image.size());
    for (uint32_t i = 0; i < blockSize; ++i) {
        const quint64 at = start + i;
        out[i] = at < size ? uint8_t(image[int(at)]) : 0xFF;
    }
}

void informationBytes(uint32_t imageSize, uint32_t blocks, uint8_t out[8])
{
    codec::writeLe32(out, imageSize);
    codec::writeLe32(out + 4, blocks);
}

void finishBytes(uint32_t blocks, uint8_t out[8])
{
    codec::writeLe32(out, blocks);
    codec::writeLe32(out + 4, 0);
}

void pauseAfterBlock()
{
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::microseconds(1000);
    QThread::usleep(800);
    while (clock::now() < deadline)
        QThread::yieldCurrentThread();
}

}  // namespace firmware
