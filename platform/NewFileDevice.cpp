// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/NewFileDevice.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// PDF writers hand over a few bytes at a time.
constexpr qsizetype bufferSize = 1 << 16;

} // namespace

NewFileDevice::NewFileDevice(QString target)
    : m_target(std::move(target))
    , m_temporary(partFilePath(m_target))
{
}

NewFileDevice::~NewFileDevice()
{
    closeDescriptor();
    if (!m_published)
        ::unlink(QFile::encodeName(m_temporary).constData());
}

int NewFileDevice::create()
{
    const QByteArray path = QFile::encodeName(m_temporary);
    ::unlink(path.constData());
    // O_EXCL: a file of the program's own, never one a link names.
    m_descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (m_descriptor < 0)
        return m_error = errno;
    m_buffer.reserve(bufferSize);
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return 0;
}

qint64 NewFileDevice::writeData(const char *data, qint64 size)
{
    if (m_error != 0 || m_descriptor < 0)
        return -1;
    m_buffer.append(data, qsizetype(size));
    if (m_buffer.size() >= bufferSize)
        writeBuffered();
    return m_error == 0 ? size : -1;
}

void NewFileDevice::writeBuffered()
{
    if (m_error == 0)
        m_error = writeAllBytes(m_descriptor, m_buffer.constData(), m_buffer.size());
    m_buffer.clear();
}

void NewFileDevice::closeDescriptor()
{
    if (m_descriptor < 0)
        return;
    // A failed close can report a write that failed late (NFS, quotas).
    if (::close(m_descriptor) != 0 && m_error == 0 && errno != EINTR)
        m_error = errno;
    m_descriptor = -1;
}

int NewFileDevice::publish(ExistingFile existing)
{
    if (m_descriptor < 0 && m_error == 0)
        m_error = EBADF;
    if (m_descriptor >= 0) {
        writeBuffered();
        if (m_error == 0 && ::fsync(m_descriptor) != 0)
            m_error = errno;
        closeDescriptor();
    }
    QIODevice::close();
    if (m_error == 0)
        m_error = publishFile(m_temporary, m_target, existing);
    m_published = m_error == 0;
    return m_error;
}
