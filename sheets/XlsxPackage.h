// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/MappedBytes.h"

#include "sheets/ZipArchive.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct ReadControl;

// An .xlsx file as a package of parts (a zip file), and the parts a reading
// needs: the sheets in the workbook's order, the shared strings and the
// styles. Parts are found through the package's relationships as the writer
// spelled them, relative to their source or absolute from the package's
// root. Throws AppError for a file that is no such package.
class XlsxPackage {
public:
    struct Sheet {
        QString name;
        QString part;  // empty for a sheet that holds no cells (a chart)
    };

    explicit XlsxPackage(const QString &path);

    const QList<Sheet> &sheets() const { return m_sheets; }
    const QString &sharedStringsPart() const { return m_sharedStrings; }
    const QString &stylesPart() const { return m_styles; }
    // Whether dates count from 1904 (workbooks from old Macintosh Excel).
    bool dates1904() const { return m_dates1904; }
    // Whether the workbook asks to be calculated afresh when opened.
    bool recalculateOnOpen() const { return m_recalculateOnOpen; }

    // A part, whole; missing parts are a damaged file.
    QByteArray read(const QString &part);
    // A part inflated into a temporary file and mapped, for the large ones.
    MappedBytes readMapped(const QString &part, ReadControl &control);

private:
    struct Relationship {
        QString id;
        QString type;
        QString target;  // a part name
    };
    QList<Relationship> relationshipsOf(const QString &part);

    ZipArchive m_zip;
    QList<Sheet> m_sheets;
    QString m_sharedStrings;
    QString m_styles;
    bool m_dates1904 = false;
    bool m_recalculateOnOpen = false;
};
