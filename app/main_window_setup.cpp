#include <QFont>
#include <QPushButton>
#include <QTimer>

#include "app/add_part_dialog.h"
#include "app/compare_dialog.h"
#include "app/file_paths.h"
#include "app/main_window.h"
#include "app/settings_dialog.h"
#include "platform/fs.h"
#include "platform/ini.h"
#include "platform/ui.h"
#include "print/label_maker.h"
#include "ui/controls/fading_label.h"
#include "ui/controls/file_drop_target.h"
#include "ui/forms/form_storage.h"

void MainWindow::CreateSettings() {
    OpenDialog1.setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1.setParent(this);
    // Bound by name when first shown: the picture gauges may be replaced after this point.
    StoreForm(this, QStringLiteral("TForm1"),
              {"sbScale.Position", "OpenDialog1.FileName", "ldrawscale.Position", "xrot.Position",
               "yrot.Position", "zrot.Position"});
}

FormStorage* MainWindow::StoreForm(QWidget* form, const QString& section, const QStringList& storedProps) {
    if (!form || form->findChild<FormStorage*>(QString(), Qt::FindDirectChildrenOnly)) return nullptr;
    auto* storage = new FormStorage(form, context_.settings, section, storedProps);
    storage->setObjectName(QStringLiteral("FormStorage1"));
    storage->UsePrompts(context_.Prompts());
    storages_.emplace_back(storage);
    return storage;
}

// A window never built keeps its section in the settings file as it is: only built windows save.
void MainWindow::StoreForms() {
    forms_.addPart.SetUp([this](AddPartDialog* addPart) {
        StoreForm(addPart, QStringLiteral("TForm2"), {"CheckBox1.Checked"});
        ConnectAddPart(addPart);
    });
    forms_.compare.SetUp(
        [this](CompareDialog* compare) { StoreForm(compare, QStringLiteral("TForm3"), {}); });
    forms_.labelMaker.SetUp([this](LabelMaker* labelMaker) {
        StoreForm(labelMaker, QStringLiteral("TForm8"),
                  {"CheckBox1.Checked",
                   "CheckBox2.Checked",
                   "CheckBox3.Checked",
                   "CheckBox4.Checked",
                   "CheckBox5.Checked",
                   "CheckBox6.Checked",
                   "ComboBox1.Text",
                   "Edit1.Text",
                   "SpinEdit1.Value",
                   "SpinEdit2.Value",
                   "SpinEdit3.Value",
                   "SpinEdit4.Value",
                   "SpinEdit5.Value",
                   "SpinEdit6.Value",
                   "zcColorComboBox2.ColorValue",
                   "zcColorComboBox3.ColorValue",
                   "zcColorComboBox4.ColorValue",
                   "zcFontComboBox1.FontName",
                   "zcFontComboBox2.FontName",
                   "zcFontComboBox3.FontName",
                   "Label10.Caption",
                   "ComboBox2.Text",
                   "ldrawscale.Position",
                   "xrot.Position",
                   "yrot.Position",
                   "zrot.Position",
                   "SpinEdit7.MaxValue",
                   "SpinEdit7.Value"});
    });
    forms_.settings.SetUp([this](SettingsDialog* settings) {
        // Restored when built: the account is read before the window is ever shown. The LDraw folder is
        // kept with the other folders.
        if (FormStorage* storage = StoreForm(settings, QStringLiteral("TForm5"),
                                             {"Edit2.Text", "Edit3.Text", "Edit4.Text", "Memo1.Lines"}))
            storage->RestoreAll();
        ShowSetFields(settings);
    });
}

// Each storage saves once more as it goes (unless it saved since it last restored), while the windows'
// controls and the settings file still exist.
void MainWindow::SaveStoredForms() {
    for (const QPointer<FormStorage>& storage : storages_)
        delete storage.data();
    storages_.clear();
}

void MainWindow::CreateDropTarget() {
    DropFileTarget1 = new DropFileTarget(this);
    DropFileTarget1->UsePrompts(context_.Prompts());
    DropFileTarget1->Dragtypes = DropFileTarget::dtCopy;
    DropFileTarget1->GetDataOnEnter = true;
    DropFileTarget1->RegisterControl(panel_->invlist);
    DropFileTarget1->OnDrop = [this](DropFileTarget* sender, Qt::KeyboardModifiers, QPoint, int&) {
        // Read after the drop has ended: the question before loading must not hold up the drag source.
        QTimer::singleShot(0, this, [this, files = sender->Files] {
            RunGuarded(context_.Prompts(), [&] { files_.DropFiles(files); });
        });
    };
}

void MainWindow::CreateStatusLine(QWidget* client) {
    FadingLabel1 = new FadingLabel(client);
    FadingLabel1->setObjectName(QStringLiteral("FadingLabel1"));
    QFont bold = FadingLabel1->font();
    bold.setBold(true);
    FadingLabel1->setFont(bold);
    FadingLabel1->setFontColor(QColor(0, 0x80, 0));
    FadingLabel1->setFade(true);
    FadingLabel1->setBetweenColors(16);
    FadingLabel1->setFadeSpeed(30);
    FadingLabel1->setFadeAlltheTime(true);
    // It stands where "Other jpgs" does and covers it while a status shows.
    FadingLabel1->setAutoFillBackground(true);
    FadingLabel1->resize(300, 16);
    FadingLabel1->setEnabled(false);
    FadingLabel1->hide();

    // Reached while the commands wait, so it bypasses the busy check of the other controls; Esc works too.
    CancelDownload = new QPushButton(QStringLiteral("Cancel"), client);
    CancelDownload->setObjectName(QStringLiteral("CancelDownload"));
    CancelDownload->setShortcut(Qt::Key_Escape);
    CancelDownload->setFocusPolicy(Qt::NoFocus);
    CancelDownload->hide();
    connect(CancelDownload, &QPushButton::clicked, this,
            Guarded(context_.Prompts(), [this] { web_->Service().Cancel(); }));
}

void MainWindow::DefaultLDrawFolder() {
    if (!context_.folders.Folder(FolderKind::LDraw).isEmpty()) return;
    const std::filesystem::path shipped = DataDir() / "ldraw";
    if (!IsLDrawLibrary(shipped)) return;
    context_.folders.SetFolder(FolderKind::LDraw, FromFsPath(shipped) + QLatin1Char('/'));
}
