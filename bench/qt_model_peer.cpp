// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own lazy models on a register file, the yardstick for the record
// list: QSqlQueryModel over "select * from data", or QSqlTableModel on the
// table data, shown in a QTableView set up like the program's grid.
//
//   qt_model_peer query|table FILE
//
// Prints CLOCK_MONOTONIC readings: "PAINTED <ns>" once the first rows are
// painted, "LAST <ns> <rows>" once every row is fetched and the last one is
// current (what the program's list shows after start-up), and the peak
// resident memory, "PEAK <kB>".
#include "ProcessMeasures.h"

#include <QApplication>
#include <QHeaderView>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QSqlTableModel>
#include <QTableView>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    // Headless, on the screen the tests use, so that the main window has
    // its design size.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" BENCH_SCREEN_CONFIG);
    QApplication application(argc, argv);
    // Kept to Qt's own libraries, as the yardstick it is: no parser of the program's.
    const QStringList arguments = QApplication::arguments();
    const char *usage = "usage: qt_model_peer query|table FILE\n";
    if (arguments.contains("--help") || arguments.contains("-h")) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (arguments.size() != 3 || (arguments.at(1) != "query" && arguments.at(1) != "table")
        || arguments.at(2).startsWith('-')) {
        std::fputs(usage, stderr);
        return 2;
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(arguments.at(2));
    if (!db.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(db.lastError().text()));
        return 1;
    }
    std::unique_ptr<QSqlQueryModel> model;
    if (arguments.at(1) == "query") {
        model = std::make_unique<QSqlQueryModel>();
        model->setQuery(QStringLiteral("select * from data"), db);
    } else {
        auto table = std::make_unique<QSqlTableModel>(nullptr, db);
        table->setTable(QStringLiteral("data"));
        table->select();
        model = std::move(table);
    }
    if (model->lastError().isValid()) {
        std::fprintf(stderr, "%s\n", qPrintable(model->lastError().text()));
        return 1;
    }

    QTableView view;
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setWordWrap(false);
    view.verticalHeader()->setVisible(false);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(18);
    view.setModel(model.get());
    view.resize(844, 325);

    new AfterFirstPaint(view.viewport(), [&] {
        std::printf("PAINTED\t%lld\n", static_cast<long long>(monotonicNanoseconds()));
        while (model->canFetchMore())
            model->fetchMore();
        view.setCurrentIndex(model->index(model->rowCount() - 1, 0));
        std::printf("LAST\t%lld\t%d\n", static_cast<long long>(monotonicNanoseconds()), model->rowCount());
        std::printf("PEAK\t%ld\n", peakResidentKilobytes());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    view.show();
    return QApplication::exec();
}
