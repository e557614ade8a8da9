// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStatusBar>

#include <array>

class QLabel;

// The main window's status bar: five text panels, numbered 0 to 4, of set
// widths, the last reaching to the size grip, and the size grip. Panels 2
// and 3 stay empty; the others have names.
class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    enum Panel : int {
        ClockPanel = 0,    // the date and time, every second
        CountPanel = 1,    // the count text of the last listing
        MessagePanel = 4,  // outcomes of adds and deletes, a clicked cell's text
    };
    static constexpr int panelCount = 5;
    static constexpr std::array<int, panelCount> panelWidths{200, 150, 150, 150, 200};

    explicit TStatusBar(QWidget *parent = nullptr);

    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);

private:
    std::array<QLabel *, panelCount> m_panels{};
};
