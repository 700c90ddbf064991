#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <vector>

#include "app/lazy_form.h"

class AboutBox;
class AddPartDialog;
struct AppContext;
class CompareDialog;
class FormStorage;
class LabelMaker;
class SettingsDialog;
class SplashWindow;

// The windows beside the main window; each is built when first needed, its stored settings applied then.
// The splash shows at start-up.
struct Forms {
    LazyForm<AddPartDialog> addPart;
    LazyForm<CompareDialog> compare;
    LazyForm<AboutBox> about;
    LazyForm<SettingsDialog> settings;
    SplashWindow* splash = nullptr;
    LazyForm<LabelMaker> labelMaker;
};

// What the settings file keeps of the windows: each window's stored properties, restored as it is built and
// saved as the program ends, and the defaults where the file keeps nothing. The windows are set up here as
// they are built; the add window's new rows are told by a signal.
class StoredSettings : public QObject {
    Q_OBJECT
  public:
    // Stores the main window's own properties; its open dialog must already be its child by name.
    StoredSettings(AppContext& context, Forms& forms, QWidget& mainWindow);

    // Sets up the windows of the forms given, each when it is built.
    void StoreForms();
    // Each storage saves once more as it goes, while the windows' controls and the settings file still exist.
    void SaveStoredForms();
    // Renders work out of the box: with no LDraw folder chosen, the data folder's own library is used.
    void DefaultLDrawFolder();

  signals:
    // The add window has added a row to the inventory.
    void RowAdded();

  private:
    // Nothing when the window is missing or already stored.
    FormStorage* StoreForm(QWidget* form, const QString& section, const QStringList& storedProps);
    // The set information fields of the settings window show the inventory's and change it.
    void ShowSetFields(SettingsDialog* settings);

    AppContext& context_;
    Forms& forms_;
    std::vector<QPointer<FormStorage>> storages_;
};
