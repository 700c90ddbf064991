#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class ListModel;

// master.txt read: the list rows (part number, description) of the non-empty lines after the header, and
// the whole line, by row, of the few lines that hold more than "part TAB description". Each text is kept
// once.
struct MasterListData {
    std::vector<QStringList> rows;
    QHash<int, QString> longerLines;
};

// Parses master.txt text; progress(rows so far) is called whenever that count is a multiple of 500.
MasterListData ParseMasterList(const QString& text, const std::function<void(int rows)>& progress = {});

// A top node of the category tree (a first word of the descriptions) and its children (second words).
struct CategoryNode {
    QString text;
    QStringList children;
};

// The category tree of descriptions sorted by description: a first word shared by at least six
// consecutive lines makes a node, a second word shared by a long enough run within it a child.
std::vector<CategoryNode> BuildCategoryTree(const std::vector<QStringList>& rows);

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
