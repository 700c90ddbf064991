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
    if (splash) splash->ShowLoading(QStringLiteral("Version ") + QLatin1String(ProgramVersion));
    // A reload replaces what an earlier load left; the column captions stay.
    legolist->ClearRows();
    TreeView1->clear();
    const std::filesystem::path file = DataDir() / "master.txt";
    const bool read = context_.master.Load(file, [splash](int) {
        if (splash && splash->isVisible()) splash->ShowProgress();
    });
    if (!read) {
        if (splash) splash->hide();
        Prompts().Show(
            QStringLiteral("Cannot read the master parts list \"%1\".\nThe master list stays empty; "
                           "Help, Update master.txt fetches a new one.")
                .arg(FromFsPath(file)));
        return;
    }
    FillTree(TreeView1, BuildCategoryTree(context_.master.Rows()));
    legolist->OwnModel().ResetRows(context_.master.Rows());
    if (splash) splash->hide();
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
        Prompts().Show(
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
        const std::vector<QStringList>& master = context_.master.Rows();
        std::vector<QStringList> rows;
        for (int row : context_.master.Matching(upper))
            rows.push_back(master[static_cast<std::size_t>(row)]);
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
