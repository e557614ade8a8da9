// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/SheetStream.h"
#include "sheets/SheetTable.h"
#include "ui/ConversionChild.h"

#include <memory>

// The reading of one sheet of a spreadsheet by the reading child
// (larkhaven-convert --read-sheet): its cells come as they are read and
// are kept in a SheetTable, checked as they arrive.
class SheetChild : public ReadingChild {
    Q_OBJECT
public:
    explicit SheetChild(QObject *parent = nullptr);

    // Starts the child reading sheet `sheetIndex` of the spreadsheet at `path`.
    void start(const QString &path, int sheetIndex, const RegionalFormats &formats);

    // After finished(): the sheet, or why there is none, or that it was
    // cancelled.
    std::shared_ptr<const SheetTable> table() const { return m_table; }
    const QString &failure() const { return m_failure; }
    bool cancelled() const { return m_cancelled; }

signals:
    // How far the reading is, in thousandths.
    void progressed(int permille);

private:
    bool readReports() override;
    bool hasReported() const override;
    bool reportedSuccess() const override;
    void settle(bool cancelled, const QString &failure) override;
    QString crashText() const override;
    QString unreadableText() const override;

    int m_sheetIndex = 0;
    SheetTableBuilder m_builder;
    SheetStreamReader m_reader{m_builder};
    std::shared_ptr<const SheetTable> m_table;
    QString m_failure;
    bool m_cancelled = false;
};
