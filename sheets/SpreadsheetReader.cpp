// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/SpreadsheetReader.h"

#include "sheets/CsvReader.h"
#include "sheets/OdsReader.h"
#include "sheets/SheetCells.h"
#include "sheets/SheetReading.h"
#include "sheets/XlsxReader.h"
#include "sheets/ZipArchive.h"

#include <QFile>
#include <QFileInfo>

namespace {

using Kind = SpreadsheetKind;

QByteArray entry(ZipArchive &zip, const QString &name)
{
    QByteArray bytes;
    if (zip.read(name, [&](const char *data, qsizetype count) { bytes.append(data, count); }) == ZipArchive::Result::TooLarge)
        throw AppError(QStringLiteral("文件太大或已损坏（“%1”解压后过大）").arg(name));
    return bytes;
}

Kind packageKind(const QString &path)
{
    ZipArchive zip(path);
    if (!zip.isOpen())
        throw AppError(QStringLiteral("文件已损坏，无法解压"));
    if (zip.contains(QStringLiteral("[Content_Types].xml")))
        return Kind::Xlsx;
    const QByteArray type = entry(zip, QStringLiteral("mimetype")).trimmed();
    if (type != "application/vnd.oasis.opendocument.spreadsheet")
        throw AppError(QStringLiteral("文件不是 .xlsx 或 .ods 表格"));
    if (entry(zip, QStringLiteral("META-INF/manifest.xml")).contains("encryption-data"))
        throw AppError(QStringLiteral("文件已加密，请先在 WPS 或 LibreOffice 中去掉密码并另存"));
    return Kind::Ods;
}

} // namespace

SpreadsheetKind spreadsheetKind(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        throw AppError(QStringLiteral("文件不存在"));
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("无法打开文件（%1）").arg(file.errorString()));
    const QByteArray start = file.read(8);
    if (start.isEmpty())
        throw AppError(QStringLiteral("文件是空的"));
    if (start.startsWith("PK\x03\x04"))
        return packageKind(path);
    if (start.startsWith("\xD0\xCF\x11\xE0"))
        throw AppError(QStringLiteral("文件是加密的表格或旧版 Excel（.xls）文件，本程序不能读取；"
                                              "请在 Excel 或 WPS 中去掉密码并另存为 .xlsx"));
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("ods") || suffix == QLatin1String("xls"))
        throw AppError(QStringLiteral("文件已损坏，或不是 .%1 表格").arg(suffix));
    return Kind::Csv;
}

WorkbookFacts readSpreadsheet(const QString &path, SpreadsheetKind kind, int sheetIndex, SheetRowSink &sink,
                              ReadControl &control)
{
    switch (kind) {
    case Kind::Xlsx:
        return readXlsx(path, sheetIndex, sink, control);
    case Kind::Ods:
        return {readOds(path, sheetIndex, sink, control)};
    case Kind::Csv:
        break;
    }
    readCsv(path, sink, control);
    return {{QFileInfo(path).completeBaseName()}};
}
