// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/SpreadsheetFiles.h"

#include <QFile>

#include <zip.h>
#include <zlib.h>

namespace {

// `bytes` as raw deflate data, the form a zip entry holds.
QByteArray deflated(const QByteArray &bytes)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&stream, uLong(bytes.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

const QByteArray xlsxParts[][2] = {
    {"[Content_Types].xml",
     R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/></Types>)"},
    {"_rels/.rels",
     R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
    {"xl/workbook.xml",
     R"(<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
    {"xl/_rels/workbook.xml.rels",
     R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)"},
};

} // namespace

void writeZip(const QString &path, const QList<ZipEntry> &entries, bool firstStored)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    for (const ZipEntry &entry : entries) {
        const bool stored = firstStored && &entry == &entries.first();
        const QByteArray data = stored ? entry.bytes : deflated(entry.bytes);
        const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(entry.bytes.constData()), uInt(entry.bytes.size()));
        zip_fileinfo info{};
        zipOpenNewFileInZip2_64(zip, entry.name.toUtf8().constData(), &info, nullptr, 0, nullptr, 0, nullptr,
                                stored ? 0 : Z_DEFLATED, Z_BEST_COMPRESSION, 1, 0);
        zipWriteInFileInZip(zip, data.constData(), unsigned(data.size()));
        zipCloseFileInZipRaw64(zip, ZPOS64_T(entry.declaredSize >= 0 ? entry.declaredSize : entry.bytes.size()), crc);
    }
    zipClose(zip, nullptr);
}

void writeXlsx(const QString &path, const QByteArray &rows, qint64 sheetSize, bool recalculateOnOpen)
{
    QList<ZipEntry> entries;
    for (const auto &part : xlsxParts)
        entries.append({QString::fromUtf8(part[0]), part[1]});
    if (recalculateOnOpen)
        entries[2].bytes.replace("</sheets>", "</sheets><calcPr fullCalcOnLoad=\"1\"/>");
    entries.append({QStringLiteral("xl/worksheets/sheet1.xml"),
                    R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
                        + rows + "</sheetData></worksheet>",
                    sheetSize});
    writeZip(path, entries);
}

QByteArray xlsxRow(int row, const QList<QPair<QByteArray, QByteArray>> &cells)
{
    QByteArray xml = "<row r=\"" + QByteArray::number(row) + "\">";
    for (const auto &[reference, text] : cells)
        xml += "<c r=\"" + reference + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
    return xml + "</row>";
}

void writeOds(const QString &path, const QByteArray &rows)
{
    const QByteArray content
        = R"(<?xml version="1.0" encoding="UTF-8"?><office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.2"><office:body><office:spreadsheet><table:table table:name="Sheet1">)"
        + rows + "</table:table></office:spreadsheet></office:body></office:document-content>";
    writeZip(path,
             {{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"},
              {QStringLiteral("META-INF/manifest.xml"),
               R"(<?xml version="1.0" encoding="UTF-8"?><manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/></manifest:manifest>)"},
              {QStringLiteral("content.xml"), content}},
             true);
}

QByteArray odsText(const QByteArray &text, int repeat)
{
    const QByteArray repeated = repeat > 1 ? " table:number-columns-repeated=\"" + QByteArray::number(repeat) + "\"" : "";
    return "<table:table-cell office:value-type=\"string\"" + repeated + "><text:p>" + text + "</text:p></table:table-cell>";
}

void writeLandlordXlsx(const QString &path)
{
    const QByteArray total = R"(<row r="6"><c r="B6" t="inlineStr"><is><t>合计</t></is></c>)"
                             R"(<c r="D6"><f>SUM(D3:D5)</f><v>4200.5</v></c></row>)";
    writeXlsx(path, xlsxRow(1, {{"A1", "2026年房客登记表"}})
                        + xlsxRow(2, {{"A2", "序号"}, {"B2", "姓名"}, {"C2", "房间号"}, {"D2", "月租"}, {"E2", "押金"},
                                      {"F2", "入住时间"}, {"G2", "到期时间"}, {"H2", "电话"}, {"I2", "备注"}})
                        + xlsxRow(3, {{"A3", "1"}, {"B3", "张三"}, {"C3", "101"}, {"D3", "1,200"}, {"E3", "2400"},
                                      {"F3", "2026年1月5日"}, {"G3", "2027.1.4"}, {"H3", "13800001111"}, {"I3", "押一付三"}})
                        + xlsxRow(4, {{"A4", "2"}, {"B4", "李四"}, {"C4", "102"}, {"D4", "¥1,500.00"}, {"E4", "3000"},
                                      {"F4", "2026/2/1"}, {"G4", "2027-01-31"}, {"H4", "13900002222"}})
                        + xlsxRow(5, {{"A5", "3"}, {"B5", "王五"}, {"C5", "201"}, {"D5", "1500.50"}, {"H5", "13700003333"}})
                        + total);
}
