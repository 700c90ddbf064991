#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHash>
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
#include "ui/bitmap/image_view.h"
#include "ui/controls/fading_label.h"
#include "ui/controls/file_drop_target.h"
#include "ui/controls/gauge_bar.h"

namespace {

// The command buttons have a row of their own above the Find row: at the smallest width the Find and filter
// boxes, which keep to the right edge, would otherwise cover the last buttons.
constexpr int kRowHeight = 24;
constexpr int kButtonRowTop = 2;
constexpr int kFindRowTop = kButtonRowTop + kRowHeight + 2;
constexpr int kListsTop = kFindRowTop + kRowHeight + 4;
// The count label's width for the short counts; a longer one widens it.
constexpr int kCountWidth = 44;

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
void RunCommand(UserPrompts& prompts, const std::function<void()>& handler) {
    RunGuarded(prompts, [&] {
        if (!BusyGuard::IsBusy()) handler();
    });
}

} // namespace

MainWindow::MainWindow(AppContext& context, QWidget* parent) : QMainWindow(parent), context_(context) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tessarin"));
    CreateControls();
    CreateMenus();
    WireHandlers();
    ConnectPanes();
    OpenDialog1.setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1.setParent(this);
    settings_ = new StoredSettings(context_, forms_, *this);
    connect(settings_, &StoredSettings::RowAdded, this, Guarded(context_.Prompts(), [this] {
                if (!Loading) panel_->SelectLastRow();
                panel_->invlistClick();
            }));
    CreateDropTarget();

    // The master list takes the keys first; an edit box would blink its caret from the start.
    master_->legolist->setFocus();
    setMinimumSize(800, 537);
    resize(800, 600);
    qApp->installEventFilter(this);
}

void MainWindow::SetForms(const Forms& forms) {
    forms_ = forms;
    settings_->StoreForms();
}

MainWindow::~MainWindow() {
    settings_->SaveStoredForms();
    DropFileTarget1->UnregisterControl();
    qApp->removeEventFilter(this);
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

    master_ = new MasterPane(context_, client, kFindRowTop, kRowHeight, kListsTop, sortState_);
    panel_ = new EditPanel(context_, client, sortState_);
    picture_ = new PicturePane(context_, client, kListsTop,
                               [this](const QString& part) { return panel_->LDrawColourOf(part); });

    Label4 = MakePlainLabel(client, "Label4", QStringLiteral("Count:"), QRect(8, 0, 40, 16));
    Label5 = MakePlainLabel(client, "Label5", QStringLiteral("0"), QRect(50, 0, kCountWidth, 16));
    Label6 = MakePlainLabel(client, "Label6", QStringLiteral("Set:"), QRect(100, 0, 28, 16));
    Edit1 = MakeNamed<QLineEdit>(client, "Edit1");
    Edit1->setGeometry(130, 0, 300, 22);
    BitBtn8->setGeometry(0, 0, 60, 24);
    web_ = new WebCommands(access_, *master_, forms_.settings, this);
    CreateStatusLine(client);
}

void MainWindow::ConnectPanes() {
    UserPrompts& prompts = context_.Prompts();
    connect(master_, &MasterPane::PartShown, picture_,
            Guarded(prompts, [this](const QString& part, const QString& description) {
                picture_->ShowPart(part, description);
            }));
    connect(master_, &MasterPane::PartFound, panel_,
            Guarded(prompts, [this](const QString& part) { panel_->SelectPart(part); }));
    connect(master_, &MasterPane::AddRequested, BitBtn4, &QPushButton::click); // unguarded: Qt's own slot
    connect(panel_, &EditPanel::RowShown, this,
            Guarded(prompts, [this](const QString& part, const QString& description) {
                if (!master_->ShowListed(part)) picture_->ShowUnlisted(part, description);
            }));
    InventoryModel& inventory = context_.inventory;
    connect(&inventory, &InventoryModel::CountChanged, Label5, Guarded(prompts, [this](const QString& count) {
        Label5->setText(count);
        PlaceSetRow();
    }));
    // The set name follows the inventory, and what the user types goes into it.
    connect(&inventory, &InventoryModel::SetNameChanged, Edit1,
            &QLineEdit::setText); // unguarded: Qt's own slot
    connect(Edit1, &QLineEdit::textChanged, &inventory,
            Guarded(prompts, [&inventory](const QString& name) { inventory.SetSetName(name); }));
    // The status line shows what a command is doing; an empty text hides it.
    connect(&access_, &InventoryAccess::StatusTextChanged, FadingLabel1,
            Guarded(prompts, [this](const QString& text) {
                FadingLabel1->setCaption(text);
                FadingLabel1->setEnabled(!text.isEmpty());
                FadingLabel1->setVisible(!text.isEmpty());
            }));
    connect(&access_, &InventoryAccess::LastRowWanted, panel_,
            Guarded(prompts, [this] { panel_->SelectLastRow(); }));
    // Cancel stands beneath the status line while a download shows its progress.
    connect(web_, &WebCommands::ProgressShown, CancelDownload, Guarded(prompts, [this](bool shown) {
                if (!shown) return CancelDownload->hide();
                CancelDownload->adjustSize();
                CancelDownload->move(FadingLabel1->x(), FadingLabel1->geometry().bottom() + 4);
                CancelDownload->show();
                CancelDownload->raise();
            }));
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
        {"&Peeron", "&Upload an invenotry", Qt::Key_unknown, false, nullptr,
         [](MainWindow& w) { w.web_->Service().UploadInventory(); }},
        {"&Peeron", "Download &My Parts inventory", Qt::Key_unknown, false, nullptr,
         [](MainWindow& w) { w.web_->Service().DownloadMyParts(); }},
        {"&Peeron", "Download a &set inventory", Qt::Key_unknown, false, nullptr,
         [](MainWindow& w) { w.web_->Service().DownloadSetInventory(); }},
        {"&Help", "&Update master.txt", Qt::Key_unknown, false, nullptr,
         [](MainWindow& w) { w.web_->Service().UpdateMasterList(); }},
        {"&Help", "&About", Qt::Key_unknown, false, nullptr, &MainWindow::About1Click},
        {nullptr, nullptr, Qt::Key_C, true, &MainWindow::BitBtn6, &MainWindow::BitBtn6Click},
        {nullptr, nullptr, Qt::Key_unknown, false, &MainWindow::BitBtn7, &MainWindow::BitBtn7Click},
        {nullptr, nullptr, Qt::Key_unknown, false, &MainWindow::BitBtn8, &MainWindow::BitBtn8Click},
        {nullptr, nullptr, Qt::Key_unknown, false, &MainWindow::BitBtn10, &MainWindow::BitBtn10Click},
    };
    return commands;
}

void MainWindow::RunCommandOf(const Command& command) {
    RunCommand(context_.Prompts(), [&] { command.handler(*this); });
}

void MainWindow::CreateMenus() {
    QHash<QString, QMenu*> menus;
    for (const Command& command : Commands()) {
        if (!command.menu) continue;
        QMenu*& menu = menus[QLatin1String(command.menu)];
        if (!menu) menu = menuBar()->addMenu(QLatin1String(command.menu));
        connect(menu->addAction(QLatin1String(command.caption)), &QAction::triggered, this,
                [this, &command] { RunCommandOf(command); }); // unguarded: commands run inside the boundary
    }
    // Closing is no command: it asks about unsaved changes even while files are being read.
    connect(menus.value(QStringLiteral("&File"))->addAction(QStringLiteral("&Exit")), &QAction::triggered,
            this, &QWidget::close); // unguarded: Qt's own slot
}

void MainWindow::BitBtn6Click() {
    CompareDialog* compare = forms_.compare.Get();
    if (!compare) return;
    compare->ShowEmpty();
}

void MainWindow::BitBtn8Click() {
    if (SettingsDialog* settings = forms_.settings.Get()) settings->exec();
}

void MainWindow::BitBtn10Click() {
    if (LabelMaker* labelMaker = forms_.labelMaker.Get()) labelMaker->exec();
}

void MainWindow::WireHandlers() {
    for (const Command& command : Commands())
        if (command.button) {
            // unguarded: commands run inside the boundary
            connect(this->*command.button, &QPushButton::clicked, this,
                    [this, &command] { RunCommandOf(command); });
        }
    connect(Edit1, &QLineEdit::textChanged, this, Guarded(context_.Prompts(), [this](const QString& setName) {
                setWindowTitle(QStringLiteral("Tessarin") + QString(11, QLatin1Char(' ')) + setName);
            }));
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // The colour file may live in the LDraw folder.
    settings_->DefaultLDrawFolder();
    context_.renderer.Colours().Init(ToFsPath(context_.folders.Folder(FolderKind::LDraw)),
                                     context_.Prompts());
    RunGuarded(context_.Prompts(), [this] { LoadMasterList(true); });
}

void MainWindow::LoadMasterList(bool showSplash) {
    master_->Load(showSplash ? forms_.splash : nullptr);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void MainWindow::FormResize() {
    const int W = qMax(width(), 800);
    const int H = qMax(height(), 537);
    const MasterPane& master = *master_;
    const PicturePane& picture = *picture_;
    const EditPanel& panel = *panel_;
    for (QWidget* widget : std::initializer_list<QWidget*>{panel.Panel1, picture.ListBox1, picture.Label11})
        widget->move(W - 16 - panel.Panel1->width(), widget->y());
    panel.invlist->resize(W - panel.Panel1->width() - 32, panel.invlist->height());
    BitBtn7->move(W - BitBtn7->width() - 16, BitBtn7->y());
    master.edit5->move(W - BitBtn7->width() - 32 - master.edit5->width(), master.edit5->y());
    master.Edit6->move(master.edit5->x() - master.Edit6->width() - 8, master.Edit6->y());

    const int listHeight = (H - 151) / 2;
    // The master lists stand 516 from the right edge, 500 wide: placed before sizing, so that shrinking
    // the window never leaves them narrower.
    for (RichListView* list : {master.legolist, master.legolist2})
        list->setGeometry(W - 516, list->y(), 500, listHeight);
    panel.invlist->setGeometry(panel.invlist->x(), master.legolist->y() + listHeight + 16,
                               panel.invlist->width(), listHeight + 16);
    const int invTop = panel.invlist->y();
    panel.Panel1->move(panel.Panel1->x(), invTop);
    const int panelBottom = panel.Panel1->y() + panel.Panel1->height();
    picture.Label11->move(picture.Label11->x(), panelBottom + 8);
    picture.ListBox1->move(picture.ListBox1->x(), panelBottom + 24);
    // Down to the client area's bottom edge; the window's outer height counts the menu bar as well.
    picture.ListBox1->resize(picture.ListBox1->width(), H - menuBar()->height() - picture.ListBox1->y() - 8);
    PlaceSetRow();

    master.TreeView1->setGeometry(master.legolist->x() - master.TreeView1->width() - 4, master.TreeView1->y(),
                                  master.TreeView1->width(), listHeight);
    picture.Image1->resize(master.TreeView1->x() - 4 - picture.Image1->x(),
                           listHeight - picture.sbScale->height());
    picture.sbScale->setGeometry(picture.sbScale->x(), picture.Image1->y() + picture.Image1->height(),
                                 picture.Image1->width(), picture.sbScale->height());
    picture.Label2->move(picture.Label2->x(), picture.Image1->height() - 16);

    // The gauges and the picture kind stand in the gap between the master list and the inventory, clear of
    // both.
    const int listBottom = master.legolist->y() + listHeight;
    const int gaugeTop = std::max(picture.sbScale->y() + 12, listBottom + 1);
    const int gapHeight = invTop - gaugeTop - 1;
    int offset = 0;
    for (GaugeBar* gauge : {picture.ldrawscale, picture.xrot, picture.yrot, picture.zrot}) {
        gauge->setGeometry(master.legolist->x() + offset, gaugeTop, gauge->width(), gapHeight);
        offset += 108;
    }
    picture.Label8->setGeometry(picture.Label8->x(), master.TreeView1->y() + master.TreeView1->height() + 1,
                                picture.Label8->width(), invTop - listBottom - 1);
    FadingLabel1->move(panel.Panel1->x(), panelBottom + 8);
}

// The row under the inventory: "Count:", the count, "Set:", the set name and "More". The count label is as
// wide as its number, which may run to many digits, and what stands right of it moves along.
void MainWindow::PlaceSetRow() {
    const int W = qMax(width(), 800);
    const int top = panel_->invlist->geometry().bottom() + 1 + 8;
    Label5->resize(qMax(kCountWidth, Label5->fontMetrics().horizontalAdvance(Label5->text())),
                   Label5->height());
    Label6->move(Label5->geometry().right() + 1 + 6, Label6->y());
    const int left = Label6->geometry().right() + 1 + 2;
    Edit1->setGeometry(left, top, W - left - 24 - panel_->Panel1->width() - BitBtn8->width() - 8,
                       Edit1->height());
    BitBtn8->move(Edit1->geometry().right() + 1 + 8, Edit1->y() + 1);
    for (QLabel* label : {Label4, Label5, Label6})
        label->move(label->x(), Edit1->y() + 8);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing while files are read or downloaded waits until the command is over; a download is cut short.
    if (web_->Service().IsRunning()) web_->Service().Cancel();
    if (BusyGuard::IsBusy()) {
        event->ignore();
        QTimer::singleShot(20, this, [this] { close(); });
        return;
    }
    bool keepOpen = false;
    RunGuarded(context_.Prompts(), [&] {
        keepOpen =
            context_.inventory.Modified() &&
            context_.Prompts().AskYesNo(QStringLiteral("Do you want to save your changes before you exit?"));
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
    RunGuarded(context_.Prompts(), [&] {
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
    const MasterPane& master = *master_;
    const EditPanel& panel = *panel_;
    if (control == master.edit5 && press && Modifiers(key) == Qt::ControlModifier &&
        key->key() == Qt::Key_A) {
        BitBtn4->click();
        return true;
    }
    // Any typed key marks the inventory changed, also one the quantity box refuses.
    if ((control == panel.Edit2 || control == panel.Edit3 || control == panel.Memo1) && press &&
        !key->text().isEmpty())
        context_.inventory.SetModified(true);
    // The lists follow arrow keys once the selection has moved.
    if (!press && IsUpOrDown(key)) {
        if (control == master.legolist || control == master.legolist2)
            master_->legolistClick();
        else if (control == master.TreeView1)
            master_->TreeView1Click();
        else if (control == panel.invlist && panel.invlist->RowCount() > 0)
            panel_->invlistClick();
    }
    return false;
}

void MainWindow::About1Click() {
    if (AboutBox* about = forms_.about.Get()) about->ShowAbout();
}
