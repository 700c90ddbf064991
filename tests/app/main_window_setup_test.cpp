#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/add_part_dialog.h"
#include "app/compare_dialog.h"
#include "app/main_window.h"
#include "app/settings_dialog.h"
#include "ldraw/ldraw_colors.h"
#include "platform/fs.h"
#include "platform/ini.h"
#include "support/test_support.h"
#include "ui/fading_label.h"
#include "ui/gauge_bar.h"
#include "ui/make_named.h"

namespace {

// The program's windows as main() creates them, on one data folder.
struct Program {
    explicit Program(const TempDir& dir) {
        SetDataDir(dir.path());
        window = std::make_unique<MainWindow>(TestMessages::Prompts());
        Forms forms;
        forms.addPart = addPart = new AddPartDialog(window->Prompts(), window.get());
        forms.compare = compare = new CompareDialog(*window, window.get());
        forms.settings = settings =
            new SettingsDialog(window->Prompts(), FindNamed<QLabel>(*window, "ldraw_path"), window.get());
        window->SetForms(forms);
    }
    ~Program() {
        window.reset();
        SetDataDir({});
    }
    // Shows a dialog and closes it the way its buttons do, which saves it.
    static void ShowAndClose(QDialog* dialog, const std::function<void()>& change) {
        dialog->show();
        change();
        dialog->accept();
    }

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
        FindNamed<QLabel>(w, "gif_path")->setText("/pictures/gifs");
        FindNamed<QLabel>(w, "png_path")->setText("/pictures/pngs");
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
    // The settings window is restored at creation, so the LDraw folder is known before the first show.
    EXPECT_EQ(FindNamed<QLabel>(w, "ldraw_path")->text(), "/ldraw/");
    EXPECT_EQ(run.settings->Edit2->text(), "brickfan");
    EXPECT_EQ(run.settings->Edit3->text(), "\"pass word\"");
    EXPECT_EQ(run.settings->Edit4->text(), "/ldview/");
    EXPECT_EQ(run.settings->Memo1->toPlainText().split('\n'), ldviewOptions);
    w.show();
    EXPECT_EQ(w.geometry(), QRect(40, 50, 900, 640));
    EXPECT_EQ(FindNamed<QLabel>(w, "gif_path")->text(), "/pictures/gifs");
    EXPECT_EQ(FindNamed<QLabel>(w, "png_path")->text(), "/pictures/pngs");
    EXPECT_EQ(FindNamed<QLabel>(w, "jpg_path")->text(),
              QString::fromStdString((dir / "images" / "jpgs").string()));
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
        FindNamed<QLabel>(*run.window, "ldraw_path")
            ->setText(QString::fromStdString(library.path().string()) + "/");
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
        EXPECT_EQ(FindNamed<QLabel>(*run.window, "ldraw_path")->text(), shipped);
        EXPECT_EQ(run.settings->Edit1->text(), shipped);
        run.settings->Edit1->setText(QString::fromStdString(other.path().string()) + "/");
    }
    Program run(dir);
    run.window->show();
    EXPECT_EQ(FindNamed<QLabel>(*run.window, "ldraw_path")->text(),
              QString::fromStdString(other.path().string()) + "/");
}

TEST(MainWindowStatus, TextFadesInTheStatusLineAndEmptyTextHidesIt) {
    TempDir dir;
    WriteFileBytes(dir / "master.txt", "h\n");
    Program run(dir);
    MainWindow& w = *run.window;
    w.show();
    FadingLabel* status = FindNamed<FadingLabel>(w, "FadingLabel1");
    EXPECT_TRUE(status->isHidden());
    w.SetStatusText("Loading file . . . ");
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(status->isEnabled());
    EXPECT_EQ(status->Caption(), "Loading file . . . ");
    EXPECT_TRUE(status->font().bold());
    EXPECT_EQ(status->FontColor(), QColor(0, 0x80, 0));
    EXPECT_EQ(status->FadeSpeed(), 30);
    // It covers "Other jpgs", which stands in the same place.
    EXPECT_EQ(status->pos(), FindNamed<QLabel>(w, "Label11")->pos());
    EXPECT_TRUE(status->autoFillBackground());
    w.SetStatusText("");
    EXPECT_TRUE(status->isHidden());
    EXPECT_FALSE(status->isEnabled());
}

// A window is built when first needed; one never opened in a run keeps its stored section untouched.
TEST(MainWindowSettings, AWindowNeverOpenedIsNotBuiltAndKeepsItsStoredSection) {
    TempDir dir;
    WriteFileBytes(dir / "master.txt", "h\n3001\tBrick 2 x 4\n");
    const std::string stored = "[TForm3]\r\nFormVersion=0\r\nNormPos=10,20,410,320\r\nShowCmd=1\r\n";
    WriteFileBytes(dir / "Tessarin.ini", stored);
    SetDataDir(dir.path());
    int built = 0;
    {
        auto window = std::make_unique<MainWindow>(TestMessages::Prompts());
        Forms forms;
        forms.compare = [&built, &window] {
            ++built;
            return new CompareDialog(*window, window.get());
        };
        forms.settings =
            new SettingsDialog(window->Prompts(), FindNamed<QLabel>(*window, "ldraw_path"), window.get());
        window->SetForms(forms);
        window->show();
        FindNamed<QLineEdit>(*window, "Edit1")
            ->setText("a set"); // a run that changes and saves other windows
        window->close();
    }
    SetDataDir({});
    EXPECT_EQ(built, 0) << "nothing at start-up asks for the compare window";
    IniFile saved(dir / "Tessarin.ini");
    saved.Load();
    EXPECT_EQ(saved.Value("TForm3", "NormPos").value_or(QString()), "10,20,410,320");
    EXPECT_TRUE(saved.Value("TForm1", "FormVersion").has_value()) << "the file was saved by the others";
}
