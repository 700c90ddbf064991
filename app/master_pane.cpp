#include "app/master_pane.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>

#include "app/app_context.h"
#include "app/file_paths.h"
#include "app/master_list.h"
#include "app/program_version.h"
#include "app/splash_window.h"
#include "platform/fs.h"
#include "platform/ui.h"
#include "ui/kit/make_named.h"

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

std::filesystem::path MasterListFile() {
    return DataDir() / "master.txt";
}

MasterPane::MasterPane(AppContext& context, QWidget* client, int findRowTop, int rowHeight, int listsTop,
                       const std::shared_ptr<SortState>& sortState)
    : QObject(client), context_(context) {
    UserPrompts& prompts = context_.Prompts();
    edit5 = MakeNamed<QLineEdit>(client, "edit5");
    edit5->setGeometry(0, findRowTop + 1, 120, rowHeight - 2);
    Edit6 = MakeNamed<QLineEdit>(client, "Edit6");
    Edit6->setGeometry(0, findRowTop + 1, 150, rowHeight - 2);
    Edit6->setToolTip(
        QStringLiteral("Enter your filter text here and press <enter>.  Clear the box and press "
                       "<enter> to get full inventory list"));
    TreeView1 = MakeNamed<QTreeWidget>(client, "TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setGeometry(0, listsTop, 150, 100);

    legolist = MakeNamed<RichListView>(client, "legolist");
    legolist2 = MakeNamed<RichListView>(client, "legolist2");
    // The master list shows its rows where they were read; its columns come with them.
    legolist->ShowModel(masterModel_);
    legolist->setColumnWidth(0, 75);
    legolist->setColumnWidth(1, 400);
    legolist2->AddColumn(QStringLiteral("Part Number"), 75);
    legolist2->AddColumn(QStringLiteral("Description"), 400);
    for (RichListView* list : {legolist, legolist2}) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setGeometry(0, listsTop, 500, 100);
        // The stored widths, widened where the font needs more for a caption ("Part Number").
        for (int column = 0; column < list->ColumnCount(); ++column)
            list->setColumnWidth(
                column, std::max(list->columnWidth(column), list->header()->sectionSizeHint(column)));
        // The lists share one sort sign and column with the inventory; each starts ascending.
        list->ShareSortState(sortState);
        list->SetSortDirection(sdAscending);
        list->OnColumnClick = [list](int column) { list->ClickColumn(column); };
        list->OnLeftClickCell = Guarded(prompts, [this] { legolistClick(); });
        // unguarded: signal to signal
        connect(list, &QAbstractItemView::doubleClicked, this, [this] { emit AddRequested(); });
    }
    legolist2->hide();

    connect(edit5, &QLineEdit::returnPressed, this, Guarded(prompts, [this] { BitBtn7Click(); }));
    connect(Edit6, &QLineEdit::returnPressed, this, Guarded(prompts, [this] { FilterMasterList(); }));
    connect(TreeView1, &QTreeWidget::itemClicked, this, Guarded(prompts, [this] { TreeView1Click(); }));
}

void MasterPane::Load(SplashWindow* splash) {
    if (splash) splash->ShowLoading(QStringLiteral("Version ") + QLatin1String(ProgramVersion));
    // A reload replaces what an earlier load left; the column captions stay.
    legolist->ClearRows();
    TreeView1->clear();
    const std::filesystem::path file = MasterListFile();
    const bool read = context_.master.Load(file, [splash](int) {
        if (splash && splash->isVisible()) splash->ShowProgress();
    });
    if (!read) {
        if (splash) splash->hide();
        context_.Prompts().Show(
            QStringLiteral("Cannot read the master parts list \"%1\".\nThe master list stays empty; "
                           "Help, Update master.txt fetches a new one.")
                .arg(FromFsPath(file)));
        return;
    }
    FillTree(TreeView1, context_.master.Categories());
    masterModel_.ResetRows(context_.master.Rows());
    if (splash) splash->hide();
}

void MasterPane::ShowMasterHit(int row) {
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
    emit PartShown(part, legolist->GetCellText(1, row));
}

bool MasterPane::ShowListed(const QString& partNumber) {
    const int row = FindCaption(legolist->Model(), partNumber);
    if (row < 0) return false;
    ShowMasterHit(row);
    return true;
}

void MasterPane::legolistClick() {
    const RichListView* list = legolist2->isHidden() ? legolist : legolist2;
    const int row = list->SelectedRow();
    if (row >= 0) emit PartShown(list->GetCellText(0, row), list->GetCellText(1, row));
}

bool MasterPane::SelectedForAdd(QString& partNumber, QString& description) const {
    const RichListView* list = !legolist2->isHidden() && legolist2->SelectedRow() >= 0 ? legolist2 : legolist;
    const int row = list->SelectedRow();
    if (row < 0) return false;
    partNumber = list->GetCellText(0, row);
    description = list->GetCellText(1, row);
    return true;
}

void MasterPane::BitBtn7Click() {
    const QString text = edit5->text();
    const QString upper = text.toUpper();
    const bool newSearch = text != LastFindText;
    const int row = FindPartRow(legolist->Model(), upper, legolist->SelectedRow() + 1, newSearch);
    if (row < 0) {
        if (LastFindText == text) LastFindText.clear();
        context_.Prompts().Show(
            QStringLiteral("Sorry I can't find what you are looking for\r\nor I may be at the end of the "
                           "list\r\nyou might try searching again."));
        return;
    }
    ShowMasterHit(row);
    if (newSearch) LastFindText = text;
    emit PartFound(legolist->GetCellText(0, row));
}

void MasterPane::TreeView1Click() {
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node) return;
    QString key = node->parent() ? node->parent()->text(0) + QLatin1Char(' ') + node->text(0) : node->text(0);
    const int row = FindDescriptionStart(legolist->Model(), key.toUpper());
    if (row < 0) return;
    ShowMasterHit(row);
    LastFindText = edit5->text();
}

void MasterPane::FilterMasterList() {
    const QString upper = Edit6->text().toUpper();
    legolist2->show();
    if (!upper.isEmpty()) {
        const MasterRows& master = context_.master.Rows();
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
