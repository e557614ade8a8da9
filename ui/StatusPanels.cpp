#include "ui/StatusPanels.h"

#include <QLabel>

TStatusBar::TStatusBar(QWidget *parent)
    : QStatusBar(parent)
{
    setSizeGripEnabled(true);
    for (int i = 0; i < panelCount; ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("Panel%1").arg(i));
        label->setFixedWidth(panelWidths[std::size_t(i)]);
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
