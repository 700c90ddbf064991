#include "print/report/inventory_report.h"

#include <algorithm>

namespace {

constexpr double kLeft = 0.5;

struct ReportColumn {
    const char* heading;
    double left; // from the left margin
    double width;
};

// Columns 1 to 6, showing cells 1 to 6 of a row; the last two wrap.
constexpr std::array<ReportColumn, 6> kColumns{{
    {"Quantity", 0, 0.75},
    {"Ldraw #", 0.75, 0.75},
    {"Bag (if any)", 1.5, 0.75},
    {"Color", 2.25, 0.75},
    {"Description", 3.0, 3.0},
    {"Notes", 6.0, 1.25},
}};
constexpr int kDescription = 5;
constexpr int kNotes = 6;

RpFont Arial(double size, bool bold = false) {
    RpFont font;
    font.Name = QStringLiteral("Arial");
    font.Size = size;
    font.Bold = bold;
    return font;
}

QString FooterText(const InventoryReportData& data) {
    static const std::array<const char*, InventoryReportData::kSetFields> labels{
        "Theme: ", " Year: ", " Pcs: ", " Figs: ", " MSRP: ", " Inventoried By: ", " Source: ", " Date: "};
    QString text;
    for (size_t i = 0; i < labels.size(); ++i)
        text += QLatin1String(labels[i]) + data.SetFields[i];
    return text + QStringLiteral(" Element Count: ") + data.CountText;
}

} // namespace

InventoryReport::InventoryReport(UserPrompts& prompts) : prn(prompts) {
    prn.AutomaticPaging = true;
    prn.Preview = false;
    prn.ShowProgress = false;
    prn.ShowPrintDialog = true;
    prn.Orientation = PrintOrientation::Portrait;
    prn.ShowTotalPages = false;
    prn.PrintPageNumbers = true;
    prn.ProgressBarMax = 100;
    prn.ProgressBarInc = 1;
    prn.Transparent = false;
    prn.StartPercent = P6_Full;
    prn.PaperSize = PaperSizes::PAPER_LETTER;
    prn.ShowCancelBtn = false;
    prn.Measurement = mtInches;
    prn.OnNewPage = [this] { prnNewPage(); };
    prn.AfterNewPage = [this] {
        if (PrintHeaderPending) WriteHeaderRow();
    };
}

void InventoryReport::SetupPrintPage(const InventoryReportData& data) {
    prn.SetMeasurement(mtInches);
    prn.SetFont(Arial(8));
    prn.SetMargins(0.5, 10.5, 0.5, 8.0);
    prn.SetHeaderInformation(1, data.Title, 0.6, 1, Arial(12, true));
    prn.SaveFont();
    prn.SetFont(Arial(16, true));
    const double h = prn.LineHeight();
    prn.SetHeaderDimensions(0, 0, 0.5, 0.5, 8.0, h * 1.0 + 0.625, qRgb(0, 0, 0));
    prn.SetDetailTopBottom(h * 2.0 + 0.625, 10.5 - 0.5);
    prn.RestoreFont();
    prn.SetPageNumberInformation(QStringLiteral("Page %d"), 2, 10.5 - 0.25, false, Arial(6));
    prn.SetFooterDimensions(0, 0, 0.5, 10.5 - 0.4, 8.0, 10.5, qRgb(230, 255, 255));
    prn.SetFooterInformation(1, FooterText(data), 10.25, 0, Arial(6));
}

void InventoryReport::WriteHeaderRow() {
    prn.SetFont(Arial(8, true));
    for (size_t c = 0; c < kColumns.size(); ++c)
        prn.WriteColumn(static_cast<int>(c + 1), QLatin1String(kColumns[c].heading), -2);
    prn.UpdateProgress();
    prn.NextLine();
    prn.SetFont(Arial(8));
    PrintHeaderPending = false;
}

void InventoryReport::Print(const InventoryReportData& data) {
    if (data.Rows.empty()) return;
    prn.Start();
    SetupPrintPage(data);
    for (size_t c = 0; c < kColumns.size(); ++c)
        prn.SetColumnInformation(static_cast<int>(c + 1), kLeft + kColumns[c].left, kColumns[c].width);
    PrintHeaderPending = true;
    prn.TopOfPage();
    for (const auto& row : data.Rows) {
        // The notes start on the description's last line. A row that does not fit starts the next page,
        // whose head is the header row; only a row taller than a page flows on over the pages.
        const int descriptionLines = std::max(prn.WrappedLineCount(kDescription, row[kDescription]), 1);
        const int notesLines = std::max(prn.WrappedLineCount(kNotes, row[kNotes]), 1);
        prn.KeepTogether(descriptionLines + notesLines - 1);
        if (PrintHeaderPending) WriteHeaderRow();
        for (int c = 1; c <= 4; ++c)
            prn.WriteColumn(c, row[static_cast<size_t>(c)], -2);
        prn.WriteColumnWrapped(kDescription, row[kDescription], -2, false, false);
        prn.WriteColumnWrapped(kNotes, row[kNotes], -2, false, false);
        prn.UpdateProgress();
        prn.NextLine();
    }
    prn.Preview = true;
    prn.Quit();
}
