#include <gtest/gtest.h>

#include <QProcess>
#include <sys/stat.h>

#include "platform/ini.h"
#include "platform/text.h"
#include "support/test_support.h"

TEST(IniFile, KeepsOrderAndMatchesNamesInAnyCase) {
    IniFile ini;
    ini.WriteString("TForm2", "Zeta", "1");
    ini.WriteString("TForm1", "b", "2");
    ini.WriteString("TForm1", "A", "3");
    ini.WriteString("tform2", "alpha", "4");
    ini.WriteString("TFORM1", "B", "5"); // replaces in place, keeps the first spelling
    EXPECT_EQ(ini.Sections(), (QStringList{"TForm2", "TForm1"}));
    EXPECT_EQ(ini.Keys("TForm1"), (QStringList{"b", "A"}));
    EXPECT_EQ(ini.ReadString("tform1", "b", "-"), "5");
    EXPECT_EQ(ini.ReadInteger("TForm2", "ALPHA", 0), 4);
    EXPECT_EQ(ini.ReadString("TForm3", "b", "default"), "default");
    EXPECT_EQ(ini.ReadInteger("TForm1", "missing", 7), 7);
    EXPECT_EQ(ini.Text(), "[TForm2]\r\nZeta=1\r\nalpha=4\r\n\r\n[TForm1]\r\nb=5\r\nA=3\r\n");
}

TEST(IniFile, ParsesLooseFilesLikeTheClassicReader) {
    IniFile ini;
    ini.Parse("orphan=1\n; comment\n[ One ]\r\n  Key = spaced value  \r\nKey=second twin\rnoequals\n=x\n"
              "[two\nn=\"quoted\"\n[ONE]\nmore=1\nbad=12x\n");
    EXPECT_EQ(ini.Sections(), (QStringList{"One", "two"}));
    EXPECT_EQ(ini.Keys("one"), (QStringList{"Key", "more", "bad"}));
    EXPECT_EQ(ini.ReadString("One", "key", ""), "spaced value"); // first twin wins
    EXPECT_EQ(ini.ReadString("two", "n", ""), "quoted");         // one pair of quotes removed
    EXPECT_EQ(ini.ReadInteger("One", "bad", -1), -1);
    EXPECT_FALSE(ini.Value("One", "orphan"));
}

TEST(IniFile, QuotedValuesAndLineBreaksSurviveOrAreRefused) {
    IniFile ini;
    const QStringList values = {"\"abc\"", "'abc'", "\"", "'x\"", "plain", "", "\"\"", "-FOV=10 ", " a\tb\t"};
    for (int i = 0; i < values.size(); ++i)
        ASSERT_TRUE(ini.WriteString("S", QString("k%1").arg(i), values[i]));
    EXPECT_TRUE(ini.Text().contains("k0=\"\"abc\"\"\r\n"));
    IniFile reread;
    reread.Parse(ini.Text());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(reread.ReadString("S", QString("k%1").arg(i), "?"), values[i]);

    // A break would split the line and inject keys on the next read: nothing is stored.
    EXPECT_FALSE(ini.WriteString("S", "k0", "a\r\n[Evil]\r\nx=1"));
    EXPECT_FALSE(ini.WriteString("S", "a=b", "1"));
    EXPECT_FALSE(ini.WriteString("S]", "k", "1"));
    EXPECT_FALSE(ini.WriteString("S", "[k", "1"));
    EXPECT_EQ(ini.ReadString("S", "k0", ""), "\"abc\"");
    EXPECT_EQ(ini.Sections(), (QStringList{"S"}));
}

TEST(IniFile, EraseAndClearSections) {
    IniFile ini;
    ini.WriteString("A", "k", "1");
    ini.WriteString("B", "k", "2");
    ini.WriteString("C", "k", "3");
    ini.ClearSection("b");
    EXPECT_EQ(ini.Sections(), (QStringList{"A", "B", "C"}));
    EXPECT_TRUE(ini.Keys("B").isEmpty());
    ini.ClearSection("D");
    EXPECT_EQ(ini.Text(), "[A]\r\nk=1\r\n\r\n[B]\r\n\r\n[C]\r\nk=3\r\n\r\n[D]\r\n");
    ini.EraseSection("A");
    EXPECT_EQ(ini.Sections(), (QStringList{"B", "C", "D"}));
    EXPECT_EQ(ini.ReadString("c", "K", ""), "3"); // the index follows the removal
}

TEST(IniFile, SavesCrlfPrivatelyAndKeepsAnExistingMode) {
    TempDir dir;
    auto path = dir / "Tessarin.ini";
    IniFile ini(path);
    ini.WriteString("TForm1", "gif_path_Caption", QString::fromUtf8("C:\\Bilder\\Æ"));
    ASSERT_EQ(ini.Save(), "");
    EXPECT_EQ(FileMode(path), 0600);
    EXPECT_EQ(*ReadFileBytes(path), "[TForm1]\r\ngif_path_Caption=C:\\Bilder\\\xC6\r\n");

    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ini.WriteString("TForm1", "x", "1");
    ASSERT_EQ(ini.Save(), "");
    EXPECT_EQ(FileMode(path), 0640);
    IniFile reread(path);
    EXPECT_EQ(reread.ReadString("TFORM1", "GIF_PATH_CAPTION", ""), QString::fromUtf8("C:\\Bilder\\Æ"));
}

TEST(IniFile, SavesOnlyWhenSomethingChanged) {
    TempDir dir;
    auto path = dir / "Tessarin.ini";
    IniFile ini(path);
    ini.WriteString("A", "k", "1");
    ASSERT_EQ(ini.Save(), "");
    WriteFileBytes(path, "[A]\r\nk=edited\r\n");
    ini.ClearSection("B");
    ini.ClearSection("B");
    ini.ClearSection("B");
    ASSERT_EQ(ini.Save(), "");
    // The new empty section is the one change; the edit made meanwhile stays.
    EXPECT_EQ(*ReadFileBytes(path), "[A]\r\nk=edited\r\n\r\n[B]\r\n");
    WriteFileBytes(path, "; kept while nothing is written\r\n[A]\r\nk=edited\r\n[B]\r\n");
    ini.WriteString("A", "k", "edited");
    ini.ClearSection("B");
    ASSERT_EQ(ini.Save(), "");
    EXPECT_EQ(*ReadFileBytes(path), "; kept while nothing is written\r\n[A]\r\nk=edited\r\n[B]\r\n");
    ini.WriteString("A", "k", "2");
    ASSERT_EQ(ini.Save(), "");
    EXPECT_EQ(IniFile(path).ReadString("A", "k", ""), "2");
    std::filesystem::remove(path);
    ASSERT_EQ(ini.Save(), ""); // a missing file is written even when nothing changed
    EXPECT_TRUE(std::filesystem::exists(path));
}

// Two running programs (or a hand edit) share the file: each save writes back only the keys it changed.
TEST(IniFile, TwoWritersKeepEachOthersChanges) {
    TempDir dir;
    auto path = dir / "Tessarin.ini";
    IniFile first(path), second(path);
    first.WriteString("TForm1", "gif_path_Caption", "/pictures/a");
    ASSERT_EQ(first.Save(), "");
    second.WriteString("TForm5", "Edit2_Text", "user");
    second.EraseSection("Gone");
    ASSERT_EQ(second.Save(), "");
    WriteFileBytes(path, *ReadFileBytes(path) + "\r\n[Hand]\r\nkey=1\r\n");
    first.WriteString("TForm1", "gif_path_Caption", "/pictures/b");
    first.WriteString("TForm5.Memo1_Lines", "Count", "0");
    first.ClearSection("TForm5.Memo1_Lines");
    ASSERT_EQ(first.Save(), "");
    // What this run did not change is not written back over the other's value.
    second.WriteString("TForm1", "NormPos", "1,2,3,4");
    ASSERT_EQ(second.Save(), "");

    const IniFile reread(path);
    EXPECT_EQ(reread.ReadString("TForm1", "gif_path_Caption", ""), "/pictures/b");
    EXPECT_EQ(reread.ReadString("TForm1", "NormPos", ""), "1,2,3,4");
    EXPECT_EQ(reread.ReadString("TForm5", "Edit2_Text", ""), "user");
    EXPECT_EQ(reread.ReadString("Hand", "key", ""), "1");
    EXPECT_TRUE(reread.SectionExists("TForm5.Memo1_Lines"));
    EXPECT_TRUE(reread.Keys("TForm5.Memo1_Lines").isEmpty());
    // A reader sees the other's changes and keeps its own unsaved ones.
    second.WriteString("TForm5", "Edit3_Text", "secret");
    ASSERT_TRUE(second.Reload());
    EXPECT_EQ(second.ReadString("TForm1", "gif_path_Caption", ""), "/pictures/b");
    EXPECT_EQ(second.ReadString("TForm5", "Edit3_Text", ""), "secret");
}

TEST(IniFile, AnIndependentReaderSeesTheSameSectionsAndKeys) {
    TempDir dir;
    auto path = dir / "Tessarin.ini";
    IniFile ini(path);
    ini.WriteString("TForm1", "NormPos(1920x1080)", "10,20,810,620");
    ini.WriteString("TForm1", "gif_path_Caption", "C:\\gif\\");
    ini.WriteString("TForm5.Memo1_Lines", "Item0", "-FOV=10 -DefaultZoom=0.95 %");
    ini.WriteString("TForm5", "Edit1_Text", "\"abc\"");
    ASSERT_EQ(ini.Save(), "");

    const char* script = "import configparser, sys\n"
                         "c = configparser.RawConfigParser(strict=True)\n"
                         "c.optionxform = str\n"
                         "c.read(sys.argv[1], encoding='cp1252')\n"
                         "for s in c.sections():\n"
                         "    for k, v in c.items(s):\n"
                         "        print(s + '|' + k + '|' + v)\n";
    QProcess python;
    python.start(Python3(), {"-c", script, QString::fromStdString(path.string())});
    ASSERT_TRUE(python.waitForFinished(20000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    // The outside reader does not remove quotes; ours removes the pair the writer added.
    EXPECT_EQ(QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
              (QStringList{"TForm1|NormPos(1920x1080)|10,20,810,620", "TForm1|gif_path_Caption|C:\\gif\\",
                           "TForm5.Memo1_Lines|Item0|-FOV=10 -DefaultZoom=0.95 %",
                           "TForm5|Edit1_Text|\"\"abc\"\""}));
}

TEST(IniFile, RefusesAnOversizedFile) {
    TempDir dir;
    auto path = dir / "big.ini";
    WriteFileBytes(path, "[A]\r\nk=1\r\n" + std::string(17u << 20, ' '));
    IniFile ini;
    ini = IniFile(path);
    EXPECT_FALSE(ini.Load());
    EXPECT_FALSE(ini.SectionExists("A"));
}
