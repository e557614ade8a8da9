// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "register/ListingKind.h"

#include <QString>

class TADOQuery;
class TextList;

// What the list procedures work on, as the main window shows it: the list
// cursor (its current row is the list's current row), the count and
// message panels, the widths of the list's columns, and the hidden rent
// list and rent total. TForm1 implements it; a test can without windows.
class RecordListView {
public:
    // The list cursor whose rows the list shows.
    virtual TADOQuery &listCursor() = 0;

    virtual QString countText() const = 0;
    virtual void setCountText(const QString &text) = 0;
    // Which listing the count text counts, set with it.
    virtual ListingKind shownListing() const = 0;
    virtual void setShownListing(ListingKind kind) = 0;
    virtual void setMessageText(const QString &text) = 0;

    // The width of the list's column at `position`, one the cursor's
    // result has.
    virtual void setColumnWidth(int position, int width) = 0;

    virtual const TextList &rentTexts() const = 0;
    // Empties the rent list and hands over its texts, whose memory can take
    // the next ones.
    virtual TextList takeRentTexts() = 0;
    virtual void setRentTexts(TextList texts) = 0;
    virtual void setRentTotal(const QString &text) = 0;

protected:
    ~RecordListView() = default;
};
