#include "support/ModalBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QWindow>

ModalBoxAnswerer::ModalBoxAnswerer(QStringList answers)
    : m_answers(std::move(answers))
{
    m_poll.setInterval(5);
    connect(&m_poll, &QTimer::timeout, this, &ModalBoxAnswerer::answerActiveBox);
    m_poll.start();
}

void ModalBoxAnswerer::answerActiveBox()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
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

QList<SeenBox> runAnsweringBoxes(const std::function<void()> &action, const QStringList &answers)
{
    ModalBoxAnswerer answerer(answers);
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
