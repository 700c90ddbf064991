#pragma once

#include <QObject>
#include <QString>
#include <filesystem>
#include <memory>

#include "app/master_list_model.h"
#include "ui/list/rich_list_view.h"

struct AppContext;
class QLineEdit;
class QTreeWidget;
class QWidget;
class SplashWindow;

// master.txt in the data folder: the file the pane loads.
std::filesystem::path MasterListFile();

// The master parts list: the full list and the filtered one, the category tree, Find and the keyword
// filter, over the catalogue of the context. Its controls stand on the main window's client area, which
// places them.
class MasterPane : public QObject {
    Q_OBJECT
  public:
    MasterPane(AppContext& context, QWidget* client, int findRowTop, int rowHeight, int listsTop,
               const std::shared_ptr<SortState>& sortState);

    // Reads master.txt of the data folder into the catalogue, the list and the tree, behind the splash
    // when one is given.
    void Load(SplashWindow* splash);
    void BitBtn7Click(); // Find
    void FilterMasterList();
    void TreeView1Click();
    // Shows the part selected in the visible master list.
    void legolistClick();
    // Selects and shows a listed part; false when the list does not hold it.
    bool ShowListed(const QString& partNumber);
    // The row an Add takes: the filtered list's selection when it has one, else the full list's; false when
    // none is selected.
    bool SelectedForAdd(QString& partNumber, QString& description) const;

    RichListView* legolist;
    RichListView* legolist2;
    QTreeWidget* TreeView1;
    QLineEdit* edit5; // Find
    QLineEdit* Edit6; // keyword filter

  signals:
    // A part of the list was chosen and is to be shown.
    void PartShown(const QString& partNumber, const QString& description);
    // Find landed on a part.
    void PartFound(const QString& partNumber);
    // A part of a list was double-clicked.
    void AddRequested();

  private:
    // Shows the part of a master list row; with the filtered list shown, that list selects the part too,
    // or the filter goes when the part is not in it.
    void ShowMasterHit(int row);

    AppContext& context_;
    // legolist's rows: views into the master list's own text.
    MasterListModel masterModel_;
    QString LastFindText;
};
