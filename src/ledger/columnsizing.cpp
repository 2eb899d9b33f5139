#include "ledger/columnsizing.h"

#include <algorithm>

std::vector<int> ProportionalWidths(int clientWidth, int scrollBarWidth, const std::vector<int>& weights,
                                    int columns) {
    std::vector<int> w(size_t(std::max(0, columns)), 1);
    for (size_t i = 0; i < w.size() && i < weights.size(); ++i)
        w[i] = weights[i];
    int sum = 0;
    for (int x : w)
        sum += x;
    const int unit = sum > 0 ? std::max(1, (clientWidth - scrollBarWidth - 5) / sum) : 1;
    for (int& x : w)
        x *= unit;
    return w;
}

std::vector<int> EqualWidths(int clientWidth, int scrollBarWidth, int columns) {
    if (columns <= 0) return {};
    return std::vector<int>(size_t(columns), std::max(20, (clientWidth - scrollBarWidth - 15) / columns));
}
