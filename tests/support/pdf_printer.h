#pragma once

#include <QPrinter>
#include <filesystem>
#include <memory>

#include "platform/print/printer_device.h"

// Opens a printer that takes every job at once into a PDF file, whatever printer is asked for.
inline PrinterDevice::Opener PdfPrinter(const std::filesystem::path& path) {
    return [path](const QString&) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(path.string()));
        return printer;
    };
}
