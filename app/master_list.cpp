#include "app/master_list.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"
#include "ui/list_model.h"

namespace {

// The field n (from 0) of text cut at each blank, empty fields counted as NthField counts them.
QStringView Word(QStringView text, int n) {
    for (; n > 0; --n) {
        const qsizetype blank = text.indexOf(u' ');
        if (blank < 0) return {};
        text = text.mid(blank + 1);
    }
    const qsizetype blank = text.indexOf(u' ');
    return blank < 0 ? text : text.left(blank);
}

QString Description(const ListModel& list, int row) {
    return list.GetCellText(1, row);
}
QString PartNumber(const ListModel& list, int row) {
    return list.GetCellText(0, row);
}

} // namespace

MasterListData ParseMasterList(const QString& text, const std::function<void(int rows)>& progress) {
    MasterListData data;
    bool header = true;
    ForEachLine(text, [&](QStringView line) {
        if (std::exchange(header, false)) return;
        const int rows = static_cast<int>(data.rows.size());
        if (progress && rows % 500 == 0) progress(rows);
        if (line.isEmpty()) return;
        const qsizetype tab = line.indexOf(u'\t');
        const QStringView part = tab < 0 ? line : line.left(tab);
        const QStringView rest = tab < 0 ? QStringView() : line.mid(tab + 1);
        const qsizetype end = rest.indexOf(u'\t');
        QStringList& row = data.rows.emplace_back();
        row.reserve(2);
        row.emplace_back(part.toString());
        row.emplace_back((end < 0 ? rest : rest.left(end)).toString());
        // Further fields, or no description at all: the filter still searches the line as it stands.
        if (tab < 0 || end >= 0) data.longerLines.insert(rows, line.toString());
    });
    return data;
}

std::vector<CategoryNode> BuildCategoryTree(const std::vector<QStringList>& rows) {
    std::vector<CategoryNode> tree;
    bool haveTop = false;
    QString previousFirst, previousSecond;
    int group = 0, run = 0;
    for (const QStringList& row : rows) {
        const QStringView description = row.size() > 1 ? QStringView(row[1]) : QStringView();
        const QStringView first = Word(description, 0), second = Word(description, 1);
        if (first != previousFirst) {
            if (run >= 5 && haveTop) tree.back().children.append(previousSecond);
            if (group < 5 && haveTop) tree.pop_back();
            tree.push_back(CategoryNode{first.toString(), {}});
            haveTop = true;
            previousFirst = first.toString();
            group = 0;
            previousSecond.clear();
            run = 0;
        } else {
            ++group;
        }
        if (second != previousSecond) {
            // Lines before the first top node (descriptions that begin with a blank) have no node to join.
            if (run >= 4 && haveTop) tree.back().children.append(previousSecond);
            previousSecond = second.toString();
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
            out += data.rows[row][0];
            out += u'\t';
            out += data.rows[row][1];
        }
        out += u'\n';
    };
    qsizetype size = 0;
    for (const QStringList& row : data.rows)
        size += row[0].size() + row[1].size() + 2;
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
    const int rows = list.RowCount();
    if (newSearch) {
        for (int row = 0; row < rows; ++row)
            if (PartNumber(list, row).compare(text, Qt::CaseInsensitive) == 0) return row;
        startRow = 0;
    }
    for (int row = qMax(startRow, 0); row < rows; ++row) {
        if (Description(list, row).contains(text, Qt::CaseInsensitive) ||
            PartNumber(list, row).contains(text, Qt::CaseInsensitive))
            return row;
    }
    return -1;
}

int FindDescriptionStart(const ListModel& list, const QString& key) {
    for (int row = 0; row < list.RowCount(); ++row)
        if (Description(list, row).startsWith(key, Qt::CaseInsensitive)) return row;
    return -1;
}

int FindCaption(const ListModel& list, const QString& text) {
    for (int row = 0; row < list.RowCount(); ++row)
        if (PartNumber(list, row).compare(text, Qt::CaseInsensitive) == 0) return row;
    return -1;
}
