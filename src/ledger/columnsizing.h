#pragma once

#include <vector>

// Column widths shared out by weight: unit = (client width - scroll bar - 5) / sum of weights, each
// column unit x its weight (a column without a weight counts 1).
std::vector<int> ProportionalWidths(int clientWidth, int scrollBarWidth, const std::vector<int>& weights,
                                    int columns);
// Kinds pickers and lists: every column the same, (client width - scroll bar - 15) / columns.
std::vector<int> EqualWidths(int clientWidth, int scrollBarWidth, int columns);
// The designed widths, changed so that every column is at least as wide as its widest text when the
// whole width allows it: a column that needs more takes it from the columns that have room to spare,
// each giving in proportion to its spare room. When the room to spare is not enough, the spare room
// is shared out among the columns that need more, in proportion to what each lacks. The sum of the
// widths stays that of the designed ones.
std::vector<int> FitToContents(const std::vector<int>& designed, const std::vector<int>& needed);
