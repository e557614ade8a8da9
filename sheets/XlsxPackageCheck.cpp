// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/XlsxPackageCheck.h"

#include "sheets/ZipArchive.h"

#include <QByteArray>
#include <QByteArrayView>

namespace {

// The parts libxlsxwriter writes for a workbook of one sheet of text and
// numbers.
constexpr const char *exportParts[] = {
    "[Content_Types].xml", "_rels/.rels",           "docProps/app.xml",    "docProps/core.xml",
    "xl/workbook.xml",     "xl/_rels/workbook.xml.rels", "xl/styles.xml", "xl/theme/theme1.xml",
};
constexpr const char *sheetPart = "xl/worksheets/sheet1.xml";

// Reads a part through, keeping its beginning and its end, and counting
// the rows' start tags on the way.
struct PartScan {
    QByteArray head;
    QByteArray tail;
    qint64 rowTags = 0;

    void take(const char *data, qsizetype size)
    {
        static const QByteArray rowTag = "<row ";
        if (head.size() < 512)
            head.append(data, std::min<qsizetype>(size, 512 - head.size()));
        // The tail carries over so that a tag cut between pieces counts once.
        QByteArray window = tail.right(rowTag.size() - 1);
        window.append(data, size);
        for (qsizetype at = window.indexOf(rowTag); at >= 0; at = window.indexOf(rowTag, at + 1))
            ++rowTags;
        tail = window.right(64);
    }

    // The root element's name, after the XML declaration.
    QByteArray rootName() const
    {
        qsizetype at = head.indexOf('<');
        while (at >= 0 && at + 1 < head.size() && (head[at + 1] == '?' || head[at + 1] == '!'))
            at = head.indexOf('<', at + 1);
        if (at < 0)
            return {};
        qsizetype end = at + 1;
        while (end < head.size() && !QByteArrayView(" \t\r\n/>").contains(head[end]))
            ++end;
        return head.mid(at + 1, end - at - 1);
    }

    bool closed() const
    {
        const QByteArray root = rootName();
        return !root.isEmpty() && tail.trimmed().endsWith("</" + root + '>');
    }
};

} // namespace

bool isWholeExportPackage(const QString &path, qint64 rows)
{
    ZipArchive zip(path);
    if (!zip.isOpen())
        return false;
    const auto scanned = [&](const char *name, PartScan &scan) {
        return zip.read(QString::fromLatin1(name), [&](const char *data, qsizetype size) { scan.take(data, size); })
            == ZipArchive::Result::Done
            && scan.closed();
    };
    for (const char *name : exportParts) {
        PartScan scan;
        if (!scanned(name, scan))
            return false;
    }
    PartScan sheet;
    return scanned(sheetPart, sheet) && sheet.rowTags == rows;
}
