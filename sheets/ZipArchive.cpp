// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/ZipArchive.h"

#include <QByteArray>
#include <QFile>

#include <unzip.h>

namespace {

constexpr int ignoringCase = 2;

} // namespace

ZipArchive::ZipArchive(const QString &path)
    : m_zip(unzOpen64(QFile::encodeName(path).constData()))
{
}

ZipArchive::~ZipArchive()
{
    if (m_zip)
        unzClose(m_zip);
}

bool ZipArchive::contains(const QString &name)
{
    return m_zip && unzLocateFile(m_zip, name.toUtf8().constData(), ignoringCase) == UNZ_OK;
}

ZipArchive::Result ZipArchive::read(const QString &name, const std::function<void(const char *, qsizetype)> &take)
{
    if (!contains(name))
        return Result::Missing;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return Result::Damaged;
    if (info.flag & 1)
        return Result::Encrypted;
    if (unzOpenCurrentFile(m_zip) != UNZ_OK)
        return Result::Damaged;
    QByteArray piece(1 << 20, Qt::Uninitialized);
    int count;
    while ((count = unzReadCurrentFile(m_zip, piece.data(), unsigned(piece.size()))) > 0)
        take(piece.constData(), count);
    // Closing checks the checksum of an entry read to its end.
    const int closed = unzCloseCurrentFile(m_zip);
    return count == 0 && closed == UNZ_OK ? Result::Done : Result::Damaged;
}
