#pragma once

#include <QString>
#include <QStringList>
#include <QVarLengthArray>
#include <optional>
#include <stdexcept>
#include <vector>

#include "app/parsed_inventory.h"

class UserPrompts;

// A reader that cannot go on; the text is what the user sees.
class InventoryReadError : public std::runtime_error {
  public:
    explicit InventoryReadError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

// A file that cannot be opened as what its name says: it alone is left out, the files after it are read.
class UnopenedFileError : public InventoryReadError {
  public:
    using InventoryReadError::InventoryReadError;
};

// The file's own name, without the folders above it.
QString FileNameOf(const QString& path);

// The file's bytes as text up to a Ctrl-Z, a leading byte-order mark dropped; throws UnopenedFileError when
// they hold NUL bytes (it is no text file).
QString InventoryText(const InventorySource& file);
// A text cut into lines, each a view into the text it keeps: a reader splits a large file without a string
// per line.
class TextLines {
  public:
    explicit TextLines(QString text);
    TextLines(const TextLines&) = delete;
    TextLines& operator=(const TextLines&) = delete;
    qsizetype size() const { return static_cast<qsizetype>(lines_.size()); }
    bool isEmpty() const { return lines_.empty(); }
    QStringView operator[](qsizetype i) const { return lines_[static_cast<size_t>(i)]; }

  private:
    QString text_;
    std::vector<QStringView> lines_;
};
// InventoryText cut into lines.
TextLines InventoryLines(const InventorySource& file);
// Whole file as text like InventoryText; throws InventoryReadError when it cannot be read.
QString ReadInventoryText(const QString& path);
// The file's bytes; throws InventoryReadError when it cannot be read or is too large. The files beside it
// are looked up in its folder, in any letter case, read afresh each time (the user may just have saved one).
InventorySource ReadInventorySource(const QString& path);

// Blanks and control characters cut from both ends.
QString TrimField(const QString& text);
QStringView TrimmedView(QStringView text);
// A whole decimal number that fits 64 bits; nothing for anything else (empty included).
std::optional<long long> ParseQuantity(const QString& text);
// Quantity sums and differences stop at the 64-bit limits instead of wrapping.
long long AddQuantities(long long a, long long b);
long long SubtractQuantities(long long a, long long b);
// TAB, CR and LF become a blank so that a cell cannot split a line of a TAB-separated file.
QString TabFileCell(const QString& text);
// Removes every "<...>" in one pass; an unclosed "<" and all after it stays.
QString StripHtmlTags(const QString& text);

// Collects the first quantity of a batch that is not a whole number (such a quantity counts as 0), for
// one warning when the batch is done.
class QuantityWarning {
  public:
    // The quantity's value, 0 when it is no whole number. The first such non-empty quantity is kept with
    // place(), the text naming where it stands.
    template <typename PlaceFn> long long Count(const QString& quantity, PlaceFn&& place) {
        if (const std::optional<long long> value = ParseQuantity(quantity)) return *value;
        if (!quantity.isEmpty() && !found_) {
            found_ = true;
            place_ = place();
            quantity_ = quantity;
        }
        return 0;
    }
    // The warning's text, empty when every quantity was a whole number.
    QString Text() const;
    // Shows the warning, if any, once.
    void Show(UserPrompts& prompts);

  private:
    bool found_ = false;
    QString place_;
    QString quantity_;
};

// One line split at a separator into views of it; fields are counted from 1 and missing ones read as empty.
class FieldLine {
  public:
    explicit FieldLine(QStringView line, QChar separator = u'\t');
    explicit FieldLine(QString&& line, QChar separator = u'\t') = delete; // the views would outlive it
    QString Raw(int n) const { return View(n).toString(); }
    QString operator[](int n) const { return TrimmedView(View(n)).toString(); }

  private:
    QStringView View(int n) const { return n >= 1 && n <= parts_.size() ? parts_[n - 1] : QStringView(); }
    QVarLengthArray<QStringView, 16> parts_;
};

// Collects a file's rows into a parsed inventory, colours renamed. Once the file is read, it puts the first
// quantity that is not a whole number (such a row is kept and counts as 0) and whatever else the reader
// noted into its warnings. It never runs window events: readers may run on a worker.
class RowAdder {
  public:
    // place names what lineNo counts: "line", or "row" for a sheet.
    RowAdder(ParsedInventory& parsed, const InventoryLookups& lookups, const QString& path,
             QString place = QStringLiteral("line"))
        : parsed_(parsed), lookups_(lookups), path_(path), place_(std::move(place)) {}
    // lineNo counts from 1.
    void Add(const QString& partNumber, const QString& description, const QString& colour,
             const QString& quantity, const QString& bag, const QString& notes, int lineNo);
    // Something about the file the user should know.
    void Note(const QString& text) { notes_ << text; }
    int Added() const { return added_; }
    // Moves the quantity warning and the notes, if any, into the parsed inventory's warnings.
    void Finish();

  private:
    ParsedInventory& parsed_;
    const InventoryLookups& lookups_;
    QString path_;
    QString place_;
    int added_ = 0;
    QuantityWarning warning_;
    QStringList notes_;
};
