// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DBGrid.h"

#include "db/ADOQuery.h"
#include "ui/DataSource.h"
#include "ui/GuardedConnect.h"

#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>

TDBGrid::TDBGrid(QWidget *parent)
    : QTableView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(18);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, &TDBGrid::DblClick);
}

void TDBGrid::setDataSource(TDataSource *dataSource)
{
    m_dataSource = dataSource;
    setModel(dataSource);
    TADOQuery *query = dataSource->DataSet();
    connectGuarded(query, &TADOQuery::currentRowChanged, this, &TDBGrid::showCursorRow);
    connectGuarded(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TDBGrid::takeCurrentRow);
    showCursorRow(query->RecNo());
}

void TDBGrid::showCursorRow(int row)
{
    if (row < 0) {
        selectionModel()->clearCurrentIndex();
        return;
    }
    const int column = std::max(currentIndex().column(), 0);
    const QModelIndex index = model()->index(row, column);
    if (currentIndex() != index)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TDBGrid::takeCurrentRow(const QModelIndex &current)
{
    if (current.isValid())
        m_dataSource->DataSet()->setRecNo(current.row());
}

bool TDBGrid::viewportEvent(QEvent *event)
{
    // The grid shows no tooltips.
    if (event->type() == QEvent::ToolTip)
        return true;
    return QTableView::viewportEvent(event);
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    // doubleClicked() comes only over a row; the grid's double-click is
    // wherever it happens.
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}
