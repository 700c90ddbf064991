#pragma once

#include <QFile>
#include <filesystem>

#include "platform/print/printer_device.h"

// A printer that takes every job at once into a PDF file, whatever printer is asked for.
inline Spooler PdfPrinter(const std::filesystem::path& path) {
    return [path](const PrintJob& job, const std::function<bool()>& mayHandIn) {
        if (!mayHandIn()) return QString();
        QFile file(QString::fromStdString(path.string()));
        if (!file.open(QIODevice::WriteOnly) || file.write(job.Pdf) != job.Pdf.size())
            return QStringLiteral("Cannot write %1").arg(file.fileName());
        return QString();
    };
}
