// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/RowIdentity.h"

#include "db/SqlStatement.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>

namespace {

QString utf8Text(const void *text)
{
    return text ? QString::fromUtf8(static_cast<const char *>(text)) : QString();
}

// The table's columns, and those of them that make its primary key, as the
// engine's parsed schema holds them (no query runs: a listing stays
// cheap). False when the origin is no ordinary table.
bool readTableColumns(sqlite3 *db, const RowIdentity &identity, QStringList *names, QStringList *primaryKey)
{
    const QByteArray schema = identity.schema.toUtf8();
    const QByteArray table = identity.table.toUtf8();
    const QByteArray sql = QStringLiteral("SELECT * FROM %1.%2")
                               .arg(quotedIdentifier(identity.schema), quotedIdentifier(identity.table))
                               .toUtf8();
    SqlStatement statement;
    if (!statement.tryPrepare(db, sql))
        return false;
    bool known = true;
    for (int i = 0; i < statement.columnCount() && known; ++i) {
        const QString name = statement.columnName(i);
        int inPrimaryKey = 0;
        known = sqlite3_table_column_metadata(db, schema.constData(), table.constData(), name.toUtf8().constData(),
                                              nullptr, nullptr, nullptr, &inPrimaryKey, nullptr)
            == SQLITE_OK;
        *names << name;
        if (inPrimaryKey)
            *primaryKey << name;
    }
    return known;
}

// Whether the table has a rowid that `alias`, a name no column has, reaches.
bool hasRowid(sqlite3 *db, const RowIdentity &identity, const QString &alias)
{
    return sqlite3_table_column_metadata(db, identity.schema.toUtf8().constData(), identity.table.toUtf8().constData(),
                                         alias.toUtf8().constData(), nullptr, nullptr, nullptr, nullptr, nullptr)
        == SQLITE_OK;
}

struct Origin {
    QString schema;
    QString table;
    QString column;
};

Origin originOf(const SqlStatement &statement, int column)
{
    sqlite3_stmt *handle = statement.handle();
    return {utf8Text(sqlite3_column_database_name(handle, column)), utf8Text(sqlite3_column_table_name(handle, column)),
            utf8Text(sqlite3_column_origin_name(handle, column))};
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isRowidName(const QString &name)
{
    return sameName(name, QStringLiteral("rowid")) || sameName(name, QStringLiteral("_rowid_"))
        || sameName(name, QStringLiteral("oid"));
}

// The column of the table that holds its rowid (an INTEGER PRIMARY KEY),
// as the engine names the origin of `alias`; "rowid" when no column does,
// empty when the engine cannot tell.
QString rowidOrigin(sqlite3 *db, const RowIdentity &identity, const QString &alias)
{
    const QByteArray probe = QStringLiteral("SELECT %1 FROM %2.%3")
                                 .arg(quotedIdentifier(alias), quotedIdentifier(identity.schema),
                                      quotedIdentifier(identity.table))
                                 .toUtf8();
    SqlStatement statement;
    if (!statement.tryPrepare(db, probe))
        return {};
    return originOf(statement, 0).column;
}

// Finds each key part among the listing's columns, or plans it as a hidden
// column put first.
void placeKeyParts(RowIdentity &identity, const QStringList &origins)
{
    for (const QString &origin : origins) {
        int source = -1;
        for (int i = 0; i < identity.columns.size() && source < 0; ++i) {
            if (!isRowidName(origin) && sameName(identity.columns.at(i), origin))
                source = i;
        }
        if (source >= 0) {
            identity.keySources.push_back(source);
        } else {
            identity.keySources.push_back(-1 - identity.hiddenColumns);  // resolved below
            identity.hiddenOrigins << origin;
            ++identity.hiddenColumns;
        }
    }
    // Hidden columns come first: the listing's columns move behind them.
    for (int &source : identity.keySources)
        source = source < 0 ? -1 - source : source + identity.hiddenColumns;
}

} // namespace

QString quotedIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

RowIdentity findRowIdentity(sqlite3 *db, const SqlStatement &listing, const QString &sql, QString *rewritten)
{
    RowIdentity identity;
    rewritten->clear();

    // Rows can be written back only when every column of the result is a
    // column of one table.
    const int count = listing.columnCount();
    for (int i = 0; i < count; ++i) {
        const Origin origin = originOf(listing, i);
        if (origin.column.isEmpty())
            return {};
        if (i == 0) {
            identity.schema = origin.schema;
            identity.table = origin.table;
        } else if (origin.schema != identity.schema || !sameName(origin.table, identity.table)) {
            return {};
        }
        identity.columns << origin.column;
    }
    if (count == 0)
        return {};

    QStringList names;
    QStringList primaryKey;
    if (!readTableColumns(db, identity, &names, &primaryKey))
        return identity;  // no key

    // A real column of the same name hides the rowid behind it.
    QString alias;
    for (const QString &candidate : {QStringLiteral("_rowid_"), QStringLiteral("rowid"), QStringLiteral("oid")}) {
        if (alias.isEmpty()
            && std::none_of(names.begin(), names.end(), [&](const QString &name) { return sameName(name, candidate); }))
            alias = candidate;
    }
    if (alias.isEmpty())
        return identity;  // no key

    QStringList origins;
    if (hasRowid(db, identity, alias)) {
        origins << rowidOrigin(db, identity, alias);
        if (origins.first().isEmpty())
            return identity;  // no key
        identity.keyKind = RowKeyKind::Rowid;
        identity.keyNames << alias;
    } else if (!primaryKey.isEmpty()) {
        // A WITHOUT ROWID table.
        identity.keyKind = RowKeyKind::PrimaryKey;
        identity.keyNames = primaryKey;
        origins = primaryKey;
    } else {
        return identity;  // no key
    }
    placeKeyParts(identity, origins);

    if (identity.hiddenColumns > 0) {
        // The key columns go right after SELECT, where they change neither
        // which rows come nor the listing's columns. DISTINCT would.
        static const QRegularExpression select(QStringLiteral("^\\s*select\\s"),
                                               QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression distinct(QStringLiteral("^\\s*select\\s+(distinct|all)\\b"),
                                                 QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = select.match(sql);
        if (!match.hasMatch() || distinct.match(sql).hasMatch()) {
            identity.withoutKey();
            return identity;
        }
        QStringList keys;
        for (const QString &name : identity.keyNames)
            keys << quotedIdentifier(name);
        *rewritten = match.captured(0) + keys.join(QStringLiteral(", ")) + QStringLiteral(", ")
            + sql.mid(match.capturedEnd());
    }
    return identity;
}

void RowIdentity::withoutKey()
{
    keyKind = RowKeyKind::None;
    keyNames.clear();
    keySources.clear();
    hiddenColumns = 0;
    hiddenOrigins.clear();
}

bool RowIdentity::deliveredBy(const SqlStatement &statement) const
{
    if (statement.columnCount() != hiddenColumns + columns.size())
        return false;
    for (int i = 0; i < statement.columnCount(); ++i) {
        const Origin origin = originOf(statement, i);
        const QString expected = i < hiddenColumns ? hiddenOrigins.at(i) : columns.at(i - hiddenColumns);
        if (origin.schema != schema || !sameName(origin.table, table) || !sameName(origin.column, expected))
            return false;
    }
    return true;
}
