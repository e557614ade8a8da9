// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/StatusPanels.h"

#include <QLabel>

namespace {

// A panel of a set width that gives way when the window is narrower than
// the panels together, as the last panels of a status bar are cut off. The
// last panel also takes whatever room is left to the bar's right edge: the
// messages it shows are often longer than its set width.
class PanelLabel : public QLabel {
public:
    PanelLabel(int width, bool last, QWidget *parent)
        : QLabel(parent)
        , m_width(width)
    {
        setSizePolicy(last ? QSizePolicy::Expanding : QSizePolicy::Maximum, QSizePolicy::Preferred);
        if (!last)
            setMaximumWidth(width);
    }
    QSize sizeHint() const override { return {m_width, QLabel::sizeHint().height()}; }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

private:
    int m_width;
};

} // namespace

TStatusBar::TStatusBar(QWidget *parent)
    : QStatusBar(parent)
{
    setSizeGripEnabled(true);
    for (int i = 0; i < panelCount; ++i) {
        const bool last = i == panelCount - 1;
        auto *label = new PanelLabel(panelWidths[std::size_t(i)], last, this);
        label->setObjectName(QStringLiteral("Panel%1").arg(i));
        label->setTextFormat(Qt::PlainText);
        addWidget(label, last ? 1 : 0);
        m_panels[std::size_t(i)] = label;
    }
}

QString TStatusBar::panelText(int panel) const
{
    return m_panels.at(std::size_t(panel))->text();
}

void TStatusBar::setPanelText(int panel, const QString &text)
{
    QLabel *label = m_panels.at(std::size_t(panel));
    if (label->text() != text)
        label->setText(text);
}
