// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>

// A multi-line text box that takes at most maxLength characters of user
// input, typed or pasted; text set by the program is not cut. Tab moves the
// focus on, as in the window's other boxes.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(int maxLength READ maxLength WRITE setMaxLength)
public:
    explicit TMemo(QWidget *parent = nullptr);

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; }

    // The whole text, its lines separated by CR LF.
    QString Text() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    // How many characters may still be entered in place of the selection.
    qsizetype room() const;
    QString fitted(const QString &text) const;

    int m_maxLength = 0;  // 0: no limit
};
