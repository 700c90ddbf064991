#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QString>
#include <memory>

#include "ui/list/rich_list_view.h"

struct AppContext;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// The inventory list and the edit panel beside it. The panel follows the selected row wherever the selection
// moves (clicks, keys, Open, Drop, Find, Delete), is empty while no row is selected, and what the user types
// there goes into that row. Its controls stand on the main window's client area, which places them.
class EditPanel : public QObject {
    Q_OBJECT
  public:
    EditPanel(AppContext& context, QWidget* client, const std::shared_ptr<SortState>& sortState);

    // The selected row; -1 when none is.
    int Row() const { return invlist->SelectedRow(); }
    void SelectLastRow();
    // Selects the first row of the part, if any.
    void SelectPart(const QString& partNumber);
    // The LDraw colour of the part as the selected row names it; the default when another part is selected.
    int LDrawColourOf(const QString& partNumber) const;
    // Shows the selected row in the panel and asks for its part to be shown.
    void invlistClick();
    // Asks, then deletes the selected row.
    void DeleteSelected();
    void ClearEditPanel();

    RichListView* invlist;
    QFrame* Panel1;
    QLabel* PN;
    QLabel* DES;
    QLabel* COL;
    QLineEdit* Edit2; // quantity
    QLineEdit* Edit3; // bag
    QPlainTextEdit* Memo1;
    QPushButton* Button1;

  signals:
    // The row's part is to be shown.
    void RowShown(const QString& partNumber, const QString& description);

  private:
    void CreatePanel(QWidget* client);
    void CreateList(QWidget* client, const std::shared_ptr<SortState>& sortState);
    void SelectInventoryRow(int row);
    void RefreshPanel();
    void ShowRowInPanel(int row);
    void PanelEdited(int column, const QString& text);

    AppContext& context_;
    bool fillingPanel_ = false; // the panel is being filled, not edited
    // The row the panel was filled from: its edits go there and nowhere else; it follows sorts and is
    // invalid once the panel is emptied or the row is gone.
    QPersistentModelIndex panelIndex_;
    bool scrollPending_ = false;
};
