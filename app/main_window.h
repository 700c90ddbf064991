#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <span>

#include "app/app_context.h"
#include "app/edit_panel.h"
#include "app/inventory_access.h"
#include "app/inventory_files.h"
#include "app/lazy_form.h"
#include "app/master_pane.h"
#include "app/picture_pane.h"
#include "app/stored_settings.h"
#include "app/web_commands.h"
#include "platform/user_prompts.h"
#include "print/report/inventory_report.h"

class DropFileTarget;
class FadingLabel;
class QLabel;
class QLineEdit;
class QPushButton;

// The file last chosen in the open dialog. An object of its own so that the settings file keeps it.
class FileDialogState : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FileName MEMBER FileName)
  public:
    QString FileName;
};

// The main window: a frame of panes, the master parts list on the right, the part picture on the left, the
// inventory list and its edit panel below. It keeps the commands, the settings, the other windows and the
// layout; the panes talk by signals.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(AppContext& context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Each window that keeps settings gets its storage when it is built.
    void SetForms(const Forms& forms);
    // Reads master.txt of the data folder into the master catalogue, the master list and the category tree.
    void LoadMasterList(bool showSplash);

    bool Loading = false;

    MasterPane& Master() { return *master_; }
    PicturePane& Picture() { return *picture_; }
    EditPanel& Panel() { return *panel_; }

    // The inventory as the file commands, the downloads and the compare see it.
    InventoryAccess& Access() { return access_; }

    // The commands (main_window_files.cpp for the file commands).
    void BitBtn1Click(); // New
    void BitBtn2Click(); // Open
    void BitBtn3Click(); // Save
    void MultiOpenClick();
    void BitBtn5Click() { panel_->DeleteSelected(); }
    void AddUndefinedClick();
    void CombineDuplicatesClick();
    // The file commands; tests hold or count their reads.
    InventoryFiles& Files() { return files_; }
    // The inventory report in the preview.
    InventoryReport& Report() { return report_; }

    // The web service commands.
    WebCommands& Web() { return *web_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    AppContext& context_;
    InventoryAccess access_{context_};

    void BitBtn4Click();                             // Add
    void BitBtn6Click();                             // Compare
    void BitBtn7Click() { master_->BitBtn7Click(); } // Find
    void BitBtn8Click();                             // Settings
    void BitBtn9Click();                             // Print
    void BitBtn10Click();                            // Labels
    void About1Click();

    // Its folder is where the open dialog starts.
    FileDialogState OpenDialog1;
    QPushButton* CancelDownload; // beside the status line while a download waits
    MasterPane* master_;
    PicturePane* picture_;
    EditPanel* panel_;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLineEdit* Edit1; // set name
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

    // The drop target and the status line (main_window_setup.cpp).
    void CreateDropTarget();
    void CreateStatusLine(QWidget* client);
    DropFileTarget* DropFileTarget1 = nullptr;

    void CreateControls();
    // The panes tell each other what to show; the set name and count follow the inventory.
    void ConnectPanes();
    // A command of the window: its menu item (none without a menu), shortcut key (Qt::Key_unknown for
    // none; with control, Ctrl and no other modifier), button (may be null) and handler.
    struct Command {
        const char* menu;
        const char* caption;
        Qt::Key key;
        bool control;
        QPushButton* MainWindow::*button;
        std::function<void(MainWindow&)> handler;
    };
    static std::span<const Command> Commands();
    void RunCommandOf(const Command& command);
    void CreateMenus();
    void WireHandlers();
    void FormResize();
    void PlaceSetRow();
    bool FormKeyDown(QKeyEvent* key);
    bool ControlKey(QWidget* control, QKeyEvent* key);

    std::shared_ptr<SortState> sortState_ = std::make_shared<SortState>();
    Forms forms_;
    StoredSettings* settings_;
    bool shown_ = false;
    InventoryFiles files_{access_};
    WebCommands* web_;
    InventoryReport report_{context_.Prompts()};
};
