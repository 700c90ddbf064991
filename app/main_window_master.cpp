// The main window's master parts list: loading, the category tree, Find and the keyword filter.
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

#include "app/file_paths.h"
#include "app/main_window.h"
#include "app/master_list.h"
#include "app/program_version.h"
#include "app/splash_window.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

void FillTree(QTreeWidget* tree, const std::vector<CategoryNode>& nodes) {
    QList<QTreeWidgetItem*> tops;
    tops.reserve(static_cast<qsizetype>(nodes.size()));
    for (const CategoryNode& node : nodes) {
        auto* top = new QTreeWidgetItem(QStringList{node.text});
        for (const QString& child : node.children)
            top->addChild(new QTreeWidgetItem(QStringList{child}));
        tops.append(top);
    }
    tree->addTopLevelItems(tops);
}

} // namespace

void MainWindow::LoadMasterList(bool showSplash) {
    SplashWindow* splash = showSplash ? forms_.splash : nullptr;
    if (splash) {
        splash->Label3->setText(QStringLiteral("Version ") + QLatin1String(ProgramVersion));
        splash->show();
        splash->repaint();
    }
    // A reload replaces what an earlier load left (once its hash is built); the column captions stay.
    MasterHashTable();
    legolist->ClearRows();
    TreeView1->clear();
    MasterLines = {};
    masterSearch_.reset();
    MasterHash = std::make_unique<MasterIndex>();

    const std::filesystem::path file = DataDir() / "master.txt";
    std::optional<QString> text = ReadTextFile(file);
    if (!text) {
        if (splash) splash->hide();
        prompts_->Show(
            QStringLiteral("Cannot read the master parts list \"%1\".\nThe master list stays empty; "
                           "Help, Update master.txt fetches a new one.")
                .arg(FromFsPath(file)));
        return;
    }
    QElapsedTimer sinceRepaint;
    MasterLines = ParseMasterList(*text, [splash, &sinceRepaint](int) {
        if (!splash || !splash->isVisible()) return;
        splash->Label1->setText(splash->Label1->text() + QStringLiteral(" ."));
        // The text grows with the list: repainting it for every dot would cost more than reading the list.
        if (sinceRepaint.isValid() && sinceRepaint.elapsed() < 16) return;
        sinceRepaint.start();
        splash->Label1->repaint();
    });
    text.reset();
    // Inventory reads come later: the hash is filled beside the first paint of the list.
    masterHashBuild_ = std::async(std::launch::async,
                                  [rows = MasterLines.rows] { return std::make_unique<MasterIndex>(rows); });
    FillTree(TreeView1, BuildCategoryTree(MasterLines.rows));
    masterModel_.ResetRows(MasterLines.rows);
    if (splash) splash->hide();
}

const MasterIndex* MainWindow::MasterHashTable() const {
    const std::lock_guard lock(masterHashMutex_);
    if (masterHashBuild_.valid()) MasterHash = masterHashBuild_.get();
    return MasterHash.get();
}

void MainWindow::ShowMasterHit(int row) {
    legolist->SelectItemAt(row);
    const QString part = legolist->GetCellText(0, row);
    if (!legolist2->isHidden()) {
        const int filtered = FindCaption(legolist2->Model(), part);
        if (filtered >= 0) {
            legolist2->SelectItemAt(filtered);
        } else {
            Edit6->clear();
            legolist2->hide();
        }
    }
    ShowMasterPart(part, legolist->GetCellText(1, row));
}

void MainWindow::BitBtn7Click() {
    const QString text = edit5->text();
    const QString upper = text.toUpper();
    const bool newSearch = text != LastFindText;
    const int row = FindPartRow(legolist->Model(), upper, legolist->SelectedRow() + 1, newSearch);
    if (row < 0) {
        if (LastFindText == text) LastFindText.clear();
        prompts_->Show(
            QStringLiteral("Sorry I can't find what you are looking for\r\nor I may be at the end of the "
                           "list\r\nyou might try searching again."));
        return;
    }
    ShowMasterHit(row);
    if (newSearch) LastFindText = text;
    invlistfocus(legolist->GetCellText(0, row));
}

void MainWindow::TreeView1Click() {
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node) return;
    QString key = node->parent() ? node->parent()->text(0) + QLatin1Char(' ') + node->text(0) : node->text(0);
    const int row = FindDescriptionStart(legolist->Model(), key.toUpper());
    if (row < 0) return;
    ShowMasterHit(row);
    LastFindText = edit5->text();
}

void MainWindow::FilterMasterList() {
    const QString upper = Edit6->text().toUpper();
    legolist2->show();
    if (!upper.isEmpty()) {
        if (!masterSearch_) masterSearch_.emplace(MasterLines);
        std::vector<QStringList> rows;
        for (int row : masterSearch_->Matching(FilterTerms(upper)))
            rows.push_back(MasterLines.rows[static_cast<std::size_t>(row)]);
        legolist2->OwnModel().ResetRows(std::move(rows));
        return;
    }
    const int selected = legolist2->SelectedRow();
    if (selected >= 0) {
        const int row = FindCaption(legolist->Model(), legolist2->GetCellText(0, selected));
        if (row >= 0) legolist->SelectItemAt(row);
    }
    legolist2->hide();
}
