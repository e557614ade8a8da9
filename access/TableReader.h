// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Included only by the access/ sources that read with libmdb.

#include <QByteArray>
#include <QSet>

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <mdbtools.h>

using Bytes = std::span<const unsigned char>;

// One table of an open Access file, its definition and the rows its pages
// hold, read through libmdb. libmdb trusts the file: a page past its end
// reads as zeros, a usage map of an unknown kind or a property block of
// length 0 is followed anyway. So every page number, length and map is
// checked here before libmdb is handed it: the definition must hold all its
// columns and names within its stated length, every page a map lists or a
// row points to must be in the file, and every row the table's pages hold
// must be read whole. The catalog (MSysObjects) is read the same way.
class TableReader {
public:
    // Null when the definition at `definitionPage`, or a map it points to,
    // is damaged. `pageCount`: the pages the file holds.
    static std::unique_ptr<TableReader> open(MdbHandle *mdb, guint32 pageCount, guint32 definitionPage);
    ~TableReader();
    TableReader(const TableReader &) = delete;
    TableReader &operator=(const TableReader &) = delete;

    // In the order of the table's rows' columns.
    int columnCount() const { return int(m_table->num_cols); }
    MdbColumn *column(int i) const { return static_cast<MdbColumn *>(g_ptr_array_index(m_table->columns, i)); }
    // The definition's bytes, its pages joined: the column entries are at
    // columnEntry(i) in the order they are stored.
    const QByteArray &definition() const { return m_definition; }
    const unsigned char *columnEntry(int i) const;

    // The row count the definition keeps, which may be stale.
    qint64 declaredRowCount() const { return m_table->num_rows; }

    enum class Fetch { Row, End, Damaged };
    // Moves to the next row in the file's order (the first after rewind()).
    Fetch fetchRow();
    void rewind();
    bool onRow() const { return m_onRow; }
    // After the last row: whether the rows read are every row the file
    // holds for the table. The usage map must have listed only the table's
    // pages, and no other page of the table may hold a row that is not
    // deleted.
    bool everyRowListed();

    bool isNull(int column) const { return m_fields[size_t(column)].is_null; }
    // The bytes of a column in the current row, checked to lie on the page.
    std::optional<Bytes> valueBytes(int column) const;
    // A memo's or OLE object's bytes from its 12-byte head in the row:
    // false when they do not lie whole in the file's long-value pages.
    bool readLongValue(Bytes head, QByteArray *bytes) const;

private:
    TableReader(MdbHandle *mdb, guint32 pageCount);
    bool readDefinition(guint32 definitionPage);
    bool rowPointerValid(quint32 pointer);
    bool usageMapValid();
    bool nextPage(bool *end);
    bool appendLongValueRow(quint32 pageRow, bool chained, QByteArray *bytes, quint32 *next) const;
    // Whether the page in pg_buf is one of the table's data pages.
    bool ownPage() const;

    MdbHandle *m_mdb;
    guint32 m_pageCount;
    MdbCatalogEntry m_entry {};
    MdbTableDef *m_table = nullptr;
    QByteArray m_definition;
    int m_columnEntries = 0;  // where the column entries start in m_definition
    std::vector<MdbField> m_fields;
    guint32 m_page = 0;  // the data page in pg_buf; 0 before the first
    QSet<guint32> m_pagesRead;
    bool m_otherOwnersListed = false;
    int m_rowsOnPage = 0;
    int m_nextRow = 0;
    bool m_onRow = false;
};
