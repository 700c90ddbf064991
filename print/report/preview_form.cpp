#include "print/report/preview_form.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "platform/ui.h"
#include "print/report/rp_print_object.h"
#include "print/report/text_measure.h"

namespace {

template <typename T> T* Named(QWidget* parent, const char* name) {
    auto* widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QToolButton* PageButton(QWidget* parent, const char* name, const QString& glyph, const QString& hint) {
    auto* button = Named<QToolButton>(parent, name);
    button->setText(glyph);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

PreviewForm::PreviewForm(RpPrintObject& engine, QWidget* parent)
    : QDialog(parent, Qt::Window), engine_(engine), ppi_(logicalDpiY()) {
    setObjectName("PreviewForm");
    setWindowTitle(QStringLiteral("Print Preview"));
    setMinimumWidth(480);

    Panel2 = Named<QFrame>(this, "Panel2");
    Panel2->setAutoFillBackground(true);
    Panel2->setBackgroundRole(QPalette::Button);
    CloseBtn = Named<QPushButton>(Panel2, "CloseBtn");
    CloseBtn->setText(QStringLiteral("&Close"));
    CloseBtn->setToolTip(QStringLiteral("close preview"));
    PrintBtn = Named<QPushButton>(Panel2, "PrintBtn");
    PrintBtn->setText(QStringLiteral("&Print"));
    PrintBtn->setToolTip(QStringLiteral("print document"));
    for (QPushButton* button : {CloseBtn, PrintBtn}) {
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
    }
    ZoomLabel = Named<QLabel>(Panel2, "ZoomLabel");
    ZoomLabel->setText(QStringLiteral("ZOOM"));
    ZoomLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ZoomFactor = Named<QComboBox>(Panel2, "ZoomFactor");
    ZoomFactor->addItems({"60 %", "70 %", "80 %", "90 %", "100 %"});
    ZoomFactor->setFocusPolicy(Qt::NoFocus);
    FirstPage = PageButton(Panel2, "FirstPage", QStringLiteral("|<"), QStringLiteral("first page"));
    PrevPage = PageButton(Panel2, "PrevPage", QStringLiteral("<"), QStringLiteral("previous page"));
    NextPage = PageButton(Panel2, "NextPage", QStringLiteral(">"), QStringLiteral("next page"));
    LastPage = PageButton(Panel2, "LastPage", QStringLiteral(">|"), QStringLiteral("last page"));
    PgNumb = Named<QLineEdit>(Panel2, "PgNumb");
    // Digits only; editing keys such as Backspace still work.
    PgNumb->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), PgNumb));
    PgNumb->setFixedWidth(48);

    auto* bar = new QHBoxLayout(Panel2);
    bar->addWidget(CloseBtn);
    bar->addWidget(PrintBtn);
    bar->addSpacing(24);
    bar->addWidget(ZoomLabel);
    bar->addWidget(ZoomFactor);
    bar->addSpacing(24);
    for (QWidget* control : std::initializer_list<QWidget*>{FirstPage, PrevPage, PgNumb, NextPage, LastPage})
        bar->addWidget(control);
    bar->addStretch();

    PreviewPane = Named<QScrollArea>(this, "PreviewPane");
    PreviewPane->setBackgroundRole(QPalette::Dark);
    PreviewPane->setWidget(new QWidget);
    PreviewPane->setFocusPolicy(Qt::NoFocus);
    DisplayPage = Named<QLabel>(PreviewPane->widget(), "DisplayPage");
    DisplayPage->move(10, 10);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel2);
    layout->addWidget(PreviewPane, 1);

    // unguarded: Qt's own slot
    connect(CloseBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(PrintBtn, &QPushButton::clicked, this, Guarded(engine_.Prompts(), [this] { PrintBtnClick(); }));
    connect(ZoomFactor, &QComboBox::activated, this,
            Guarded(engine_.Prompts(), [this] { ZoomFactorChange(); }));
    connect(FirstPage, &QToolButton::clicked, this, Guarded(engine_.Prompts(), [this] { FirstPageClick(); }));
    connect(PrevPage, &QToolButton::clicked, this, Guarded(engine_.Prompts(), [this] { PrevPageClick(); }));
    connect(NextPage, &QToolButton::clicked, this, Guarded(engine_.Prompts(), [this] { NextPageClick(); }));
    connect(LastPage, &QToolButton::clicked, this, Guarded(engine_.Prompts(), [this] { LastPageClick(); }));
    connect(PgNumb, &QLineEdit::editingFinished, this, Guarded(engine_.Prompts(), [this] { PgNumbExit(); }));

    // The window sees keys before its controls do.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    ZoomFactor->setCurrentIndex(static_cast<int>(engine_.StartPercent));
    setWindowState(Qt::WindowMaximized);
}

int PreviewForm::PageCount() const {
    const RpPages* pages = engine_.Pages();
    return pages ? pages->Count() : 0;
}

double PreviewForm::Factor() const {
    return kZoom[static_cast<size_t>(std::clamp(ZoomFactor->currentIndex(), 0, int(kZoom.size()) - 1))] /
           100.0;
}

void PreviewForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    currentPage_ = 1;
    PgNumb->setText(QStringLiteral("1"));
    LastPage->setToolTip(QStringLiteral("last page (%1)").arg(PageCount()));
    ZoomFactorChange();
}

void PreviewForm::ZoomFactorChange() {
    const QSizeF inches = engine_.PageInches();
    const double scale = ppi_ * Factor();
    page_ = QImage(static_cast<int>(std::lround(inches.width() * scale)),
                   static_cast<int>(std::lround(inches.height() * scale)), QImage::Format_RGB32);
    // Text is shaped at the resolution its lines were laid out at, then scaled to the screen: shaped at the
    // screen's, its font rounds to whole pixels and runs wider than laid out, into the next column.
    const int dotsPerMeter = static_cast<int>(std::lround(TextMeasure::kDpi / 0.0254));
    page_.setDotsPerMeterX(dotsPerMeter);
    page_.setDotsPerMeterY(dotsPerMeter);
    DrawPage();
}

void PreviewForm::DrawPage() {
    page_.fill(Qt::white);
    if (!page_.isNull()) PaintPage(page_);
    DisplayPage->setPixmap(QPixmap::fromImage(page_));
    DisplayPage->resize(page_.size());
    FormResize();
}

void PreviewForm::PaintPage(QPaintDevice& sheet) const {
    const RpPages* pages = engine_.Pages();
    if (!pages) return;
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // The sheet's own units to the screen's pixels at the zoom.
    const double scale = ppi_ * Factor() / sheet.logicalDpiX();
    painter.scale(scale, scale);
    pages->ReplayPage(currentPage_, painter, {QRectF(QPointF(0, 0), engine_.PageInches()), true});
}

void PreviewForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void PreviewForm::FormResize() {
    const int paneWidth = PreviewPane->viewport()->width();
    const int imageWidth = page_.width();
    PreviewPane->widget()->resize(std::max(paneWidth, imageWidth + 30), page_.height() + 30);
    DisplayPage->move(imageWidth >= paneWidth ? 5 : (paneWidth - imageWidth) / 2, 10);
}

void PreviewForm::PgNumbExit() {
    if (PgNumb->text().isEmpty()) PgNumb->setText(QStringLiteral("1"));
    ShowPageNumber(PgNumb->text().toInt());
}

void PreviewForm::ShowPageNumber(int number) {
    currentPage_ = std::clamp(number, 1, std::max(PageCount(), 1));
    PgNumb->setText(QString::number(currentPage_));
    DrawPage();
}

void PreviewForm::FirstPageClick() {
    ShowPageNumber(1);
}

void PreviewForm::PrevPageClick() {
    if (currentPage_ > 1) ShowPageNumber(currentPage_ - 1);
}

void PreviewForm::NextPageClick() {
    if (currentPage_ < PageCount()) ShowPageNumber(currentPage_ + 1);
}

void PreviewForm::LastPageClick() {
    ShowPageNumber(PageCount());
}

void PreviewForm::PrintBtnClick() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    engine_.PrintStoredPages();
}

bool PreviewForm::FormKeyDown(int key) {
    QScrollBar* scroll = PreviewPane->verticalScrollBar();
    switch (key) {
    case Qt::Key_Escape:
        CloseBtn->click();
        return true;
    case Qt::Key_PageUp:
        PrevPageClick();
        return true;
    case Qt::Key_PageDown:
        NextPageClick();
        return true;
    case Qt::Key_Up:
        scroll->setValue(scroll->value() - 10);
        return true;
    case Qt::Key_Down:
        scroll->setValue(scroll->value() + 10);
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Minus: {
        const int item = ZoomFactor->currentIndex() + (key == Qt::Key_Plus ? 1 : -1);
        if (item >= 0 && item < ZoomFactor->count()) {
            ZoomFactor->setCurrentIndex(item);
            ZoomFactorChange();
        }
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter ends the page entry as leaving the box would.
        PgNumbExit();
        return true;
    default:
        return false;
    }
}

bool PreviewForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        bool handled = false;
        RunGuarded(engine_.Prompts(), [&] { handled = FormKeyDown(static_cast<QKeyEvent*>(event)->key()); });
        if (handled) return true;
    }
    return QDialog::eventFilter(watched, event);
}
