#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/ini.h"
#include "support/bench_main.h"
#include "tests/support/quiet_prompts.h"
#include "ui/forms/form_storage.h"

namespace {

// Ten windows with stored lists shaped like the program's: paths, scales, set fields, a command-line memo and
// the label maker's check boxes, spin edits and texts.
struct Windows {
    explicit Windows(IniFile& ini) {
        for (int w = 1; w <= 10; ++w) {
            auto form = std::make_unique<QWidget>();
            form->setGeometry(40 + w, 50 + w, 600, 400);
            QStringList props;
            auto add = [&](QWidget* control, const QString& name, const QString& property) {
                control->setParent(form.get());
                control->setObjectName(name);
                props << name + '.' + property;
            };
            for (int i = 1; i <= 6; ++i)
                add(new QCheckBox, QString("CheckBox%1").arg(i), "Checked");
            for (int i = 1; i <= 6; ++i)
                add(new QSpinBox, QString("SpinEdit%1").arg(i), "Value");
            for (int i = 1; i <= 4; ++i) {
                auto* edit = new QLineEdit(QString("C:\\Program Files\\LDraw\\parts %1").arg(i));
                add(edit, QString("Edit%1").arg(i), "Text");
            }
            for (int i = 1; i <= 4; ++i)
                add(new QSlider, QString("rot%1").arg(i), "Position");
            add(new QLabel("dx=0 dy=0 lx=0 ly=0 ex=0 ey=0 ix=0 iy=0"), "Label10", "Caption");
            auto* memo =
                new QPlainTextEdit("-Antialias=0 -ShowErrors=0 -FOV=10\n-DefaultZoom=0.95\n-SaveWidth=400");
            add(memo, "Memo1", "Lines");
            storages.push_back(new FormStorage(form.get(), ini, prompts, QString("TForm%1").arg(w), props));
            forms.push_back(std::move(form));
        }
    }
    QuietPrompts prompts; // outlives the forms, whose storages save as they go
    std::vector<std::unique_ptr<QWidget>> forms;
    std::vector<FormStorage*> storages;
};

std::filesystem::path BenchFile(const char* name) {
    auto dir = std::filesystem::temp_directory_path() / "tessarin_settings_bench";
    std::filesystem::create_directories(dir);
    return dir / name;
}

// Every window shown (restored), moved and closed (saved), as a user opens and moves the program's
// windows: each close writes the settings file atomically, fsync included.
void ShowMoveAndClose(benchmark::State& state) {
    IniFile ini(BenchFile("Tessarin.ini"));
    Windows windows(ini);
    int step = 1;
    for (auto _ : state) {
        step = -step;
        for (auto& form : windows.forms) {
            form->show();
            form->move(form->pos() + QPoint(step, 0));
            form->hide();
        }
    }
}
BENCHMARK(ShowMoveAndClose)->Unit(benchmark::kMillisecond);

// The peer: the framework's own settings file making the same writes, one synced save per window, with
// a placement value changing each time as the moved NormPos does.
void QSettingsSameWrites(benchmark::State& state) {
    IniFile ours(BenchFile("Tessarin.ini"));
    Windows windows(ours);
    for (auto& form : windows.forms)
        form->show(), form->hide();
    const QString path = QString::fromStdString(BenchFile("peer.ini").string());
    int step = 1;
    for (auto _ : state) {
        step = -step;
        for (const QString& section : ours.Sections()) {
            QSettings settings(path, QSettings::IniFormat);
            settings.beginGroup(section);
            for (const QString& key : ours.Keys(section))
                benchmark::DoNotOptimize(settings.value(key));
            for (const QString& key : ours.Keys(section))
                settings.setValue(key, ours.ReadString(section, key, ""));
            settings.setValue("Left", settings.value("Left").toInt() + step);
            settings.endGroup();
            settings.sync();
        }
    }
}
BENCHMARK(QSettingsSameWrites)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    const int result = RunBenchmarks(argc, argv, {}, {{"ShowMoveAndClose", "QSettingsSameWrites"}});
    std::filesystem::remove_all(std::filesystem::temp_directory_path() / "tessarin_settings_bench");
    return result;
}
