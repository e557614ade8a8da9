// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LedgerTables.h"

#include <QHeaderView>
#include <QTableView>

void setUpLedgerTable(QTableView *table, std::initializer_list<int> columnWidths)
{
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(20);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setHighlightSections(false);
    int column = 0;
    for (const int width : columnWidths)
        table->setColumnWidth(column++, width);
}
