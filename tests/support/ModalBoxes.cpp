// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ModalBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QWindow>

ModalBoxAnswerer::ModalBoxAnswerer(QStringList answers, QList<DialogWork> work)
    : m_answers(std::move(answers))
    , m_work(std::move(work))
{
    m_poll.setInterval(5);
    connect(&m_poll, &QTimer::timeout, this, &ModalBoxAnswerer::answerActiveBox);
    m_poll.start();
}

void ModalBoxAnswerer::answerActiveBox()
{
    QWidget *active = QApplication::activeModalWidget();
    // A progress dialog goes by itself.
    if (!active || !active->isVisible() || qobject_cast<QProgressDialog *>(active)
        || m_working.contains(qobject_cast<QDialog *>(active)))
        return;
    auto *box = qobject_cast<QMessageBox *>(active);
    if (!box) {
        if (auto *dialog = qobject_cast<QDialog *>(active))
            answerDialog(dialog);
        return;
    }
    SeenBox seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton *button : box->buttons())
        seen.buttons << button->text();
    seen.staysOnTop = box->windowHandle() && box->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
    m_boxes << seen;

    QAbstractButton *press = nullptr;
    if (!m_answers.isEmpty()) {
        const QString answer = m_answers.takeFirst();
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == answer)
                press = button;
        }
    }
    if (!press)
        press = box->defaultButton();
    if (!press && !box->buttons().isEmpty())
        press = box->buttons().first();
    if (press)
        press->click();
}

void ModalBoxAnswerer::answerDialog(QDialog *dialog)
{
    SeenBox seen;
    seen.title = dialog->windowTitle();
    if (!qobject_cast<QFileDialog *>(dialog) && !m_work.isEmpty()) {
        m_boxes << seen;
        const DialogWork work = m_work.takeFirst();
        m_working.insert(dialog);
        // Qt does not run a timer's slot again while it runs: the boxes the
        // work brings up are answered from a timer of their own.
        QTimer nested;
        nested.setInterval(5);
        connect(&nested, &QTimer::timeout, this, &ModalBoxAnswerer::answerActiveBox);
        nested.start();
        work(dialog);
        m_working.remove(dialog);
        if (dialog->isVisible())
            dialog->reject();
        return;
    }
    const QString answer = m_answers.isEmpty() ? QString() : m_answers.takeFirst();
    if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
        seen.text = QFileInfo(files->selectedFiles().value(0)).fileName();
        m_boxes << seen;
        if (answer.isEmpty()) {
            files->reject();
        } else {
            // Typed into the name box, as a user does (selectFile leaves a
            // box that has the focus alone).
            files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(answer);
            static_cast<QDialog *>(files)->accept();
        }
        return;
    }
    QStringList texts;
    for (const QLabel *label : dialog->findChildren<QLabel *>()) {
        if (label->isVisible() && !label->text().isEmpty())
            texts << label->text();
    }
    seen.text = texts.join(QLatin1Char('\n'));
    m_boxes << seen;
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (!answer.isEmpty() && button->text() == answer && button->isEnabled()) {
            button->click();
            return;
        }
    }
    dialog->reject();
}

QList<SeenBox> runAnsweringBoxes(const std::function<void()> &action, const QStringList &answers,
                                 const QList<DialogWork> &work)
{
    ModalBoxAnswerer answerer(answers, work);
    action();
    return answerer.boxes();
}

QList<SeenBox> press(QWidget *control)
{
    return runAnsweringBoxes([control] { QTest::mouseClick(control, Qt::LeftButton); });
}

QStringList messageTexts(const QList<SeenBox> &boxes)
{
    QStringList texts;
    for (const SeenBox &box : boxes)
        texts << box.text;
    return texts;
}
