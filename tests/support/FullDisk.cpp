// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FullDisk.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

SmallDisk::SmallDisk(qint64 bytes)
{
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(m_directory.path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                options.constData())
        == 0)
        m_mounted = true;
    else
        m_failure = QStringLiteral("cannot mount a tmpfs (needs root): %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_directory.path()).constData(), MNT_DETACH);
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &m_previousSignal);
    getrlimit(RLIMIT_FSIZE, &m_previous);
    struct rlimit limit = m_previous;
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_previous);
    sigaction(SIGXFSZ, &m_previousSignal, nullptr);
}
