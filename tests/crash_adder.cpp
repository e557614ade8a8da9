// Adds tenants through the real add page, one after another, until it is
// killed. After each add that the program reports as done (the message
// panel reads "<name>添加成功!") it prints "ADDED <name>" on stdout, so
// that the test that kills it knows which adds were reported.
//
//   crash_adder <program directory>
#include "platform/ProgramDirectory.h"
#include "platform/RegionalFormats.h"
#include "ui/ProgramWindows.h"
#include "ui/Unit1.h"
#include "ui/Unit_add_edit_del_info.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2)
        return 2;
    setProgramDirectory(QString::fromLocal8Bit(argv[1]));
    setRegionalFormats(RegionalFormats::fromFormats("yyyy/M/d", "H:mm:ss"));
    createProgramWindows();
    for (long i = 0;; ++i) {
        const QString name = QStringLiteral("租客%1-%2").arg(QCoreApplication::applicationPid()).arg(i);
        Form1->Buttonaddnewinfo->click();
        Form2->ComboBox_XingMing->setEditText(name);
        Form2->ComboBox_FangHao->setEditText(QString::number(100 + i % 900));
        Form2->Buttonaddinfo->click();
        if (Form1->StatusBar1->panelText(4) == name + QStringLiteral("添加成功!")) {
            std::printf("ADDED %s\n", name.toUtf8().constData());
            std::fflush(stdout);
        }
    }
}
