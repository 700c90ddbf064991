#include "app/settings_dialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>
#include <array>
#include <filesystem>
#include <system_error>

#include "app/file_paths.h"
#include "app/named_widgets.h"
#include "app/stored_folders.h"
#include "app/user_prompts.h"
#include "platform/ui.h"

namespace {

constexpr const char* kDefaultLDViewOptions[] = {
    "-Antialias=0 -ShowErrors=0 -FOV=10 -BlackHighlights=1 -EdgeThickness=3 ",
    "-PolygonOffset=1 -SubduedLighting=1 -UseQualityLighting=1 -SortTransparent=1 ",
    "-PerformSmoothing=1 -TextureFilterType=9987 -CurveQuality=2 -HiResPrimitives=1 ",
    "-SaveActualSize=0 -SaveZoomToFit=1 -SaveWidth=400 -SaveHeight=400 ",
    "-DefaultZoom=0.95 ",
    "-DefaultMatrix=0.707107,0,0.707107,0.253404,0.93358,-0.253404,-0.660141,0.358368,0.",
    "66014",
};

QPushButton* NamedButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = MakeNamed<QPushButton>(parent, name, QString::fromLatin1(caption));
    button->setAutoDefault(false);
    return button;
}

// A folder row: the edit and its "Directory" button under a caption.
QWidget* FolderRow(QWidget* parent, const char* caption, QLineEdit* edit, QPushButton* button) {
    auto* box = new QWidget(parent);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(new QLabel(QString::fromLatin1(caption), box));
    auto* row = new QHBoxLayout;
    row->addWidget(edit, 1);
    row->addWidget(button);
    column->addLayout(row);
    return box;
}

// Lower-cased names of a folder's files and sub-folders: Windows names match in any case.
struct FolderEntries {
    QSet<QString> files, folders;
};

FolderEntries ListFolder(const QString& folder) {
    namespace fs = std::filesystem;
    FolderEntries entries;
    std::error_code error;
    for (fs::directory_iterator it(ToFsPath(folder), error), end; !error && it != end; it.increment(error)) {
        const QString name = FromFsPath(it->path().filename()).toLower();
        std::error_code typeError;
        if (it->is_directory(typeError))
            entries.folders.insert(name);
        else if (it->is_regular_file(typeError))
            entries.files.insert(name);
    }
    return entries;
}

} // namespace

bool IsLDrawLibrary(const QString& folder) {
    const FolderEntries entries = ListFolder(folder);
    return entries.files.contains(QStringLiteral("ldraw.exe")) ||
           (entries.folders.contains(QStringLiteral("parts")) &&
            entries.folders.contains(QStringLiteral("p")));
}

SettingsDialog::SettingsDialog(UserPrompts& prompts, StoredFolders& folders, QWidget* parent)
    : QDialog(parent), Theme(MakeNamed<QLineEdit>(this, "Theme")), Year(MakeNamed<QLineEdit>(this, "Year")),
      Pcs(MakeNamed<QLineEdit>(this, "Pcs")), Figs(MakeNamed<QLineEdit>(this, "Figs")),
      MSRP(MakeNamed<QLineEdit>(this, "MSRP")), InvBy(MakeNamed<QLineEdit>(this, "InvBy")),
      Source(MakeNamed<QLineEdit>(this, "Source")), Date(MakeNamed<QLineEdit>(this, "Date")),
      BitBtn1(NamedButton(this, "BitBtn1", "OK")), BitBtn2(NamedButton(this, "BitBtn2", "Directory")),
      BitBtn3(NamedButton(this, "BitBtn3", "Directory")), Edit1(MakeNamed<QLineEdit>(this, "Edit1")),
      Edit2(MakeNamed<QLineEdit>(this, "Edit2")), Edit3(MakeNamed<QLineEdit>(this, "Edit3")),
      Edit4(MakeNamed<QLineEdit>(this, "Edit4")), Memo1(new QPlainTextEdit(this)),
      LDViewPanel(new QGroupBox(this)), prompts_(prompts), folders_(folders) {
    setWindowTitle(QStringLiteral("Additional Set Information"));
    Memo1->setObjectName(QStringLiteral("Memo1"));
    for (const char* line : kDefaultLDViewOptions)
        Memo1->appendPlainText(QString::fromLatin1(line));
    // The folder is only ever chosen through the folder dialog.
    Edit1->setReadOnly(true);
    Edit1->setText(folders_.Folder(FolderKind::LDraw));
    Edit3->setEchoMode(QLineEdit::Password);

    auto* setInfo = new QFormLayout;
    const std::pair<const char*, QLineEdit*> fields[] = {
        {"Theme", Theme},          {"Year", Year},     {"Pcs", Pcs},  {"Figs", Figs}, {"MSRP", MSRP},
        {"Inventoried By", InvBy}, {"Source", Source}, {"Date", Date}};
    for (const auto& [caption, edit] : fields)
        setInfo->addRow(QString::fromLatin1(caption), edit);

    auto* account = new QGroupBox(QStringLiteral("Web service account"), this);
    auto* accountForm = new QFormLayout(account);
    auto* note = new QLabel(QStringLiteral("Both are needed to upload and download inventories."), account);
    note->setWordWrap(true);
    accountForm->addRow(note);
    accountForm->addRow(QStringLiteral("Username"), Edit2);
    accountForm->addRow(QStringLiteral("Password"), Edit3);

    auto* ldview = new QVBoxLayout(LDViewPanel);
    ldview->addWidget(FolderRow(LDViewPanel, "Where is LDView.exe?", Edit4, BitBtn3));
    ldview->addWidget(new QLabel(QStringLiteral("LDView command line string"), LDViewPanel));
    ldview->addWidget(Memo1);
    LDViewPanel->setEnabled(false);

    auto* column = new QVBoxLayout(this);
    column->addLayout(setInfo);
    column->addWidget(FolderRow(this, "Where is LDraw.exe?", Edit1, BitBtn2));
    column->addWidget(account);
    column->addWidget(LDViewPanel);
    column->addWidget(BitBtn1, 0, Qt::AlignRight);
    BitBtn1->setDefault(true);
    // Wide enough for its title, a folder path and the option lines, in the window's font.
    setMinimumWidth(fontMetrics().averageCharWidth() * 64);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept); // unguarded: Qt's own slot
    connect(BitBtn2, &QPushButton::clicked, this, Guarded(prompts_, [this] { BitBtn2Click(); }));
    connect(BitBtn3, &QPushButton::clicked, this, Guarded(prompts_, [this] { BitBtn3Click(); }));
    connect(Edit1, &QLineEdit::textChanged, this, Guarded(prompts_, [this] { Edit1Change(); }));
    connect(&folders_, &StoredFolders::FolderChanged, Edit1,
            Guarded(prompts_, [this](FolderKind kind, const QString& folder) {
                if (kind == FolderKind::LDraw) Edit1->setText(folder);
            }));
    for (int k = 0; k < kSetFieldCount; ++k) {
        const auto field = static_cast<SetField>(k);
        // unguarded: signal to signal
        connect(FieldEdit(field), &QLineEdit::textChanged, this,
                [this, field](const QString& value) { emit SetInformationEdited(field, value); });
    }
}

QLineEdit* SettingsDialog::FieldEdit(SetField field) const {
    const std::array<QLineEdit*, kSetFieldCount> edits{Theme, Year, Pcs, Figs, MSRP, InvBy, Source, Date};
    return edits.at(static_cast<size_t>(field));
}

QString SettingsDialog::SetInformation(SetField field) const {
    return FieldEdit(field)->text();
}

void SettingsDialog::SetSetInformation(SetField field, const QString& value) {
    FieldEdit(field)->setText(value);
}

QString SettingsDialog::LdrawFolder() const {
    return Edit1->text();
}

QString SettingsDialog::UserName() const {
    return Edit2->text();
}

QString SettingsDialog::Password() const {
    return Edit3->text();
}

QString SettingsDialog::LDViewFolder() const {
    return Edit4->text();
}

QString SettingsDialog::LDViewCommandLine() const {
    return Memo1->toPlainText().remove(u'\n');
}

void SettingsDialog::Edit1Change() {
    folders_.SetFolder(FolderKind::LDraw, Edit1->text());
}

QString SettingsDialog::ChooseFolderInto(QLineEdit* edit) {
    QString folder = prompts_.ChooseFolder({QString(), QString(), Edit1->text(), QString()});
    if (folder.isEmpty()) return {};
    if (!folder.endsWith(u'/')) folder += u'/';
    edit->setText(folder);
    return folder;
}

void SettingsDialog::BitBtn2Click() {
    const QString folder = ChooseFolderInto(Edit1);
    if (!folder.isEmpty() && !IsLDrawLibrary(folder))
        prompts_.Show(QStringLiteral("LDRAW.EXE is not found in this directory.  Tessarin will not use .dat "
                                     "files to render the images."));
}

void SettingsDialog::BitBtn3Click() {
    const QString folder = ChooseFolderInto(Edit4);
    if (folder.isEmpty()) return;
    if (!ListFolder(folder).files.contains(QStringLiteral("ldview.exe")))
        prompts_.Show(QStringLiteral("LDView.EXE is not found in this directory.  Tessarin will not use .dat "
                                     "files to render the images."));
}
