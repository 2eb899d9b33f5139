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

namespace {

// Shares `amount` out in proportion to `weights`, in whole pixels that add up to it exactly: the
// pixels left by the rounding down go, one each, to the largest weights first.
std::vector<int> Share(int amount, const std::vector<int>& weights) {
    std::vector<int> out(weights.size(), 0);
    long long sum = 0;
    for (int w : weights)
        sum += w;
    if (sum <= 0 || amount <= 0) return out;
    int given = 0;
    for (size_t i = 0; i < weights.size(); ++i) {
        out[i] = int(static_cast<long long>(amount) * weights[i] / sum);
        given += out[i];
    }
    std::vector<size_t> order(weights.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return weights[a] > weights[b]; });
    for (size_t k = 0; given < amount && k < order.size(); ++k)
        if (weights[order[k]] > 0) {
            ++out[order[k]];
            ++given;
        }
    return out;
}

} // namespace

std::vector<int> FitToContents(const std::vector<int>& designed, const std::vector<int>& needed) {
    std::vector<int> lack(designed.size(), 0), spare(designed.size(), 0);
    int lacking = 0, spareRoom = 0;
    for (size_t i = 0; i < designed.size(); ++i) {
        const int need = i < needed.size() ? needed[i] : 0;
        lack[i] = std::max(0, need - designed[i]);
        spare[i] = std::max(0, designed[i] - need);
        lacking += lack[i];
        spareRoom += spare[i];
    }
    std::vector<int> out = designed;
    if (lacking == 0) return out;
    const int moved = std::min(lacking, spareRoom);
    const std::vector<int> taken = Share(moved, spare);
    const std::vector<int> given = moved == lacking ? lack : Share(moved, lack);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] += given[i] - taken[i];
    return out;
}
