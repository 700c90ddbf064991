#include "app/stored_settings.h"

#include "app/add_part_dialog.h"
#include "app/app_context.h"
#include "app/compare_dialog.h"
#include "app/file_paths.h"
#include "app/settings_dialog.h"
#include "platform/fs.h"
#include "platform/ui.h"
#include "print/label_maker.h"
#include "ui/forms/form_storage.h"

StoredSettings::StoredSettings(AppContext& context, Forms& forms, QWidget& mainWindow)
    : QObject(&mainWindow), context_(context), forms_(forms) {
    // Bound by name when first shown: the picture gauges may be replaced after this point.
    StoreForm(&mainWindow, QStringLiteral("TForm1"),
              {"sbScale.Position", "OpenDialog1.FileName", "ldrawscale.Position", "xrot.Position",
               "yrot.Position", "zrot.Position"});
}

FormStorage* StoredSettings::StoreForm(QWidget* form, const QString& section,
                                       const QStringList& storedProps) {
    if (!form || form->findChild<FormStorage*>(QString(), Qt::FindDirectChildrenOnly)) return nullptr;
    auto* storage = new FormStorage(form, context_.settings, context_.Prompts(), section, storedProps);
    storage->setObjectName(QStringLiteral("FormStorage1"));
    storages_.emplace_back(storage);
    return storage;
}

// A window never built keeps its section in the settings file as it is: only built windows save.
void StoredSettings::StoreForms() {
    forms_.addPart.SetUp([this](AddPartDialog* addPart) {
        StoreForm(addPart, QStringLiteral("TForm2"), {"CheckBox1.Checked"});
        // unguarded: signal to signal, nothing runs here
        connect(addPart, &AddPartDialog::RowAdded, this, &StoredSettings::RowAdded);
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

void StoredSettings::ShowSetFields(SettingsDialog* settings) {
    for (int field = 0; field < kSetFieldCount; ++field)
        settings->SetSetInformation(static_cast<SetField>(field),
                                    context_.inventory.SetInformation(static_cast<SetField>(field)));
    connect(&context_.inventory, &InventoryModel::SetInformationChanged, settings,
            Guarded(context_.Prompts(), [settings](SetField field, const QString& value) {
                settings->SetSetInformation(field, value);
            }));
    connect(settings, &SettingsDialog::SetInformationEdited, &context_.inventory,
            Guarded(context_.Prompts(), [this](SetField field, const QString& value) {
                context_.inventory.SetSetInformation(field, value);
            }));
}

// A storage that saved since it last restored does not save again.
void StoredSettings::SaveStoredForms() {
    for (const QPointer<FormStorage>& storage : storages_)
        delete storage.data();
    storages_.clear();
}

void StoredSettings::DefaultLDrawFolder() {
    if (!context_.folders.Folder(FolderKind::LDraw).isEmpty()) return;
    const std::filesystem::path shipped = DataDir() / "ldraw";
    if (!IsLDrawLibrary(shipped)) return;
    context_.folders.SetFolder(FolderKind::LDraw, FromFsPath(shipped) + QLatin1Char('/'));
}
