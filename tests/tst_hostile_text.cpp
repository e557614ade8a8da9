// SPDX-License-Identifier: GPL-3.0-or-later
// Unusual and hostile text in every box: stored and shown back exactly,
// found by the search, and the table stays whole.
#include "support/GridActions.h"
#include "support/RegisterFixture.h"
#include "ui/Unit_add_edit_del_info.h"

#include <QTest>

namespace {

const QString remarks225 = QString(QStringLiteral("备注Ab1")).repeated(45).left(225);

// Texts that a one-line box can hold; each goes into every one-line box of
// one record.
const QStringList oneLineValues{
    "O'Brien",
    "\"双引号\" and 'single'",
    "'; DROP TABLE data; --",
    "x' or '1'='1",
    "50%",
    "a_b",
    "%_\\",
    "C:\\租户\\新建",
    "tab\there",
    "😀租客🏠",
    "Ελληνικά中文العربيةРусский",
    "  两头空格  ",
    QString(QChar(0xFEFF)) + QStringLiteral("零宽不换行空格开头"),  // a byte-order mark's character, kept as text
    QString(40000, QLatin1Char('x')),  // longer than a one-line box takes by default
    "多行备注",
    "满额备注",
};

// The remarks of each record: its one-line text, but line breaks and the
// full 225 characters for the last two.
QStringList remarksValues()
{
    return oneLineValues.mid(0, oneLineValues.size() - 2) + QStringList{"第一行\r\n第二行\r\n", remarks225};
}

} // namespace

class TestHostileText : public QObject {
    Q_OBJECT
private slots:
    void addedValuesAreStoredShownAndFound();
    void editPageWritesValuesExactly();
};

void TestHostileText::addedValuesAreStoredShownAndFound()
{
    RegisterFixture fixture;
    fixture.createRegister();
    fixture.startShown();
    const QStringList remarks = remarksValues();
    for (int i = 0; i < oneLineValues.size(); ++i) {
        const QString &value = oneLineValues.at(i);
        press(Form1->Buttonaddnewinfo);
        // The rent stays a number: the rent total reads every rent as one.
        for (QComboBox *box : {Form2->ComboBox_XingMing, Form2->ComboBox_FangHao, Form2->ComboBox_YaJin,
                               Form2->DateTimePickerF, Form2->DateTimePickerE})
            box->setEditText(value);
        Form2->ComboBox_ZuJin->setEditText("500");
        Form2->Memo_BeiZhu->setPlainText(remarks.at(i));
        const auto boxes = press(Form2->Buttonaddinfo);
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.value(0).text));
        QCOMPARE(Form1->StatusBar1->panelText(4), value + QStringLiteral("添加成功!"));
    }
    // Each name is taken now: the duplicate check finds exactly that record.
    for (const QString &value : oneLineValues) {
        press(Form1->Buttonaddnewinfo);
        Form2->ComboBox_XingMing->setEditText(value);
        QVERIFY(press(Form2->Buttonaddinfo).isEmpty());
        QCOMPARE(Form1->StatusBar1->panelText(4), value + QStringLiteral("添加失败,存在相同的信息名称!"));
    }
    QCOMPARE(fixture.rows("PRAGMA integrity_check"), QList<QStringList>{{"ok"}});
    const QList<QStringList> stored = fixture.rows("select 姓名, 房号, 租金, 押金, 入住日期, 到期日期, 备注 from data order by ID");
    QCOMPARE(stored.size(), oneLineValues.size());

    for (int i = 0; i < oneLineValues.size(); ++i) {
        const QString &value = oneLineValues.at(i);
        QCOMPARE(stored.at(i), (QStringList{value, value, "500", value, value, value, remarks.at(i)}));

        // Shown back: in the grid and on the edit page.
        press(Form1->Buttonre);
        const int row = int(listedNames().indexOf(value));
        QVERIFY2(row >= 0, qPrintable(value));
        doubleClickRow(row);
        QCOMPARE(Form2->DBEdit_xiangmuedit->text(), value);
        QCOMPARE(Form2->DBEdit_FangHao->text(), value);
        QCOMPARE(Form2->DBComboBoxenddate->currentText(), value);
        QCOMPARE(Form2->DBMemoxiangmubeizhuedit->Text(), remarks.at(i));
        press(Form2->Button1);

        // Found: exactly the records whose name holds the text.
        Form1->ComboBoxsearchclass->setEditText("姓名");
        Form1->ComboBoxsearch->setEditText(value);
        QVERIFY(press(Form1->Buttonsearch).isEmpty());
        QStringList expected;
        for (const QStringList &record : stored) {
            if (record.first().contains(value))
                expected << record.first();
        }
        QCOMPARE(listedNames(), expected);
    }
    QCOMPARE(fixture.count(), oneLineValues.size());
}

void TestHostileText::editPageWritesValuesExactly()
{
    RegisterFixture fixture;
    fixture.createRegister({{"张三", "101", "500"}});
    fixture.startShown();
    const QStringList remarks = remarksValues();
    for (int i = 0; i < oneLineValues.size(); ++i) {
        const QString &value = oneLineValues.at(i);
        doubleClickRow(0);
        for (QLineEdit *box : {Form2->DBEdit_xiangmuedit, Form2->DBEdit_FangHao, Form2->DBEdit_Yajin})
            box->setText(value);
        for (QComboBox *box : {Form2->DBComboBox_ZuJin, Form2->DBComboBoxstartdate, Form2->DBComboBoxenddate})
            box->setEditText(value);  // 修改 runs no listing, so any rent text is fine here
        Form2->DBMemoxiangmubeizhuedit->setPlainText(remarks.at(i));
        QVERIFY(press(Form2->Buttonedit).isEmpty());
        QCOMPARE(fixture.rows("select 姓名, 房号, 租金, 押金, 入住日期, 到期日期, 备注 from data"),
                 (QList<QStringList>{{value, value, value, value, value, value, remarks.at(i)}}));
    }
}

QTEST_MAIN(TestHostileText)
#include "tst_hostile_text.moc"
