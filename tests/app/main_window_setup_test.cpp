#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

#include "app/add_part_dialog.h"
#include "app/compare_dialog.h"
#include "app/main_window.h"
#include "app/settings_dialog.h"
#include "ldraw/ldraw_colors.h"
#include "platform/fs.h"
#include "platform/ini.h"
#include "support/answer_window.h"
#include "support/test_support.h"
#include "ui/controls/fading_label.h"
#include "ui/controls/gauge_bar.h"
#include "ui/kit/make_named.h"

namespace {

// The program's windows as main() creates them, on one data folder.
struct Program {
    explicit Program(const TempDir& dir) {
        SetDataDir(dir.path());
        context = std::make_unique<AppContext>(TestMessages::Prompts());
        window = std::make_unique<MainWindow>(*context);
        context->LoadColours();
        Forms forms;
        forms.addPart = addPart =
            new AddPartDialog(context->Prompts(), context->colours, context->inventory, window.get());
        forms.compare = compare = new CompareDialog(window->Access(), window.get());
        forms.settings = settings = new SettingsDialog(context->Prompts(), context->folders, window.get());
        window->SetForms(forms);
    }
    ~Program() {
        window.reset();
        context.reset();
        SetDataDir({});
    }
    QString Folder(FolderKind kind) const { return context->folders.Folder(kind); }
    void SetFolder(FolderKind kind, const QString& folder) { context->folders.SetFolder(kind, folder); }
    // Shows a dialog and closes it the way its buttons do, which saves it.
    static void ShowAndClose(QDialog* dialog, const std::function<void()>& change) {
        dialog->show();
        change();
        dialog->accept();
    }

    std::unique_ptr<AppContext> context;
    std::unique_ptr<MainWindow> window;
    AddPartDialog* addPart;
    CompareDialog* compare;
    SettingsDialog* settings;
};

} // namespace

TEST(MainWindowSettings, EveryStoredValueSurvivesARestart) {
    TempDir dir;
    WriteFileBytes(dir / "master.txt", "h\n3001\tBrick 2 x 4\n");
    WriteFileBytes(dir / "colors.txt", "Red\t4\t21\t5\t#FF0000\tNo\r\n");
    const QStringList ldviewOptions = {"-FOV=10 ", "-DefaultZoom=0.95"};
    {
        Program run(dir);
        MainWindow& w = *run.window;
        w.show();
        w.setGeometry(40, 50, 900, 640);
        run.SetFolder(FolderKind::Gif, "/pictures/gifs");
        run.SetFolder(FolderKind::Png, "/pictures/pngs");
        FindNamed<FileDialogState>(w, "OpenDialog1")->FileName = "/sets/10179-1.inv";
        FindNamed<GaugeBar>(w, "sbScale")->SetPosition(150);
        FindNamed<GaugeBar>(w, "ldrawscale")->SetPosition(4);
        FindNamed<GaugeBar>(w, "xrot")->SetPosition(-90);
        FindNamed<GaugeBar>(w, "yrot")->SetPosition(0);
        FindNamed<GaugeBar>(w, "zrot")->SetPosition(170);
        Program::ShowAndClose(run.addPart, [&] { run.addPart->CheckBox1->setChecked(true); });
        Program::ShowAndClose(run.compare, [&] { run.compare->setGeometry(60, 70, 500, 400); });
        Program::ShowAndClose(run.settings, [&] {
            run.settings->Edit1->setText("/ldraw/");
            run.settings->Edit2->setText("brickfan");
            run.settings->Edit3->setText("\"pass word\"");
            run.settings->Edit4->setText("/ldview/");
            run.settings->Memo1->setPlainText(ldviewOptions.join('\n'));
        });
        // The main window is destroyed without being closed: it saves on the way out.
    }
    struct stat info {};
    ASSERT_EQ(::stat((dir / "Tessarin.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u); // it holds the password

    Program run(dir);
    MainWindow& w = *run.window;
    // The LDraw folder is known before the first show.
    EXPECT_EQ(run.Folder(FolderKind::LDraw), "/ldraw/");
    EXPECT_EQ(run.settings->Edit1->text(), "/ldraw/");
    EXPECT_EQ(run.settings->Edit2->text(), "brickfan");
    EXPECT_EQ(run.settings->Edit3->text(), "\"pass word\"");
    EXPECT_EQ(run.settings->Edit4->text(), "/ldview/");
    EXPECT_EQ(run.settings->Memo1->toPlainText().split('\n'), ldviewOptions);
    w.show();
    EXPECT_EQ(w.geometry(), QRect(40, 50, 900, 640));
    EXPECT_EQ(run.Folder(FolderKind::Gif), "/pictures/gifs");
    EXPECT_EQ(run.Folder(FolderKind::Png), "/pictures/pngs");
    EXPECT_EQ(run.Folder(FolderKind::Jpg), QString::fromStdString((dir / "images" / "jpgs").string()));
    EXPECT_EQ(FindNamed<FileDialogState>(w, "OpenDialog1")->FileName, "/sets/10179-1.inv");
    EXPECT_EQ(FindNamed<GaugeBar>(w, "sbScale")->Position(), 150);
    EXPECT_EQ(FindNamed<GaugeBar>(w, "ldrawscale")->Position(), 4);
    EXPECT_EQ(FindNamed<GaugeBar>(w, "xrot")->Position(), -90);
    EXPECT_EQ(FindNamed<GaugeBar>(w, "yrot")->Position(), 0);
    EXPECT_EQ(FindNamed<GaugeBar>(w, "zrot")->Position(), 170);
    run.addPart->show();
    EXPECT_TRUE(run.addPart->CheckBox1->isChecked());
    EXPECT_TRUE(run.addPart->BitBtn2->isDefault());
    run.addPart->reject();
    run.compare->show();
    EXPECT_EQ(run.compare->geometry(), QRect(60, 70, 500, 400));
    run.compare->reject();
}

// The settings window is restored at creation; never shown, it keeps its values but stores no placement of
// the size it had before any layout.
TEST(MainWindowSettings, UnshownSettingsWindowStoresValuesButNoPlacement) {
    TempDir dir;
    WriteFileBytes(dir / "master.txt", "h\n");
    {
        Program run(dir);
        run.settings->Edit2->setText("brickfan");
    }
    IniFile ini(dir / "Tessarin.ini");
    EXPECT_EQ(ini.ReadString("TForm5", "Edit2_Text", ""), "brickfan");
    EXPECT_FALSE(ini.Value("TForm5", "NormPos"));
}

// The renderer's colour file may live only in the LDraw folder, which is known once the stored settings are
// back: it must be looked for there at the first show.
TEST(MainWindowSettings, ColourFileIsFoundInTheStoredLDrawFolder) {
    TempDir dir, library;
    WriteFileBytes(dir / "master.txt", "h\n");
    WriteFileBytes(library / "LDConfig.ldr", "0 !COLOUR Black CODE 0 VALUE #05131D EDGE #595959\n");
    {
        Program run(dir);
        run.window->show();
        run.SetFolder(FolderKind::LDraw, QString::fromStdString(library.path().string()) + "/");
    }
    TestMessages::Clear();
    Program run(dir);
    run.window->show();
    EXPECT_FALSE(TestMessages::Shown().contains(MissingLDConfigMessage()))
        << TestMessages::Shown().join("|").toStdString();
}

// Renders work out of the box: with no LDraw folder chosen, the data folder's library is used and shown in
// the settings window, until the user chooses another.
TEST(MainWindowSettings, ShippedLDrawLibraryIsUsedUntilAnotherIsChosen) {
    TempDir dir, other;
    WriteFileBytes(dir / "master.txt", "h\n");
    std::filesystem::create_directories(dir / "ldraw" / "parts");
    std::filesystem::create_directories(dir / "ldraw" / "p");
    WriteFileBytes(dir / "ldraw" / "LDConfig.ldr", "0 !COLOUR Black CODE 0 VALUE #05131D EDGE #595959\n");
    const QString shipped = QString::fromStdString((dir / "ldraw").string()) + "/";
    {
        Program run(dir);
        run.window->show();
        EXPECT_EQ(run.Folder(FolderKind::LDraw), shipped);
        EXPECT_EQ(run.settings->Edit1->text(), shipped);
        run.settings->Edit1->setText(QString::fromStdString(other.path().string()) + "/");
    }
    Program run(dir);
    run.window->show();
    EXPECT_EQ(run.Folder(FolderKind::LDraw), QString::fromStdString(other.path().string()) + "/");
}

TEST(MainWindowStatus, TextFadesInTheStatusLineAndEmptyTextHidesIt) {
    TempDir dir;
    WriteFileBytes(dir / "master.txt", "h\n");
    Program run(dir);
    MainWindow& w = *run.window;
    w.show();
    FadingLabel* status = FindNamed<FadingLabel>(w, "FadingLabel1");
    EXPECT_TRUE(status->isHidden());
    w.Access().SetStatusText("Loading file . . . ");
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(status->isEnabled());
    EXPECT_EQ(status->Caption(), "Loading file . . . ");
    EXPECT_TRUE(status->font().bold());
    EXPECT_EQ(status->FontColor(), QColor(0, 0x80, 0));
    EXPECT_EQ(status->FadeSpeed(), 30);
    // It covers "Other jpgs", which stands in the same place.
    EXPECT_EQ(status->pos(), FindNamed<QLabel>(w, "Label11")->pos());
    EXPECT_TRUE(status->autoFillBackground());
    w.Access().SetStatusText("");
    EXPECT_TRUE(status->isHidden());
    EXPECT_FALSE(status->isEnabled());
}

namespace {

// A section's keys and values, one "key=value" each.
QStringList SectionOf(const IniFile& ini, const QString& section) {
    QStringList entries;
    for (const QString& key : ini.Keys(section))
        entries << key + '=' + ini.Value(section, key).value_or(QString());
    return entries;
}

} // namespace

// A window is built when first needed; one never opened in a run keeps its stored section untouched. The
// colour table and the LDraw folder are the program's, so nothing at start-up needs the add-part or the
// settings window.
TEST(MainWindowSettings, AWindowNeverOpenedIsNotBuiltAndKeepsItsStoredSection) {
    TempDir dir;
    WriteFileBytes(dir / "master.txt", "h\n3001\tBrick 2 x 4\n");
    WriteFileBytes(dir / "colors.txt", "Red\t4\t21\t5\t#FF0000\tNo\r\n");
    const std::string stored = "[TForm3]\r\nFormVersion=0\r\nNormPos=10,20,410,320\r\nShowCmd=1\r\n"
                               "[TForm2]\r\nFormVersion=0\r\nNormPos=30,40,400,300\r\nCheckBox1_Checked=1\r\n"
                               "[TForm5]\r\nFormVersion=0\r\nNormPos=50,60,500,400\r\nEdit1_Text=/ldraw/\r\n"
                               "Edit2_Text=brickfan\r\n";
    WriteFileBytes(dir / "Tessarin.ini", stored);
    IniFile before(dir / "Tessarin.ini");
    SetDataDir(dir.path());
    std::map<QString, int> built;
    {
        AppContext context(TestMessages::Prompts());
        auto window = std::make_unique<MainWindow>(context);
        context.LoadColours();
        Forms forms;
        forms.compare = [&built, &window] {
            ++built["compare"];
            return new CompareDialog(window->Access(), window.get());
        };
        forms.addPart = [&built, &context, &window] {
            ++built["add part"];
            return new AddPartDialog(context.Prompts(), context.colours, context.inventory, window.get());
        };
        forms.settings = [&built, &context, &window] {
            ++built["settings"];
            return new SettingsDialog(context.Prompts(), context.folders, window.get());
        };
        window->SetForms(forms);
        window->show();
        EXPECT_EQ(context.folders.Folder(FolderKind::LDraw), "/ldraw/");
        EXPECT_EQ(context.colours.LDrawColourByName("Red"), 4);
        FindNamed<QLineEdit>(*window, "Edit1")
            ->setText("a set"); // a run that changes and saves other windows
        window->close();
        window.reset();
    }
    SetDataDir({});
    EXPECT_TRUE(built.empty()) << "nothing at start-up asks for " << built.begin()->first.toStdString();
    IniFile saved(dir / "Tessarin.ini");
    for (const char* section : {"TForm2", "TForm3", "TForm5"})
        EXPECT_EQ(SectionOf(saved, section), SectionOf(before, section)) << section;
    EXPECT_TRUE(saved.Value("TForm1", "FormVersion").has_value()) << "the file was saved by the others";
}

// The settings window built late shows the set information the inventory already holds, and its edits
// still reach the inventory.
TEST(MainWindowSettings, SettingsWindowBuiltLateShowsTheSetInformationAlreadyRead) {
    TempDir dir;
    WriteFileBytes(dir / "master.txt", "h\n");
    SetDataDir(dir.path());
    {
        AppContext context(TestMessages::Prompts());
        MainWindow window(context);
        Forms forms;
        forms.settings = [&] { return new SettingsDialog(context.Prompts(), context.folders, &window); };
        window.SetForms(forms);
        context.inventory.SetSetInformation(SetField::Theme, "Castle");
        context.inventory.SetSetInformation(SetField::Year, "1984");
        EXPECT_TRUE(AnswerWindow<SettingsDialog>([&] { FindNamed<QPushButton>(window, "BitBtn8")->click(); },
                                                 [](SettingsDialog& shown) { shown.reject(); }))
            << "built and shown here";
        auto* settings = window.findChild<SettingsDialog*>();
        ASSERT_NE(settings, nullptr);
        EXPECT_EQ(settings->SetInformation(SetField::Theme), "Castle");
        EXPECT_EQ(settings->SetInformation(SetField::Year), "1984");
        settings->Pcs->setText("410");
        EXPECT_EQ(context.inventory.SetInformation(SetField::Pcs), "410");
        context.inventory.SetSetInformation(SetField::Date, "today");
        EXPECT_EQ(settings->SetInformation(SetField::Date), "today");
    }
    SetDataDir({});
}
