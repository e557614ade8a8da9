// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/XlsxPackage.h"

#include "platform/Utf8Text.h"
#include "sheets/SheetReading.h"
#include "sheets/XmlScan.h"

#include <QDir>
#include <QHash>
#include <QUrl>

namespace {

// The part a relationship's target names, from the part that holds it.
QString resolvedPart(const QString &source, const QString &target)
{
    const QString name = QUrl::fromPercentEncoding(target.toUtf8());
    if (name.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(name.mid(1));
    const QString directory = source.section(QLatin1Char('/'), 0, -2);
    return QDir::cleanPath(directory.isEmpty() ? name : directory + QLatin1Char('/') + name);
}

// "_rels/.rels" for the package, "xl/_rels/workbook.xml.rels" for xl/workbook.xml.
QString relationshipsPart(const QString &part)
{
    const QString directory = part.section(QLatin1Char('/'), 0, -2);
    const QString file = part.section(QLatin1Char('/'), -1);
    return (directory.isEmpty() ? QString() : directory + QLatin1Char('/')) + QStringLiteral("_rels/") + file
        + QStringLiteral(".rels");
}

struct RelationshipsReader : XmlHandler {
    struct Entry {
        QString id, type, target;
    };
    QList<Entry> entries;
    void start(std::string_view name, const XmlAttributes &attributes)
    {
        if (name == "Relationship" && attributes.value("TargetMode") != "External")
            entries.append({fromUtf8(attributes.value("Id")), fromUtf8(attributes.value("Type")),
                            fromUtf8(attributes.value("Target"))});
    }
};

struct WorkbookReader : XmlHandler {
    struct Entry {
        QString name, relationship;
    };
    QList<Entry> sheets;
    bool dates1904 = false;
    bool recalculate = false;
    void start(std::string_view name, const XmlAttributes &attributes)
    {
        if (name == "calcPr") {
            const std::string_view value = attributes.value("fullCalcOnLoad");
            recalculate = value == "1" || value == "true";
        } else if (name == "sheet") {
            sheets.append({fromUtf8(attributes.value("name")), fromUtf8(attributes.value("id", true))});
        } else if (name == "workbookPr") {
            const std::string_view value = attributes.value("date1904");
            dates1904 = value == "1" || value == "true";
        }
    }
};

bool endsWith(const QString &type, const char *kind)
{
    return type.endsWith(QLatin1Char('/') + QLatin1String(kind));
}

} // namespace

XlsxPackage::XlsxPackage(const QString &path)
    : m_zip(path)
{
    if (!m_zip.isOpen())
        throw AppError(QStringLiteral("文件已损坏，或不是 .xlsx 表格文件"));

    QString workbook;
    for (const Relationship &relationship : relationshipsOf(QString())) {
        if (endsWith(relationship.type, "officeDocument"))
            workbook = relationship.target;
    }
    if (workbook.isEmpty())
        throw AppError(QStringLiteral("文件不是 .xlsx 表格文件（其中没有工作簿）"));

    WorkbookReader book;
    const QByteArray bookXml = read(workbook);
    scanXml(std::string_view(bookXml.constData(), std::size_t(bookXml.size())), book);
    m_dates1904 = book.dates1904;
    m_recalculateOnOpen = book.recalculate;

    QHash<QString, Relationship> byId;
    for (const Relationship &relationship : relationshipsOf(workbook)) {
        byId.insert(relationship.id, relationship);
        if (endsWith(relationship.type, "sharedStrings"))
            m_sharedStrings = relationship.target;
        else if (endsWith(relationship.type, "styles"))
            m_styles = relationship.target;
    }
    for (const auto &sheet : book.sheets) {
        const Relationship relationship = byId.value(sheet.relationship);
        m_sheets.append({sheet.name, endsWith(relationship.type, "worksheet") ? relationship.target : QString()});
    }
}

QList<XlsxPackage::Relationship> XlsxPackage::relationshipsOf(const QString &part)
{
    RelationshipsReader reader;
    const QByteArray xml = read(relationshipsPart(part));
    scanXml(std::string_view(xml.constData(), std::size_t(xml.size())), reader);
    QList<Relationship> relationships;
    for (const auto &entry : reader.entries)
        relationships.append({entry.id, entry.type, resolvedPart(part, entry.target)});
    return relationships;
}

QByteArray XlsxPackage::read(const QString &part)
{
    return readEntry(m_zip, part);
}

MappedBytes XlsxPackage::readMapped(const QString &part, ReadControl &control)
{
    return readMappedEntry(m_zip, part, control);
}
