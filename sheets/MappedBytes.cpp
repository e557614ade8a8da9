// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/MappedBytes.h"

#include "sheets/SheetReading.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

[[noreturn]] void failWith(int error, const QString &what)
{
    if (error == ENOSPC || error == EDQUOT)
        throw AppError(QStringLiteral("临时文件夹“%1”空间不足").arg(QDir::toNativeSeparators(QDir::tempPath())));
    throw AppError(QStringLiteral("%1（%2）").arg(what, QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace

MappedBytes::~MappedBytes()
{
    close();
}

MappedBytes::MappedBytes(MappedBytes &&other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1))
    , m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_released(std::exchange(other.m_released, 0))
{
}

MappedBytes &MappedBytes::operator=(MappedBytes &&other) noexcept
{
    if (this != &other) {
        close();
        m_descriptor = std::exchange(other.m_descriptor, -1);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_released = std::exchange(other.m_released, 0);
    }
    return *this;
}

void MappedBytes::close() noexcept
{
    if (m_data)
        ::munmap(m_data, std::size_t(m_size));
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_data = nullptr;
    m_descriptor = -1;
    m_size = 0;
    m_released = 0;
}

MappedBytes MappedBytes::ofFile(const QString &path)
{
    MappedBytes mapped;
    mapped.m_descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (mapped.m_descriptor < 0)
        failWith(errno, QStringLiteral("无法打开文件"));
    mapped.map();
    return mapped;
}

MappedBytes MappedBytes::temporary()
{
    MappedBytes mapped;
    const QByteArray directory = QFile::encodeName(QDir::tempPath());
    mapped.m_descriptor = ::open(directory.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (mapped.m_descriptor < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        // File systems without unnamed files: a named one, unlinked at once.
        QByteArray name = directory + "/larkhaven-XXXXXX";
        mapped.m_descriptor = ::mkostemp(name.data(), O_CLOEXEC);
        if (mapped.m_descriptor >= 0)
            ::unlink(name.constData());
    }
    if (mapped.m_descriptor < 0)
        failWith(errno, QStringLiteral("无法建立临时文件"));
    return mapped;
}

void MappedBytes::append(const char *bytes, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(m_descriptor, bytes, std::size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            failWith(errno, QStringLiteral("写入临时文件时出错"));
        }
        bytes += written;
        size -= written;
    }
}

void MappedBytes::map()
{
    struct stat info {};
    if (::fstat(m_descriptor, &info) != 0)
        failWith(errno, QStringLiteral("无法读取文件"));
    m_size = info.st_size;
    if (m_size == 0)
        return;
    void *data = ::mmap(nullptr, std::size_t(m_size), PROT_READ, MAP_SHARED, m_descriptor, 0);
    if (data == MAP_FAILED) {
        m_size = 0;
        failWith(errno, QStringLiteral("无法读取文件"));
    }
    m_data = static_cast<char *>(data);
    ::madvise(m_data, std::size_t(m_size), MADV_SEQUENTIAL);
}

void MappedBytes::releaseBefore(const char *position)
{
    if (!m_data || position < m_data || position > m_data + m_size)
        return;
    static const qint64 page = ::sysconf(_SC_PAGESIZE);
    const qint64 end = (position - m_data) / page * page;
    // In steps of a few megabytes: each call is a system call.
    if (end - m_released < 4 * 1024 * 1024)
        return;
    ::madvise(m_data + m_released, std::size_t(end - m_released), MADV_DONTNEED);
    m_released = end;
}
