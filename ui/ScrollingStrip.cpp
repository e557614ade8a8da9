// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ScrollingStrip.h"

#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace {

class StripScrollArea : public QScrollArea {
public:
    explicit StripScrollArea(QWidget *strip)
        : m_stripHeight(strip->minimumHeight())
    {
        setObjectName(strip->objectName() + QStringLiteral("Scroll"));
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        // As wide as the controls reach, with the margin of the first one.
        int left = strip->width();
        int right = 0;
        for (const QWidget *control : strip->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            left = std::min(left, control->x());
            right = std::max(right, control->geometry().right() + 1);
        }
        strip->setMinimumWidth(right + std::max(left, 0));
        setFixedHeight(m_stripHeight);
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QScrollArea::resizeEvent(event);
        // The scroll bar takes a row of its own instead of covering the controls.
        const bool scrolls = viewport()->width() < widget()->minimumWidth();
        setFixedHeight(m_stripHeight + (scrolls ? horizontalScrollBar()->sizeHint().height() : 0));
    }

private:
    int m_stripHeight;
};

} // namespace

void scrollWhenNarrow(QWidget *strip)
{
    QLayout *layout = strip->parentWidget()->layout();
    auto *area = new StripScrollArea(strip);
    delete layout->replaceWidget(strip, area);
    area->setWidget(strip);
}
