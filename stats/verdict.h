#pragma once

#include <string_view>

namespace kelvasta {

enum class Verdict { NotSignificant, P05, P01, P001 };

// "p > 0.05", "p < 0.05", "p < 0.01", "p < 0.001".
std::string_view VerdictText(Verdict verdict);

// A statistic equal to a critical value has reached it. NaN reaches nothing.
Verdict JudgeTwoLevels(double x, double c05, double c01);
Verdict JudgeThreeLevels(double x, double c05, double c01, double c001);

// Fixed critical values that are not read from the tables.
inline constexpr double kChiSquare1Df05 = 3.84;
inline constexpr double kChiSquare1Df01 = 6.63;
inline constexpr double kChiSquare2Df05 = 5.99;
inline constexpr double kChiSquare2Df01 = 9.21;
inline constexpr double kNormal05 = 1.96;
inline constexpr double kNormal01 = 2.576;

}  // namespace kelvasta
