#include "support/bench_window.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <random>

#include "app/add_part_dialog.h"
#include "app/compare_dialog.h"
#include "app/file_paths.h"
#include "app/main_window.h"
#include "platform/fs.h"
#include "support/bench_main.h"
#include "ui/kit/make_named.h"

BenchWindow::BenchWindow() {
    SetDataDir(ShippedDataCopy());
    context_ = std::make_unique<AppContext>(prompts_);
    context_->LoadColours();
    window_ = std::make_unique<MainWindow>(*context_);
    Forms forms;
    forms.addPart = new AddPartDialog(prompts_, context_->colours, context_->inventory, window_.get());
    forms.compare = compare_ = new CompareDialog(window_->Access(), window_.get());
    window_->SetForms(forms);
    prompts_.open = [this](const FileChoice&, bool) { return openAnswer_; };
    prompts_.save = [this](const FileChoice&, QString&) { return saveAnswer_; };
    window_->show();
    compare_->show();
    Show();
}

BenchWindow::~BenchWindow() {
    window_->Access().Inventory().SetModified(false);
    window_.reset();
}

void BenchWindow::Fill(int rows) {
    static const char* colours[] = {"Red", "Blue", "Black", "White", "Yellow", "Green", "Tan"};
    std::mt19937 random(7);
    const int unique = rows * 7 / 10;
    Clear();
    std::vector<InventoryCells> cells;
    cells.reserve(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        const int part = row < unique ? row : static_cast<int>(random() % static_cast<unsigned>(unique));
        const QString number = QString::number(3000 + part / 7);
        const QString colour = QLatin1String(colours[part % 7]);
        cells.push_back({number + colour, QString::number(1 + row % 5), number, QString::number(row % 9),
                         colour, QStringLiteral("Brick %1").arg(part), QString()});
    }
    window_->Access().Inventory().AppendInventoryRows(std::move(cells));
    window_->Access().Inventory().UpdateCount();
    Show();
}

void BenchWindow::Clear() {
    window_->Access().Inventory().SetModified(false);
    window_->BitBtn1Click();
    Show();
}

void BenchWindow::Open(const QStringList& paths) {
    openAnswer_ = paths;
    window_->BitBtn2Click();
    Show();
}

void BenchWindow::Drop(const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QWidget* surface = FindNamed<RichListView>(*window_, "invlist")->viewport();
    const QPoint point(20, 20);
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(surface, &enter);
    QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(surface, &drop);
    Show(); // the files are read once the drop is over
}

void BenchWindow::Save(const QString& path) {
    saveAnswer_ = path;
    window_->BitBtn3Click();
}

void BenchWindow::CompareNeed(const QString& setPath) {
    openAnswer_ = {setPath};
    compare_->BitBtn1->click();
    Show();
}

void BenchWindow::Show() {
    // Work queued by what the events did (a drop's read, the layouts and paints that follow) runs too.
    QApplication::processEvents();
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

BenchWindow& TheBenchWindow() {
    static BenchWindow* window = nullptr;
    if (!window) {
        window = new BenchWindow;
        qAddPostRoutine([] { delete window; });
    }
    return *window;
}

QString BenchFile(const QString& name) {
    static const TempFolder folder("tessarin-bench-files");
    return FromFsPath(folder.dir) + QLatin1Char('/') + name;
}
