// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <QSet>

#include <functional>

// What a test does in a dialog of the program's own while it is up: types
// into its boxes and presses its buttons, as a user does.
using DialogWork = std::function<void(QDialog *)>;

// `dialog` as a `Dialog`, made the active window so that keys typed reach
// it; null when it is another kind of dialog.
template <typename Dialog>
Dialog *shown(QDialog *dialog)
{
    auto *shown = qobject_cast<Dialog *>(dialog);
    if (shown) {
        shown->activateWindow();
        if (!QTest::qWaitForWindowActive(shown))
            qFatal("%s did not become the active window", shown->metaObject()->className());
    }
    return shown;
}

// A modal message box seen while a test action ran.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;  // button texts, in the box's order
    // Told to the window system: the box stays on top of other windows, as
    // the add / edit window and the delete confirmation do.
    bool staysOnTop = false;
};

// Answers every modal message box that comes up while it lives: it records
// the box, then presses the button whose text is the next of `answers`, or
// the box's default button (else its first) once the answers are used up.
// Other modal dialogs are answered too: a file dialog takes the next answer
// as the file (none cancels it) and is recorded with the file it proposed;
// another dialog is recorded with the texts of its labels and, while
// `work` is left, the next piece of it is done in the dialog (the boxes it
// brings up answered as above) and the dialog closed if the work left it
// open; without work, the button named by the next answer is pressed, or the
// dialog is closed.
class ModalBoxAnswerer : public QObject {
public:
    explicit ModalBoxAnswerer(QStringList answers = {}, QList<DialogWork> work = {});
    const QList<SeenBox> &boxes() const { return m_boxes; }

private:
    void answerActiveBox();
    void answerDialog(class QDialog *dialog);

    QStringList m_answers;
    QList<DialogWork> m_work;
    QSet<QDialog *> m_working;  // dialogs whose work is under way
    QList<SeenBox> m_boxes;
    QTimer m_poll;
};

// Runs `action`, answering the boxes it shows and doing `work` in the
// program's own dialogs; returns the boxes.
QList<SeenBox> runAnsweringBoxes(const std::function<void()> &action, const QStringList &answers = {},
                                 const QList<DialogWork> &work = {});

// Clicks `control` with the left mouse button, as the user does, answering
// any box that the click brings up; returns the boxes.
QList<SeenBox> press(QWidget *control);

// The texts of `boxes`, in the order they showed.
QStringList messageTexts(const QList<SeenBox> &boxes);
