// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/IncomeFigures.h"
#include "ledger/RoomRoster.h"

#include <QWidget>

class QBarSet;
class QChart;
class QChartView;
class QLabel;
class QPushButton;

// 收入: the last twelve months' collection as bars, rent and the rest
// stacked, with each month's 应收 as a line; resting the pointer on a bar
// shows its month's figures. Beside it this year's total collected, what is still owed of
// this year's bills, and the rooms let of the rooms known. The chart can be
// saved as a PNG picture.
class IncomeChart : public QWidget {
    Q_OBJECT
public:
    explicit IncomeChart(QWidget *parent = nullptr);

    void showFigures(const IncomeYear &year, const Occupancy &occupancy);
    const IncomeYear &figures() const { return m_year; }

    // A month's figures as its bar's tool tip shows them.
    QString monthText(int index) const;
    // The month whose bar is at a point of the view's viewport, or -1.
    int barAt(const QPoint &viewportPoint) const;
    // Writes the chart as a PNG picture at `path`, whole or not at all;
    // the failure in the landlord's words, or nothing.
    QString savePng(const QString &path) const;
    // 存为图片…: asks where, then saves.
    void saveAs();

    QChartView *chartView = nullptr;
    QBarSet *rentBars = nullptr;
    QBarSet *otherBars = nullptr;
    QLabel *yearCollectedLabel = nullptr;
    QLabel *yearOutstandingLabel = nullptr;
    QLabel *occupancyLabel = nullptr;
    QPushButton *saveImageButton = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QChart *m_chart = nullptr;
    class QStackedBarSeries *m_bars = nullptr;
    class QLineSeries *m_dueLine = nullptr;
    class QBarCategoryAxis *m_months = nullptr;
    class QValueAxis *m_amounts = nullptr;
    IncomeYear m_year;
};
