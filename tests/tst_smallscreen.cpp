// SPDX-License-Identifier: GPL-3.0-or-later
// On a 1280×800 screen at twice the scale the main window fits the work area.
#include "support/RegisterFixture.h"
#include "ui/Unit1.h"

#include <QTest>

class TestSmallScreen : public QObject {
    Q_OBJECT
private slots:
    void mainWindowFitsTheWorkArea()
    {
        RegisterFixture fixture;
        fixture.createRegister();
        fixture.startShown();
        QCOMPARE(Form1->frameGeometry(), QRect(0, 0, 640, 400));
    }
};

QTEST_MAIN(TestSmallScreen)
#include "tst_smallscreen.moc"
