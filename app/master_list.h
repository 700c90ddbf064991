#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class ListModel;

// The master rows as views into the one text they were read from: no row holds strings of its own. Copies
// share the text and the rows, so the list, its part index and a worker may each keep one.
class MasterRows {
  public:
    // A row: its part number at start, then a TAB and its description when the line has one.
    struct Span {
        qsizetype start;
        std::int32_t partLength;
        std::int32_t descriptionLength;
    };

    MasterRows() = default;
    MasterRows(QString text, std::vector<Span> spans);

    std::size_t size() const { return store_ ? store_->spans.size() : 0; }
    bool empty() const { return size() == 0; }
    QStringView Part(std::size_t row) const;
    QStringView Description(std::size_t row) const;
    // The row's cells: part number, description.
    QStringList operator[](std::size_t row) const;
    // Every row as its cells, for a list that keeps its own copy.
    operator std::vector<QStringList>() const;

  private:
    struct Store {
        QString text;
        std::vector<Span> spans;
    };
    std::shared_ptr<const Store> store_;
};

// master.txt read: the list rows (part number, description) of the non-empty lines after the header, and
// the whole line, by row, of the few lines that hold more than "part TAB description".
struct MasterListData {
    MasterRows rows;
    QHash<int, QString> longerLines;
};

// Parses master.txt text, keeping the text itself; progress(rows so far) is called whenever that count is a
// multiple of 500.
MasterListData ParseMasterList(const QString& text, const std::function<void(int rows)>& progress = {});

// Part number to description over master rows, as the inventory readers look parts up: of rows that share a
// part number the last one counts, and one without a description gives none.
class MasterIndex {
  public:
    MasterIndex() = default;
    explicit MasterIndex(MasterRows rows);
    // The description, empty when the part is not listed.
    QString LookUp(QStringView part) const;

  private:
    MasterRows rows_;
    // Chains of row numbers + 1 (0 ends a chain), the later rows first; the bucket count is a power of two.
    std::vector<std::uint32_t> heads_;
    std::vector<std::uint32_t> next_;
};

// A top node of the category tree (a first word of the descriptions) and its children (second words).
struct CategoryNode {
    QString text;
    QStringList children;
};

// The category tree of descriptions sorted by description: a first word shared by at least six
// consecutive lines makes a node, a second word shared by a long enough run within it a child.
std::vector<CategoryNode> BuildCategoryTree(const MasterRows& rows);

// The filter's terms: separated by commas or blanks, a double-quoted term may hold blanks.
QStringList FilterTerms(const QString& text);

// The upper-cased whole lines of a master list, one buffer for all, for the keyword filter.
class MasterSearch {
  public:
    MasterSearch() = default;
    explicit MasterSearch(const MasterListData& data);
    // Indexes of the rows whose line holds every upper-cased term; no terms, or an empty term, match nothing.
    std::vector<int> Matching(const QStringList& terms) const;

  private:
    QString upper_;
    std::vector<qsizetype> starts_; // of each line, and one past the last
};

// Find in a master list (caption = part number, column 1 = description), without regard to case.
// A new search prefers a row whose part number is the text; Find Next (newSearch false) takes the first row
// from startRow whose description or part number holds it. -1 when nothing matches or the text is empty.
int FindPartRow(const ListModel& list, const QString& text, int startRow, bool newSearch);
// The first row whose description begins with key, without regard to case; -1 when none.
int FindDescriptionStart(const ListModel& list, const QString& key);
// The first row whose caption is text as a whole, without regard to case; -1 when none.
int FindCaption(const ListModel& list, const QString& text);
