#include "platform/print/print_device.h"

#include <QPaintDevice>
#include <cmath>

void RequireFileOrNothing(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    // Nothing there, or nothing known: creating the file tells the reason it fails, if it does.
    if (!std::filesystem::exists(status) || std::filesystem::is_regular_file(status)) return;
    throw EPrintError(QStringLiteral("Cannot print into %1: it is not a file.")
                          .arg(QString::fromStdString(path.string()))
                          .toStdString());
}

QPageSize PageSizeFor(const Paper& paper) {
    if (paper.Code > 0) {
        const QPageSize::PageSizeId id = QPageSize::id(paper.Code);
        if (id != QPageSize::Custom) return QPageSize(id);
    }
    if (!(paper.Inches.width() > 0) || !(paper.Inches.height() > 0)) return {};
    return QPageSize(paper.Inches, QPageSize::Inch, QString(), QPageSize::ExactMatch);
}

PrintDevice::~PrintDevice() = default;

void PrintDevice::SetPaper(const Paper& paper) {
    if (PageSizeFor(paper).isValid()) paper_ = paper;
}

QPageLayout PrintDevice::Layout() const {
    QPageLayout layout(PageSizeFor(paper_),
                       orientation_ == PrintOrientation::Landscape ? QPageLayout::Landscape
                                                                   : QPageLayout::Portrait,
                       QMarginsF(), QPageLayout::Inch);
    // The whole sheet: a printer that cannot mark a border refuses a layout whose margins are narrower.
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

QRect PrintDevice::PageRect() const {
    const QSizeF inches = Layout().fullRect(QPageLayout::Inch).size();
    return QRect(0, 0, static_cast<int>(inches.width() * DpiX()), static_cast<int>(inches.height() * DpiY()));
}

QRect PrintDevice::PrintableRect() const {
    const QMarginsF inches = UnprintableInches();
    const auto pixels = [](double value, int dpi) { return static_cast<int>(std::ceil(value * dpi)); };
    return PageRect().marginsRemoved(QMargins(pixels(inches.left(), DpiX()), pixels(inches.top(), DpiY()),
                                              pixels(inches.right(), DpiX()),
                                              pixels(inches.bottom(), DpiY())));
}

void PrintDevice::BeginDoc() {
    if (printing_) throw EPrintError("A print job is already running.");
    QPaintDevice& device = OpenDocument(Layout());
    if (!painter_.begin(&device)) {
        DiscardDocument();
        throw EPrintError("The print job could not start.");
    }
    printing_ = true;
    pageNumber_ = 1;
}

void PrintDevice::NewPage() {
    if (!printing_) throw EPrintError("No print job is running.");
    if (!StartNextPage()) throw EPrintError("The printer could not start a new page.");
    ++pageNumber_;
}

void PrintDevice::EndDoc() {
    if (!printing_) throw EPrintError("No print job is running.");
    printing_ = false;
    if (!painter_.end()) {
        DiscardDocument();
        throw EPrintError("The print job could not be completed.");
    }
    CloseDocument();
}

void PrintDevice::Abort() {
    if (!printing_) return;
    printing_ = false;
    DiscardDocument();
    if (painter_.isActive()) painter_.end();
}
