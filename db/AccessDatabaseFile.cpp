// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/AccessDatabaseFile.h"

#include <QFile>

QString accessDatabaseRefusal(const QString &path)
{
    // An Access (Jet or ACE) database starts with 00 01 00 00 and its
    // engine's name.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(19);
    if (!header.startsWith(QByteArray("\x00\x01\x00\x00", 4)))
        return {};
    const QByteArray engine = header.mid(4);
    if (engine != "Standard Jet DB" && engine != "Standard ACE DB")
        return {};
    return QStringLiteral("数据库文件“%1”是 Access 数据库，本程序不能打开 Access 数据库。"
                          "该文件未被改动")
        .arg(path);
}
