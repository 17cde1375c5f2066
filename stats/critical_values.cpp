#include "stats/critical_values.h"

#include <array>
#include <cmath>

#include "stats/number_reading.h"
#include "stats/utf8.h"

namespace kelvasta {
namespace {

struct TRow {
  const char* df;
  const char* p05;
  const char* p01;
  const char* p001;
};

// Two-sided critical values of Student's t, as printed (five characters).
constexpr std::array<TRow, 49> kTRows{{
    {"1", "12.70", "63.65", "636.6"},    {"2", "4.303", "9.925", "31.59"},
    {"3", "3.182", "5.841", "12.92"},    {"4", "2.776", "4.604", "8.610"},
    {"5", "2.571", "4.032", "6.869"},    {"6", "2.447", "3.707", "5.959"},
    {"7", "2.365", "3.499", "5.408"},    {"8", "2.306", "3.355", "5.041"},
    {"9", "2.262", "3.250", "4.781"},    {"10", "2.228", "3.169", "4.587"},
    {"11", "2.201", "3.106", "4.437"},   {"12", "2.179", "3.055", "4.318"},
    {"13", "2.160", "3.012", "4.221"},   {"14", "2.145", "2.977", "4.140"},
    {"15", "2.131", "2.947", "4.073"},   {"16", "2.120", "2.921", "4.015"},
    {"17", "2.110", "2.898", "3.965"},   {"18", "2.101", "2.878", "3.922"},
    {"19", "2.093", "2.861", "3.883"},   {"20", "2.086", "2.845", "3.850"},
    {"21", "2.080", "2.831", "3.819"},   {"22", "2.074", "2.819", "3.792"},
    {"23", "2.069", "2.807", "3.768"},   {"24", "2.064", "2.797", "3.745"},
    {"25", "2.060", "2.787", "3.725"},   {"26", "2.056", "2.779", "3.707"},
    {"27", "2.052", "2.771", "3.690"},   {"28", "2.048", "2.763", "3.674"},
    {"29", "2.045", "2.756", "3.659"},   {"30", "2.042", "2.750", "3.646"},
    {"31", "2.040", "2.744", "3.633"},   {"32", "2.037", "2.738", "3.622"},
    {"33", "2.035", "2.733", "3.611"},   {"34", "2.032", "2.728", "3.601"},
    {"35", "2.030", "2.724", "3.591"},   {"36", "2.028", "2.719", "3.582"},
    {"37", "2.026", "2.715", "3.574"},   {"38", "2.024", "2.712", "3.566"},
    {"39", "2.023", "2.708", "3.558"},   {"40", "2.021", "2.704", "3.551"},
    {"50", "2.009", "2.678", "3.496"},   {"60", "2.000", "2.660", "3.460"},
    {"70", "1.994", "2.648", "3.436"},   {"80", "1.990", "2.639", "3.416"},
    {"90", "1.987", "2.632", "3.402"},   {"100", "1.984", "2.626", "3.390"},
    {"200", "1.972", "2.601", "3.340"},  {"500", "1.965", "2.586", "3.310"},
    {"1000", "1.962", "2.581", "3.300"},
}};

constexpr TRow kTInfinity{"\u221D", "1.960", "2.575", "3.291"};

constexpr int kFirstDataLine = 4;
constexpr int kInfinityLine = 53;
constexpr int kThousandLine = 52;

std::string Rule() {
  std::string rule;
  for (int i = 0; i < 15; ++i) {
    rule += "\u2014";  // em dash
  }
  return rule;
}

std::string DataLine(const TRow& row, std::size_t dfWidth) {
  std::string df = row.df;
  df.append(dfWidth - Utf8Length(df), ' ');
  return df + row.p05 + "    " + row.p01 + "    " + row.p001;
}

std::string BuildTTable() {
  std::vector<std::string> lines{std::string(10, ' ') + "t界值表", Rule(), "双侧   0.05     0.01     0.001",
                                 Rule()};
  for (const TRow& row : kTRows) {
    lines.push_back(DataLine(row, 7));
  }
  lines.push_back(DataLine(kTInfinity, 6));
  lines.push_back(Rule());
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\r\n";
  }
  return text;
}

std::string Field(std::string_view line, std::size_t position) {
  return std::string(TrimBlanks(Utf8Mid(line, position, 5)));
}

TCriticalTexts ValuesAt(std::string_view tTableText, int line, std::size_t first) {
  std::string text = ReadTextBoxLine(tTableText, line);
  return {Field(text, first), Field(text, first + 9), Field(text, first + 18)};
}

}  // namespace

const std::string& TTableText() {
  static const std::string text = BuildTTable();
  return text;
}

std::vector<std::string> FTableItems() {
  std::vector<std::string> items{
      "001@199.5@4999.5", "002@19.00@99.000", "003@9.550@30.820", "004@6.940@18.000", "005@5.790@13.270",
      "006@5.140@10.920", "007@4.740@9.5500", "008@4.460@8.6500", "009@4.260@8.0200", "010@4.100@7.5600",
      "012@3.890@6.9300", "014@3.740@6.5100", "016@3.630@6.2300", "018@3.550@6.0100", "020@3.490@5.8500",
      "030@3.320@5.3900", "040@3.230@5.1800", "060@3.150@4.9800", "120@3.070@4.7900", "000@3.000@4.6100"};
  for (std::size_t i = 1; i + 1 < items.size(); ++i) {
    items[i] += "\t\t";
  }
  return items;
}

std::vector<std::string> QTableItems() {
  // Studentized range q for a = 2..10 means; per df the 0.05 row, then 0.01.
  static constexpr std::array<const char*, 32> kRows{
      "005 3.64 4.60 5.22 5.67 6.03 6.33 6.58 6.80 6.99", "    5.70 6.98 7.80 8.42 8.91 9.32 9.67 9.97 10.24",
      "006 3.46 4.34 4.90 5.30 5.63 5.90 6.12 6.32 6.49", "    5.24 6.33 7.03 7.56 7.97 8.32 8.61 8.87 9.10",
      "007 3.34 4.16 4.68 5.06 5.36 5.61 5.82 6.00 6.16", "    4.95 5.92 6.54 7.01 7.37 7.68 7.94 8.17 8.37",
      "008 3.26 4.04 4.53 4.89 5.17 5.40 5.60 5.77 5.92", "    4.75 5.64 6.20 6.62 6.96 7.24 7.47 7.68 7.86",
      "009 3.20 3.95 4.41 4.76 5.02 5.24 5.43 5.59 5.74", "    4.60 5.43 5.96 6.35 6.66 6.91 7.13 7.33 7.49",
      "010 3.15 3.88 4.33 4.65 4.91 5.12 5.30 5.46 5.60", "    4.48 5.27 5.77 6.14 6.43 6.67 6.87 7.05 7.21",
      "012 3.08 3.77 4.20 4.51 4.75 4.95 5.12 5.27 5.39", "    4.32 5.05 5.50 5.84 6.10 6.32 6.51 6.67 6.81",
      "014 3.03 3.70 4.11 4.41 4.64 4.83 4.99 5.13 5.25", "    4.21 4.89 5.32 5.63 5.88 6.08 6.26 6.41 6.54",
      "016 3.00 3.65 4.05 4.33 4.56 4.74 4.90 5.03 5.15", "    4.13 4.79 5.19 5.49 5.72 5.92 6.08 6.22 6.35",
      "018 2.97 3.61 4.00 4.28 4.49 4.67 4.82 4.96 5.07", "    4.07 4.70 5.09 5.38 5.60 5.79 5.94 6.08 6.20",
      "020 2.95 3.58 3.96 4.23 4.45 4.62 4.77 4.90 5.01", "    4.02 4.64 5.02 5.29 5.51 5.69 5.84 5.97 6.09",
      "030 2.89 3.49 3.85 4.10 4.30 4.46 4.60 4.72 4.82", "    3.89 4.45 4.80 5.05 5.24 5.40 5.54 5.65 5.76",
      "040 2.86 3.44 3.79 4.04 4.23 4.39 4.52 4.63 4.73", "    3.82 4.37 4.70 4.93 5.11 5.26 5.39 5.50 5.60",
      "060 2.83 3.40 3.74 3.98 4.16 4.31 4.44 4.55 4.65", "    3.76 4.28 4.59 4.82 4.99 5.13 5.25 5.36 5.45",
      "120 2.80 3.36 3.68 3.92 4.10 4.24 4.36 4.47 4.56", "    3.70 4.20 4.50 4.71 4.87 5.01 5.12 5.21 5.30",
      "500 2.77 3.31 3.63 3.86 4.03 4.17 4.29 4.39 4.47", "    3.64 4.12 4.40 4.60 4.76 4.88 4.99 5.08 5.16",
  };
  std::vector<std::string> items;
  for (const char* row : kRows) {
    // The blank after the three-character head and between values is a tab.
    std::string item = row;
    for (std::size_t at = 3; at < item.size(); at = item.find(' ', at + 1)) {
      item[at] = '\t';
    }
    items.push_back(item);
  }
  return items;
}

std::string ReadTextBoxLine(std::string_view text, int line) {
  if (line < 0) {
    return "";
  }
  std::size_t start = 0;
  for (int i = 0; i < line; ++i) {
    std::size_t feed = text.find('\n', start);
    if (feed == std::string_view::npos) {
      return "";
    }
    start = feed + 1;
  }
  if (start > text.size()) {
    return "";
  }
  std::string_view rest = text.substr(start);
  std::string_view content = rest.substr(0, rest.find('\n'));
  if (content.ends_with('\r') && content.size() < rest.size()) {
    content.remove_suffix(1);
  }
  return std::string(content);
}

std::optional<TCriticalTexts> LookUpTCritical(std::string_view tTableText, double df) {
  if (std::isnan(df)) {
    return std::nullopt;
  }
  for (int line = kFirstDataLine; line <= kInfinityLine; ++line) {
    std::string head = Utf8Mid(ReadTextBoxLine(tTableText, line), 1, 7);
    if (ReadLeadingNumber(TrimBlanks(head)) > df) {
      // The line above is the rule line when df is below every tabulated df.
      if (line == kFirstDataLine) {
        return std::nullopt;
      }
      return ValuesAt(tTableText, line - 1, 8);
    }
  }
  if (df == 1000) {
    return ValuesAt(tTableText, kThousandLine, 8);
  }
  if (df > 1000) {
    return ValuesAt(tTableText, kInfinityLine, 7);
  }
  return std::nullopt;
}

}  // namespace kelvasta
