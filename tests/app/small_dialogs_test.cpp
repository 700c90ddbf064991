#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "app/about_box.h"
#include "app/number_prompt.h"
#include "app/program_version.h"
#include "app/settings_dialog.h"
#include "app/stored_folders.h"
#include "platform/ini.h"
#include "support/answer_window.h"
#include "support/test_support.h"
#include "test_prompts.h"
#include "ui/kit/kit_scroll_text.h"

namespace {

const QString NoLDraw = QStringLiteral(
    "LDRAW.EXE is not found in this directory.  Tessarin will not use .dat files to render the images.");

QString Folder(const TempDir& dir, const char* name = "") {
    return QString::fromStdString((dir / name).string());
}

class SettingsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { TestMessages::Clear(); }

    // Presses the LDraw "Directory" button with the folder dialog answering `answer`.
    void ChooseLDraw(const QString& answer) {
        prompts.folder = [this, answer](const FileChoice& choice) {
            startedAt << choice.start;
            return answer;
        };
        dialog.BitBtn2->click();
    }

    QString LDrawFolder() const { return folders.Folder(FolderKind::LDraw); }

    IniFile settings;
    StoredFolders folders{settings};
    TestPrompts prompts;
    SettingsDialog dialog{prompts, folders};
    QStringList startedAt;
};

TEST_F(SettingsDialogTest, SetFieldsRoundTripThroughTheirOwnEdits) {
    for (int f = 0; f < kSetFieldCount; ++f)
        dialog.SetSetInformation(static_cast<SetField>(f), QStringLiteral("value %1").arg(f));
    for (int f = 0; f < kSetFieldCount; ++f)
        EXPECT_EQ(dialog.SetInformation(static_cast<SetField>(f)), QStringLiteral("value %1").arg(f));
    EXPECT_EQ(dialog.Theme->text(), "value 0");
    EXPECT_EQ(dialog.MSRP->text(), "value 4");
    EXPECT_EQ(dialog.InvBy->text(), "value 5");
    EXPECT_EQ(dialog.Date->text(), "value 7");
}

// The password shows as dots; the window is wide enough for its title and a folder path.
TEST_F(SettingsDialogTest, PasswordShowsAsDotsAndTheWindowFitsItsCaptions) {
    dialog.show();
    EXPECT_EQ(dialog.Edit3->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.Edit2->echoMode(), QLineEdit::Normal);
    EXPECT_GE(dialog.width(), dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) + 100);
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->isVisible() || label->wordWrap()) continue;
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    }
    EXPECT_GE(dialog.Edit1->width(), dialog.fontMetrics().horizontalAdvance("/home/someone/ldraw/"));
}

TEST_F(SettingsDialogTest, LibraryFolderIsRecognisedByProgramOrByPartsAndPrimitives) {
    TempDir byFolders, byProgram, neither;
    std::filesystem::create_directories(byFolders / "PARTS");
    std::filesystem::create_directories(byFolders / "p");
    WriteFileBytes(byProgram / "LDraw.Exe", "MZ");
    std::filesystem::create_directories(neither / "parts");
    WriteFileBytes(neither / "p", "a file, not a folder");

    EXPECT_TRUE(IsLDrawLibrary(Folder(byFolders)));
    EXPECT_TRUE(IsLDrawLibrary(Folder(byProgram)));
    EXPECT_FALSE(IsLDrawLibrary(Folder(neither)));
    EXPECT_FALSE(IsLDrawLibrary(Folder(neither, "missing")));

    ChooseLDraw(Folder(byFolders, "")); // ends with a separator already
    EXPECT_EQ(dialog.LdrawFolder(), Folder(byFolders, ""));
    ChooseLDraw(Folder(byProgram, "").chopped(1));
    EXPECT_EQ(dialog.LdrawFolder(), Folder(byProgram, ""));
    EXPECT_EQ(LDrawFolder(), Folder(byProgram, ""));
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    // Each choice starts where the folder is now.
    EXPECT_EQ(startedAt, QStringList({QString(), Folder(byFolders, "")}));

    // Not a library: the user is told, the folder is kept all the same.
    ChooseLDraw(Folder(neither, ""));
    EXPECT_EQ(TestMessages::Shown(), QStringList({NoLDraw}));
    EXPECT_EQ(LDrawFolder(), Folder(neither, ""));

    // Cancelling the folder dialog changes nothing and says nothing.
    ChooseLDraw(QString());
    EXPECT_EQ(dialog.LdrawFolder(), Folder(neither, ""));
    EXPECT_EQ(TestMessages::Shown().size(), 1);
}

TEST_F(SettingsDialogTest, LDViewFolderAndOptions) {
    TempDir withViewer, without;
    WriteFileBytes(withViewer / "ldview.EXE", "MZ");
    prompts.folder = [&](const FileChoice&) { return Folder(withViewer, ""); };
    dialog.BitBtn3Click();
    EXPECT_EQ(dialog.LDViewFolder(), Folder(withViewer, ""));
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    prompts.folder = [&](const FileChoice&) { return Folder(without, ""); };
    dialog.BitBtn3Click();
    EXPECT_EQ(TestMessages::Shown(),
              QStringList({"LDView.EXE is not found in this directory.  Tessarin will not use .dat files to "
                           "render the images."}));
    // The LDView folder never moves the LDraw folder.
    EXPECT_TRUE(LDrawFolder().isEmpty());
    EXPECT_FALSE(dialog.LDViewPanel->isEnabled());

    // The default option lines run together; the last value is split over two lines.
    const QString options = dialog.LDViewCommandLine();
    EXPECT_TRUE(options.startsWith(u"-Antialias=0 -ShowErrors=0 "));
    EXPECT_TRUE(options.endsWith(u"-0.660141,0.358368,0.66014"));
    EXPECT_FALSE(options.contains(u'\n'));
}

// Answers the prompt while it is shown modally: types `keys`, then presses OK or Cancel.
int Answer(const std::function<int()>& ask, const QString& keys, bool ok, bool* suffixShown = nullptr) {
    int answer = -1;
    EXPECT_TRUE(AnswerWindow<NumberPrompt>([&] { answer = ask(); },
                                           [&](NumberPrompt& prompt) {
                                               if (suffixShown) *suffixShown = prompt.ComboBox1->isVisible();
                                               QTest::keyClicks(prompt.Edit1, keys);
                                               (ok ? prompt.BitBtn1 : prompt.BitBtn2)->click();
                                           }));
    return answer;
}

TEST(NumberPromptTest, CountAcceptCancelAndInvalidInput) {
    NumberPrompt prompt;
    auto count = [&] { return prompt.AskCount(QStringLiteral("How many files?")); };
    EXPECT_EQ(Answer(count, "123456", true), 12345);
    EXPECT_EQ(prompt.windowTitle(), "Multi-Open");
    EXPECT_EQ(prompt.Label1->text(), "How many files?");
    // The previous answer is offered again.
    EXPECT_EQ(Answer(count, "", true), 12345);
    prompt.Edit1->clear();
    EXPECT_EQ(Answer(count, "4x-2 ", true), 42);
    EXPECT_EQ(Answer(count, "", false), 0);
    prompt.Edit1->clear();
    EXPECT_EQ(Answer(count, "", true), 0);
    EXPECT_EQ(Answer(count, "abc", true), 0);
}

TEST(NumberPromptTest, SetNumberStartsEmptyAndOffersTheSuffix) {
    NumberPrompt prompt;
    prompt.Edit1->setText(QStringLiteral("77"));
    bool suffixShown = false;
    auto setNumber = [&] { return prompt.AskSetNumber(QStringLiteral("Set number?")); };
    EXPECT_EQ(Answer(setNumber, "6399", true, &suffixShown), 6399);
    EXPECT_TRUE(suffixShown);
    EXPECT_FALSE(prompt.ComboBox1->isVisible());
    EXPECT_EQ(prompt.windowTitle(), "Peeron htm download");
    EXPECT_EQ(prompt.ComboBox1->currentText(), "-1");
    // A chosen suffix stays chosen.
    prompt.ComboBox1->setCurrentIndex(2);
    EXPECT_EQ(Answer(setNumber, "", false), 0);
    EXPECT_EQ(prompt.ComboBox1->currentText(), "-3");
}

TEST(AboutBoxTest, ShapedByItsPictureAndClosedByAClick) {
    AboutBox about;
    EXPECT_FALSE(about.mask().isEmpty());
    EXPECT_TRUE(about.mask().contains(about.rect().center()));
    EXPECT_FALSE(about.mask().contains(QPoint(0, 0)));

    // The click lands on whatever lies on top at that point.
    QWidget* top = about.childAt(QPoint(200, 150));
    ASSERT_NE(top, nullptr);
    const QPoint point = top->mapFrom(&about, QPoint(200, 150));
    for (int showing = 0; showing < 2; ++showing) {
        // A box that ignores the click fails the test, and is closed.
        EXPECT_TRUE(AnswerWindow<AboutBox>([&] { about.ShowAbout(); },
                                           [&](AboutBox& shown) {
                                               // The credits scroll while the box is shown, from step 0 at
                                               // each showing.
                                               EXPECT_TRUE(shown.KitScrollText1->Scroll());
                                               EXPECT_EQ(shown.KitScrollText1->Step(), 0);
                                               shown.KitScrollText1->ScrollTick();
                                               EXPECT_EQ(shown.KitScrollText1->Step(), 1);
                                               QTest::mouseClick(top, Qt::LeftButton, {}, point);
                                           }));
        EXPECT_EQ(about.result(), QDialog::Accepted);
        EXPECT_FALSE(about.isVisible());
        EXPECT_FALSE(about.KitScrollText1->Scroll()) << "hiding the box stops the credits";
    }
    EXPECT_EQ(about.KitScrollText1->Interval(), 300);
    EXPECT_TRUE(about.KitScrollText1->Transparent());
    const QString credits = about.KitScrollText1->Lines().join('\n');
    EXPECT_EQ(credits.count(QStringLiteral("V %1").arg(ProgramVersion)), 1);
    EXPECT_FALSE(credits.contains(u"0.0.0"));
}

} // namespace
