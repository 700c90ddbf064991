#pragma once

#include <QImage>
#include <QMainWindow>
#include <QStringList>
#include <memory>

#include "app/string_hash.h"
#include "ui/rich_list_view.h"

class AboutBox;
class AddPartDialog;
class CompareDialog;
class LabelMaker;
class LabelPreview;
class NumberPrompt;
class SettingsDialog;
class SplashWindow;
class UploadWindow;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QTreeWidget;

// The windows created at start-up beside the main window, in their creation order.
struct Forms {
    AddPartDialog* addPart = nullptr;
    CompareDialog* compare = nullptr;
    AboutBox* about = nullptr;
    SettingsDialog* settings = nullptr;
    NumberPrompt* numberPrompt = nullptr;
    SplashWindow* splash = nullptr;
    LabelMaker* labelMaker = nullptr;
    LabelPreview* labelPreview = nullptr;
    UploadWindow* upload = nullptr;
};

// The main window: master parts list on the right, the part picture on the left, the inventory below.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    void SetForms(const Forms& forms) { forms_ = forms; }
    const Forms& GetForms() const { return forms_; }

    // Reads master.txt of the data folder into the master list, its hash, its lines and the category tree.
    void LoadMasterList(bool showSplash);
    // The description of a master part, empty when the part is unknown.
    QString LookUpMaster(const QString& partNumber) const;

    bool Modified = false;
    bool Loading = false;

    void BitBtn7Click(); // Find
    void FilterMasterList();
    void TreeView1Click();
    void legolistColumnClick(RichListView* list, int column);

    // Handlers whose work arrives with later features.
    void BitBtn1Click() {} // New
    void BitBtn2Click() {} // Open
    void BitBtn3Click() {} // Save
    void BitBtn4Click() {} // Add
    void BitBtn5Click() {} // Delete
    void BitBtn9Click() {} // Print
    void MultiOpenClick() {}
    void AddUndefinedClick() {}
    void CombineDuplicatesClick() {}
    void UploadClick() {}
    void DownloadMyPartsClick() {}
    void DownloadSetClick() {}
    void UpdateMasterClick() {}
    void About1Click() {}
    void legolistClick() {}
    void invlistClick() {}
    void invlistfocus(const QString& partNumber) { (void)partNumber; }

    // Controls.
    RichListView* legolist;
    RichListView* legolist2;
    RichListView* invlist;
    QTreeWidget* TreeView1;
    QFrame* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QScrollBar* sbScale;
    QScrollBar* ldrawscale;
    QScrollBar* xrot;
    QScrollBar* yrot;
    QScrollBar* zrot;
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
    QLabel* FadingLabel1;
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

    // Target of the part renderer.
    QImage RenderPicture;

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    void CreateLists();
    void CreateMenus();
    void WireHandlers();
    void FormResize();
    bool FormKeyDown(QKeyEvent* key);
    bool ControlKey(QWidget* control, QKeyEvent* key);
    void ShowMasterHit(int row);

    std::unique_ptr<StringHash> MasterHash;
    QString LastFindText;
    QStringList MasterLines;
    QStringList upperMasterLines_; // upper-cased once, for the keyword filter
    std::shared_ptr<SortState> sortState_ = std::make_shared<SortState>();
    Forms forms_;
    bool shown_ = false;
};
