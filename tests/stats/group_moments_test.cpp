#include "stats/group_moments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "case_table.h"
#include "stats/mean_figures.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

// Treatment → responses of a NIST StRD one-way analysis-of-variance file.
std::map<int, std::vector<double>> ReadNistGroups(const std::string& name) {
  const char* dir = std::getenv("KELVASTA_NIST_DIR");
  std::ifstream in(dir == nullptr ? "" : std::string(dir) + "/" + name + ".dat");
  std::map<int, std::vector<double>> groups;
  std::string line;
  for (int skipped = 0; skipped < 60 && std::getline(in, line); ++skipped) {
  }
  for (int treatment = 0; std::getline(in, line);) {
    std::istringstream words(line);
    std::string response;
    if (words >> treatment >> response) groups[treatment].push_back(std::stod(response));
  }
  return groups;
}

struct NistCase {
  const char* name;
  double ssBetween, ssWithin, f, p, t, tP;
  const char* source;
};

// Groups 1 to 3 (13 constant leading digits: 1000000000000.4 ...) of the
// files whose certified values are for nine groups; expected: the same
// three groups in exact fractions (Python), F and t tails by mpmath 1.2.1
// betainc at 30 digits. Groups 1 and 2 for the two-sample t.
TEST(GroupMoments, NistHighDifficultyGroups) {
  // clang-format off
  const std::vector<NistCase> cases{
      {"SmLs07", 0.42, 0.6, 21, 1.2204847539049895e-7, 3.2403703492039301, 0.0024066945895881383,
       "exact fractions over groups 1-3; certified within MS 0.01 and SD 0.1 hold for them too"},
      {"SmLs08", 4.02, 6, 201, 1.5312942640104134e-67, 10.024968827881711, 2.993923634609225e-21, "as above"},
      {"SmLs09", 40.02, 60, 2001, 0, 31.630681307869421, 3.4911438101609582e-196,
       "as above; P = 1.56e-666 underflows a double"},
  };
  // clang-format on
  ForEachCase(cases, [](const NistCase& c) {
    const std::map<int, std::vector<double>> groups = ReadNistGroups(c.name);
    if (groups.size() != 9) GTEST_SKIP() << "NIST reference data not available";
    const std::array<GroupMoments, 3> g{ComputeGroupMoments(groups.at(1)), ComputeGroupMoments(groups.at(2)),
                                        ComputeGroupMoments(groups.at(3))};
    EXPECT_NEAR(g[0].sd, 0.1, 1e-15);
    const AnovaFigures a = ComputeAnovaFigures(g);
    EXPECT_NEAR(*a.ss_between, c.ssBetween, 1e-13 * c.ssBetween);
    EXPECT_NEAR(*a.ss_within, c.ssWithin, 1e-13 * c.ssWithin);
    EXPECT_NEAR(*a.f, c.f, 1e-13 * c.f);
    EXPECT_NEAR(a.p.value_or(0), c.p, 1e-11 * c.p);
    const TwoSampleFigures t = ComputeTwoSampleFigures(g[0], g[1]);
    EXPECT_NEAR(*t.mean_difference, 0.1, 1e-15);
    EXPECT_NEAR(*t.t, c.t, 1e-13 * c.t);
    EXPECT_NEAR(*t.p, c.tP, 1e-11 * c.tP);
  });
}

struct MomentsCase {
  const char* name;
  std::vector<double> values;
  double mean, sd;
  const char* source;
};

std::vector<double> NumAcc4() {
  const char* dir = std::getenv("KELVASTA_NIST_DIR");
  std::ifstream in(dir == nullptr ? "" : std::string(dir) + "/NumAcc4.dat");
  std::vector<double> values;
  std::string line;
  for (int skipped = 0; skipped < 60 && std::getline(in, line); ++skipped) {
  }
  for (double v = 0; in >> v;) values.push_back(v);
  return values;
}

TEST(GroupMoments, DecimalsOnALargeCommonPart) {
  // clang-format off
  const std::vector<MomentsCase> cases{
      {"NumAcc4", NumAcc4(), 10000000.2, 0.1, "NIST StRD certified (exact), higher difficulty"},
      {"four decimals on 1e11", {1e11 + 0.0001, 1e11 + 0.0002, 1e11 + 0.0003}, 1e11 + 0.0002, 0.0001,
       "exact: the items are 1e11 + k/10^4"},
      {"four decimals on 3e11", {3e11 + 0.0001, 3e11 + 0.0002, 3e11 + 0.0003}, 3e11 + 0.0002, 0.0001,
       "exact: past 2^37 the counts are found through the exact product"},
      {"beyond 2^53 ten-thousandths", {900000000000.1, 900000000000.2, 900000000000.6}, 900000000000.3,
       0.26457513110645906, "exact: deviations −0.2, −0.1, 0.3, sd = √0.07"},
      {"more than four decimals", {1.00001, 1.00002, 1.00003}, 1.00002, 0.00001, "floating path, ~1e-11"},
  };
  // clang-format on
  ForEachCase(cases, [](const MomentsCase& c) {
    if (c.values.empty()) return;  // NIST reference data not available
    const GroupMoments g = ComputeGroupMoments(c.values);
    EXPECT_NEAR(g.mean, c.mean, 1e-15 * c.mean);
    EXPECT_NEAR(g.sd, c.sd, 1e-11 * c.sd);
  });
}

// Integers with a common part of 1e12: the means' differences keep every
// digit. Expected: exact fractions (Python).
TEST(GroupMoments, DifferencesOfMeansKeepTheirDigits) {
  const auto moments = [](std::vector<double> v) { return ComputeGroupMoments(v); };
  const TwoSampleFigures t = ComputeTwoSampleFigures(moments({1000000000001, 1000000000002, 1000000000003}),
                                                     moments({1000000000002, 1000000000004, 1000000000007}));
  EXPECT_DOUBLE_EQ(*t.mean_difference, -7.0 / 3);  // exact −7/3
  EXPECT_NEAR(*t.t, -1.492405014489273, 1e-14);     // exact t² = 49·3/(4·... ), √ by mpmath
  const AnovaFigures a = ComputeAnovaFigures({moments({1000000000001, 1000000000002, 1000000000004}),
                                              moments({1000000000003, 1000000000005, 1000000000006}),
                                              moments({1000000000000, 1000000000002, 1000000000009})});
  EXPECT_NEAR(*a.f, 37.0 / 81, 1e-14);  // SSb = 74/9, SSw = 54: F = 37/81 = 0.456790...
  EXPECT_DOUBLE_EQ(*a.pairs[0].diff, -7.0 / 3);
  const PairedTFigures p = ComputePairedTFigures(std::vector<double>{900000000000.1, 900000000000.2},
                                                 std::vector<double>{900000000000.4, 900000000000.8});
  EXPECT_DOUBLE_EQ(*p.mean_difference, -0.45);  // exact: differences −0.3, −0.6
  EXPECT_NEAR(*p.sd_difference, 0.3 / std::sqrt(2.0), 1e-16);
}

}  // namespace
}  // namespace kelvasta
