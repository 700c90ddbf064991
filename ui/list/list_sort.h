#pragma once

#include <QString>
#include <vector>

#include "ui/list/list_compare.h"

// The stable order of a column's texts under a text-only style (every style but ssCustom and ssRaw), with
// sign +1 ascending and -1 descending. Each text is read into its key once; the order is exactly the one
// StableOrder gives under CompareCellTexts, also for the styles that break the ordering rules.
std::vector<int> KeyedOrder(const std::vector<QStringView>& texts, SortStyle style, int sign,
                            const QString& prefix, const QString& suffix);
