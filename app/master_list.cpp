#include "app/master_list.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <utility>

#include "app/string_hash.h"
#include "platform/text.h"
#include "ui/list/list_model.h"

namespace {

// The offset of the first blank in text, or its size when none. A plain loop: words are short, and a
// library search costs more to call than to run over a few characters.
qsizetype BlankAt(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] != u' ')
        ++i;
    return i;
}

// The field n (from 0) of text cut at each blank, empty fields counted as NthField counts them.
QStringView Word(QStringView text, int n) {
    for (; n > 0; --n) {
        const qsizetype blank = BlankAt(text);
        if (blank == text.size()) return {};
        text = text.mid(blank + 1);
    }
    return text.left(BlankAt(text));
}

} // namespace

MasterRows::MasterRows(QString text, std::vector<Span> spans)
    : store_(std::make_shared<const Store>(Store{std::move(text), std::move(spans)})) {}

QStringView MasterRows::Part(std::size_t row) const {
    const Span& span = store_->spans[row];
    return QStringView(store_->text).mid(span.start, span.partLength);
}

QStringView MasterRows::Description(std::size_t row) const {
    const Span& span = store_->spans[row];
    return QStringView(store_->text).mid(span.start + span.partLength + 1, span.descriptionLength);
}

QStringList MasterRows::operator[](std::size_t row) const {
    return {Part(row).toString(), Description(row).toString()};
}

MasterRows::operator std::vector<QStringList>() const {
    std::vector<QStringList> cells;
    cells.reserve(size());
    for (std::size_t row = 0; row < size(); ++row)
        cells.push_back((*this)[row]);
    return cells;
}

MasterListData ParseMasterList(const QString& text, const std::function<void(int rows)>& progress) {
    MasterListData data;
    // Not reserved: counting the lines first would cost a pass over the text, growing the spans much less.
    std::vector<MasterRows::Span> spans;
    bool header = true;
    // The first two TABs of the line being read, as places in the text; -1 until found.
    qsizetype tabs[2] = {-1, -1};
    const auto onLine = [&](QStringView line) {
        const qsizetype start = line.data() - text.constData();
        // Within the line: where the part number ends, and the description (at a third field or the end).
        const qsizetype partEnd = tabs[0] < 0 ? line.size() : tabs[0] - start;
        const qsizetype descriptionEnd = tabs[1] < 0 ? line.size() : tabs[1] - start;
        const bool hasTab = tabs[0] >= 0, moreFields = tabs[1] >= 0;
        tabs[0] = tabs[1] = -1;
        if (std::exchange(header, false)) return;
        const int rows = static_cast<int>(spans.size());
        if (progress && rows % 500 == 0) progress(rows);
        // Rows are counted in int, and a span holds lengths of 31 bits.
        if (line.isEmpty() || rows == std::numeric_limits<int>::max() ||
            line.size() > std::numeric_limits<std::int32_t>::max())
            return;
        spans.push_back({start, static_cast<std::int32_t>(partEnd),
                         static_cast<std::int32_t>(hasTab ? descriptionEnd - partEnd - 1 : 0)});
        // Further fields, or no description at all: the filter still searches the line as it stands.
        if (!hasTab || moreFields) data.longerLines.insert(rows, line.toString());
    };
    ForEachLine(text, onLine, [&](qsizetype at) {
        if (tabs[0] < 0)
            tabs[0] = at;
        else if (tabs[1] < 0)
            tabs[1] = at;
    });
    data.rows = MasterRows(text, std::move(spans));
    return data;
}

MasterIndex::MasterIndex(MasterRows rows)
    : rows_(std::move(rows)), heads_(std::bit_ceil(rows_.size()), 0), next_(rows_.size()) {
    const std::size_t mask = heads_.size() - 1;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        std::uint32_t& head = heads_[StringHashCode(rows_.Part(row)) & mask];
        next_[row] = head;
        head = static_cast<std::uint32_t>(row + 1);
    }
}

QString MasterIndex::LookUp(QStringView part) const {
    if (heads_.empty()) return {};
    for (std::uint32_t row = heads_[StringHashCode(part) & (heads_.size() - 1)]; row; row = next_[row - 1])
        if (rows_.Part(row - 1) == part) return rows_.Description(row - 1).toString();
    return {};
}

std::vector<CategoryNode> BuildCategoryTree(const MasterRows& rows) {
    std::vector<CategoryNode> tree;
    bool haveTop = false;
    QStringView previousFirst, previousSecond;
    int group = 0, run = 0;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const QStringView description = rows.Description(row);
        const QStringView first = Word(description, 0), second = Word(description, 1);
        if (first != previousFirst) {
            if (run >= 5 && haveTop) tree.back().children.append(previousSecond.toString());
            if (group < 5 && haveTop) tree.pop_back();
            tree.push_back(CategoryNode{first.toString(), {}});
            haveTop = true;
            previousFirst = first;
            group = 0;
            previousSecond = {};
            run = 0;
        } else {
            ++group;
        }
        if (second != previousSecond) {
            // Lines before the first top node (descriptions that begin with a blank) have no node to join.
            if (run >= 4 && haveTop) tree.back().children.append(previousSecond.toString());
            previousSecond = second;
            run = 0;
        } else {
            ++run;
        }
    }
    return tree;
}

QStringList FilterTerms(const QString& text) {
    QString rest = text;
    // An opening quote left open closes at the end; a quote already closed is left alone.
    if (rest.startsWith(QLatin1Char('"')) && rest.count(QLatin1Char('"')) % 2 == 1)
        rest.append(QLatin1Char('"'));
    QStringList terms;
    const qsizetype n = rest.size();
    // Every control character separates terms, NUL included (a term cannot start on one).
    auto isBlank = [&](qsizetype i) { return i < n && rest[i].unicode() <= ' '; };
    qsizetype i = 0;
    while (isBlank(i))
        ++i;
    while (i < n) {
        QString term;
        if (rest[i] == QLatin1Char('"')) {
            // A quoted term runs to the closing quote; a doubled quote inside stands for one.
            for (++i; i < n; ++i) {
                if (rest[i] == QLatin1Char('"')) {
                    if (i + 1 < n && rest[i + 1] == QLatin1Char('"')) {
                        term.append(QLatin1Char('"'));
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                } else {
                    term.append(rest[i]);
                }
            }
        } else {
            qsizetype start = i;
            while (i < n && rest[i].unicode() > ' ' && rest[i] != QLatin1Char(','))
                ++i;
            term = rest.mid(start, i - start);
        }
        terms.append(term);
        while (isBlank(i))
            ++i;
        if (i < n && rest[i] == QLatin1Char(',')) {
            ++i;
            while (isBlank(i))
                ++i;
        }
    }
    return terms;
}

MasterSearch::MasterSearch(const MasterListData& data) {
    const auto appendLine = [&data](QString& out, std::size_t row) {
        if (const auto longer = data.longerLines.constFind(static_cast<int>(row));
            longer != data.longerLines.cend()) {
            out += *longer;
        } else {
            out += data.rows.Part(row);
            out += u'\t';
            out += data.rows.Description(row);
        }
        out += u'\n';
    };
    qsizetype size = 0;
    for (std::size_t row = 0; row < data.rows.size(); ++row)
        size += data.rows.Part(row).size() + data.rows.Description(row).size() + 2;
    QString lines;
    lines.reserve(size);
    starts_.reserve(data.rows.size() + 1);
    for (std::size_t row = 0; row < data.rows.size(); ++row) {
        starts_.push_back(lines.size());
        appendLine(lines, row);
    }
    starts_.push_back(lines.size());
    // One pass over the buffer, in place.
    upper_ = std::move(lines).toUpper();
    if (upper_.size() == starts_.back()) return;
    // A letter whose capital is longer (ß) moves the lines after it: upper-case line by line instead.
    upper_.clear();
    for (std::size_t row = 0; row < data.rows.size(); ++row) {
        starts_[row] = upper_.size();
        QString line;
        appendLine(line, row);
        upper_ += line.toUpper();
    }
    starts_.back() = upper_.size();
}

std::vector<int> MasterSearch::Matching(const QStringList& terms) const {
    std::vector<int> hits;
    if (terms.isEmpty() || terms.contains(QString())) return hits;
    for (std::size_t i = 0; i + 1 < starts_.size(); ++i) {
        const QStringView line = QStringView(upper_).mid(starts_[i], starts_[i + 1] - starts_[i] - 1);
        if (std::all_of(terms.cbegin(), terms.cend(),
                        [&](const QString& term) { return line.contains(term); }))
            hits.push_back(static_cast<int>(i));
    }
    return hits;
}

int FindPartRow(const ListModel& list, const QString& text, int startRow, bool newSearch) {
    if (text.isEmpty()) return -1;
    if (newSearch) {
        const int row = FindCaption(list, text);
        if (row >= 0) return row;
        startRow = 0;
    }
    // The cells are read as views: a list may make its cell texts only when asked for one.
    for (int row = qMax(startRow, 0); row < list.RowCount(); ++row) {
        if (list.CellView(1, row).contains(text, Qt::CaseInsensitive) ||
            list.CellView(0, row).contains(text, Qt::CaseInsensitive))
            return row;
    }
    return -1;
}

int FindDescriptionStart(const ListModel& list, const QString& key) {
    for (int row = 0; row < list.RowCount(); ++row)
        if (list.CellView(1, row).startsWith(key, Qt::CaseInsensitive)) return row;
    return -1;
}

int FindCaption(const ListModel& list, const QString& text) {
    for (int row = 0; row < list.RowCount(); ++row)
        if (list.CellView(0, row).compare(text, Qt::CaseInsensitive) == 0) return row;
    return -1;
}
