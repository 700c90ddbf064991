#pragma once

#include <QPointer>
#include <QScrollArea>
#include <QStringList>
#include <filesystem>
#include <functional>

#include "print/preview/pv_page_list.h"
#include "print/preview/pv_paper_image.h"

class QMimeData;

// What the preview tells the controls linked to it.
enum PvNotice {
    pvnPagesPerSheet = 7034,
    pvnPages = 7035, // pages added, deleted or cleared
    pvnOrientation = 7036,
    pvnPaperSize = 7038,
    pvnZoom = 7039,
    pvnMargins = 7042,
    pvnBeginUpdate = 7043,
    pvnEndUpdate = 7044,
    pvnPrinter = 7045,
    pvnCurrentPage = 7047
};

class PvLinkedControl;

enum PvZoomStyle { pvFixedZoom, pvVariableZoom };

// The zoom arithmetic: the steps of variable zooming, clamping and fitting a page into a control.
int ClampZoom(int value, int minZoom, int maxZoom);
// The first step above (below) zoom, or zoom itself when there is none.
int VariableZoomIn(int zoom);
int VariableZoomOut(int zoom);
// truncate(100 x (extent - borders - 20) / (page inches x 96)).
int FitZoom(int extent, int borders, long double pageInches);

// A scrolling view of a document's pages at a zoom, with page navigation and printing. Programs draw on the
// current page through Canvas().
class PvPreview : public QScrollArea {
    Q_OBJECT
  public:
    // The printer's failures and PDF file, and the preview's own failures, go to prompts.
    explicit PvPreview(UserPrompts& prompts, QWidget* parent = nullptr);

    PvPageList& Pages() { return pages_; }
    PvCanvas& Canvas() { return pages_.Canvas; }
    PvPrinter& Printer() { return pages_.Printer; }
    PvPaperImage& PaperImage() { return *image_; }
    QString About() const { return PvAboutText("PvPreview"); }

    int PageCount() const { return pages_.Count(); }
    int CurrentPage() const { return pages_.CurrentPage(); }
    void SetCurrentPage(int n) { pages_.SetCurrentPage(n); }
    void FirstPage() { SetCurrentPage(1); }
    void LastPage() { SetCurrentPage(PageCount()); }
    void NextPage() { SetCurrentPage(CurrentPage() + 1); }
    void PrevPage() { SetCurrentPage(CurrentPage() - 1); }
    void NewPage() { pages_.NewPage(); }
    void DeleteCurrentPage() { pages_.DeletePage(CurrentPage()); }
    void Clear();

    // While open (they nest), nothing repaints; the outermost EndUpdate repaints.
    void BeginUpdate();
    void EndUpdate();

    int Zoom() const { return image_->Zoom(); }
    void SetZoom(int value);
    int MaxZoom() const { return maxZoom_; }
    void SetMaxZoom(int value);
    int MinZoom() const { return minZoom_; }
    void SetMinZoom(int value);
    int ZoomIncrement = 10;
    PvZoomStyle ZoomStyle = pvVariableZoom;
    void ZoomIn();
    void ZoomOut();
    void FitWidth();
    void FitHeight();
    void FitWholePage();

    PvPaperSize PaperSize() const { return pages_.PaperSize(); }
    void SetPaperSize(PvPaperSize paper);
    void SetCustomPaperSize(PvMeasurement unit, long double width, long double height);
    PvOrientation Orientation() const { return pages_.Orientation(); }
    void SetOrientation(PvOrientation orientation);
    PvPagesPerSheet PagesPerSheet() const { return pages_.PagesPerSheet; }
    void SetPagesPerSheet(PvPagesPerSheet pages);
    int Gutter() const { return image_->Border().left(); }
    void SetGutter(int pixels);
    PvPageGrid& PageGrid() { return grid_; }
    PvShadow& Shadow() { return shadow_; }
    // Repaints after the margins changed.
    void MarginsChanged();

    // All pages; a range prints descending when from is not below to.
    bool Print() { return PrintRange(1, PageCount()); }
    bool PrintRange(int from, int to);

    // The whole document in a file (saved atomically). Failures are shown; false then, and on loading the
    // document stays as it was.
    bool SaveToFile(const std::filesystem::path& path);
    bool LoadFromFile(const std::filesystem::path& path);

    // The object last pressed on, outlined in red.
    PvVisibleObject* SelectedObject() const { return selected_; }

    // A registered control hears the notices, once each, in registration order, until it is unregistered or
    // either side is freed.
    void Register(PvLinkedControl* control);
    void Unregister(PvLinkedControl* control);

  signals:
    // A PvNotice for the linked controls.
    void Noticed(int notice);

  public:
    // Printing progress, the printer's job events and the rich-text document are the page list's and the
    // printer's (Pages(), Printer()).
    std::function<void()> OnClear, OnNewPage, OnPageChanged, OnOrientationChanged, OnMouseEnter, OnMouseLeave;
    // Asked before a document file is loaded, with the version it was saved by.
    std::function<void(long double fileVersion, bool& loadFile)> BeforeLoad;
    // For every page added (also the first one after Clear), while it is current: the header's (footer's)
    // rectangle in inches, when it is visible, for recording what it holds.
    std::function<void(const PvValueRect&rect, PvCanvas&canvas)> OnDrawHeader, OnDrawFooter;
    // Mouse and drag events on the sheet, in page inches.
    std::function<void(Qt::MouseButton, PvPoint, PvVisibleObject*)> OnObjectMouseDown;
    std::function<void(Qt::MouseButton, PvPoint)> OnPageMouseDown, OnPageMouseUp;
    std::function<void(PvPoint)> OnPageMouseMove;
    std::function<void(const QMimeData& dragged, PvPoint at, bool& accept)> OnPageDragOver;
    std::function<void(const QMimeData& dragged, PvPoint at)> OnPageDragDrop;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void Notify(int notice);
    void ShowCurrentPage();
    // Sizes the paper image to the sheet plus its border, at least the viewport.
    void UpdateScrollRange();
    void PageMouseDown(Qt::MouseButton button, PvPoint at);
    void PageAdded();

    PvPageList pages_;
    PvPaperImage* image_;
    PvPageGrid grid_;
    PvShadow shadow_;
    int maxZoom_ = 400, minZoom_ = 5;
    int updates_ = 0;
    PvVisibleObject* selected_ = nullptr;
};

// A control that follows a preview: it hears the preview's notices, in registration order.
class PvLinkedControl {
  public:
    virtual ~PvLinkedControl() = default;
    PvPreview* Preview() const { return preview_; }
    // Leaves the old preview and registers with the new one (or none).
    void SetPreview(PvPreview* preview);
    virtual void PreviewNotice(int notice) = 0;

  protected:
    // After the preview changed (also to none, and when the preview is freed).
    virtual void PreviewSet() {}

  private:
    friend class PvPreview;
    QPointer<PvPreview> preview_;
    // The receiving end of the preview's connections, so that they go with the control.
    QObject link_;
    QMetaObject::Connection freed_;
};
