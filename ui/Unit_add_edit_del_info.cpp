// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Unit_add_edit_del_info.h"

#include "db/ADOQuery.h"
#include "ui/DataSource.h"
#include "platform/ProgramClock.h"
#include "platform/RegionalFormats.h"
#include "register/Unit_mokuai.h"
#include "ui/DigitFilter.h"
#include "ui/GuardedConnect.h"
#include "ui/MessageBoxes.h"
#include "ui/ToolWindow.h"
#include "ui/Unit1.h"
#include "ui/Unit_del_trueorfalse.h"

#include <QDataWidgetMapper>
#include <QFontMetrics>
#include <QMetaProperty>
#include <QShowEvent>

#include <limits>

TForm2 *Form2 = nullptr;

namespace {

const QString remarksTemplate = QStringLiteral("联系电话：\n身份证编号：\n其他备注：");
const QString remarksAfterAdd = QStringLiteral("未填写备注");

// A label that names two boxes holds two words spread apart by blanks; as
// many blanks as the font needs put the second word just before its box.
void spreadLabel(QLabel *label, const QWidget *secondBox)
{
    const QStringList words = label->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() != 2)
        return;
    const QFontMetrics metrics(label->font());
    const int room = secondBox->x() - 4 - label->x() - metrics.horizontalAdvance(words.join(QString()));
    const int blanks = std::max(1, room / metrics.horizontalAdvance(QLatin1Char(' ')));
    label->setText(words.first() + QString(blanks, QLatin1Char(' ')) + words.last());
    label->adjustSize();
}

// Empties a box through the property that holds its text.
void clearBox(QWidget *box)
{
    const QMetaProperty text = box->metaObject()->userProperty();
    text.write(box, QString());
}

// The text a box holds, as 修改 writes it.
QString boxText(const QWidget *box)
{
    if (const auto *memo = qobject_cast<const TMemo *>(box))
        return memo->Text();
    return box->metaObject()->userProperty().read(box).toString();
}

// A one-line box shows and takes a value of any length; it takes at most
// 32,767 characters unless told otherwise, and would cut a longer value.
void showWholeValues(QWidget *box)
{
    auto *line = qobject_cast<QLineEdit *>(box);
    if (auto *combo = qobject_cast<QComboBox *>(box))
        line = combo->lineEdit();
    if (line)
        line->setMaxLength(std::numeric_limits<int>::max());
}

} // namespace

TForm2::TForm2(QWidget *parent)
    : QWidget(parent, toolWindowFlags(Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint))
{
    Form2 = this;
    setupUi(this);
    setFixedSize(size());  // the layout's size
    setWindowIcon(QIcon(QStringLiteral(":/icons/Quillmere.png")));

    spreadLabel(Label1, ComboBox_FangHao);
    spreadLabel(Label3, ComboBox_YaJin);
    spreadLabel(Label7, DBEdit_FangHao);
    spreadLabel(Label12, DBEdit_Yajin);

    for (QWidget *box : {ComboBox_XingMing, ComboBox_FangHao, ComboBox_ZuJin, ComboBox_YaJin, DateTimePickerF,
                         DateTimePickerE})
        showWholeValues(box);

    // The add page's initial content.
    ComboBox_ZuJin->setEditText(QStringLiteral("0"));
    ComboBox_YaJin->setEditText(QStringLiteral("0"));
    Memo_BeiZhu->setPlainText(remarksTemplate);

    for (QWidget *box : {static_cast<QWidget *>(ComboBox_ZuJin), static_cast<QWidget *>(ComboBox_YaJin),
                         static_cast<QWidget *>(DBComboBox_ZuJin), static_cast<QWidget *>(DBEdit_Yajin)})
        DigitFilter::install(box);

    PageControl1->setCurrentWidget(TabSheet1);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet2), false);

    bindEditPage();
    connectHandlers();
    runGuarded("TForm2::FormCreate", [this] { FormCreate(); });
}

TForm2::~TForm2()
{
    if (Form2 == this)
        Form2 = nullptr;
}

void TForm2::connectHandlers()
{
    connectGuarded(Buttonaddinfo, &QPushButton::clicked, this, &TForm2::ButtonaddinfoClick);
    connectGuarded(Buttonc, &QPushButton::clicked, this, &TForm2::ButtoncClick);
    connectGuarded(Buttonedit, &QPushButton::clicked, this, &TForm2::ButtoneditClick);
    connectGuarded(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connectGuarded(Buttondel, &QPushButton::clicked, this, &TForm2::ButtondelClick);
}

// The edit page follows the list cursor's current row through the data
// source that the grid shows. Its texts are written back only by 修改.
void TForm2::bindEditPage()
{
    m_boundBoxes = {
        {DBEdit_xiangmuedit, QStringLiteral("姓名")},
        {DBEdit_FangHao, QStringLiteral("房号")},
        {DBComboBox_ZuJin, QStringLiteral("租金")},
        {DBEdit_Yajin, QStringLiteral("押金")},
        {DBComboBoxstartdate, QStringLiteral("入住日期")},
        {DBComboBoxenddate, QStringLiteral("到期日期")},
        {DBMemoxiangmubeizhuedit, QStringLiteral("备注")},
    };
    for (const auto &[box, column] : m_boundBoxes)
        showWholeValues(box);
    m_editBinding = new QDataWidgetMapper(this);
    m_editBinding->setSubmitPolicy(QDataWidgetMapper::ManualSubmit);
    m_editBinding->setModel(Form1->DataSource1);

    TADOQuery *list = Form1->ADOQuery1;
    // A listing may bring other columns: map by name after each reset.
    connectGuarded(Form1->DataSource1, &QAbstractItemModel::modelReset, this, &TForm2::mapEditPageColumns);
    connectGuarded(list, &TADOQuery::currentRowChanged, this, &TForm2::showCursorRow);
    // The binding shows a written row's new values first, then they are
    // remembered as shown.
    connectGuarded(Form1->DataSource1, &QAbstractItemModel::dataChanged, this, &TForm2::rememberShownTexts);
    mapEditPageColumns();
    showCursorRow(list->RecNo());
}

void TForm2::mapEditPageColumns()
{
    m_editBinding->clearMapping();
    const ResultSet &result = Form1->ADOQuery1->result();
    for (const auto &[box, column] : m_boundBoxes) {
        if (const int section = result.columnIndex(column); section >= 0)
            m_editBinding->addMapping(box, section);
    }
}

void TForm2::showCursorRow(int row)
{
    // Without a current row the boxes are empty; a box whose column the
    // listing lacks stays empty too.
    for (const auto &[box, column] : m_boundBoxes) {
        if (row < 0 || m_editBinding->mappedSection(box) < 0)
            clearBox(box);
    }
    if (row >= 0)
        m_editBinding->setCurrentIndex(row);
    rememberShownTexts();
}

void TForm2::rememberShownTexts()
{
    for (const auto &[box, column] : m_boundBoxes)
        m_shownTexts[box] = boxText(box);
}

bool TForm2::changedByUser(QWidget *box) const
{
    const auto shown = m_shownTexts.find(box);
    return shown == m_shownTexts.end() || boxText(box) != shown->second;
}

void TForm2::showAddPage()
{
    showPage(TabSheet1);
}

void TForm2::showEditPage()
{
    // Rows read from a file that was since replaced get no edit page.
    Form1->ADOQuery1->requireRowsOfCurrentFile();
    showPage(TabSheet2);
}

void TForm2::showPage(QWidget *page)
{
    const int shown = PageControl1->indexOf(page);
    PageControl1->setTabVisible(shown, true);
    PageControl1->setCurrentIndex(shown);
    for (int i = 0; i < PageControl1->count(); ++i) {
        if (i != shown)
            PageControl1->setTabVisible(i, false);
    }
    showToolWindow(this);
}

void TForm2::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        centreAsShown(this);
    QWidget::showEvent(event);
}

void TForm2::hideEvent(QHideEvent *event)
{
    // Texts typed into the edit page and not written by 修改 are dropped.
    if (!event->spontaneous())
        showCursorRow(Form1->ADOQuery1->RecNo());
    QWidget::hideEvent(event);
}

void TForm2::FormCreate()
{
    // With its century, whatever the regional short date does with the year.
    const QString today = fullYearDateText(currentLocalDateTime().date(), regionalFormats());
    DateTimePickerF->setEditText(today);
    DateTimePickerE->setEditText(today);
}

void TForm2::ButtonaddinfoClick()
{
    const QString name = ComboBox_XingMing->currentText();
    if (name.isEmpty()) {
        ShowMessage(QStringLiteral("姓名不能为空."));
        return;
    }

    TADOQuery *check = Form1->ADOQuery2;
    check->Close();
    check->setSQL(QStringLiteral("Select 姓名 from data where 姓名=?1"), {name});
    check->Open();

    if (check->Eof()) {
        TADOQuery *list = Form1->ADOQuery1;
        list->setSQL(QStringLiteral("Insert into data (姓名,租金,押金,房号,入住日期,到期日期,备注,编辑时间) "
                                    "values (?1,?2,?3,?4,?5,?6,?7,?8)"),
                     {name, ComboBox_ZuJin->currentText(), ComboBox_YaJin->currentText(),
                      ComboBox_FangHao->currentText(), DateTimePickerF->currentText(),
                      DateTimePickerE->currentText(), Memo_BeiZhu->Text(),
                      editTimeText(currentLocalDateTime(), regionalFormats())});
        list->ExecSQL();
        Form1->setMessageText(name + QStringLiteral("添加成功!"));
        FullRefresh();
    } else {
        Form1->setMessageText(name + QStringLiteral("添加失败,存在相同的信息名称!"));
    }

    ComboBox_XingMing->setEditText(QString());
    ComboBox_ZuJin->setEditText(QStringLiteral("0"));
    Memo_BeiZhu->setPlainText(remarksAfterAdd);
    close();
}

void TForm2::ButtoncClick()
{
    FullRefresh();
    close();
}

void TForm2::ButtoneditClick()
{
    // A listed row takes only the texts the user changed, so that what the
    // boxes cannot show as it is (NULL, a remark's bare line feeds) stays as
    // it was; a new row takes every box.
    postRecordEdit(*Form1->ADOQuery1, [this](TADOQuery &list, bool newRow) {
        const auto setFromBox = [&](const QString &column, QWidget *box) {
            if (newRow || changedByUser(box))
                list.SetFieldText(column, boxText(box));
        };
        setFromBox(QStringLiteral("姓名"), DBEdit_xiangmuedit);
        setFromBox(QStringLiteral("租金"), DBComboBox_ZuJin);
        setFromBox(QStringLiteral("房号"), DBEdit_FangHao);
        setFromBox(QStringLiteral("押金"), DBEdit_Yajin);
        setFromBox(QStringLiteral("入住日期"), DBComboBoxstartdate);
        setFromBox(QStringLiteral("到期日期"), DBComboBoxenddate);
        setFromBox(QStringLiteral("备注"), DBMemoxiangmubeizhuedit);
    });
    close();
}

void postRecordEdit(TADOQuery &list, const std::function<void(TADOQuery &, bool newRow)> &setTexts)
{
    list.Edit();
    try {
        setTexts(list, list.state() == TADOQuery::State::Insert);
    } catch (...) {
        list.Cancel();
        throw;
    }
    // The last-edit time is always new.
    list.SetFieldText(QStringLiteral("编辑时间"), editTimeText(currentLocalDateTime(), regionalFormats()));
    list.Post();
}

void TForm2::Button1Click()
{
    close();
}

void TForm2::ButtondelClick()
{
    Form3->showConfirmation();
}
