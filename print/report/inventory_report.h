#pragma once

#include <QString>
#include <array>
#include <vector>

#include "print/report/rp_print_object.h"

// What the inventory report prints, taken once when printing starts.
struct InventoryReportData {
    // Whoever fills the data checks these against its own counts.
    static constexpr size_t kRowCells = 7;
    static constexpr size_t kSetFields = 8;

    // The set name, printed as the title.
    QString Title;
    // Each row's cells in list order: key, quantity, part number, bag, colour, description, notes.
    std::vector<std::array<QString, kRowCells>> Rows;
    // Theme, year, pieces, figures, MSRP, inventoried by, source, date.
    std::array<QString, kSetFields> SetFields;
    // The count label's text.
    QString CountText;
};

// The inventory as a paginated report: a centred title, six columns under a bold header row heading
// every page, a footer line with the set information and the page number. It is composed, then shown in
// the preview, from which the user prints it.
class InventoryReport {
  public:
    // Messages and questions of the report go to prompts.
    explicit InventoryReport(UserPrompts& prompts);

    // Composes the report and shows it in the preview until the preview is closed; nothing for no rows.
    void Print(const InventoryReportData& data);

    RpPrintObject prn;

  private:
    void SetupPrintPage(const InventoryReportData& data);
    void prnNewPage() { PrintHeaderPending = true; }
    void WriteHeaderRow();

    // The column header row is not yet written on the current page.
    bool PrintHeaderPending = false;
};
