#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <memory>

#include "platform/ini.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "ui/forms/form_storage.h"
#include "ui/forms/window_hook.h"

namespace {

// A control with one property of every stored kind.
class KindsControl : public QObject {
    Q_OBJECT
  public:
    enum Shape { stCircle, stSquare, stTriangle };
    Q_ENUM(Shape)
    enum Side { sdLeft = 1, sdTop = 2, sdRight = 4, sdBottom = 8 };
    Q_DECLARE_FLAGS(Sides, Side)
    Q_FLAG(Sides)

    Q_PROPERTY(int Count MEMBER Count)
    Q_PROPERTY(QChar Letter MEMBER Letter)
    Q_PROPERTY(Shape Kind MEMBER Kind)
    Q_PROPERTY(bool Flag MEMBER Flag)
    Q_PROPERTY(float Ratio MEMBER Ratio)
    Q_PROPERTY(double Scale MEMBER Scale)
    Q_PROPERTY(QString Name MEMBER Name)
    Q_PROPERTY(Sides Borders READ borders WRITE setBorders)
    Q_PROPERTY(QVariant Any MEMBER Any)
    Q_PROPERTY(qlonglong Big MEMBER Big)
    Q_PROPERTY(QObject* Buddy MEMBER Buddy)
    Q_PROPERTY(QStringList Items MEMBER Items)

    int Count = 0;
    QChar Letter = 'a';
    Shape Kind = stCircle;
    bool Flag = false;
    float Ratio = 0;
    double Scale = 0;
    QString Name;
    Sides Borders;
    QVariant Any;
    qlonglong Big = 0;
    QObject* Buddy = nullptr;
    QStringList Items;

    Sides borders() const { return Borders; }
    void setBorders(Sides value) { Borders = value; }
};
Q_DECLARE_OPERATORS_FOR_FLAGS(KindsControl::Sides)

// A window of a class of its own, as every window of the program is.
class TestForm : public QWidget {
    Q_OBJECT
};

// A control with a collection property.
class ColumnsControl : public QObject {
    Q_OBJECT
    Q_PROPERTY(StoredValues* Columns READ columns)
  public:
    StoredValues* columns() { return &Columns; }
    StoredValues Columns;
};

// A window with the controls a real one stores.
struct Window {
    explicit Window(IniFile& ini, QStringList props = {}) {
        form->setObjectName("Form1");
        auto add = [&](QObject* child, const char* name) {
            child->setObjectName(name), child->setParent(form.get());
        };
        add(gif_path, "gif_path");
        add(sbScale, "sbScale");
        add(Edit1, "Edit1");
        add(Memo1, "Memo1");
        add(CheckBox1, "CheckBox1");
        add(SpinEdit7, "SpinEdit7");
        add(OpenDialog1, "OpenDialog1");
        add(kinds, "kinds");
        OpenDialog1->setProperty("FileName", QString());
        sbScale->setRange(0, 1000);
        SpinEdit7->setRange(0, 10);
        form->setGeometry(100, 120, 400, 300);
        storage = new FormStorage(form.get(), ini, TestMessages::Prompts(), "TForm1", std::move(props));
    }
    std::unique_ptr<QWidget> form = std::make_unique<TestForm>();
    QLabel* gif_path = new QLabel;
    QSlider* sbScale = new QSlider;
    QLineEdit* Edit1 = new QLineEdit;
    QPlainTextEdit* Memo1 = new QPlainTextEdit;
    QCheckBox* CheckBox1 = new QCheckBox;
    QSpinBox* SpinEdit7 = new QSpinBox;
    QObject* OpenDialog1 = new QObject;
    KindsControl* kinds = new KindsControl;
    FormStorage* storage = nullptr;
};

const QStringList kWindowProps = {"gif_path.Caption",    "sbScale.Position", "OpenDialog1.FileName",
                                  "Edit1.Text",          "Memo1.Lines",      "CheckBox1.Checked",
                                  "SpinEdit7.MaxValue",  "SpinEdit7.Value",  "nothing.Caption",
                                  "Edit1.NoSuchProperty"};

QString Suffix() {
    return ScreenSuffix(QGuiApplication::primaryScreen()->size());
}

} // namespace

TEST(FormStorage, FirstSaveWritesTheKnownLayout) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    Window window(ini, kWindowProps);
    window.gif_path->setText("C:\\gif\\");
    window.sbScale->setValue(250);
    window.OpenDialog1->setProperty("FileName", "10179-1.inv");
    window.Edit1->setText("Set 10179");
    window.Memo1->setPlainText("-FOV=10\n-DefaultZoom=0.95");
    window.CheckBox1->setChecked(true);
    window.SpinEdit7->setValue(7);
    window.form->show();
    window.form->close();

    std::string expected = *ReadFileBytes(TestData("form_storage_first_save.ini"));
    QString screen = Suffix();
    EXPECT_EQ(*ReadFileBytes(dir / "Tessarin.ini"),
              QString::fromStdString(expected).replace("(1920x1080)", screen).toStdString());
}

TEST(FormStorage, EveryPropertyKindRoundTrips) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    const QStringList props = {"kinds.Count", "kinds.Letter", "kinds.Kind",  "kinds.Flag",
                               "kinds.Ratio", "kinds.Scale",  "kinds.Name",  "kinds.Borders",
                               "kinds.Any",   "kinds.Big",    "kinds.Buddy", "kinds.Items"};
    {
        Window window(ini, props);
        KindsControl& k = *window.kinds;
        k.Count = -42, k.Letter = QChar(0xC6), k.Kind = KindsControl::stTriangle, k.Flag = true;
        k.Ratio = 1.2345678f, k.Scale = 0.1 + 0.2, k.Name = " spaced \"mid\" ", k.Any = "any text";
        k.Borders = KindsControl::sdLeft | KindsControl::sdBottom, k.Big = 1LL << 40;
        k.Buddy = window.Edit1, k.Items = {"one", "", "three"};
        window.form->show();
        window.form->hide();
    }
    EXPECT_EQ(ini.ReadString("TForm1", "kinds_Kind", ""), "stTriangle");
    EXPECT_EQ(ini.ReadString("TForm1", "kinds_Borders", ""), "[sdLeft,sdBottom]");
    EXPECT_EQ(ini.ReadString("TForm1", "kinds_Flag", ""), "True");
    EXPECT_EQ(ini.ReadString("TForm1", "kinds_Buddy", ""), "Edit1");
    EXPECT_EQ(ini.ReadString("TForm1", "kinds_Scale", ""), "0.3");

    IniFile reread(dir / "Tessarin.ini");
    Window window(reread, props);
    window.form->show();
    const KindsControl& k = *window.kinds;
    EXPECT_EQ(k.Count, -42);
    EXPECT_EQ(k.Letter, QChar(0xC6));
    EXPECT_EQ(k.Kind, KindsControl::stTriangle);
    EXPECT_TRUE(k.Flag);
    EXPECT_FLOAT_EQ(k.Ratio, 1.2345678f);
    EXPECT_DOUBLE_EQ(k.Scale, 0.3);
    EXPECT_EQ(k.Name, "spaced \"mid\""); // the reader trims, as stored values always were
    EXPECT_EQ(k.Borders, KindsControl::sdLeft | KindsControl::sdBottom);
    EXPECT_EQ(k.Any.toString(), "any text");
    EXPECT_EQ(k.Big, 1LL << 40);
    EXPECT_EQ(k.Buddy, window.Edit1);
    EXPECT_EQ(k.Items, (QStringList{"one", "", "three"}));
}

TEST(FormStorage, UnreadableValuesLeaveTheControlsAlone) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    for (auto [key, value] : {std::pair{"kinds_Count", "12x"},
                              {"kinds_Kind", "stHexagon"},
                              {"kinds_Flag", "1"},
                              {"kinds_Borders", "[sdLeft,sdNowhere]"},
                              {"kinds_Buddy", "Nobody"},
                              {"kinds_Letter", ""},
                              {"kinds_Scale", "1,5"}})
        ini.WriteString("TForm1", key, value);
    Window window(ini, {"kinds.Count", "kinds.Kind", "kinds.Flag", "kinds.Borders", "kinds.Buddy",
                        "kinds.Letter", "kinds.Scale"});
    window.kinds->Count = 5, window.kinds->Buddy = window.Memo1, window.kinds->Scale = 2;
    window.form->show();
    EXPECT_EQ(window.kinds->Count, 5);
    EXPECT_EQ(window.kinds->Kind, KindsControl::stCircle);
    EXPECT_FALSE(window.kinds->Flag);
    EXPECT_EQ(window.kinds->Borders, KindsControl::Sides());
    EXPECT_EQ(window.kinds->Buddy, window.Memo1);
    EXPECT_EQ(window.kinds->Letter, QChar('a'));
    EXPECT_EQ(window.kinds->Scale, 2);
}

TEST(FormStorage, QuotedTextKeepsItsQuotes) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    {
        Window window(ini, {"Edit1.Text"});
        window.form->show();
        window.Edit1->setText("\"abc\"");
        window.form->close();
    }
    EXPECT_NE(ReadFileBytes(dir / "Tessarin.ini")->find("Edit1_Text=\"\"abc\"\"\r\n"), std::string::npos);
    IniFile reread(dir / "Tessarin.ini");
    Window window(reread, {"Edit1.Text"});
    window.form->show();
    EXPECT_EQ(window.Edit1->text(), "\"abc\"");
}

TEST(FormStorage, LowerFormVersionRestoresNothing) {
    for (int version : {2, 1}) {
        TempDir dir;
        IniFile ini(dir / "Tessarin.ini");
        ini.WriteInteger("TForm1", "FormVersion", 1);
        ini.WriteString("TForm1", "NormPos", "10,10,210,110");
        ini.WriteString("TForm1", "ShowCmd", "3");
        ini.WriteString("TForm1", "Edit1_Text", "stored");
        Window window(ini, {"Edit1.Text"});
        window.storage->Version = version;
        bool restoredEvent = false;
        window.storage->OnRestorePlacement = [&] { restoredEvent = true; };
        window.form->show();
        const bool restores = version == 1;
        EXPECT_EQ(window.Edit1->text(), restores ? "stored" : "") << version;
        EXPECT_EQ(window.form->normalGeometry(),
                  restores ? QRect(10, 10, 200, 100) : QRect(100, 120, 400, 300));
        EXPECT_EQ(window.form->isMaximized(), restores);
        EXPECT_EQ(restoredEvent, restores);
    }
}

TEST(FormStorage, PlacementFollowsScreenSizeDensityAndState) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    ini.WriteString("TForm1", "NormPos(1x1)", "1,1,2,2"); // another screen's rectangle is not used
    ini.WriteString("TForm1", "NormPos", "30 40 330 240");
    ini.WriteString("TForm1", "ShowCmd", "1");
    {
        Window window(ini);
        window.form->show();
        EXPECT_EQ(window.form->geometry(), QRect(30, 40, 300, 200));
        EXPECT_FALSE(window.form->isMaximized());
        window.form->hide();
    }
    ini.WriteString("TForm1", "PixelsPerInch", "1");
    ini.WriteString("TForm1", "NormPos" + Suffix(), "50,60,250,160");
    {
        Window window(ini);
        window.form->show();
        EXPECT_EQ(window.form->geometry(), QRect(100, 120, 400, 300)); // another density: no position
    }
}

TEST(FormStorage, ClosedWindowsWriteTheirClientRectangleOnce) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    {
        Window window(ini);
        window.storage->SaveAll(); // never shown: nothing to save
        EXPECT_FALSE(ini.SectionExists("TForm1"));
        window.form->show();
        window.form->setGeometry(50, 60, 320, 240);
        window.form->close();
        EXPECT_EQ(ini.ReadString("TForm1", "Visible", ""), "0");
        ini.WriteString("TForm1", "Visible", "marker");
    }
    // Destroyed after its close: no second save.
    EXPECT_EQ(ini.ReadString("TForm1", "Visible", ""), "marker");
    EXPECT_EQ(ini.ReadString("TForm1", "NormPos", ""), "50,60,370,300");
    for (int run = 0; run < 3; ++run) {
        Window window(ini);
        window.form->show();
        window.form->close();
    }
    EXPECT_EQ(ini.ReadString("TForm1", "NormPos", ""), "50,60,370,300");
    {
        Window window(ini); // destroyed while shown: saved on the way out
        window.form->show();
        window.form->setGeometry(70, 80, 320, 240);
    }
    EXPECT_EQ(IniFile(dir / "Tessarin.ini").ReadString("TForm1", "NormPos", ""), "70,80,390,320");
    EXPECT_EQ(IniFile(dir / "Tessarin.ini").ReadString("TForm1", "Visible", ""), "1");
}

// A window restored at creation and destroyed unshown keeps its properties but not its unlaid-out size.
TEST(FormStorage, RestoredButNeverShownKeepsTheStoredPlacement) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    ini.WriteString("TForm1", "NormPos", "30,40,330,240");
    {
        Window window(ini, {"Edit1.Text"});
        window.storage->RestoreAll();
        EXPECT_EQ(window.form->geometry(), QRect(30, 40, 300, 200));
        window.form->setGeometry(0, 0, 100, 30);
        window.Edit1->setText("kept");
        delete window.storage; // as the owner does on the way out, while the controls exist
    }
    EXPECT_EQ(ini.ReadString("TForm1", "NormPos", ""), "30,40,330,240");
    EXPECT_EQ(ini.ReadString("TForm1", "Edit1_Text", ""), "kept");
}

TEST(FormStorage, DialogsSaveWhenAcceptedOrRejected) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    for (bool accept : {true, false}) {
        QDialog dialog;
        auto* edit = new QLineEdit(&dialog);
        edit->setObjectName("Edit1");
        new FormStorage(&dialog, ini, TestMessages::Prompts(), "TForm6", {"Edit1.Text"});
        dialog.show();
        edit->setText(accept ? "accepted" : "rejected");
        accept ? dialog.accept() : dialog.reject();
        EXPECT_EQ(ini.ReadString("TForm6", "Edit1_Text", ""), edit->text());
    }
    IniFile reread(dir / "Tessarin.ini");
    EXPECT_EQ(reread.ReadString("TForm6", "Edit1_Text", ""), "rejected");
}

TEST(FormStorage, LinesKeepTheirOwnSection) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    {
        Window window(ini, {"Memo1.Lines"});
        window.Memo1->setPlainText("default line");
        window.form->show(); // a first run keeps the control's own lines
        EXPECT_EQ(window.Memo1->toPlainText(), "default line");
        window.Memo1->clear();
        window.form->hide();
    }
    EXPECT_TRUE(ini.SectionExists("TForm1.Memo1_Lines"));
    EXPECT_TRUE(ini.Keys("TForm1.Memo1_Lines").isEmpty());
    Window window(ini, {"Memo1.Lines"});
    window.Memo1->setPlainText("default line");
    window.form->show();
    EXPECT_EQ(window.Memo1->toPlainText(), ""); // the stored empty list wins over the default
}

// Flags and the minimised and maximised positions come back as stored and go out again; the maximised
// position is tracked while the window is maximised.
TEST(FormPlacement, FlagsAndMinMaxPositionsAreKept) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    ini.WriteString("TForm1", "Flags", "2");
    ini.WriteString("TForm1", "ShowCmd", "2");
    ini.WriteString("TForm1", "MinMaxPos", "-32000,-32000,-4,-4");
    {
        Window window(ini);
        window.form->show();
        EXPECT_EQ(window.form->windowState(), Qt::WindowMinimized | Qt::WindowMaximized);
        window.form->setWindowState(Qt::WindowNoState);
        window.form->hide();
    }
    EXPECT_EQ(ini.ReadString("TForm1", "MinMaxPos", ""), "-32000,-32000,-4,-4");
    EXPECT_EQ(ini.ReadString("TForm1", "Flags", ""), "0");
    {
        Window window(ini);
        window.form->show();
        window.form->showMaximized();
        window.form->hide();
    }
    const QString maxPos = ini.ReadString("TForm1", "MinMaxPos", "");
    EXPECT_EQ(maxPos.section(',', 0, 1), "-32000,-32000");
    EXPECT_NE(maxPos.section(',', 2), "-4,-4");
}

TEST(FormPlacement, SizeLimitsHookTheWindowOnlyWhenSet) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    Window window(ini);
    EXPECT_EQ(HookList::Instance().Find(window.form.get()), nullptr) << "no limits, no hook";
    window.storage->SetMinMaxInfo({QSize(200, 150), QSize(600, 500), {}, {}});
    EXPECT_NE(HookList::Instance().Find(window.form.get()), nullptr);
    window.form->show();
    window.form->resize(100, 100);
    EXPECT_EQ(window.form->size(), QSize(200, 150));
    window.form->resize(900, 900);
    EXPECT_EQ(window.form->size(), QSize(600, 500));
    window.storage->SetPreventResize(true);
    window.form->resize(300, 300);
    EXPECT_EQ(window.form->size(), QSize(600, 500));
    window.storage->SetPreventResize(false);
    window.storage->SetMinMaxInfo({});
    QCoreApplication::sendPostedEvents(&HookList::Instance());
    EXPECT_EQ(HookList::Instance().Find(window.form.get()), nullptr);
}

TEST(FormPlacement, TheActiveControlComesBackWhenAsked) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    // Controls made inside their window, as a real one has them.
    auto showActive = [&](auto&& act) {
        TestForm form;
        auto* edit = new QLineEdit(&form);
        edit->setObjectName("Edit1");
        auto* check = new QCheckBox(&form);
        check->setObjectName("CheckBox1");
        auto* storage = new FormStorage(&form, ini, TestMessages::Prompts(), "TForm1");
        storage->Options |= FormPlacement::fpActiveControl;
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        act(form, check);
        form.hide();
    };
    showActive([](QWidget&, QCheckBox* check) { check->setFocus(); });
    EXPECT_EQ(ini.ReadString("TForm1", "ActiveControl", ""), "CheckBox1");
    showActive([](QWidget& form, QCheckBox* check) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return form.focusWidget() == check; }, 2000));
    });
}

TEST(FormStorage, NamedValuesAreStoredEncodedWhenKeyed) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    {
        Window window(ini);
        StoredValue* plain = window.storage->Values().Add();
        plain->Name = "Runs";
        plain->Value = 41;
        plain->OnSave = [](StoredValue*, QVariant& value) { value = value.toInt() + 1; };
        StoredValue* secret = window.storage->Values().Add();
        secret->Name = "Password";
        secret->KeyString = "k3y";
        secret->Value = "hunter2";
        window.form->show();
        window.form->hide();
    }
    EXPECT_EQ(ini.ReadString("TForm1", "Runs", ""), "42");
    EXPECT_EQ(ini.ReadString("TForm1", "Password", ""), XorEncode("k3y", "hunter2"));
    auto restore = [&](const QString& key) {
        Window window(ini);
        StoredValue* runs = window.storage->Values().Add();
        runs->Name = "Runs";
        runs->Value = 0;
        StoredValue* secret = window.storage->Values().Add();
        secret->Name = "Password";
        secret->KeyString = key;
        secret->Value = "unchanged";
        window.form->show();
        EXPECT_EQ(runs->Value.metaType().id(), QMetaType::Int);
        EXPECT_EQ(runs->Value.toInt(), 42);
        return secret->Value.toString();
    };
    EXPECT_EQ(restore("k3y"), "hunter2");
    ini.WriteString("TForm1", "Password", "ABC"); // odd length: not decodable
    EXPECT_EQ(restore("k3y"), "unchanged");
}

TEST(FormStorage, CollectionsKeepTheirItemsInASectionOfTheirOwn) {
    TempDir dir;
    IniFile ini(dir / "Tessarin.ini");
    {
        Window window(ini, {"columns.Columns"});
        auto* columns = new ColumnsControl;
        columns->setObjectName("columns");
        columns->setParent(window.form.get());
        for (const char* name : {"Part", "Color"}) {
            StoredValue* item = columns->Columns.Add();
            item->Name = name;
            item->Value = QString(name).size();
        }
        window.form->show();
        window.form->hide();
    }
    EXPECT_EQ(ini.ReadString("TForm1.columns_Columns", "Count", ""), "2");
    EXPECT_EQ(ini.ReadString("TForm1.columns_Columns", "Item1.Name", ""), "Color");
    Window window(ini, {"columns.Columns"});
    auto* columns = new ColumnsControl;
    columns->setObjectName("columns");
    columns->setParent(window.form.get());
    columns->Columns.Add()->Name = "stale";
    window.form->show();
    ASSERT_EQ(columns->Columns.Count(), 2);
    EXPECT_EQ(columns->Columns.Item(0)->Name, "Part");
    EXPECT_EQ(columns->Columns.Item(1)->Value.toString(), "5");
}

TEST(FormStorageText, WordsAndScreens) {
    EXPECT_EQ(ExtractWord(5, "1,2, 3,4", " ,"), "");
    EXPECT_EQ(ExtractWord(3, ",,10,,20 30", " ,"), "30");
    EXPECT_EQ(WordPosition(2, " ab  cd", " "), 6);
    EXPECT_EQ(WordPosition(3, " ab  cd", " "), 0);
    EXPECT_EQ(WordCount("", " "), 0);
    EXPECT_EQ(WordCount(",,10,,20 30,", " ,"), 3);
    EXPECT_EQ(ScreenSuffix({1024, 768}), "(1024x768)");

    const QList<QRect> screens = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 984)};
    EXPECT_EQ(FitOntoScreens(QRect(2000, 100, 400, 300), screens), QRect(2000, 100, 400, 300));
    EXPECT_EQ(FitOntoScreens(QRect(5000, -900, 400, 300), screens), QRect(1520, 0, 400, 300));
    EXPECT_EQ(FitOntoScreens(QRect(1900, 1030, 400, 300), screens), QRect(1520, 740, 400, 300));
    EXPECT_EQ(FitOntoScreens(QRect(-5000, 10, 4000, 3000), screens), QRect(0, 0, 1920, 1040));
}

#include "form_storage_test.moc"
