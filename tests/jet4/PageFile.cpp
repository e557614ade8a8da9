// SPDX-License-Identifier: GPL-3.0-or-later
#include "jet4/PageFile.h"

#include "jet4/PageFormat.h"

namespace jet4::detail {

PageFile::PageFile(const QString &path)
    : file(path)
{
}

PageFile::~PageFile()
{
    if (file.isOpen() && !finished) {
        file.close();
        file.remove();
    }
}

bool PageFile::create(QString *error)
{
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return true;
    *error = QStringLiteral("cannot create %1: %2").arg(file.fileName(), file.errorString());
    return false;
}

void PageFile::write(quint32 page, const QByteArray &bytes)
{
    Q_ASSERT(bytes.size() == pageSize && page < allocated);
    if (!failure.isEmpty())
        return;
    if (!file.seek(qint64(page) * pageSize) || file.write(bytes) != pageSize)
        failure = file.errorString();
    ++written;
}

bool PageFile::finish(QString *error)
{
    if (failure.isEmpty() && written != allocated)
        failure = QStringLiteral("%1 of %2 pages written").arg(written).arg(allocated);
    if (failure.isEmpty() && !file.flush())
        failure = file.errorString();
    if (!failure.isEmpty()) {
        *error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), failure);
        return false;
    }
    file.close();
    finished = true;
    return true;
}

} // namespace jet4::detail
