#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

#include "print/report/inventory_report.h"
#include "print/report/preview_form.h"

// Rows "q<i>", "p<i>", "b<i>", "c<i>", a description and notes.
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

// Prints the report and runs `body` on its modal preview, which is then closed. False when no preview
// opened.
inline bool WithPreview(InventoryReport& report, const InventoryReportData& data,
                        const std::function<void(PreviewForm&)>& body) {
    bool opened = false;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<PreviewForm*>(QApplication::activeModalWidget());
        if (!form) return;
        opened = true;
        body(*form);
        form->close();
    });
    report.Print(data);
    QApplication::processEvents(); // a timer that found no preview must not outlive this call
    return opened;
}
