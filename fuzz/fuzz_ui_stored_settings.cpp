#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSpinBox>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>
#include <unistd.h>

#include "platform/ini.h"
#include "platform/text.h"
#include "tests/support/quiet_prompts.h"
#include "ui/forms/form_storage.h"

// The settings file is edited by hand: a window restores its placement, its controls' properties of every
// stored kind, lists of lines, collections and named (also encoded) values from any text, then saves them.
namespace {

class Kinds : public QObject {
    Q_OBJECT
  public:
    enum Shape { stCircle, stSquare };
    Q_ENUM(Shape)
    enum Side { sdLeft = 1, sdTop = 2 };
    Q_DECLARE_FLAGS(Sides, Side)
    Q_FLAG(Sides)

    Q_PROPERTY(int Count MEMBER Count)
    Q_PROPERTY(QChar Letter MEMBER Letter)
    Q_PROPERTY(Shape Kind MEMBER Kind)
    Q_PROPERTY(float Ratio MEMBER Ratio)
    Q_PROPERTY(Sides Borders READ borders WRITE setBorders)
    Q_PROPERTY(QVariant Any MEMBER Any)
    Q_PROPERTY(qlonglong Big MEMBER Big)
    Q_PROPERTY(QObject* Buddy MEMBER Buddy)
    Q_PROPERTY(QStringList Items MEMBER Items)
    Q_PROPERTY(StoredValues* Columns READ columns)

    int Count = 0;
    QChar Letter;
    Shape Kind = stCircle;
    float Ratio = 0;
    Sides Borders;
    QVariant Any;
    qlonglong Big = 0;
    QObject* Buddy = nullptr;
    QStringList Items;
    StoredValues Columns;
    StoredValues* columns() { return &Columns; }
    Sides borders() const { return Borders; }
    void setBorders(Sides value) { Borders = value; }
};

class Form : public QWidget {
    Q_OBJECT
};

const QStringList kProps = {"Edit1.Text",  "Memo1.Lines",  "Check1.Checked", "Spin1.Value", "Bar1.Position",
                            "kinds.Count", "kinds.Letter", "kinds.Kind",     "kinds.Ratio", "kinds.Borders",
                            "kinds.Any",   "kinds.Big",    "kinds.Buddy",    "kinds.Items", "kinds.Columns"};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                              ("tessarin-fuzz-settings-" + std::to_string(getpid()) + ".ini");
    static QuietPrompts quiet;
    IniFile ini(file);
    ini.Parse(DecodeText(std::string_view(reinterpret_cast<const char*>(data), size)));
    auto form = std::make_unique<Form>();
    const auto add = [&](QObject* child, const char* name) {
        child->setObjectName(name);
        child->setParent(form.get());
    };
    add(new QLineEdit, "Edit1");
    add(new QPlainTextEdit, "Memo1");
    add(new QCheckBox, "Check1");
    add(new QSpinBox, "Spin1");
    add(new QSlider, "Bar1");
    add(new Kinds, "kinds");
    auto* storage = new FormStorage(form.get(), ini, quiet, "TForm1", kProps);
    storage->Options |= FormPlacement::fpActiveControl;
    StoredValue* plain = storage->Values().Add();
    plain->Name = "LastSet";
    StoredValue* hidden = storage->Values().Add();
    hidden->Name = "Password";
    hidden->KeyString = "key";
    storage->RestoreAll();
    storage->SaveAll();
    // What was saved restores again.
    storage->RestoreAll();
    form.reset();
    std::filesystem::remove(file);
    return 0;
}

#include "fuzz_ui_stored_settings.moc"
