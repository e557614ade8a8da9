#pragma once

#include <QObject>

class QWidget;

// Lets only digits and backspace be typed into a box: every other typed
// character (letters, the blank, ".", "-", control characters) is dropped
// before the box sees it. Text that is pasted, picked from a list or set by
// the program is not filtered; Tab still moves the focus and shortcuts such
// as Ctrl+V still work.
class DigitFilter : public QObject {
    Q_OBJECT
public:
    explicit DigitFilter(QObject *parent = nullptr);

    // Filters what is typed into `box` (and into its line edit, for an
    // editable combo box). The filter belongs to `box`.
    static void install(QWidget *box);

    // Whether a typed character reaches the box: backspace and "0" to "9".
    static bool isAcceptedCharacter(QChar character);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
