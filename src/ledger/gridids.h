#pragma once

// Every table view carries a small id; code paths are chosen by it.
namespace gridid {
constexpr int Rashod = 1;
constexpr int Dohod = 2;
constexpr int Dolg = 3;
constexpr int PlanRashod = 4;
constexpr int PlanDohod = 40;
constexpr int Returns = 30;
constexpr int VidRashod = 5;
constexpr int VidPlan = 11;
constexpr int VidDohod = 6;
constexpr int VidPlanDohod = 10;
constexpr int BaseRashod = -10;
constexpr int BaseDohod = -11;
constexpr int Transfer = 7;
constexpr int Purse = 8;
constexpr int User = 9;
constexpr int BaseNames = -12;
} // namespace gridid
