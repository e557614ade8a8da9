// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sheets/SheetCells.h"

#include <QByteArray>
#include <QString>

#include <string>

struct ReadControl;

// How the reading child (larkhaven-convert --read-sheet) hands a sheet to
// the program: frames of one byte for their kind, four for the length of
// what follows (little-endian), then that:
//   'C' cells: rows (a byte 0xFF and the row's number) and cells as
//       cellRecord writes them; a row may go on in the next frame;
//   'P' progress: how far the reading is, in thousandths;
//   'E' the end: the sheets' names, whether the workbook asks to be
//       calculated afresh, how many cells had bytes that are no UTF-8;
//   'F' failure: the reason, in the landlord's words.
// 'E' or 'F' is the last frame.

// Writes frames to a descriptor: cells as they come, progress as it
// changes, then the end or the failure. A write that fails (the program
// is gone) throws ReadCancelled, which ends the reading.
class SheetStreamWriter : public SheetCellSink {
public:
    SheetStreamWriter(int descriptor, ReadControl &control);
    void beginRow(qint64 rowNumber) override;
    void cell(const SheetCell &cell) override;
    void endRow() override;
    void finish(const WorkbookFacts &facts);
    void fail(const QString &reason);

private:
    void openCells();
    void closeCells();
    void frame(char kind, const std::string &payload);
    void flush();

    int m_descriptor;
    ReadControl &m_control;
    std::string m_out;
    std::size_t m_cellsFrame = std::string::npos;  // where the open 'C' frame starts
    int m_permille = -1;
};

// Reads the frames as they arrive and hands the cells to `sink` (a
// SheetTableBuilder, which checks them). Anything that is no such frame,
// or comes after the last, is unreadable.
class SheetStreamReader {
public:
    explicit SheetStreamReader(SheetCellSink &sink);

    enum class State { Reading, Ended, Failed, Unreadable };
    // Takes what arrived. Throws AppError when the sink refuses
    // the cells.
    State take(const char *data, qsizetype size);
    State state() const { return m_state; }

    int permille() const { return m_permille; }  // -1 until told
    const WorkbookFacts &facts() const { return m_facts; }  // State::Ended
    const QString &failure() const { return m_failure; }   // State::Failed

private:
    bool frame(char kind, const char *payload, std::size_t size);
    bool cells(const char *at, const char *end);
    bool end(const char *at, const char *end);

    SheetCellSink &m_sink;
    State m_state = State::Reading;
    QByteArray m_pending;
    bool m_rowOpen = false;
    int m_permille = -1;
    WorkbookFacts m_facts;
    QString m_failure;
};
