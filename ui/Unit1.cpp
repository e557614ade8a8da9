// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Unit1.h"

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"
#include "ui/DataSource.h"
#include "platform/ProgramClock.h"
#include "platform/ProgramDirectory.h"
#include "platform/RegionalFormats.h"
#include "register/DatabaseBackup.h"
#include "register/TenantSearch.h"
#include "register/Unit_mokuai.h"
#include "ui/AccessConversion.h"
#include "ui/GuardedConnect.h"
#include "ui/MessageBoxes.h"
#include "ui/ScrollingStrip.h"
#include "ui/Unit_add_edit_del_info.h"
#include "ui/ToolWindow.h"
#include "ui/Unit_del_trueorfalse.h"
#include "ui/VisualStyle.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>
#include <QUrl>

TForm1 *Form1 = nullptr;

void RefreshList()
{
    RefreshList(*Form1);
    Form1->registerWasListed();
}

void FillRentList()
{
    FillRentList(*Form1);
}

void SumRentList()
{
    SumRentList(*Form1);
}

void FullRefresh()
{
    RefreshList();
    FillRentList();
    SumRentList();
}

namespace {

// The about line keeps its place relative to the page's size.
constexpr QSize aboutPageDesignSize{844, 366};

} // namespace

TForm1::TForm1(QWidget *parent)
    : QWidget(parent)
{
    Form1 = this;
    setupUi(this);

    QFont bannerFont(bannerFontFamilies());
    bannerFont.setPixelSize(35);
    Label2->setFont(bannerFont);
    Image1->setPixmap(QPixmap(QStringLiteral(":/icons/Quillmere.png")));
    setWindowIcon(QIcon(QStringLiteral(":/icons/Quillmere.png")));
    Label1->adjustSize();
    m_aboutLineDesignPlace = Label1->pos();
    scrollWhenNarrow(GroupBox1);
    // The version text is the build's.
    Edit_VER->setText(QStringLiteral(LARKHAVEN_VERSION_TEXT));
    TabSheet2->installEventFilter(this);

    m_events = new RegisterEvents(this);
    ADOConnection1 = new TADOConnection(this);
    ADOQuery1 = new TADOQuery(QStringLiteral("ADOQuery1"), ADOConnection1, this);
    ADOQuery2 = new TADOQuery(QStringLiteral("ADOQuery2"), ADOConnection1, this);
    DataSource1 = new TDataSource(ADOQuery1, this);
    DBGrid1->setDataSource(DataSource1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N1 = PopupMenu1->addAction(QStringLiteral("删除选中信息"));
    N1->setObjectName(QStringLiteral("N1"));

    // The clock runs from here; its first tick comes a second later.
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(1000);
    Timer->start();

    connectHandlers();
    setUpPages();
    setUpLeaseListings();
    setUpLeaseActions();
    runGuarded("TForm1::FormCreate", [this] { FormCreate(); });
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::connectHandlers()
{
    connectGuarded(Timer, &QTimer::timeout, this, &TForm1::TimerTimer);
    connectGuarded(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connectGuarded(ComboBoxsearch, &QComboBox::editTextChanged, this, &TForm1::ComboBoxsearchChange);
    connectGuarded(Buttonre, &QPushButton::clicked, this, &TForm1::ButtonreClick);
    connectGuarded(DBGrid1, &QAbstractItemView::clicked, this, &TForm1::DBGrid1CellClick);
    connectGuarded(Buttonsearch, &QPushButton::clicked, this, &TForm1::ButtonsearchClick);
    connectGuarded(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connectGuarded(Buttonaddnewinfo, &QPushButton::clicked, this, &TForm1::ButtonaddnewinfoClick);
    connectGuarded(DBGrid1, &TDBGrid::DblClick, this, &TForm1::DBGrid1DblClick);
    connectGuarded(Buttondel, &QPushButton::clicked, this, &TForm1::ButtondelClick);
    connectGuarded(N1, &QAction::triggered, this, &TForm1::N1Click);
    connectGuarded(Buttonbakdatabasa, &QPushButton::clicked, this, &TForm1::ButtonbakdatabasaClick);
    connectGuarded(DBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint &place) {
        PopupMenu1->popup(DBGrid1->viewport()->mapToGlobal(place));
    });
}

void TForm1::setUpPages()
{
    // The restore group sits below the backup, where the page's design
    // leaves room for it.
    restoreGroup = new BackupRestoreGroup(*this, TabSheet3);
    restoreGroup->setGeometry(0, 88, 753, 270);
    restoreGroup->lower();  // the hidden rent list's group stays above it
    setTabOrder(Buttonbakdatabasa, restoreGroup->backupList);
    setTabOrder(restoreGroup->backupList, restoreGroup->restoreButton);
    connectGuarded(PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (PageControl1->currentWidget() == TabSheet3)
            restoreGroup->showBackups();
    });

    transferPage = new TransferPage(*this, PageControl1);
    PageControl1->insertTab(PageControl1->indexOf(TabSheet2), transferPage, QStringLiteral("导入导出"));
    rentRoundPage = new RentRoundPage(*this, PageControl1);
    PageControl1->insertTab(PageControl1->indexOf(transferPage), rentRoundPage, QStringLiteral("收租"));
    connectGuarded(PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (PageControl1->currentWidget() == rentRoundPage)
            rentRoundPage->pageShown();
    });

    PopupMenu1->addSeparator();
    exportListingAction = PopupMenu1->addAction(QStringLiteral("导出当前列表…"));
    exportListingAction->setObjectName(QStringLiteral("exportListingAction"));
    printListingAction = PopupMenu1->addAction(QStringLiteral("打印当前列表…"));
    printListingAction->setObjectName(QStringLiteral("printListingAction"));
    connectGuarded(exportListingAction, &QAction::triggered, transferPage, &TransferPage::exportListing);
    connectGuarded(printListingAction, &QAction::triggered, transferPage, &TransferPage::printListing);
}

TADOQuery &TForm1::listCursor()
{
    return *ADOQuery1;
}

QString TForm1::countText() const
{
    return StatusBar1->panelText(TStatusBar::CountPanel);
}

void TForm1::setCountText(const QString &text)
{
    StatusBar1->setPanelText(TStatusBar::CountPanel, text);
}

void TForm1::setMessageText(const QString &text)
{
    StatusBar1->setPanelText(TStatusBar::MessagePanel, text);
}

void TForm1::setColumnWidth(int position, int width)
{
    DBGrid1->setColumnWidth(position, width);
}

const TextList &TForm1::rentTexts() const
{
    return ListBoxtjzhichu->texts();
}

TextList TForm1::takeRentTexts()
{
    return ListBoxtjzhichu->takeTexts();
}

void TForm1::setRentTexts(TextList texts)
{
    ListBoxtjzhichu->setTexts(std::move(texts));
}

void TForm1::setRentTotal(const QString &text)
{
    Edittjzhichu->setText(text);
}

bool TForm1::relistRegister()
{
    // The refresh may fail at the rent total after the list was read.
    bool listed = false;
    runGuarded("TForm1::relistRegister", [&] {
        FullRefresh();
        listed = true;
    });
    return listed;
}

bool TForm1::reopenRegister()
{
    ADOConnection1->setDatabaseFile(databasePath());
    const bool listed = relistRegister();
    emit m_events->databaseReplaced();
    return listed;
}

void TForm1::FormCreate()
{
    setWindowTitle(applicationTitle);
    Label2->setText(applicationTitle);
    Label2->adjustSize();
    PageControl1->setTabText(PageControl1->indexOf(TabSheet1), windowTitle());

    // A directory of that name is no database file.
    const QString path = databasePath();
    if (QFileInfo(path).isFile()) {
        OfferAccessConversion(path);
        ADOConnection1->setDatabaseFile(path);
        // The reminder follows also a refresh that failed at the rent total.
        runGuarded("TForm1::FormCreate", [] { FullRefresh(); });
        showLeaseReminder();
    } else {
        ShowMessage(QStringLiteral("数据库不存在."));
    }
}

void TForm1::TimerTimer()
{
    const QDateTime now = currentLocalDateTime();
    StatusBar1->setPanelText(TStatusBar::ClockPanel, clockPanelText(now, regionalFormats()));
    const QString name = backupNameText(now.date(), regionalFormats());
    if (EditDATABAKNAME->text() != name)
        EditDATABAKNAME->setText(name);
}

bool TForm1::FormCloseQuery()
{
    return AskYesNo(QStringLiteral("Confirm"), QStringLiteral("您真的要退出吗"), this);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    bool canClose = false;
    runGuarded("TForm1::FormCloseQuery", [&] { canClose = FormCloseQuery(); });
    if (canClose)
        event->accept();
    else
        event->ignore();
}

void TForm1::Button2Click()
{
    const QString address = QStringLiteral("http://www.larkhaven.example/?V=Quillmere") + Edit_VER->text();
    // Where no browser can be started the user would otherwise see nothing.
    if (!QDesktopServices::openUrl(QUrl(address)))
        setMessageText(QStringLiteral("无法打开网页 ") + address);
}

void TForm1::ComboBoxsearchChange()
{
    m_defaultButton = Buttonsearch;
    Buttonsearch->setDefault(true);
}

void TForm1::keyPressEvent(QKeyEvent *event)
{
    // Enter that no control took: a focused button clicks itself, otherwise
    // the default button is clicked.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto *focused = qobject_cast<QPushButton *>(focusWidget());
        QPushButton *target = focused ? focused : m_defaultButton;
        if (target && target->isVisible() && target->isEnabled()) {
            target->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void TForm1::ButtonreClick()
{
    FullRefresh();
    setMessageText(QString());
}

void TForm1::DBGrid1CellClick(const QModelIndex &cell)
{
    if (cell.isValid())
        setMessageText(DataSource1->data(cell).toString());
}

void TForm1::showEvent(QShowEvent *event)
{
    if (!m_shownOnce && !event->spontaneous()) {
        m_shownOnce = true;
        centreAsShown(this);
    }
    QWidget::showEvent(event);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TabSheet2 && event->type() == QEvent::Resize)
        keepAboutLineInPlace();
    return QWidget::eventFilter(watched, event);
}

void TForm1::keepAboutLineInPlace()
{
    // Anchored to no edge: the line's centre keeps its relative place.
    const QSize page = TabSheet2->size();
    const QPointF designCentre = QPointF(m_aboutLineDesignPlace) + QPointF(Label1->width(), Label1->height()) / 2.0;
    const QPointF centre(designCentre.x() * page.width() / aboutPageDesignSize.width(),
                         designCentre.y() * page.height() / aboutPageDesignSize.height());
    Label1->move((centre - QPointF(Label1->width(), Label1->height()) / 2.0).toPoint());
}

// Handlers of the search, add / edit, delete and backup commands.

void TForm1::ButtonsearchClick()
{
    // The box's initial prompt is no keyword; nothing is trimmed.
    const QString prompt = QStringLiteral("请输入搜索关键字");
    const QString keyword = ComboBoxsearch->currentText();
    if (keyword.isEmpty() || keyword == prompt) {
        ShowMessage(prompt);
        return;
    }
    SearchList(*this, ComboBoxsearchclass->currentText(), keyword);
}

void TForm1::Button1Click()
{
    long long unreadable = 0;
    if (DueTenantList(*this, currentLocalDateTime().date(), &unreadable) == 0) {
        ShowMessage(QStringLiteral("暂无到期房客."));
        // 刷新 brings the full list back and clears the message panel.
        Buttonre->click();
    }
    showUnreadableDatesNote(unreadable);
}

void TForm1::ButtonaddnewinfoClick()
{
    Form2->showAddPage();
}

void TForm1::DBGrid1DblClick()
{
    if (fullListIsEmpty(*this))
        return;
    Form2->showEditPage();
}

void TForm1::ButtondelClick()
{
    Form3->showConfirmation();
}

void TForm1::N1Click()
{
    Form3->showConfirmation();
}

void TForm1::ButtonbakdatabasaClick()
{
    if (backupDatabase(*ADOConnection1, EditDATABAKNAME->text(), currentLocalDateTime().date()))
        ShowMessage(QStringLiteral("备份数据库,成功!"));
    else
        ShowMessage(QStringLiteral("备份数据库,失败!") + QDir::toNativeSeparators(databasePath()));
    restoreGroup->showBackups();
}
