// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/ZipArchive.h"

#include "sheets/SheetLimits.h"
#include "sheets/SheetReading.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>

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
    // minizip inflates no more than the size the entry declares, so a
    // declared size past the bound, or far past what its compressed bytes
    // can honestly hold, is refused before anything is inflated.
    const auto declared = qint64(std::min<ZPOS64_T>(info.uncompressed_size, ZPOS64_T(INT64_MAX)));
    const auto compressed = qint64(std::min<ZPOS64_T>(info.compressed_size, ZPOS64_T(INT64_MAX / sheetLimits::inflateRatio)));
    if (declared > sheetLimits::partBytes
        || (declared > sheetLimits::smallPartBytes && declared > compressed * sheetLimits::inflateRatio))
        return Result::TooLarge;
    if (unzOpenCurrentFile(m_zip) != UNZ_OK)
        return Result::Damaged;
    QByteArray piece(1 << 20, Qt::Uninitialized);
    int count;
    qint64 inflated = 0;
    while ((count = unzReadCurrentFile(m_zip, piece.data(), unsigned(piece.size()))) > 0) {
        inflated += count;
        if (inflated > declared) {
            unzCloseCurrentFile(m_zip);
            return Result::Damaged;
        }
        take(piece.constData(), count);
    }
    // Closing checks the checksum of an entry read to its end.
    const int closed = unzCloseCurrentFile(m_zip);
    return count == 0 && closed == UNZ_OK ? Result::Done : Result::Damaged;
}

namespace {

void inflate(ZipArchive &zip, const QString &name, const std::function<void(const char *, qsizetype)> &take)
{
    const auto damaged = [](const QString &detail) {
        return AppError(QStringLiteral("文件已损坏（%1）").arg(detail));
    };
    switch (zip.read(name, take)) {
    case ZipArchive::Result::Done:
        return;
    case ZipArchive::Result::Missing:
        throw damaged(QStringLiteral("缺少“%1”").arg(name));
    case ZipArchive::Result::Encrypted:
        throw AppError(QStringLiteral("文件已加密，请先在 Excel、WPS 或 LibreOffice 中去掉密码并另存"));
    case ZipArchive::Result::TooLarge:
        throw AppError(QStringLiteral("文件太大或已损坏（“%1”解压后过大）").arg(name));
    case ZipArchive::Result::Damaged:
        break;
    }
    throw damaged(QStringLiteral("“%1”无法解压或校验不符").arg(name));
}

} // namespace

QByteArray readEntry(ZipArchive &zip, const QString &name)
{
    QByteArray bytes;
    inflate(zip, name, [&](const char *data, qsizetype count) { bytes.append(data, count); });
    return bytes;
}

MappedBytes readMappedEntry(ZipArchive &zip, const QString &name, ReadControl &control)
{
    MappedBytes bytes = MappedBytes::temporary();
    inflate(zip, name, [&](const char *data, qsizetype count) {
        control.check();
        bytes.append(data, count);
    });
    bytes.map();
    return bytes;
}
