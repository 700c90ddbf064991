#pragma once

#include <QByteArray>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <chrono>
#include <filesystem>
#include <functional>
#include <stdexcept>

class QPaintDevice;

enum class PrintOrientation { Portrait, Landscape };

// A print job that could not start, turn a page or finish.
class EPrintError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A print job the user gave up while its output was taking it: nothing was printed, and nothing is to be
// told.
class EPrintCancelled : public EPrintError {
  public:
    using EPrintError::EPrintError;
};

// A finished job the print system did not take, in time or at all: nothing was printed, and its document may
// go to a PDF file instead.
class EPrintNotTaken : public EPrintError {
  public:
    EPrintNotTaken(const QString& reason, QByteArray document)
        : EPrintError((reason + QStringLiteral(" Nothing was printed.")).toStdString()), Reason(reason),
          Document(std::move(document)) {}
    QString Reason;
    QByteArray Document;
};

// A sheet of paper: its window-system paper code (0 for none) and its portrait size in inches.
struct Paper {
    int Code = 0;
    QSizeF Inches;
};

// The page size a paper stands for: the standard size of its code when there is one, else its own size;
// invalid for a paper of no size.
QPageSize PageSizeFor(const Paper& paper);

// Throws EPrintError when `path` names something other than a file, such as a pipe or a device: a document
// saved there would replace it with a file, or wait for a reader that may never come.
void RequireFileOrNothing(const std::filesystem::path& path);

// Where printed pages go: a printer, a PDF file or pictures in memory. Between BeginDoc and EndDoc the
// painter draws on the current page with its origin at the sheet's top-left corner, one unit a device
// pixel; the unprintable border is the caller's to respect.
class PrintDevice {
  public:
    virtual ~PrintDevice();
    PrintDevice(const PrintDevice&) = delete;
    PrintDevice& operator=(const PrintDevice&) = delete;

    // Job settings; they take effect at the next BeginDoc. A paper of no size leaves the paper as it was.
    void SetPaper(const Paper& paper);
    const Paper& CurrentPaper() const { return paper_; }
    void SetOrientation(PrintOrientation orientation) { orientation_ = orientation; }
    PrintOrientation Orientation() const { return orientation_; }
    void SetTitle(const QString& title) { title_ = title; }
    const QString& Title() const { return title_; }
    virtual bool ColorCapable() const { return true; }
    // How long EndDoc may wait for the output to take the document, and what hears the wait meanwhile: the
    // share of that time gone by, answered with false to give the document up. Only a printer waits.
    void SetEndWait(std::chrono::milliseconds limit, std::function<bool(double waited)> whileWaiting) {
        endWait_ = limit;
        whileEnding_ = std::move(whileWaiting);
    }

    // Geometry for the current settings, in device pixels.
    virtual int DpiX() const = 0;
    virtual int DpiY() const = 0;
    // The whole sheet as oriented.
    QRect PageRect() const;
    // The part of the sheet the device can mark.
    QRect PrintableRect() const;

    // Each throws EPrintError when the device refuses; a failed BeginDoc leaves no document open.
    void BeginDoc();
    void NewPage();
    void EndDoc();
    // Drops the running document; nothing when none runs.
    void Abort();
    bool Printing() const { return printing_; }
    // 1-based number of the page being drawn.
    int PageNumber() const { return pageNumber_; }
    QPainter& Painter() { return painter_; }

  protected:
    PrintDevice() = default;
    QPageLayout Layout() const;

    // Opens the output for a document of this layout and returns what the painter starts on.
    virtual QPaintDevice& OpenDocument(const QPageLayout& layout) = 0;
    // Moves the output on to a fresh page; false when it cannot.
    virtual bool StartNextPage() = 0;
    // After the painter has ended: completes the output.
    virtual void CloseDocument() {}
    // With the painter possibly still active: throws the output away.
    virtual void DiscardDocument() {}
    virtual QMarginsF UnprintableInches() const { return {}; }
    std::chrono::milliseconds EndWait() const { return endWait_; }
    const std::function<bool(double)>& WhileEnding() const { return whileEnding_; }

    QPainter painter_;

  private:
    Paper paper_{1, QSizeF(8.5, 11.0)};
    PrintOrientation orientation_ = PrintOrientation::Portrait;
    QString title_;
    std::chrono::milliseconds endWait_{15000};
    std::function<bool(double)> whileEnding_;
    bool printing_ = false;
    int pageNumber_ = 0;
};
