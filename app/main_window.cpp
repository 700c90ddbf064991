#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include "app/about_box.h"
#include "app/add_part_dialog.h"
#include "app/compare_dialog.h"
#include "app/file_paths.h"
#include "app/named_widgets.h"
#include "app/settings_dialog.h"
#include "ldraw/ldraw_colors.h"
#include "platform/fs.h"
#include "platform/ini.h"
#include "platform/ui.h"
#include "print/label_maker.h"
#include "ui/fading_label.h"
#include "ui/file_drop_target.h"
#include "ui/gauge_bar.h"
#include "ui/image_view.h"

namespace {

// The command buttons have a row of their own above the Find row: at the smallest width the Find and filter
// boxes, which keep to the right edge, would otherwise cover the last buttons.
constexpr int kRowHeight = 24;
constexpr int kButtonRowTop = 2;
constexpr int kFindRowTop = kButtonRowTop + kRowHeight + 2;
constexpr int kListsTop = kFindRowTop + kRowHeight + 4;

bool IsEditBox(const QWidget* widget) {
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QTextEdit*>(widget);
}

bool IsUpOrDown(const QKeyEvent* key) {
    return key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
}

Qt::KeyboardModifiers Modifiers(const QKeyEvent* key) {
    return key->modifiers() & ~Qt::KeypadModifier;
}

// A command does not start while another one is reading files.
void RunCommand(const std::function<void()>& handler) {
    RunGuarded([&] {
        if (!BusyGuard::IsBusy()) handler();
    });
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tessarin"));
    CreateControls();
    CreateLists();
    CreatePictureControls();
    CreateMenus();
    WireHandlers();
    CreateInventoryPanel();
    CreateWebService();
    CreateSettings();

    for (auto [label, folder] :
         {std::pair{gif_path, "gifs"}, std::pair{jpg_path, "jpgs"}, std::pair{png_path, "pngs"}})
        if (label->text().isEmpty()) label->setText(FromFsPath(DataDir() / "images" / folder));
    CreateDropTarget();

    // The master list takes the keys first; an edit box would blink its caret from the start.
    legolist->setFocus();
    setMinimumSize(800, 537);
    resize(800, 600);
    qApp->installEventFilter(this);
}

void MainWindow::SetForms(const Forms& forms) {
    forms_ = forms;
    qtPrompts_.SetNumberPrompt([this] { return forms_.numberPrompt.Get(); });
    StoreForms();
    inventory_.UseColours(&Colours());
}

void MainWindow::ConnectAddPart(AddPartDialog* addPart) {
    addPart->SetInventory(&inventory_);
    connect(addPart, &AddPartDialog::RowAdded, this, [this] {
        if (!Loading) SelectLastRow();
        invlistClick();
    });
}

MainWindow::~MainWindow() {
    SaveStoredForms();
    DropFileTarget1->UnregisterControl();
    qApp->removeEventFilter(this);
    // The controls outlive this part of the window while they are torn down: they must not call back.
    for (QObject* control : findChildren<QObject*>())
        control->disconnect(this);
    if (AddPartDialog* addPart = forms_.addPart.Built()) addPart->SetInventory(nullptr);
}

void MainWindow::CreateControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);

    const char* buttonNames[] = {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5",
                                 "BitBtn6", "BitBtn7", "BitBtn8", "BitBtn9", "BitBtn10"};
    const char* captions[] = {"New",     "Open", "Save", "Add",   "Delete",
                              "Compare", "Find", "More", "Print", "Label"};
    QPushButton** buttons[] = {&BitBtn1, &BitBtn2, &BitBtn3, &BitBtn4, &BitBtn5,
                               &BitBtn6, &BitBtn7, &BitBtn8, &BitBtn9, &BitBtn10};
    for (int i = 0; i < 10; ++i) {
        *buttons[i] = MakeNamed<QPushButton>(client, buttonNames[i], QLatin1String(captions[i]));
        (*buttons[i])->setFocusPolicy(Qt::NoFocus);
    }
    int left = 8;
    for (QPushButton* button : {BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6, BitBtn9, BitBtn10}) {
        button->setGeometry(left, kButtonRowTop, 60, kRowHeight);
        left += 64;
    }
    BitBtn9->setToolTip(QStringLiteral("Print Inventory"));
    BitBtn7->setGeometry(0, kFindRowTop, 60, kRowHeight);
    edit5 = MakeNamed<QLineEdit>(client, "edit5");
    edit5->setGeometry(0, kFindRowTop + 1, 120, kRowHeight - 2);
    Edit6 = MakeNamed<QLineEdit>(client, "Edit6");
    Edit6->setGeometry(0, kFindRowTop + 1, 150, kRowHeight - 2);
    Edit6->setToolTip(
        QStringLiteral("Enter your filter text here and press <enter>.  Clear the box and press "
                       "<enter> to get full inventory list"));

    TreeView1 = MakeNamed<QTreeWidget>(client, "TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setGeometry(0, kListsTop, 150, 100);
    Label8 = MakePlainLabel(client, "Label8", QString(), QRect(8, 0, 150, 16));

    // The edit panel is as tall as its lines in the window's font: the "Other jpgs" list below it keeps
    // room for a few names at the smallest window size.
    Panel1 = MakeNamed<QFrame>(client, "Panel1");
    Panel1->setFrameShape(QFrame::StyledPanel);
    const int line = fontMetrics().height();
    PN = MakePlainLabel(Panel1, "PN", QString(), QRect(8, 6, 184, line));
    DES = MakePlainLabel(Panel1, "DES", QString(), QRect(8, PN->y() + line + 2, 184, 2 * line));
    DES->setWordWrap(true);
    COL = MakePlainLabel(Panel1, "COL", QString(), QRect(8, DES->y() + 2 * line + 2, 184, line));
    Edit2 = MakeNamed<QLineEdit>(Panel1, "Edit2");
    const int editTop = COL->y() + line + 6, editHeight = Edit2->sizeHint().height();
    Edit2->setGeometry(8, editTop, 60, editHeight);
    Edit3 = MakeNamed<QLineEdit>(Panel1, "Edit3");
    Edit3->setGeometry(76, editTop, 60, editHeight);
    Memo1 = MakeNamed<QPlainTextEdit>(Panel1, "Memo1");
    Memo1->setGeometry(8, editTop + editHeight + 6, 184, 2 * line + 12);
    Panel1->setGeometry(0, 0, 200, Memo1->y() + Memo1->height() + 8);
    Button1 = MakeNamed<QPushButton>(Panel1, "Button1", QString());
    Button1->hide();
    Label11 = MakePlainLabel(client, "Label11", QStringLiteral("Other jpgs"), QRect(0, 0, 200, 16));
    ListBox1 = MakeNamed<QListWidget>(client, "ListBox1");
    ListBox1->setGeometry(0, 0, 200, 60);

    Label4 = MakePlainLabel(client, "Label4", QStringLiteral("Count:"), QRect(8, 0, 40, 16));
    Label5 = MakePlainLabel(client, "Label5", QStringLiteral("0"), QRect(50, 0, 44, 16));
    Label6 = MakePlainLabel(client, "Label6", QStringLiteral("Set:"), QRect(100, 0, 28, 16));
    Edit1 = MakeNamed<QLineEdit>(client, "Edit1");
    Edit1->setGeometry(130, 0, 300, 22);
    BitBtn8->setGeometry(0, 0, 60, 24);

    gif_path = MakeNamed<QLabel>(client, "gif_path");
    jpg_path = MakeNamed<QLabel>(client, "jpg_path");
    png_path = MakeNamed<QLabel>(client, "png_path");
    ldraw_path = MakeNamed<QLabel>(client, "ldraw_path");
    for (QLabel* folder : {gif_path, jpg_path, png_path, ldraw_path})
        folder->hide();
    CreateStatusLine(client);
}

void MainWindow::CreateLists() {
    QWidget* client = centralWidget();
    legolist = MakeNamed<RichListView>(client, "legolist");
    legolist2 = MakeNamed<RichListView>(client, "legolist2");
    // The master list shows its rows where they were read; its columns come with them.
    legolist->ShowModel(masterModel_);
    legolist->setColumnWidth(0, 75);
    legolist->setColumnWidth(1, 400);
    legolist2->AddColumn(QStringLiteral("Part Number"), 75);
    legolist2->AddColumn(QStringLiteral("Description"), 400);
    for (RichListView* list : {legolist, legolist2}) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setGeometry(0, kListsTop, 500, 100);
    }
    legolist2->hide();
    invlist = MakeNamed<RichListView>(client, "invlist");
    invlist->ShowModel(inventory_);
    for (int column = 0; int width : {0, 75, 75, 30, 75, 300, 160})
        invlist->setColumnWidth(column++, width);
    invlist->setColumnHidden(0, true);
    // The stored widths, widened where the font needs more for a caption ("Part Number").
    for (RichListView* list : {legolist, legolist2, invlist})
        for (int column = 0; column < list->ColumnCount(); ++column)
            if (!list->isColumnHidden(column))
                list->setColumnWidth(
                    column, std::max(list->columnWidth(column), list->header()->sectionSizeHint(column)));
    invlist->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Printsettings& print = invlist->PrintSettings;
    print.Time = print.Date = ppBottomRight;
    print.PageNr = ppBottomLeft;
    print.Title = ppBottomCenter;
    print.RepeatHeaders = true;
    invlist->setGeometry(8, 0, 400, 100);
    // The lists share one sort sign and column; each starts ascending.
    for (RichListView* list : {legolist, legolist2, invlist}) {
        list->ShareSortState(sortState_);
        list->SetSortDirection(sdAscending);
        list->OnColumnClick = [this, list](int column) { legolistColumnClick(list, column); };
    }
}

// Menu items, buttons and shortcut keys all come from here. A key presses the command's button when it has
// one, so that a disabled button keeps its key from acting too.
std::span<const MainWindow::Command> MainWindow::Commands() {
    static const Command commands[] = {
        {"&File", "&New Inventory", Qt::Key_N, true, &MainWindow::BitBtn1, &MainWindow::BitBtn1Click},
        {"&File", "&Open Inventory", Qt::Key_O, true, &MainWindow::BitBtn2, &MainWindow::BitBtn2Click},
        {"&File", "&Multi-Open", Qt::Key_unknown, false, nullptr, &MainWindow::MultiOpenClick},
        {"&File", "&Save Inventory", Qt::Key_S, true, &MainWindow::BitBtn3, &MainWindow::BitBtn3Click},
        {"&File", "&Print", Qt::Key_P, true, &MainWindow::BitBtn9, &MainWindow::BitBtn9Click},
        {"&Edit", "&Add", Qt::Key_A, true, &MainWindow::BitBtn4, &MainWindow::BitBtn4Click},
        {"&Edit", "Add &Undefined", Qt::Key_U, true, nullptr, &MainWindow::AddUndefinedClick},
        {"&Edit", "&Combine Duplicates", Qt::Key_unknown, false, nullptr,
         &MainWindow::CombineDuplicatesClick},
        {"&Edit", "&Delete", Qt::Key_Delete, false, &MainWindow::BitBtn5, &MainWindow::BitBtn5Click},
        {"&Peeron", "&Upload an invenotry", Qt::Key_unknown, false, nullptr, &MainWindow::UploadClick},
        {"&Peeron", "Download &My Parts inventory", Qt::Key_unknown, false, nullptr,
         &MainWindow::DownloadMyPartsClick},
        {"&Peeron", "Download a &set inventory", Qt::Key_unknown, false, nullptr,
         &MainWindow::DownloadSetClick},
        {"&Help", "&Update master.txt", Qt::Key_unknown, false, nullptr, &MainWindow::UpdateMasterClick},
        {"&Help", "&About", Qt::Key_unknown, false, nullptr, &MainWindow::About1Click},
        {nullptr, nullptr, Qt::Key_C, true, &MainWindow::BitBtn6, &MainWindow::BitBtn6Click},
        {nullptr, nullptr, Qt::Key_unknown, false, &MainWindow::BitBtn7, &MainWindow::BitBtn7Click},
        {nullptr, nullptr, Qt::Key_unknown, false, &MainWindow::BitBtn8, &MainWindow::BitBtn8Click},
        {nullptr, nullptr, Qt::Key_unknown, false, &MainWindow::BitBtn10, &MainWindow::BitBtn10Click},
    };
    return commands;
}

void MainWindow::RunCommandOf(const Command& command) {
    RunCommand([&] { (this->*command.handler)(); });
}

void MainWindow::CreateMenus() {
    QHash<QString, QMenu*> menus;
    for (const Command& command : Commands()) {
        if (!command.menu) continue;
        QMenu*& menu = menus[QLatin1String(command.menu)];
        if (!menu) menu = menuBar()->addMenu(QLatin1String(command.menu));
        connect(menu->addAction(QLatin1String(command.caption)), &QAction::triggered, this,
                [this, &command] { RunCommandOf(command); });
    }
    // Closing is no command: it asks about unsaved changes even while files are being read.
    connect(menus.value(QStringLiteral("&File"))->addAction(QStringLiteral("&Exit")), &QAction::triggered,
            this, &QWidget::close);
}

void MainWindow::BitBtn6Click() {
    CompareDialog* compare = forms_.compare.Get();
    if (!compare) return;
    compare->Memo1->clear();
    compare->exec();
}

void MainWindow::BitBtn8Click() {
    if (SettingsDialog* settings = forms_.settings.Get()) settings->exec();
}

void MainWindow::BitBtn10Click() {
    if (LabelMaker* labelMaker = forms_.labelMaker.Get()) labelMaker->exec();
}

void MainWindow::WireHandlers() {
    for (const Command& command : Commands())
        if (command.button)
            connect(this->*command.button, &QPushButton::clicked, this,
                    [this, &command] { RunCommandOf(command); });
    connect(edit5, &QLineEdit::returnPressed, this, Guarded([this] { BitBtn7Click(); }));
    connect(Edit6, &QLineEdit::returnPressed, this, Guarded([this] { FilterMasterList(); }));
    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& setName) {
        setWindowTitle(QStringLiteral("Tessarin") + QString(11, QLatin1Char(' ')) + setName);
    });
    connect(TreeView1, &QTreeWidget::itemClicked, this, Guarded([this] { TreeView1Click(); }));
    for (RichListView* list : {legolist, legolist2})
        connect(list, &QAbstractItemView::doubleClicked, BitBtn4, &QPushButton::click);
}

void MainWindow::legolistColumnClick(RichListView* list, int column) {
    list->ClickColumn(column);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // The stored LDraw folder is back only now: the colour file may live there.
    DefaultLDrawFolder();
    renderer_.Colours().Init(ToFsPath(ldraw_path->text()));
    RunGuarded([this] { LoadMasterList(true); });
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void MainWindow::FormResize() {
    const int W = qMax(width(), 800);
    const int H = qMax(height(), 537);
    for (QWidget* widget : std::initializer_list<QWidget*>{Panel1, ListBox1, Label11})
        widget->move(W - 16 - Panel1->width(), widget->y());
    invlist->resize(W - Panel1->width() - 32, invlist->height());
    BitBtn7->move(W - BitBtn7->width() - 16, BitBtn7->y());
    edit5->move(W - BitBtn7->width() - 32 - edit5->width(), edit5->y());
    Edit6->move(edit5->x() - Edit6->width() - 8, Edit6->y());
    Edit1->resize(W - Edit1->x() - 24 - Panel1->width() - BitBtn8->width() - 8, Edit1->height());
    BitBtn8->move(Edit1->geometry().right() + 1 + 8, BitBtn8->y());

    const int listHeight = (H - 151) / 2;
    // The master lists stand 516 from the right edge, 500 wide: placed before sizing, so that shrinking
    // the window never leaves them narrower.
    for (RichListView* list : {legolist, legolist2})
        list->setGeometry(W - 516, list->y(), 500, listHeight);
    invlist->setGeometry(invlist->x(), legolist->y() + listHeight + 16, invlist->width(), listHeight + 16);
    const int invTop = invlist->y(), invBottom = invTop + invlist->height();
    Panel1->move(Panel1->x(), invTop);
    const int panelBottom = Panel1->y() + Panel1->height();
    Label11->move(Label11->x(), panelBottom + 8);
    ListBox1->move(ListBox1->x(), panelBottom + 24);
    // Down to the client area's bottom edge; the window's outer height counts the menu bar as well.
    ListBox1->resize(ListBox1->width(), H - menuBar()->height() - ListBox1->y() - 8);
    Edit1->move(Edit1->x(), invBottom + 8);
    BitBtn8->move(BitBtn8->x(), Edit1->y() + 1);
    for (QLabel* label : {Label4, Label5, Label6})
        label->move(label->x(), Edit1->y() + 8);

    TreeView1->setGeometry(legolist->x() - TreeView1->width() - 4, TreeView1->y(), TreeView1->width(),
                           listHeight);
    Image1->resize(TreeView1->x() - 4 - Image1->x(), listHeight - sbScale->height());
    sbScale->setGeometry(sbScale->x(), Image1->y() + Image1->height(), Image1->width(), sbScale->height());
    Label2->move(Label2->x(), Image1->height() - 16);

    // The gauges and the picture kind stand in the gap between the master list and the inventory, clear of
    // both.
    const int listBottom = legolist->y() + listHeight;
    const int gaugeTop = std::max(sbScale->y() + 12, listBottom + 1);
    const int gapHeight = invTop - gaugeTop - 1;
    int offset = 0;
    for (GaugeBar* gauge : {ldrawscale, xrot, yrot, zrot}) {
        gauge->setGeometry(legolist->x() + offset, gaugeTop, gauge->width(), gapHeight);
        offset += 108;
    }
    Label8->setGeometry(Label8->x(), TreeView1->y() + TreeView1->height() + 1, Label8->width(),
                        invTop - listBottom - 1);
    FadingLabel1->move(Panel1->x(), panelBottom + 8);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing while files are read or downloaded waits until the command is over; a download is cut short.
    if (web_->IsRunning()) web_->Cancel();
    if (BusyGuard::IsBusy()) {
        event->ignore();
        QTimer::singleShot(20, this, [this] { close(); });
        return;
    }
    bool keepOpen = false;
    RunGuarded([&] {
        keepOpen = inventory_.Modified() &&
                   prompts_->AskYesNo(QStringLiteral("Do you want to save your changes before you exit?"));
    });
    if (keepOpen) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    // Closing the main window ends the program, whatever window of its own is still up (the splash of a
    // start-up the close interrupted, a preview).
    QCoreApplication::quit();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control || control->window() != this) return false;
    // The window previews keys meant for its focused control; later deliveries to the parents are not new.
    QWidget* focused = QApplication::focusWidget();
    if (control != (focused && focused->window() == this ? focused : this)) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    bool handled = false;
    RunGuarded([&] {
        handled = event->type() == QEvent::KeyPress && !IsEditBox(control) && FormKeyDown(key);
        if (!handled) handled = ControlKey(control, key);
    });
    return handled;
}

bool MainWindow::FormKeyDown(QKeyEvent* key) {
    for (const Command& command : Commands()) {
        if (command.key == Qt::Key_unknown || key->key() != command.key) continue;
        if (command.control && Modifiers(key) != Qt::ControlModifier) continue;
        if (command.button)
            (this->*command.button)->click();
        else
            RunCommandOf(command);
        return true;
    }
    return false;
}

bool MainWindow::ControlKey(QWidget* control, QKeyEvent* key) {
    const bool press = key->type() == QEvent::KeyPress;
    if (control == edit5 && press && Modifiers(key) == Qt::ControlModifier && key->key() == Qt::Key_A) {
        BitBtn4->click();
        return true;
    }
    // Any typed key marks the inventory changed, also one the quantity box refuses.
    if ((control == Edit2 || control == Edit3 || control == Memo1) && press && !key->text().isEmpty())
        inventory_.SetModified(true);
    // The lists follow arrow keys once the selection has moved.
    if (!press && IsUpOrDown(key)) {
        if (control == legolist || control == legolist2)
            legolistClick();
        else if (control == TreeView1)
            TreeView1Click();
        else if (control == invlist && invlist->RowCount() > 0)
            invlistClick();
    }
    return false;
}

QString MainWindow::LookUpMaster(const QString& partNumber) const {
    const MasterIndex* hash = MasterHashTable();
    return hash ? hash->LookUp(partNumber) : QString();
}

void MainWindow::About1Click() {
    if (AboutBox* about = forms_.about.Get()) about->ShowAbout();
}
