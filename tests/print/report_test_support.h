#pragma once

#include <algorithm>
#include <functional>
#include <ostream>
#include <variant>
#include <vector>

#include "platform/print/image_device.h"
#include "platform/text.h"
#include "print/report/inventory_report.h"
#include "print/report/preview_form.h"
#include "support/answer_window.h"
#include "support/test_support.h"

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Rows "q<i>", "p<i>", "b<i>", "c<i>" with a description and notes.
inline InventoryReportData ReportRows(int count, const QString& description = QStringLiteral("Brick 2 x 4"),
                                      const QString& notes = QString()) {
    InventoryReportData data;
    data.Title = QStringLiteral("Test Set");
    for (int i = 1; i <= count; ++i) {
        const QString n = QString::number(i);
        data.Rows.push_back({"key" + n, "q" + n, "p" + n, "b" + n, "c" + n, description, notes});
    }
    data.SetFields = {"Space", "1979", "100", "2", "9.99", "Me", "Box", "2024-01-01"};
    data.CountText = QString::number(count);
    return data;
}

// Up to `count` rows of the shipped master list's descriptions whose last line, where the notes start, comes
// within 0.04 in of the width wrapped to, so that a line drawn a few per cent wider runs into the notes; each
// row has a short note.
inline InventoryReportData NearlyFullRows(int count) {
    const QStringList lines = SplitLines(ReadTextFile(ShippedData("master.txt")).value_or(QString()));
    TextMeasure measure;
    const double width = (3.0 - RpPrintObject::kWrapGap) * TextMeasure::kDpi;
    InventoryReportData data = ReportRows(0);
    for (qsizetype i = 1; i < lines.size() && std::ssize(data.Rows) < count; ++i) {
        const QString description = lines[i].section(u'\t', 1, 1);
        if (measure.Width(measure.Wrap(description, width).last()) < width - 0.04 * TextMeasure::kDpi)
            continue;
        const QString n = QString::number(data.Rows.size() + 1);
        data.Rows.push_back({"key" + n, n, "p" + n, "b" + n, "c" + n, description, "note number " + n});
    }
    data.CountText = QString::number(data.Rows.size());
    return data;
}

// Prints the report and runs `body` on its modal preview, which is then closed. False when no preview
// opened.
inline bool WithPreview(InventoryReport& report, const InventoryReportData& data,
                        const std::function<void(PreviewForm&)>& body) {
    return AnswerWindow<PreviewForm>([&] { report.Print(data); },
                                     [&](PreviewForm& form) {
                                         body(form);
                                         form.close();
                                     });
}

// A recorded text with the boldness of the font it is written in.
struct PlacedText {
    QString Text;
    QPointF At; // inches
    bool Bold = false;
    double Width = 0; // inches, as laid out
};

inline std::vector<PlacedText> PageTexts(const RpPages& pages, int page) {
    std::vector<PlacedText> texts;
    const RpPageList* list = pages.Page(page);
    bool bold = list->Initial.Font.Bold;
    for (const RpPrintCommand& command : list->Commands()) {
        if (const auto* setting = std::get_if<RpSetting>(&command); setting && setting->Code == RpCode::Font)
            bold = setting->Font.Bold;
        if (const auto* text = std::get_if<RpText>(&command))
            texts.push_back({text->Text, text->At, bold, text->Advance / TextMeasure::kDpi});
    }
    return texts;
}

// The texts of each page of the composed report, and the line height of its detail font.
struct ComposedReport {
    std::vector<std::vector<PlacedText>> Pages;
    double LineHeight = 0;
};

inline ComposedReport Compose(const InventoryReportData& data) {
    InventoryReport report(TestMessages::Prompts());
    ComposedReport composed;
    WithPreview(report, data, [&](PreviewForm&) {
        const RpPages& pages = *report.prn.Pages();
        for (int page = 1; page <= pages.Count(); ++page)
            composed.Pages.push_back(PageTexts(pages, page));
        composed.LineHeight = report.prn.LineHeight();
    });
    return composed;
}

// Rows in a page's first column ("q" cells).
inline int Rows(const std::vector<PlacedText>& page) {
    return static_cast<int>(std::count_if(page.begin(), page.end(), [](const PlacedText& text) {
        return text.Text.startsWith('q') && text.At.x() < 1;
    }));
}

// How many one-line rows the report puts on a page.
inline int RowsPerPage() {
    return Rows(Compose(ReportRows(200)).Pages[0]);
}

// Prints the stored pages from the preview onto a fresh in-memory device, the dialog choosing pages
// from .. to; the device lives until the engine gets another.
inline ImageDevice& PrintRange(InventoryReport& report, PreviewForm& form, int from, int to, int dpi = 30) {
    report.prn.PrintDialog = [from, to](PrintDevice*, int, int& first, int& last) {
        first = from;
        last = to;
        return true;
    };
    auto device = std::make_unique<ImageDevice>(dpi);
    ImageDevice& pages = *device;
    report.prn.SetPrinter(std::move(device));
    form.PrintBtnClick();
    return pages;
}
