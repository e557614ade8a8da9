// SPDX-License-Identifier: GPL-3.0-or-later
#include "jet4/Jet4Writer.h"

#include "jet4/DataPage.h"
#include "jet4/HeaderPage.h"
#include "jet4/PageFile.h"
#include "jet4/TableLayout.h"
#include "jet4/TableWriter.h"
#include "jet4/UsageMap.h"

#include <QSet>

namespace jet4 {

namespace {

using namespace detail;

constexpr int maxNameLength = 64;
constexpr int maxColumns = 255;
constexpr quint32 globalMapPage = 1;
constexpr quint32 catalogPage = 2;  // where every reader looks for the catalog
const QString catalogName = QStringLiteral("MSysObjects");
constexpr qint16 tableObject = 1;
constexpr qint32 systemObjectFlags = qint32(0x80000002);

bool validName(const QString &name, QSet<QString> *taken)
{
    const QString key = name.toCaseFolded();
    if (name.isEmpty() || name.size() > maxNameLength || taken->contains(key))
        return false;
    taken->insert(key);
    return true;
}

QString checkTables(const QList<Table> &tables)
{
    QSet<QString> tableNames{catalogName.toCaseFolded()};
    for (const Table &table : tables) {
        if (!validName(table.name, &tableNames))
            return QStringLiteral("table name \"%1\" is empty, too long or taken").arg(table.name);
        if (table.columns.isEmpty() || table.columns.size() > maxColumns)
            return QStringLiteral("table %1: %2 columns").arg(table.name).arg(table.columns.size());
        QSet<QString> columnNames;
        int autoNumbers = 0;
        for (const Column &column : table.columns) {
            if (!validName(column.name, &columnNames))
                return QStringLiteral("table %1: column name \"%2\" is empty, too long or taken").arg(table.name, column.name);
            if (column.autoNumber && (column.type != ColumnType::Long || ++autoNumbers > 1))
                return QStringLiteral("table %1: an AutoNumber is one Long column").arg(table.name);
        }
        for (int row : table.deletedRows) {
            if (row < 0 || row >= table.rows.size())
                return QStringLiteral("table %1: no row %2 to delete").arg(table.name).arg(row);
        }
    }
    return {};
}

// The catalog: one row for itself, marked as a system table, and one per table.
TableLayout catalogLayout()
{
    return TableLayout(catalogName, true,
                       {{QStringLiteral("Id"), Kind::Long},
                        {QStringLiteral("ParentId"), Kind::Long},
                        {QStringLiteral("Name"), Kind::Text},
                        {QStringLiteral("Type"), Kind::Integer},
                        {QStringLiteral("DateCreate"), Kind::DateTime},
                        {QStringLiteral("DateUpdate"), Kind::DateTime},
                        {QStringLiteral("Flags"), Kind::Long},
                        {QStringLiteral("LvProp"), Kind::Ole}});
}

QVariantList catalogRow(quint32 definitionPage, const QString &name, qint32 flags, const QByteArray &properties = {})
{
    const QDateTime created(QDate(2017, 12, 30), QTime(12, 0));
    return {int(definitionPage), 0, name, QVariant::fromValue(tableObject), created, created, flags,
            properties.isEmpty() ? QVariant() : QVariant(properties)};
}

bool writeFile(PageFile &file, const QList<Table> &tables, Format format, QString *error)
{
    file.write(file.allocate(), headerPage(format));
    const quint32 globalMap = file.allocate();
    const quint32 catalog = file.allocate();
    Q_ASSERT(globalMap == globalMapPage && catalog == catalogPage);

    // The catalog's pages come before the tables', as in a file Access made.
    QList<QVariantList> catalogRows{catalogRow(catalogPage, catalogName, systemObjectFlags)};
    QList<quint32> definitionPages;
    for (const Table &table : tables) {
        definitionPages.append(file.allocate());
        catalogRows.append(catalogRow(definitionPages.last(), table.name, 0, table.properties));
    }
    if (!writeTable(file, catalogPage, catalogLayout(), catalogRows, {}, -1, error))
        return false;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        const Table &table = tables[i];
        if (!writeTable(file, definitionPages[i], TableLayout(table), table.rows, table.deletedRows, table.declaredRows,
                        error))
            return false;
    }

    // Page 1 holds the file's own page map; readers find a table's pages
    // through the table's map, and a freshly written file has no free pages.
    DataPage global(0);
    global.add(usageMapRow({}, file));
    file.write(globalMapPage, global.bytes());
    return true;
}

} // namespace

bool writeDatabase(const QString &path, const QList<Table> &tables, QString *error, Format format)
{
    QString failure = checkTables(tables);
    if (failure.isEmpty()) {
        PageFile file(path);
        if (file.create(&failure) && writeFile(file, tables, format, &failure) && file.finish(&failure))
            return true;
    }
    if (error)
        *error = failure;
    return false;
}

} // namespace jet4
