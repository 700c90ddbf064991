#pragma once

#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <functional>
#include <memory>

#include "ui/controls/picture_container.h"
#include "ui/list/list_compare.h"
#include "ui/list/list_settings.h"
#include "ui/list/rich_list_model.h"

class HtmlTextCache;
class QTextDocument;
class RichHeaderView;
class RichListDelegate;
struct HtmlContext;

enum SortIndicator { siLeft, siRight };
enum VAlignment { vtaCenter, vtaTop, vtaBottom };

// State bits of a row being drawn.
enum DrawState { odSelected = 1, odFocused = 2 };

// A report list of text cells addressed by (column, row), sortable by a column with a pluggable compare.
class RichListView : public QTreeView {
    Q_OBJECT
  public:
    explicit RichListView(QWidget* parent = nullptr);
    ~RichListView() override;

    // The rows shown: the list's own, or those it was given.
    ListModel& Model() { return *model_; }
    const ListModel& Model() const { return *model_; }
    RichListModel& OwnModel() { return ownModel_; }
    // Shows rows that live outside the list, in place of its own, with their sort; the model must outlive
    // the list.
    void ShowModel(ListModel& model);

    int AddColumn(const QString& caption, int width, Qt::Alignment alignment = Qt::AlignLeft);
    Qt::Alignment ColumnAlignment(int column) const;
    int ColumnCount() const { return model_->ColumnCount(); }
    int RowCount() const { return model_->RowCount(); }
    // A row of the list's own rows.
    int AddRow(const QString& caption) { return ownModel_.AddRow(caption); }
    QString GetCellText(int column, int row) const { return model_->GetCellText(column, row); }
    void SetCellText(int column, int row, const QString& text) { model_->SetCellText(column, row, text); }
    void DeleteRow(int row) { model_->DeleteRow(row); }
    // The list's own rows and captions.
    void ClearAll() { ownModel_.ClearAll(); }
    void ClearRows() { model_->ClearRows(); }

    // Selects and focuses the row and scrolls it into view; other selected rows stay selected.
    void SelectItemAt(int index);
    // The first selected row, -1 when none.
    int SelectedRow() const;
    // Brings the cell's row into view; the list selects rows, so it never scrolls sideways for a cell (a
    // click on a cell wider than the view would shift every row).
    void scrollTo(const QModelIndex& index, QAbstractItemView::ScrollHint hint = EnsureVisible) override;

    // The sort state is the shown rows'.
    void ShareSortState(std::shared_ptr<SortState> state) { model_->ShareSortState(std::move(state)); }
    void SetSortDirection(SortDirection direction) { model_->SetSortDirection(direction); }
    SortDirection GetSortDirection() const { return model_->GetSortDirection(); }
    // Sorts by column and remembers it as the sort column.
    void SetSortColumn(int column);
    int SortColumn() const { return model_->SortColumn(); }
    void SortByColumn(int column);
    void SortItems();
    // The column click of the program's lists (see ListModel::ClickColumn), with this list's compare.
    void ClickColumn(int column);

    // A column click sorts by that column (flipping the direction on a repeated click).
    bool SortShow = false;

    bool CellAtPoint(const QPoint& point, int& row, int& column) const;
    QString CellTextAtPoint(const QPoint& point) const;
    QRect CellRect(int row, int column) const;

    std::function<void(int column, SortStyle& style, QString& prefix, QString& suffix)> OnGetFormat;
    std::function<void(int column, const QString& a, const QString& b, int& result)> OnCustomCompare;
    std::function<void(int column, int row1, int row2, int& result)> OnRawCompare;
    std::function<void(int column, bool& enable)> OnSortStart;
    std::function<void(int column)> OnSortDone;
    std::function<void(int column)> OnColumnClick;
    std::function<void(int row, int column)> OnLeftClickCell;
    std::function<void(int row, int column)> OnRightClickCell;

    // Painting. RowSelect highlights whole rows; selection itself is always by row.
    bool RowSelect = true;
    bool CheckBoxes = false;
    // Check box pictures, used only when both hold one.
    QPixmap CheckTrueGlyph;
    QPixmap CheckFalseGlyph;
    // Header sort indicators: the glyphs when both hold a picture, else images 0 (ascending) and 1.
    QPixmap SortUpGlyph;
    QPixmap SortDownGlyph;
    QList<QPixmap> HeaderImages;
    SortIndicator SortIndicatorSide = siLeft;
    QList<QPixmap> SmallImages;
    // Pictures that markup cells show by name; none again once the container is destroyed.
    PictureContainer* Pictures() const { return pictures_; }
    void SetPictures(PictureContainer* pictures);
    QColor SelectionColor;
    QColor SelectionTextColor;
    QColor URLColor = Qt::blue;
    // Cells holding "://" or "mailto:" show and act as links; URLFull keeps the protocol part on show.
    bool URLShow = false;
    bool URLFull = false;
    bool WordWrap = false;
    bool SelectionRTFKeep = false;
    bool SubImages = false;
    // Kept with the list's settings; the list does nothing with them.
    bool SizeWithForm = false;
    bool SaveHeader = false;
    bool LoadHeader = false;
    Details DetailView{[this] { viewport()->update(); }};
    ColumnSize ColumnSizes;
    Printsettings PrintSettings;
    HTMLSettings HtmlSettings;
    // Kept with the print settings and, like them, never called: the list has no print operation.
    std::function<void(QPainter& canvas, int page, int pageWidth, int pageHeight)> OnPrintPage;
    std::function<void(int page, bool& newPage)> OnPrintNewPage;
    std::function<void(double& scale, bool& allow)> OnFitToPage;
    std::function<void(int column, int& width)> OnPrintSetColumnWidth;
    std::function<void(int item, int subItem, int state, CellStyle& style, const QString& text)>
        OnDrawItemProp;
    std::function<void(QPainter& painter, int item, const QRect& rect, int state)> OnDrawItem;

    int ItemHeight() const { return itemHeight_; }
    // Ignored when equal or below 1.
    void SetItemHeight(int height);
    // The height rows get: ItemHeight, or more when the font needs it.
    int RowHeight() const;
    VAlignment GetVAlignment() const { return vAlignment_; }
    void SetVAlignment(VAlignment alignment);
    const QPixmap& Wallpaper() const { return wallpaper_; }
    void SetWallpaper(const QPixmap& wallpaper);

    RichHeaderView& Header() const { return *header_; }
    int HeaderHeight() const { return headerHeight_; }
    void SetHeaderHeight(int height);
    const QFont& HeaderFont() const { return headerFont_; }
    void SetHeaderFont(const QFont& font);
    bool HeaderOwnerDraw() const { return headerOwnerDraw_; }
    void SetHeaderOwnerDraw(bool on);
    void SetHeaderFlatStyle(bool on);
    void SetHeaderHotTrack(bool on);
    void SetHeaderDragDrop(bool on);

    int VersionNumber() const { return 1 | 54 << 16; }
    QString VersionText() const { return QStringLiteral("1.54, August 2001"); }

    // The settings of a markup text drawn in this list.
    HtmlContext MarkupContext(const QFont& font, const QColor& colour) const;
    // Paints one row; also what the header and hints of this list use for their texts.
    void DrawItemCells(QPainter& painter, int row, const QRect& rect, int state) const;

    // Input, editing and hints.
    bool AutoHint = false;
    bool ClipboardEnable = false;
    bool HTMLHint = false;
    bool ScrollHint = false;
    bool SubItemEdit = false;
    bool SubItemSelect = false;
    bool ReArrangeItems = false;
    // How long (ms) the mouse rests on a cell before it counts as hovered and its hint shows; starts at the
    // platform's delay, which -1 brings back.
    int HoverTime() const { return hoverTime_; }
    void SetHoverTime(int ms);
    // Filter changes are reported once typing has paused this long (ms).
    int FilterTimeOut = 500;
    bool FilterBar() const;
    void SetFilterBar(bool on);
    QString FilterText(int column) const;
    std::function<void(int column)> OnFilterChange;
    std::function<void(int column)> OnFilterBtnClick;
    std::function<void(int column)> OnColumnSized;
    std::function<void(int column)> OnColumnRClick;
    std::function<void(int column, bool& allow)> OnStartColumnTrack;
    std::function<void(int column)> OnEndColumnTrack;
    std::function<void(int item, int subItem, bool& allow)> OnCanEditCell;
    std::function<void(const QString& anchor)> OnAnchorClick;
    std::function<void(const QString& anchor)> OnAnchorEnter;
    std::function<void(const QString& anchor)> OnAnchorExit;
    std::function<void(int item, bool checked)> OnCheckboxClick;
    std::function<void(int item, const QString& url, bool& handled)> OnURLClick;
    // Opens a link; tests put their own here. Only http, https and mailto links ever reach it.
    std::function<void(const QUrl& url)> OpenUrl;

    int SelectedSubItem() const { return selectedSubItem_; }
    void CopyToClipboard(bool selectedOnly) const;
    void PasteFromClipboard();
    void CutToClipboard();
    void DeleteSelected();
    // Moves a row to another index (the end for -1), keeping its selection, and focuses it.
    void MoveItem(int from, int to);
    // The full text of a cell as a hint shows it, or '' when the cell shows all of it.
    QString GetCellHint(int row, int column) const;

  protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    friend class RichHeaderView;
    friend class RichListDelegate;

    // Where the parts of a cell go: the check box (position 0), the image and the text.
    struct CellLayout {
        QRect cell;
        QRect box;
        int image = -1;
        QRect imageRect;
        QRect text;
    };

    // Painting helpers (rich_list_paint.cpp).
    void Remeasure();
    CellLayout LayoutCell(int row, int position, const QRect& cell) const;
    QRect CellArea(int row, int position) const;
    void DrawCell(QPainter& painter, int row, int position, const QRect& rowRect, int state) const;
    void DrawCellText(QPainter& painter, const QString& text, QRect rect, int column, const CellStyle& style,
                      bool selected) const;
    void DrawDetail(QPainter& painter, int row, const QRect& rowRect, int state) const;
    int DetailHeight() const;

    // Input helpers (rich_list_input.cpp).
    void SetUpInput();
    bool IsLinkText(const QString& text) const;
    void ClickLink(int row, const QString& url);
    QString AnchorAt(int row, int column, const QPoint& point) const;
    bool CheckBoxArea(int row, const QPoint& point) const;
    void ToggleCheck(int row);
    void SetHoverAnchor(const QString& anchor);
    bool ClipboardKey(QKeyEvent* event);
    void ShowScrollHint(int value);
    void ShowCellHint();
    int PlatformHoverTime() const;

    void HeaderClicked(int column);
    // With SortShow, the header marks the column just sorted by in place of the one before.
    void ShowSortIndicator(int previous, int column);
    // The order of a sort under the list's format and compare events.
    std::vector<int> SortOrder() const;
    ListModel::OrderFunction Order() const {
        return [this] { return SortOrder(); };
    }

    RichListModel ownModel_;
    ListModel* model_ = &ownModel_;

    std::vector<Qt::Alignment> alignments_;
    RichHeaderView* header_;
    RichListDelegate* delegate_;
    int itemHeight_ = 13;
    VAlignment vAlignment_ = vtaCenter;
    QPixmap wallpaper_;
    int headerHeight_ = 13;
    QFont headerFont_;
    bool headerOwnerDraw_ = true;
    QPointer<PictureContainer> pictures_;
    std::unique_ptr<PictureList> pictureCache_ = std::make_unique<PictureList>();
    std::unique_ptr<HtmlTextCache> textCache_;

    int selectedSubItem_ = 0;
    int dragRow_ = -1;
    int dragTimer_ = 0;
    QString hoverAnchor_;
    QPersistentModelIndex hintCell_;
    int hoverTime_ = -1;
    QTimer hoverTimer_;
};
