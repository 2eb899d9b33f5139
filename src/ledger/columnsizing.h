#pragma once

#include <vector>

// Column widths shared out by weight: unit = (client width - scroll bar - 5) / sum of weights, each
// column unit x its weight (a column without a weight counts 1).
std::vector<int> ProportionalWidths(int clientWidth, int scrollBarWidth, const std::vector<int>& weights,
                                    int columns);
// Kinds pickers and lists: every column the same, (client width - scroll bar - 15) / columns.
std::vector<int> EqualWidths(int clientWidth, int scrollBarWidth, int columns);
