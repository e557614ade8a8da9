#include "ui/StatusPanels.h"

#include <QLabel>

namespace {

// A panel of a set width that gives way when the window is narrower than
// the panels together, as the last panels of a status bar are cut off.
class PanelLabel : public QLabel {
public:
    PanelLabel(int width, QWidget *parent)
        : QLabel(parent)
        , m_width(width)
    {
        setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
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
        auto *label = new PanelLabel(panelWidths[std::size_t(i)], this);
        label->setObjectName(QStringLiteral("Panel%1").arg(i));
        label->setTextFormat(Qt::PlainText);
        addWidget(label);
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
