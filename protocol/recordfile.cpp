#include "protocol/recordfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recordfile {

namespace {

void cutBack(int fd, qint64 partial)
{
    struct stat st;
    if (partial > 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        (void)::ftruncate(fd, st.st_size - partial);
}

}  // namespace

WriteFailure causeOf(int errnoValue)
{
    return errnoValue == ENOSPC || errnoValue == EDQUOT ? WriteFailure::diskFull : WriteFailure::cannotWrite;
}

bool openForAppend(QFile& file, const QString& name)
{
    file.setFileName(name);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append))
        return false;
    const int fd = file.handle();
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    return true;
}

WriteFailure writeWhole(QFile& file, const QByteArray& bytes)
{
    const int fd = file.handle();
    if (fd < 0)
        return WriteFailure::cannotWrite;
    qint64 written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        const WriteFailure cause = n < 0 ? causeOf(errno) : WriteFailure::cannotWrite;
        cutBack(fd, written);
        return cause;
    }
    return WriteFailure::none;
}

}  // namespace recordfile
