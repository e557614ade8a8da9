// The windows on a 1280×800 screen at twice the scale, a work area of
// 640×400: each opens wholly on it, the main window, too large at its
// design size, at the largest size that fits.
#include "support/RegisterFixture.h"
#include "support/WidgetChecks.h"
#include "ui/Unit1.h"
#include "ui/Unit_add_edit_del_info.h"
#include "ui/Unit_del_trueorfalse.h"

#include <QTest>

class TestSmallScreen : public QObject {
    Q_OBJECT
private slots:
    void windowsOpenWhollyOnScreen();
};

void TestSmallScreen::windowsOpenWhollyOnScreen()
{
    RegisterFixture fixture;
    fixture.createRegister({{"张三"}});
    fixture.startShown();
    const QRect area = Form1->screen()->availableGeometry();
    QCOMPARE(area.size(), QSize(640, 400));
    QCOMPARE(Form1->frameGeometry(), area);
    press(Form1->Buttonaddnewinfo);
    press(Form1->Buttondel);
    for (const QWidget *window : {static_cast<QWidget *>(Form2), static_cast<QWidget *>(Form3)})
        QVERIFY(area.contains(window->frameGeometry()) && centredInWorkArea(window));
}

QTEST_MAIN(TestSmallScreen)
#include "tst_smallscreen.moc"
