#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "platform/print/printer_lookup.h"

enum class PrintDuplex { None, LongSide, ShortSide };

// What a job asks of a printer beyond the sheet. What nobody chose is left unset, so that the printer's own
// defaults stand.
struct PrinterJobOptions {
    int Copies = 1;
    bool Collate = true; // means something only for more than one copy
    std::optional<PrintDuplex> Duplex;
    std::optional<bool> Monochrome;
};

// A finished document on its way to a printer.
struct PrintJob {
    QString Printer;
    QString Title;
    Paper Sheet;
    PrinterJobOptions Options;
    // The options the user saved for the printer: they stand where the program chose nothing else.
    PrintSystemOptions SavedOptions;
    QByteArray Pdf;
};

// Hands a job to a printer, on a worker. mayHandIn answers false once the job has been given up; it is asked
// right before the point from which the job would print, and after false nothing is handed in. Answers why
// the job failed; empty when it went in or was given up.
using Spooler = std::function<QString(const PrintJob& job, const std::function<bool()>& mayHandIn)>;

// The print system's own answers: each call may wait on the print server, so none runs on the interface
// thread. Neither touches anything of Qt that the end of the process takes down, so a worker still inside
// one at exit is harmless. The first call loads the print system's library; without it the lookup lists no
// printers and a job fails saying so.
PrinterList AskPrintSystem();
QString SpoolToPrintSystem(const PrintJob& job, const std::function<bool()>& mayHandIn);
