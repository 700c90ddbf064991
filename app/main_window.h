#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "app/inventory_files.h"
#include "app/inventory_host.h"
#include "app/inventory_model.h"
#include "app/lazy_form.h"
#include "app/master_list.h"
#include "app/master_list_model.h"
#include "app/picture_animation.h"
#include "app/user_prompts.h"
#include "ldraw/ldraw_view.h"
#include "ldraw/picture_chooser.h"
#include "print/report/inventory_report.h"
#include "ui/rich_list_view.h"
#include "web/web_service.h"

class AboutBox;
class AddPartDialog;
class FindFile;
class GaugeBar;
class Image32;
class CompareDialog;
class DropFileTarget;
class FadingLabel;
class FormStorage;
class IniFile;
class LabelMaker;
class NumberPrompt;
class SettingsDialog;
class SplashWindow;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

// The windows beside the main window; each is built when first needed, its stored settings applied then.
// The splash shows at start-up.
struct Forms {
    LazyForm<AddPartDialog> addPart;
    LazyForm<CompareDialog> compare;
    LazyForm<AboutBox> about;
    LazyForm<SettingsDialog> settings;
    LazyForm<NumberPrompt> numberPrompt;
    SplashWindow* splash = nullptr;
    LazyForm<LabelMaker> labelMaker;
};

// The file last chosen in the open dialog. An object of its own so that the settings file keeps it.
class FileDialogState : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FileName MEMBER FileName)
  public:
    QString FileName;
};

// The main window: master parts list on the right, the part picture on the left, the inventory below, shown
// by invlist.
class MainWindow : public QMainWindow, public InventoryHost, public WebServiceHost {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Each window that keeps settings gets its storage when it is built.
    void SetForms(const Forms& forms);

    // Reads master.txt of the data folder into the master list, its hash, its lines and the category tree.
    void LoadMasterList(bool showSplash);
    // The description of a master part, empty when the part is unknown.
    QString LookUpMaster(const QString& partNumber) const;

    bool Loading = false;

    // The inventory (main_window_inventory.cpp).
    InventoryModel& Inventory() override { return inventory_; }
    const InventoryModel& Inventory() const override { return inventory_; }
    QString MasterDescription(const QString& partNumber) const override { return LookUpMaster(partNumber); }
    const ColorTable& Colours() const override;
    const LDrawColours& LDrawColourTable() const override { return renderer_.Colours(); }
    // Draws the part pictures; the label maker renders with it too.
    LDrawRenderer& Renderer() { return renderer_; }
    void SetStatusText(const QString& text) override;
    void SelectLastRow() override;

    // The Qt prompts unless a test has put its own in.
    UserPrompts& Prompts() const override { return *prompts_; }
    void UsePrompts(UserPrompts& prompts) { prompts_ = &prompts; }

    void BitBtn7Click(); // Find
    void FilterMasterList();
    void TreeView1Click();
    void legolistColumnClick(RichListView* list, int column);

    void BitBtn1Click(); // New
    void BitBtn2Click(); // Open
    void BitBtn3Click(); // Save
    void MultiOpenClick();
    // The file commands; tests hold or count their reads.
    InventoryFiles& Files() { return files_; }
    void BitBtn5Click(); // Delete
    void AddUndefinedClick();
    void CombineDuplicatesClick();
    void invlistClick();

    // The inventory report in the preview (main_window_print.cpp).
    InventoryReport& Report() { return report_; }

    // The part picture (main_window_picture.cpp). legolistClick shows the part selected in the visible master
    // list; the other callers name the part they show.
    PictureFolders PartPictureFolders() const;
    void legolistClick();
    void Image1DblClick();
    void ldrawscaleMouseUp();
    void ListBox1Click();
    // Plays an animated part picture; tests give it their clock and ask whether it runs.
    PictureAnimation& Animation() { return animation_; }

    // The web service (main_window_web.cpp).
    WebService& Web() { return *web_; }
    QString LoginUser() override;
    QString LoginPassword() override;
    int AskSetNumber(const QString& prompt, QString& suffix) override {
        return prompts_->AskSetNumber(prompt, suffix);
    }
    void ShowStatus(const QString& text) override;
    void HideStatus() override;
    void ReloadMasterList() override;
    void ReadInvFile(const std::filesystem::path& file) override;
    void ReadTsvFile(const std::filesystem::path& file) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // "Tessarin.ini" in the data folder, shared by every window that keeps settings.
    IniFile& Settings() { return *settings_; }

    // Handlers only the window's own controls, menus and keys reach.
    void ClearEditPanel();
    void BitBtn4Click(); // Add
    void invlistfocus(const QString& partNumber);
    void BitBtn9Click(); // Print
    void About1Click();
    void ShowMasterPart(const QString& partNumber, const QString& description);
    void sbScaleChange();
    void FindFile1Found(const QString& folder, const QString& name);
    void UploadClick();
    void DownloadMyPartsClick();
    void DownloadSetClick();
    void UpdateMasterClick();

    // Its folder is where the open dialog starts.
    FileDialogState OpenDialog1;
    QPushButton* CancelDownload; // beside the status line while a download waits
    // Controls.
    RichListView* legolist;
    RichListView* legolist2;
    RichListView* invlist;
    QTreeWidget* TreeView1;
    Image32* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    GaugeBar* sbScale;
    GaugeBar* ldrawscale;
    GaugeBar* xrot;
    GaugeBar* yrot;
    GaugeBar* zrot;
    QFrame* Panel1;
    QLabel* PN;
    QLabel* DES;
    QLabel* COL;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QPlainTextEdit* Memo1;
    QPushButton* Button1;
    QLineEdit* Edit1;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLineEdit* edit5;
    QLineEdit* Edit6;
    QListWidget* ListBox1;
    QLabel* Label11;
    QLabel* Label8;
    QLabel* gif_path;
    QLabel* jpg_path;
    QLabel* png_path;
    QLabel* ldraw_path;
    FadingLabel* FadingLabel1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QPushButton* BitBtn4;
    QPushButton* BitBtn5;
    QPushButton* BitBtn6;
    QPushButton* BitBtn7;
    QPushButton* BitBtn8;
    QPushButton* BitBtn9;
    QPushButton* BitBtn10;
    FindFile* FindFile1;
    // Target of the part renderer.
    QImage RenderPicture;

    // Settings file, stored window properties and the drop target (main_window_setup.cpp).
    void CreateSettings();
    // Nothing when the window is missing or already stored.
    FormStorage* StoreForm(QWidget* form, const QString& section, const QStringList& storedProps);
    void StoreForms();
    void ConnectAddPart(AddPartDialog* addPart);
    void SaveStoredForms();
    void CreateDropTarget();
    void CreateStatusLine(QWidget* client);
    std::unique_ptr<IniFile> settings_;
    std::vector<QPointer<FormStorage>> storages_;
    DropFileTarget* DropFileTarget1 = nullptr;

    void CreateControls();
    void CreatePictureControls();
    // A file that cannot be loaded shows the note with the reason instead.
    void ShowPicture(const std::filesystem::path& file, const QString& kind);
    // "Sorry, no image available!" (and why, when a picture failed) on a white picture, no picture kind.
    void ShowNoPicture(const QString& reason = {});
    // Shows the part of a master list row; with the filtered list shown, that list selects the part too,
    // or the filter goes when the part is not in it.
    void ShowMasterHit(int row);
    void DefaultLDrawFolder();
    void ShowLDrawGauges(bool visible);
    void CreateLists();
    // A command of the window: its menu item (none without a menu), shortcut key (Qt::Key_unknown for
    // none; with control, Ctrl and no other modifier), button (may be null) and handler.
    struct Command {
        const char* menu;
        const char* caption;
        Qt::Key key;
        bool control;
        QPushButton* MainWindow::*button;
        void (MainWindow::*handler)();
    };
    static std::span<const Command> Commands();
    void RunCommandOf(const Command& command);
    void CreateMenus();
    void WireHandlers();
    void BitBtn6Click();  // Compare
    void BitBtn8Click();  // Settings
    void BitBtn10Click(); // Labels
    void FormResize();
    bool FormKeyDown(QKeyEvent* key);
    bool ControlKey(QWidget* control, QKeyEvent* key);
    void CreateInventoryPanel();
    // The set name and information edits show the inventory's and change it.
    void ShowSetFields(SettingsDialog* settings);
    void SelectInventoryRow(int row);
    // The panel follows the selected row wherever the selection moves (clicks, keys, Open, Drop, Find,
    // Delete), and is empty while no row is selected.
    void RefreshPanel();
    void ShowRowInPanel(int row);
    void PanelEdited(int column, const QString& text);
    // The selected row; -1 when none is.
    int PanelRow() const { return invlist->SelectedRow(); }

    QString LastFindText;
    // The master rows in file order, sharing their texts with legolist, for the keyword filter; its
    // upper-cased lines are made on the first filter.
    MasterListData MasterLines;
    MasterListModel masterModel_;
    std::optional<MasterSearch> masterSearch_;
    // Filled from MasterLines on a worker while the list first shows; MasterHashTable waits for it.
    mutable std::unique_ptr<MasterIndex> MasterHash;
    mutable std::future<std::unique_ptr<MasterIndex>> masterHashBuild_;
    // File readers look parts up from a worker while the window may look some up too.
    mutable std::mutex masterHashMutex_;
    const MasterIndex* MasterHashTable() const;
    std::shared_ptr<SortState> sortState_ = std::make_shared<SortState>();
    Forms forms_;
    QtPrompts qtPrompts_{this};
    UserPrompts* prompts_ = &qtPrompts_;
    PictureChooser chooser_;
    PictureAnimation animation_;
    LDrawRenderer renderer_;
    QString shownPart_, shownDescription_; // what the picture shows, for showing it again
    bool shown_ = false;
    bool fillingPanel_ = false; // the panel is being filled, not edited
    // The row the panel was filled from: its edits go there and nowhere else; it follows sorts and is
    // invalid once the panel is emptied or the row is gone.
    QPersistentModelIndex panelIndex_;
    bool scrollPending_ = false;
    InventoryModel inventory_;
    InventoryFiles files_{*this};
    void CreateWebService();
    void ReadDownloaded(ParsedInventory (*reader)(const InventorySource&, const InventoryLookups&),
                        const std::filesystem::path& file);
    std::unique_ptr<WebService> web_;
    InventoryReport report_;
};
