// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/IncomeChart.h"

#include "platform/FileSteps.h"
#include "platform/NewFileDevice.h"
#include "ui/GuardedConnect.h"
#include "ui/MessageBoxes.h"
#include "ui/TransferFiles.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChartView>
#include <QHelpEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QImageWriter>
#include <QLabel>
#include <QLineSeries>
#include <QPen>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// Drawn in 元; the figures themselves stay in fen.
double yuan(Fen fen)
{
    return double(fen) / 100.0;
}

QLabel *figureLabel(QWidget *parent)
{
    auto *label = new QLabel(QStringLiteral("-"), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

IncomeChart::IncomeChart(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("incomeChart"));
    m_chart = new QChart;
    m_chart->setTitle(QStringLiteral("近 12 个月收款（按账单月份）"));
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_chart->setBackgroundRoundness(0);

    rentBars = new QBarSet(QStringLiteral("租金"));
    otherBars = new QBarSet(QStringLiteral("水电及其他"));
    auto *bars = m_bars = new QStackedBarSeries;
    bars->append(rentBars);
    bars->append(otherBars);
    m_dueLine = new QLineSeries;
    m_dueLine->setName(QStringLiteral("应收"));
    m_dueLine->setPointsVisible(true);
    // Apart from the bars' colours, so that 应收 reads as a line of its own.
    m_dueLine->setPen(QPen(QColor(0xc0, 0x39, 0x2b), 2));
    m_chart->addSeries(bars);
    m_chart->addSeries(m_dueLine);

    m_months = new QBarCategoryAxis;
    m_amounts = new QValueAxis;
    m_amounts->setLabelFormat(QStringLiteral("%.0f"));
    m_amounts->setTitleText(QStringLiteral("元"));
    m_chart->addAxis(m_months, Qt::AlignBottom);
    m_chart->addAxis(m_amounts, Qt::AlignLeft);
    for (QAbstractSeries *series : m_chart->series()) {
        series->attachAxis(m_months);
        series->attachAxis(m_amounts);
    }

    chartView = new QChartView(m_chart, this);
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumSize(520, 260);

    auto *yearGroup = new QGroupBox(QStringLiteral("今年"), this);
    auto *yearLayout = new QGridLayout(yearGroup);
    yearLayout->setContentsMargins(9, 22, 9, 9);
    yearCollectedLabel = figureLabel(yearGroup);
    yearOutstandingLabel = figureLabel(yearGroup);
    occupancyLabel = figureLabel(yearGroup);
    yearLayout->addWidget(new QLabel(QStringLiteral("已收："), yearGroup), 0, 0);
    yearLayout->addWidget(yearCollectedLabel, 0, 1);
    yearLayout->addWidget(new QLabel(QStringLiteral("未收："), yearGroup), 1, 0);
    yearLayout->addWidget(yearOutstandingLabel, 1, 1);
    yearLayout->addWidget(new QLabel(QStringLiteral("出租率："), yearGroup), 2, 0);
    yearLayout->addWidget(occupancyLabel, 2, 1);
    saveImageButton = new QPushButton(QStringLiteral("存为图片…"), yearGroup);
    saveImageButton->setToolTip(QStringLiteral("把图表存为 PNG 图片"));
    yearLayout->addWidget(saveImageButton, 4, 0, 1, 2);
    yearLayout->setRowStretch(3, 1);
    yearLayout->setColumnStretch(1, 1);

    // Below the month's bills, as tall as the chart needs: the page scrolls
    // where the window is smaller.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chartView, 1);
    layout->addWidget(yearGroup);

    // The figures come up as the view's tool tip, so that they show as every
    // tool tip of the program does, after the pointer rests.
    chartView->viewport()->installEventFilter(this);
    connectGuarded(saveImageButton, &QPushButton::clicked, this, &IncomeChart::saveAs);
}

void IncomeChart::showFigures(const IncomeYear &year, const Occupancy &occupancy)
{
    m_year = year;
    QStringList months;
    QList<qreal> rent, other;
    QList<QPointF> due;
    double largest = 0;
    for (const MonthIncome &income : year.months) {
        // The title names the first and the last month with their years.
        months << income.month.firstDay().toString(QStringLiteral("M月"));
        rent << yuan(income.rentCollected);
        other << yuan(income.otherCollected);
        due << QPointF(due.size(), yuan(income.due));
        largest = std::max({largest, yuan(income.due), yuan(income.collected())});
    }
    m_months->setCategories(months);
    rentBars->remove(0, rentBars->count());
    rentBars->append(rent);
    otherBars->remove(0, otherBars->count());
    otherBars->append(other);
    m_dueLine->replace(due);
    // Round steps from 0 to above the largest figure.
    m_amounts->setRange(0, largest > 0 ? largest : 100);
    m_amounts->applyNiceNumbers();
    if (!year.months.empty())
        m_chart->setTitle(QStringLiteral("近 12 个月收款（%1—%2，按账单月份）")
                              .arg(year.months.front().month.text(), year.months.back().month.text()));

    yearCollectedLabel->setText(yuanText(year.yearCollected) + QStringLiteral(" 元"));
    yearOutstandingLabel->setText(yuanText(year.yearOutstanding()) + QStringLiteral(" 元"));
    occupancyLabel->setText(occupancy.known == 0
                                ? occupancy.rateText()
                                : QStringLiteral("%1（%2/%3 间）").arg(occupancy.rateText()).arg(occupancy.let).arg(occupancy.known));
}

QString IncomeChart::monthText(int index) const
{
    if (index < 0 || std::size_t(index) >= m_year.months.size())
        return {};
    const MonthIncome &income = m_year.months[std::size_t(index)];
    return QStringLiteral("%1\n应收：%2 元\n已收：%3 元\n　租金：%4 元\n　水电及其他：%5 元\n未收：%6 元")
        .arg(income.month.text(), yuanText(income.due), yuanText(income.collected()), yuanText(income.rentCollected),
             yuanText(income.otherCollected), yuanText(income.due - income.collected()));
}

int IncomeChart::barAt(const QPoint &viewportPoint) const
{
    const QPointF value = m_chart->mapToValue(chartView->mapToScene(viewportPoint), m_bars);
    const int index = qRound(value.x());
    if (index < 0 || std::size_t(index) >= m_year.months.size())
        return -1;
    const double top = rentBars->at(index) + otherBars->at(index);
    const bool onBar = std::abs(value.x() - index) <= m_bars->barWidth() / 2 && value.y() >= 0 && value.y() <= top;
    return onBar ? index : -1;
}

bool IncomeChart::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == chartView->viewport() && event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        if (const int bar = barAt(help->pos()); bar >= 0)
            QToolTip::showText(help->globalPos(), monthText(bar), chartView->viewport());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString IncomeChart::savePng(const QString &path) const
{
    const QString folder = QFileInfo(path).absolutePath();
    const QImage image = chartView->grab().toImage();
    const FileSizeSignalIgnored fileSizeSignal;
    NewFileDevice file(path);
    if (const int error = file.create(); error != 0)
        return writeFailureText(error, folder);
    QImageWriter writer(&file, "png");
    if (!writer.write(image))
        return file.error() != 0 ? writeFailureText(file.error(), folder) : QStringLiteral("无法生成图片");
    if (const int error = file.publish(ExistingFile::Replace); error != 0)
        return writeFailureText(error, folder);
    return {};
}

void IncomeChart::saveAs()
{
    const QString path = askSavePath(QStringLiteral("存为图片"), QStringLiteral("收入_") + fileNameDate(),
                                     {QStringLiteral("PNG 图片 (*.png)")});
    if (path.isEmpty())
        return;
    if (const QString problem = savePng(path); !problem.isEmpty()) {
        ShowErrorBox(problem);
        return;
    }
    ShowMessage(QStringLiteral("已把图表存为“%1”。").arg(QDir::toNativeSeparators(path)));
}
