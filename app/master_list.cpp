#include "app/master_list.h"

#include "app/string_utils.h"
#include "platform/text.h"
#include "ui/rich_list_model.h"

namespace {

const QString Tab = QStringLiteral("\t");
const QString Blank = QStringLiteral(" ");

QString Description(const RichListModel& list, int row) {
    return list.GetCellText(1, row);
}
QString PartNumber(const RichListModel& list, int row) {
    return list.GetCellText(0, row);
}

} // namespace

QStringList MasterRow(const QString& line) {
    return QStringList{NthField(line, Tab, 1), NthField(line, Tab, 2)};
}

MasterListData ParseMasterList(const QString& text, const std::function<void(int rows)>& progress) {
    MasterListData data;
    QStringList lines = SplitLines(text);
    for (qsizetype i = 1; i < lines.size(); ++i) { // line 1 is the header
        int rows = static_cast<int>(data.rows.size());
        if (progress && rows % 500 == 0) progress(rows);
        const QString& line = lines[i];
        if (line.isEmpty()) continue;
        data.lines.append(line);
        data.upperLines.append(line.toUpper());
        data.rows.push_back(MasterRow(line));
    }
    return data;
}

std::vector<CategoryNode> BuildCategoryTree(const std::vector<QStringList>& rows) {
    std::vector<CategoryNode> tree;
    bool haveTop = false;
    QString previousFirst, previousSecond;
    int group = 0, run = 0;
    for (const QStringList& row : rows) {
        const QString description = row.value(1);
        const QString first = NthField(description, Blank, 1);
        const QString second = NthField(description, Blank, 2);
        if (first != previousFirst) {
            if (run >= 5 && haveTop) tree.back().children.append(previousSecond);
            if (group < 5 && haveTop) tree.pop_back();
            tree.push_back(CategoryNode{first, {}});
            haveTop = true;
            previousFirst = first;
            group = 0;
            previousSecond.clear();
            run = 0;
        } else {
            ++group;
        }
        if (second != previousSecond) {
            // Lines before the first top node (descriptions that begin with a blank) have no node to join.
            if (run >= 4 && haveTop) tree.back().children.append(previousSecond);
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
    auto isBlank = [&](qsizetype i) { return i < n && rest[i].unicode() > 0 && rest[i].unicode() <= ' '; };
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

std::vector<int> MatchingLines(const QStringList& upperLines, const QStringList& terms) {
    std::vector<int> hits;
    if (terms.isEmpty() || terms.contains(QString())) return hits;
    for (qsizetype i = 0; i < upperLines.size(); ++i) {
        bool all = true;
        for (const QString& term : terms) {
            if (!upperLines[i].contains(term)) {
                all = false;
                break;
            }
        }
        if (all) hits.push_back(static_cast<int>(i));
    }
    return hits;
}

int FindPartRow(const RichListModel& list, const QString& text, int startRow, bool newSearch) {
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

int FindDescriptionStart(const RichListModel& list, const QString& key) {
    for (int row = 0; row < list.RowCount(); ++row)
        if (Description(list, row).startsWith(key, Qt::CaseInsensitive)) return row;
    return -1;
}

int FindCaption(const RichListModel& list, const QString& text) {
    for (int row = 0; row < list.RowCount(); ++row)
        if (PartNumber(list, row).compare(text, Qt::CaseInsensitive) == 0) return row;
    return -1;
}
