// SPDX-License-Identifier: GPL-3.0-or-later
#include "access/ConversionResult.h"

#include <QDir>

QString damagedText()
{
    return QStringLiteral("文件已损坏，无法完整读出其中的记录（可先在 Access 中“压缩和修复”该数据库后再转换）");
}

QString notAccessText(const QString &path)
{
    return QStringLiteral("文件“%1”不是本程序能读取的 Access 数据库").arg(QDir::toNativeSeparators(path));
}

QString staleRowCountText(const ConversionResult &result)
{
    return QStringLiteral("Access 文件中记载的记录数为 %1 个，实际读出 %2 个（Access 异常关闭后会留下过时的记录数）。")
        .arg(result.declaredRows)
        .arg(result.rows);
}
