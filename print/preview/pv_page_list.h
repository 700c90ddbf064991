#pragma once

#include <QFont>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "print/preview/pv_canvas.h"
#include "print/preview/pv_objects.h"
#include "print/preview/pv_paper.h"
#include "print/preview/pv_printer.h"
#include "print/preview/pv_resources.h"

class PvPageList;
class QTextDocument;

// Rich text laid out across a rectangle of a page (inches).
struct PvRichTextBlock {
    PvRef<PvMemo> Memo;
    PvRect Rect;
};

// One page: its rich text and its objects in drawing order, and its size in inches.
class PvPage {
  public:
    explicit PvPage(PvPoint size) : Size(size) {}

    std::vector<std::unique_ptr<PvBaseObject>>& Objects() { return objects_; }
    const std::vector<std::unique_ptr<PvBaseObject>>& Objects() const { return objects_; }
    // Z-order: to the end of the list, one later, one earlier, to the start.
    void BringToFront(const PvBaseObject* object);
    void SendToBack(const PvBaseObject* object);
    void BringForward(const PvBaseObject* object);
    void SendBackward(const PvBaseObject* object);

    PvPoint Size; // inches
    bool ShowHeader = true, ShowFooter = true;
    std::vector<PvRichTextBlock> RichText;

  private:
    std::vector<std::unique_ptr<PvBaseObject>>::iterator Find(const PvBaseObject* object);
    std::vector<std::unique_ptr<PvBaseObject>> objects_;
};

// Caption tokens: {DATE}, {TIME}, {PAGE} and {NUMPAGES}, in that letter case only.
QString ReplaceCaptionTokens(QString caption, int page, int pageCount);

struct PvHeaderFooterCaption {
    QString Caption;
    QFont Font{QStringLiteral("Arial"), 12};
};

// A page header or footer: three captions on a line across the page between the margins.
class PvHeaderFooter {
  public:
    explicit PvHeaderFooter(bool footer) : footer_(footer) {}
    PvHeaderFooterCaption CaptionLeft, CaptionCenter, CaptionRight;
    PvPen Pen;
    bool ShowLine = true;
    bool Visible = false;
    // 0 means the height of the largest caption font.
    PvValue Height;

    // Inches: the stored height, or the text height of the largest caption font (the first on a tie).
    long double TextHeight() const;
    // Draws inside the margins of a page of the given size.
    void Draw(PvDrawContext& context, const PvPoint& pageSize, const PvRect& margins, int page,
              int pageCount) const;

  private:
    bool footer_;
};

// The user's margins with the pens that show them, and the printer's unprintable ones.
struct PvMargins {
    PvRect Values; // left, top, right, bottom in ValueMeasurement
    PvMeasurement ValueMeasurement = pvInches;
    PvPen Pen, PrinterMarginPen;
    bool ClipMargins = false, ShowPrinterMargins = false, Visible = false;
    PvRect Inches() const { return ConvertRect(ValueMeasurement, pvInches, Values); }

    // "MarginValues": the four margins in twips and the two pens in quotes, all separated by commas.
    QString MarginValuesText() const;
    // Reads that text (the pens may be left out); nothing changes and false comes back when it does not
    // hold four integers and, if any, two pens.
    bool SetMarginValuesText(const QString& text);
};

// The document behind a preview: its pages, what they share (resources, canvas, header, footer, margins,
// printer, paper, orientation) and the current page. Never empty.
class PvPageList : public PvObjectOwner {
  public:
    // The printer's failures and PDF file go to prompts.
    explicit PvPageList(UserPrompts& prompts);
    ~PvPageList();
    PvPageList(const PvPageList&) = delete;
    PvPageList& operator=(const PvPageList&) = delete;

    int Count() const { return static_cast<int>(pages_.size()); }
    // Page n, 1-based.
    PvPage& Page(int n) { return *pages_[static_cast<size_t>(n - 1)]; }
    const PvPage& Page(int n) const { return *pages_[static_cast<size_t>(n - 1)]; }
    int CurrentPage() const { return current_; }
    // Ignored outside 1..count or when n is already current.
    void SetCurrentPage(int n);

    // Appends a page of the list's paper and orientation and makes it current.
    PvPage& NewPage();
    // Deletes every page (and, unless kept, the resources) and starts again with one empty page.
    void Clear(bool keepResources);
    // Ignored outside 1..count; the current page stays within 1..count and a page is left.
    void DeletePage(int n);

    void BeginUpdate() { ++updates_; }
    void EndUpdate();
    bool Updating() const { return updates_ > 0; }

    // Puts an object on page n (1-based), its coordinates shifted by what they were measured from.
    PvBaseObject& AddObject(std::unique_ptr<PvBaseObject> object, PvCoordsRelative coords, int n);
    void AddRichText(PvRef<PvMemo> memo, const PvRect& inches, PvCoordsRelative coords);
    // Where coordinates measured from a reference start on the page, in inches.
    PvPoint Origin(PvCoordsRelative coords) const;
    void ObjectChanged(PvBaseObject& object) override;
    // The last visible object of the page whose rectangle holds the point.
    PvVisibleObject* ObjectAt(int page, long double x, long double y, PvMeasurement unit);

    PvPaperSize PaperSize() const { return paper_; }
    void SetPaperSize(PvPaperSize paper);
    // Makes every page Custom of this size.
    void SetCustomPageSize(PvPoint inches);
    PvOrientation Orientation() const { return orientation_; }
    void SetOrientation(PvOrientation orientation);
    PvPagesPerSheet PagesPerSheet = pvOnePage;

    // Rich text, objects, then header and footer, at the context's resolution.
    void DrawPage(int n, PvDrawContext& context) const;
    // Pages from..to, descending when from is not below to; both are clamped to 1..count. Progress is
    // reported after each page; the job stops when aborted. False when it did not start.
    bool PrintRange(int from, int to);

    PvResourceTable Resources;
    PvHeaderFooter Header{false}, Footer{true};
    PvMargins Margins;
    PvPrinter Printer;
    PvCanvas Canvas{*this};

    // Stream form of the whole document: a value list of its settings (with the version under "VER"), the
    // resource lists, then each page's settings, objects and rich text. Loading reads everything before it
    // changes anything; beforeLoad may refuse the version. EStreamError when the bytes do not hold a
    // document; false when refused.
    void SaveToStream(Stream& stream) const;
    bool LoadFromStream(Stream& stream, const std::function<bool(long double version)>& beforeLoad = {});

    // Supplies the document rich text is put into to be drawn; without one, a document of the page list's
    // own.
    std::function<QTextDocument*()> OnNeedRichEdit;

    // Change notices; while updating they wait for the outermost EndUpdate.
    std::function<void()> OnNewPage, OnClear, OnPagesChanged, OnCurrentPageChanged, OnOrientationChanged,
        OnPaperChanged, OnObjectChanged;
    std::function<void(int printed, int total)> OnPrintProgress;
    // At once (not after an update) for every page added, while it is current.
    std::function<void()> OnPageAdded;

  private:
    enum Change {
        NewPageChange = 1,
        PagesChange = 2,
        CurrentChange = 4,
        OrientationChange = 8,
        PaperChange = 16,
        ObjectChange = 32
    };
    void Notify(int changes);
    PvPoint NewPageSize() const;

    std::vector<std::unique_ptr<PvPage>> pages_;
    int current_ = 1;
    int updates_ = 0;
    int pending_ = 0;
    PvPaperSize paper_ = A4;
    PvPoint customSize_;
    PvOrientation orientation_ = pvPortrait;
};
