// Differential test of the field editing against the Fortran runtime.
//
// For every edit descriptor the program writes with, many thousands of
// values (pseudo-random with a fixed seed, and boundary values: ties in the
// last digit, the switch points of G, three-digit exponents, fields just
// too narrow, negative values that round to zero, exact integers, NaN and
// infinities) are formatted both by our writer and by a small Fortran
// program (fortran_oracle.f90) and the fields compared character by
// character.
//
// Our writer deliberately differs from the Fortran runtime in a few
// places; those are recognised by classify() below, and each is pinned
// down with concrete texts in KnownDisagreements.  Any other difference
// fails the test.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "textio/detail/field_edit.hpp"

#ifndef ZELVAN_FORTRAN_ORACLE
#define ZELVAN_FORTRAN_ORACLE ""
#endif

namespace zelvan::textio {
namespace {

// ---------------------------------------------------------------------------
// Descriptors

enum class Edit { fixed, general, dexp, integer };

struct Descriptor {
  const char* text;  // as written in a layout, and as handed to the oracle
  Edit edit;
  int width;
  int digits;  // d of F, G, D; m of Iw.m
  int scale;   // 1 for 1PG and 1PD
};

// Every real and integer descriptor that the program's layouts use.
constexpr std::array kRealDescriptors = {
    Descriptor{"F12.5", Edit::fixed, 12, 5, 0},     Descriptor{"F12.2", Edit::fixed, 12, 2, 0},
    Descriptor{"F10.3", Edit::fixed, 10, 3, 0},     Descriptor{"F10.2", Edit::fixed, 10, 2, 0},
    Descriptor{"F8.3", Edit::fixed, 8, 3, 0},       Descriptor{"F8.4", Edit::fixed, 8, 4, 0},
    Descriptor{"F8.2", Edit::fixed, 8, 2, 0},       Descriptor{"F8.0", Edit::fixed, 8, 0, 0},
    Descriptor{"F6.3", Edit::fixed, 6, 3, 0},       Descriptor{"F6.1", Edit::fixed, 6, 1, 0},
    Descriptor{"F5.2", Edit::fixed, 5, 2, 0},       Descriptor{"F5.3", Edit::fixed, 5, 3, 0},
    Descriptor{"F7.2", Edit::fixed, 7, 2, 0},       Descriptor{"F4.3", Edit::fixed, 4, 3, 0},
    Descriptor{"1PG14.5", Edit::general, 14, 5, 1}, Descriptor{"1PG12.3", Edit::general, 12, 3, 1},
    Descriptor{"1PG10.3", Edit::general, 10, 3, 1}, Descriptor{"1PG9.2", Edit::general, 9, 2, 1},
    Descriptor{"D12.4", Edit::dexp, 12, 4, 0},      Descriptor{"D24.15", Edit::dexp, 24, 15, 0},
    Descriptor{"1PD24.15", Edit::dexp, 24, 15, 1},
};

constexpr std::array kIntegerDescriptors = {
    Descriptor{"I2.2", Edit::integer, 2, 2, 0}, Descriptor{"I4", Edit::integer, 4, 1, 0},
    Descriptor{"I5", Edit::integer, 5, 1, 0},   Descriptor{"I6", Edit::integer, 6, 1, 0},
    Descriptor{"I9", Edit::integer, 9, 1, 0},   Descriptor{"I10", Edit::integer, 10, 1, 0},
};

std::string ours(const Descriptor& f, double value) {
  switch (f.edit) {
    case Edit::fixed:
      return format_fixed(value, f.width, f.digits);
    case Edit::general:
      return format_general(value, f.width, f.digits);
    case Edit::dexp:
      return format_dexp(value, f.width, f.digits, f.scale);
    case Edit::integer:
      break;
  }
  ADD_FAILURE() << f.text << " is not a real descriptor";
  return {};
}

// ---------------------------------------------------------------------------
// Known disagreements with the Fortran runtime

double from_decimal(const std::string& text) {
  double x = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), x);
  EXPECT_EQ(result.ec, std::errc()) << text;
  return x;
}

std::uint64_t pow10_integer(int n) {
  std::uint64_t p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

// A double as text with all the digits needed to tell it apart.
std::string shown(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

enum class Disagreement {
  none,                 // not a known disagreement: a fault
  negative_zero_sign,   // -0.0: we write no minus sign, the runtime does
  general_zero,         // G of zero: we use the exponent form, the runtime the fixed form
  general_form_choice,  // G just below a power of ten: our switch rule differs
  general_rounded_up,   // G just below a rounding bracket: the runtime rounds up
  non_finite,           // NaN and infinities: we fill the field with asterisks
};
constexpr int kDisagreementClasses = 6;

const char* key(Disagreement d) {
  switch (d) {
    case Disagreement::none:
      return "unexplained";
    case Disagreement::negative_zero_sign:
      return "negative_zero_sign";
    case Disagreement::general_zero:
      return "general_zero";
    case Disagreement::general_form_choice:
      return "general_form_choice";
    case Disagreement::general_rounded_up:
      return "general_rounded_up";
    case Disagreement::non_finite:
      return "non_finite";
  }
  return "?";
}

const char* name(Disagreement d) {
  switch (d) {
    case Disagreement::none:
      return "unexplained";
    case Disagreement::negative_zero_sign:
      return "negative zero written without sign";
    case Disagreement::general_zero:
      return "G of zero in exponent form";
    case Disagreement::general_form_choice:
      return "G form choice just below a power of ten";
    case Disagreement::general_rounded_up:
      return "G rounded up by the runtime just below a bracket";
    case Disagreement::non_finite:
      return "NaN or infinity written as asterisks";
  }
  return "?";
}

double parse(const std::string& text, bool& ok) {
  std::size_t first = text.find_first_not_of(' ');
  std::size_t last = text.find_last_not_of(' ');
  ok = false;
  if (first == std::string::npos) return 0.0;
  const std::string trimmed = text.substr(first, last - first + 1);
  char* end = nullptr;
  const double x = std::strtod(trimmed.c_str(), &end);
  ok = end == trimmed.c_str() + trimmed.size();
  return x;
}

// The switch points of our 1PGw.d rule are computed in double (the sum
// |x| + 0.5*10^-d rounds), so a window edge is only known to a few units
// in the last place.
constexpr double kWindowEdgeSlack = 8 * DBL_EPSILON;

// How far below a rounding bracket of G the runtime may misjudge a value:
// seen within a unit in the last place; a few are allowed.
constexpr double kBracketSlack = 4 * DBL_EPSILON;

// Our 1PGw.d uses the fixed form while |x| + 0.5*10^-d lies in [0.1, 10^d),
// with as many places after the point as are left after the digits before
// the point of that sum.  The Fortran runtime decides on |x| rounded to d
// significant digits.  The two differ where |x| rounds up to a power of
// ten 10^j under one rule and not the other:
//   j = -1:      0.1 - 0.5*10^-d      <= |x| < 0.1 - 0.5*10^(-d-1)
//   1 <= j <= d: 10^j - 0.5*10^(j-d)  <= |x| < 10^j - 0.5*10^-d
// In these windows we write 10^j in the fixed form (one digit more than d
// significant digits, or "100000." where the runtime uses the exponent
// form), while the runtime writes the value to d significant digits.
bool in_general_window(double magnitude, int digits, int& power) {
  for (int j = -1; j <= digits; ++j) {
    if (j == 0) continue;
    const double low =
        j < 0 ? 0.1 - 0.5 * std::pow(10.0, -digits) : std::pow(10.0, j) - 0.5 * std::pow(10.0, j - digits);
    const double high =
        j < 0 ? 0.1 - 0.5 * std::pow(10.0, -digits - 1) : std::pow(10.0, j) - 0.5 * std::pow(10.0, -digits);
    if (magnitude >= low * (1 - kWindowEdgeSlack) && magnitude < high * (1 + kWindowEdgeSlack)) {
      power = j;
      return true;
    }
  }
  return false;
}

// The value of one unit in the last digit of a field of F or G: 10^-p
// for p digits after the point, times 10^e in the exponent form; NaN when
// the field holds no point.
double last_digit_unit(const std::string& text) {
  const std::size_t point = text.find('.');
  if (point == std::string::npos) return NAN;
  const std::size_t letter = text.find('E', point);
  const std::size_t end = letter == std::string::npos ? text.find_last_not_of(' ') + 1 : letter;
  const int exponent = letter == std::string::npos ? 0 : std::atoi(text.c_str() + letter + 1);
  return std::pow(10.0, exponent - static_cast<int>(end - point - 1));
}

// `text` (a field of F or D holding zero) with a minus sign: right-
// justified, the zero before the point dropped when the field is one
// character too narrow, asterisks when it still does not fit.
std::string with_minus_sign(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  const std::string body = text.substr(first == std::string::npos ? text.size() : first);
  std::string signed_text = "-" + body;
  if (signed_text.size() == text.size() + 1 && body.compare(0, 2, "0.") == 0) signed_text.erase(1, 1);
  if (signed_text.size() > text.size()) return std::string(text.size(), '*');
  return std::string(text.size() - signed_text.size(), ' ') + signed_text;
}

// Recognises exactly the listed classes of known disagreement; anything
// else is Disagreement::none.
Disagreement classify(const Descriptor& f, double value, const std::string& our_text, const std::string& their_text) {
  if (our_text == their_text || f.edit == Edit::integer) return Disagreement::none;
  if (!std::isfinite(value)) {
    // No output field shows a non-finite value as if it were a number.
    return our_text == std::string(our_text.size(), '*') ? Disagreement::non_finite : Disagreement::none;
  }
  const double tiny_negative = -std::numeric_limits<double>::denorm_min();

  if (f.edit == Edit::general && value == 0.0) {
    // We write zero as 0.00000E+00; the runtime writes it in the fixed form
    // F(w-4).(d-1), with a minus sign for -0.0.
    const std::string zero_exponent = format_dexp(0.0, f.width, f.digits, 1);
    const std::string expected_ours = zero_exponent.substr(0, zero_exponent.size() - 4) + "E+00";
    const double signed_zero = std::signbit(value) ? tiny_negative : 0.0;
    const std::string their_fixed = format_fixed(signed_zero, f.width - 4, f.digits - 1) + "    ";
    if (our_text == expected_ours && their_text == their_fixed) return Disagreement::general_zero;
    return Disagreement::none;
  }

  if (value == 0.0 && std::signbit(value)) {
    // The runtime writes -0.0 as our text for +0.0 with a minus sign.
    if (our_text == ours(f, 0.0) && their_text == with_minus_sign(our_text)) {
      return Disagreement::negative_zero_sign;
    }
    return Disagreement::none;
  }

  if (f.edit == Edit::general && std::isfinite(value)) {
    // Some doubles a unit or two in the last place below a rounding
    // bracket 10^j - 0.5*10^(j-d) of the fixed form are taken by the
    // runtime as at or above it: it writes 10^j with one place fewer,
    // though the value rounded to d significant digits stays below 10^j.
    // We write it correctly rounded, below 10^j.
    for (int j = 0; j < f.digits; ++j) {
      const double bracket =
          from_decimal(std::to_string(pow10_integer(f.digits + 1) - 5) + "e" + std::to_string(j - f.digits - 1));
      if (std::fabs(value) < bracket * (1 - kBracketSlack) || std::fabs(value) > bracket) continue;
      const double power = std::copysign(std::pow(10.0, j), value);
      const std::string correctly_rounded = format_fixed(value, f.width - 4, f.digits - j) + "    ";
      const std::string rounded_up = format_fixed(power, f.width - 4, f.digits - j - 1) + "    ";
      bool ok = false;
      const double our_number = parse(our_text, ok);
      if (ok && our_text == correctly_rounded && std::fabs(our_number) < std::fabs(power) && their_text == rounded_up) {
        return Disagreement::general_rounded_up;
      }
    }
  }

  if (f.edit == Edit::general && std::isfinite(value)) {
    int power = 0;
    if (!in_general_window(std::fabs(value), f.digits, power)) return Disagreement::none;
    // Ours: 10^j in the fixed form, with as many places as our rule gives
    // to values just below 10^j.
    const double rounded = std::copysign(power < 0 ? 0.1 : std::pow(10.0, power), value);
    const std::string expected_ours = format_fixed(rounded, f.width - 4, f.digits - std::max(power, 0)) + "    ";
    if (our_text != expected_ours || their_text.size() != our_text.size()) return Disagreement::none;
    bool theirs_ok = false;
    const double their_number = parse(their_text, theirs_ok);
    // The runtime's text must be x correctly rounded at its last digit,
    // give or take the rounding of the text when read back as a double.
    const double half_unit = 0.5 * last_digit_unit(their_text) + kWindowEdgeSlack * std::fabs(value);
    if (theirs_ok && std::fabs(their_number - value) <= half_unit) {
      return Disagreement::general_form_choice;
    }
  }
  return Disagreement::none;
}

// ---------------------------------------------------------------------------
// Values

class ValueSource {
 public:
  explicit ValueSource(std::uint64_t seed) : rng_(seed) {}

  void add(double x) { values_.push_back(x); }
  void add_both_signs(double x) {
    add(x);
    add(-x);
  }
  // x and its `ulps` neighbours on each side, both signs.
  void add_with_neighbours(double x, int ulps) {
    double up = x;
    double down = x;
    add_both_signs(x);
    for (int i = 0; i < ulps; ++i) {
      up = std::nextafter(up, INFINITY);
      down = std::nextafter(down, 0.0);
      add_both_signs(up);
      add_both_signs(down);
    }
  }

  double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(rng_); }
  int uniform_int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  std::uint64_t bits() { return rng_(); }
  double random_sign() { return (rng_() & 1) != 0 ? -1.0 : 1.0; }

  // |x| = 10^u with u uniform in [low, high), random sign.
  void add_log_uniform(int count, double low, double high) {
    for (int i = 0; i < count; ++i) add(random_sign() * std::pow(10.0, uniform(low, high)));
  }

  // Ties in the last written digit: (n + 0.5) * 10^(exponent - significant + 1)
  // with n of `significant` digits, the double nearest to it and its
  // neighbours.
  void add_tie(int significant, int exponent) {
    const std::uint64_t low = pow10_integer(significant - 1);
    const std::uint64_t n = std::uniform_int_distribution<std::uint64_t>(low, 10 * low - 1)(rng_);
    add_with_neighbours(from_decimal(std::to_string(n) + "5e" + std::to_string(exponent - significant)), 1);
  }

  // The double nearest to 10^j - 5*10^p (p < j), with neighbours.
  void add_below_power(int j, int p, int ulps) {
    add_with_neighbours(from_decimal(std::to_string(pow10_integer(j - p) - 5) + "e" + std::to_string(p)), ulps);
  }

  std::vector<double>& values() { return values_; }

 private:
  std::mt19937_64 rng_;
  std::vector<double> values_;
};

std::vector<double> real_values(const Descriptor& f, std::uint64_t seed) {
  ValueSource s(seed);
  const int w = f.width;
  const int d = f.digits;

  // Magnitudes spread over the decades where the field shows digits, and
  // over the whole range of doubles.
  s.add_log_uniform(1500, -(d + 4), w + 1);
  s.add_log_uniform(500, -323, 308.25);
  // Arbitrary bit patterns (normal, subnormal, NaN and infinities alike).
  for (int i = 0; i < 200; ++i) s.add(std::bit_cast<double>(s.bits()));

  // Ties in the last digit and their neighbours.
  for (int i = 0; i < 200; ++i) {
    switch (f.edit) {
      case Edit::fixed: {
        // (n + 0.5) * 10^-d, n of up to as many digits as the field has.
        const int significant = s.uniform_int(1, w - 1);
        s.add_tie(significant, significant - 1 - d);
        break;
      }
      case Edit::general: {
        // d significant digits in the fixed form, d + 1 in the exponent form.
        const int exponent = i % 4 == 0 ? s.uniform_int(-300, 300) : s.uniform_int(-3, d + 2);
        s.add_tie(d + (i % 2), exponent);
        break;
      }
      case Edit::dexp: {
        const int exponent = i % 2 == 0 ? s.uniform_int(-300, 300) : s.uniform_int(-5, 5);
        s.add_tie(f.scale == 1 ? d + 1 : d, exponent);
        break;
      }
      case Edit::integer:
        break;
    }
  }

  if (f.edit == Edit::general) {
    // The switch points 0.1 and 10^j of G, the edges where |x| rounds up
    // to them under either rule, their neighbours and values in between.
    for (int j = -1; j <= d + 1; ++j) {
      if (j >= 0) s.add_with_neighbours(std::pow(10.0, j), 8);
      s.add_below_power(j, -d - 1, 8);
      s.add_below_power(j, j - d - 1, 8);
      s.add_below_power(j, j - d - 2, 2);
      const double low = std::pow(10.0, j) - 0.5 * std::pow(10.0, j - d + 1);
      for (int i = 0; i < 20; ++i) s.add_both_signs(s.uniform(low, std::pow(10.0, j)));
    }
  }

  // Three-digit exponents, subnormals, and values that round across
  // the change from two to three exponent digits.
  for (double x : {1e100, 1e-100, 1e300, 1e-300, 1e308, 1e-99, DBL_MAX, DBL_MIN, 2.5e-320,
                   std::numeric_limits<double>::denorm_min()}) {
    s.add_with_neighbours(x, 2);
  }
  for (int i = 0; i < 20; ++i) {
    s.add(std::bit_cast<double>(s.bits() & 0x800FFFFFFFFFFFFFULL));  // subnormal
  }
  for (int significant : {d, d + 1, d + 2}) {
    s.add_below_power(100, 100 - significant - 1, 4);  // 9.99..95e99
    s.add_below_power(-99, -99 - significant - 1, 4);  // 9.99..95e-100
    s.add_below_power(-100, -100 - significant - 1, 4);
  }

  if (f.edit == Edit::fixed) {
    // The widest values that fit, with a sign and without, and the next
    // powers of ten around them (asterisks beyond).
    for (int before_point = std::max(0, w - d - 3); before_point <= w - d; ++before_point) {
      s.add_below_power(before_point, -d - 1, 3);
      s.add_with_neighbours(std::pow(10.0, before_point), 1);
    }
  }

  // Negative values that round to zero, and the tie at half the last place.
  const double half_last = 0.5 * std::pow(10.0, -d);
  for (int i = 0; i < 50; ++i) s.add(-s.uniform(0.0, half_last));
  s.add_with_neighbours(from_decimal("5e" + std::to_string(-d - 1)), 4);

  // Exact integers.
  for (int i = 0; i < 150; ++i) {
    const double limit = std::pow(10.0, s.uniform(0.0, w + 1));
    s.add(std::nearbyint(s.uniform(-limit, limit)));
  }
  for (int k = 0; k <= 22; ++k) s.add_both_signs(std::pow(10.0, k));
  s.add_both_signs(9007199254740992.0);  // 2^53

  // Zeros, NaN and infinities.
  s.add_both_signs(0.0);
  s.add_both_signs(INFINITY);
  s.add(std::numeric_limits<double>::quiet_NaN());
  s.add(-std::numeric_limits<double>::quiet_NaN());
  return std::move(s.values());
}

std::vector<long long> integer_values(std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::vector<long long> v = {0, 1, -1, INT_MAX, INT_MIN, INT_MAX - 1, INT_MIN + 1};
  for (int k = 1; k <= 9; ++k) {
    const long long p = static_cast<long long>(pow10_integer(k));
    for (long long x : {p, p - 1, p + 1}) {
      v.push_back(x);
      v.push_back(-x);
    }
  }
  std::uniform_int_distribution<int> any(INT_MIN, INT_MAX);
  std::uniform_real_distribution<double> decades(0.0, std::log10(2147483647.0));
  for (int i = 0; i < 1000; ++i) v.push_back(any(rng));
  for (int i = 0; i < 1000; ++i) {
    const auto magnitude = static_cast<long long>(std::pow(10.0, decades(rng)));
    v.push_back((rng() & 1) != 0 ? -magnitude : magnitude);
  }
  return v;
}

// ---------------------------------------------------------------------------
// The oracle

// Formats each input line "<descriptor> R|I <value>" with the Fortran
// runtime; returns the fields, or an empty list after a test failure.
std::vector<std::string> run_oracle(const std::string& batch_name, const std::string& input) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("zelvan_fortran_oracle_" + std::to_string(::getpid()) + "_" + batch_name + ".txt");
  {
    std::ofstream file(path);
    file << input;
    if (!file) {
      ADD_FAILURE() << "cannot write " << path;
      return {};
    }
  }
  const std::string command = std::string("'") + ZELVAN_FORTRAN_ORACLE + "' < '" + path.string() + "'";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    std::filesystem::remove(path);
    return {};
  }
  std::string output;
  std::array<char, 65536> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  std::filesystem::remove(path);
  if (status != 0) {
    ADD_FAILURE() << command << " failed with status " << status;
    return {};
  }

  std::vector<std::string> fields;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.size() < 2 || line.front() != '|' || line.back() != '|') {
      ADD_FAILURE() << "malformed oracle line: [" << line << "]";
      return {};
    }
    fields.push_back(line.substr(1, line.size() - 2));
  }
  return fields;
}

bool oracle_available() { return !std::string(ZELVAN_FORTRAN_ORACLE).empty(); }

constexpr int kMaxPrintedMismatches = 20;

struct Tally {
  long comparisons = 0;
  std::array<long, kDisagreementClasses> by_class{};
  int printed = 0;

  void mismatch(const Descriptor& f, double value, const std::string& our_text, const std::string& their_text) {
    ++by_class[static_cast<int>(Disagreement::none)];
    if (printed++ < kMaxPrintedMismatches) {
      ADD_FAILURE() << f.text << " of " << shown(value) << ": ours [" << our_text << "], Fortran runtime ["
                    << their_text << "]";
    }
  }

  // One summary line; the known classes only where there can be any.
  void report(const char* what, bool known_classes) const {
    std::printf("%s: %ld comparisons", what, comparisons);
    for (int c = 0; c < (known_classes ? kDisagreementClasses : 1); ++c) {
      std::printf(", %s %ld", name(static_cast<Disagreement>(c)), by_class[static_cast<std::size_t>(c)]);
    }
    std::printf("\n");
    ::testing::Test::RecordProperty("comparisons", std::to_string(comparisons));
    for (int c = 0; c < kDisagreementClasses; ++c) {
      ::testing::Test::RecordProperty(key(static_cast<Disagreement>(c)),
                                      std::to_string(by_class[static_cast<std::size_t>(c)]));
    }
  }
};

constexpr std::uint64_t kSeed = 0x5eed'2024'f0a7'0001ULL;

TEST(FortranDifferential, RealFieldsMatchTheFortranRuntimeExceptForTheKnownDisagreements) {
  if (!oracle_available()) GTEST_SKIP() << "no Fortran compiler was found: the Fortran runtime oracle is not built";
  Tally tally;
  std::uint64_t seed = kSeed;
  for (const Descriptor& f : kRealDescriptors) {
    const std::vector<double> values = real_values(f, seed++);
    std::string input;
    for (double x : values) {
      input += std::string(f.text) + " R " + std::to_string(std::bit_cast<std::int64_t>(x)) + "\n";
    }
    const std::vector<std::string> theirs = run_oracle(f.text, input);
    ASSERT_EQ(theirs.size(), values.size()) << f.text;
    for (std::size_t i = 0; i < values.size(); ++i) {
      ++tally.comparisons;
      const std::string our_text = ours(f, values[i]);
      if (our_text == theirs[i]) continue;
      const Disagreement known = classify(f, values[i], our_text, theirs[i]);
      if (known == Disagreement::none) {
        tally.mismatch(f, values[i], our_text, theirs[i]);
      } else {
        ++tally.by_class[static_cast<int>(known)];
      }
    }
  }
  tally.report("real fields", true);
  EXPECT_EQ(tally.by_class[static_cast<int>(Disagreement::none)], 0);
}

TEST(FortranDifferential, IntegerFieldsMatchTheFortranRuntimeExactly) {
  if (!oracle_available()) GTEST_SKIP() << "no Fortran compiler was found: the Fortran runtime oracle is not built";
  Tally tally;
  const std::vector<long long> values = integer_values(kSeed);
  for (const Descriptor& f : kIntegerDescriptors) {
    std::string input;
    for (long long n : values) input += std::string(f.text) + " I " + std::to_string(n) + "\n";
    const std::vector<std::string> theirs = run_oracle(f.text, input);
    ASSERT_EQ(theirs.size(), values.size()) << f.text;
    for (std::size_t i = 0; i < values.size(); ++i) {
      ++tally.comparisons;
      const std::string our_text = format_integer(values[i], f.width, f.digits);
      if (our_text != theirs[i]) tally.mismatch(f, static_cast<double>(values[i]), our_text, theirs[i]);
    }
  }
  tally.report("integer fields", false);
  EXPECT_EQ(tally.by_class[static_cast<int>(Disagreement::none)], 0);
}

// ---------------------------------------------------------------------------
// The known disagreements, pinned down: what our writer writes, what the
// Fortran runtime writes, and that classify() puts the pair in its class
// (and leaves near misses unexplained).

struct KnownCase {
  Descriptor descriptor;
  double value;
  const char* ours;    // our rule
  const char* theirs;  // the Fortran runtime's text
  Disagreement expected;
};

constexpr Descriptor kF52{"F5.2", Edit::fixed, 5, 2, 0};
constexpr Descriptor kF43{"F4.3", Edit::fixed, 4, 3, 0};
constexpr Descriptor kF53{"F5.3", Edit::fixed, 5, 3, 0};
constexpr Descriptor kF80{"F8.0", Edit::fixed, 8, 0, 0};
constexpr Descriptor kG145{"1PG14.5", Edit::general, 14, 5, 1};
constexpr Descriptor kG92{"1PG9.2", Edit::general, 9, 2, 1};
constexpr Descriptor kD124{"D12.4", Edit::dexp, 12, 4, 0};
constexpr Descriptor kPD2415{"1PD24.15", Edit::dexp, 24, 15, 1};

TEST(FortranDifferential, KnownDisagreementsFollowOurRulesAndAreClassifiedExactly) {
  const double bracket = 99.9995;  // the double nearest to 99.9995 lies below it
  const KnownCase cases[] = {
      // Negative zero: no minus sign from us, one from the runtime.
      {kF52, -0.0, " 0.00", "-0.00", Disagreement::negative_zero_sign},
      {kF43, -0.0, ".000", "****", Disagreement::negative_zero_sign},
      {kF53, -0.0, "0.000", "-.000", Disagreement::negative_zero_sign},
      {kF80, -0.0, "      0.", "     -0.", Disagreement::negative_zero_sign},
      {kD124, -0.0, "  0.0000D+00", " -0.0000D+00", Disagreement::negative_zero_sign},
      {kPD2415, -0.0, "   0.000000000000000D+00", "  -0.000000000000000D+00", Disagreement::negative_zero_sign},
      {kF52, -0.001, "-0.00", " 0.00", Disagreement::none},
      {kF52, -0.0, " 0.00", "-0.01", Disagreement::none},
      // G of zero: the exponent form, of either sign.
      {kG145, 0.0, "   0.00000E+00", "    0.0000    ", Disagreement::general_zero},
      {kG145, -0.0, "   0.00000E+00", "   -0.0000    ", Disagreement::general_zero},
      {kG92, 0.0, " 0.00E+00", "  0.0    ", Disagreement::general_zero},
      {kG145, 0.0, "   0.00000E+00", "   -0.0000    ", Disagreement::none},
      // G just below a power of ten: we decide on |x| + 0.5*10^-d.
      {kG145, 99999.6, "   100000.    ", "   9.99996E+04", Disagreement::general_form_choice},
      {kG145, 99999.5, "   100000.    ", "   9.99995E+04", Disagreement::general_form_choice},
      {kG145, 9.99996, "   10.0000    ", "    10.000    ", Disagreement::general_form_choice},
      {kG145, -999.996, "  -1000.00    ", "   -1000.0    ", Disagreement::general_form_choice},
      {kG145, 0.099996, "   0.10000    ", "   9.99960E-02", Disagreement::general_form_choice},
      {kG145, std::nextafter(bracket, 100.0), "   100.000    ", "    100.00    ", Disagreement::general_form_choice},
      {kG92, 99.7, " 100.    ", " 9.97E+01", Disagreement::general_form_choice},
      {kG92, 9.97, " 10.0    ", "  10.    ", Disagreement::general_form_choice},
      {kG92, -0.097, "-0.10    ", "-9.70E-02", Disagreement::general_form_choice},
      // At the lower switch point itself: 0.099995 + 0.5*10^-5 is 0.1 in
      // double, so the fixed form.
      {kG145, 0.099995, "   0.10000    ", "   9.99950E-02", Disagreement::general_form_choice},
      {kG92, -0.095, "-0.10    ", "-9.50E-02", Disagreement::general_form_choice},
      {kG145, 9.99996, "   10.0000    ", "    10.001    ", Disagreement::none},
      {kG92, 99.7, " 100.    ", " 9.98E+01", Disagreement::none},
      // Outside those windows the rules agree, so a difference is a fault.
      {kG145, 99999.4, "    99999.    ", "   9.99994E+04", Disagreement::none},
      {kG145, 9.99994, "    9.9999    ", "    10.000    ", Disagreement::none},
      {kG145, 0.099994, "   9.99940E-02", "   0.10000    ", Disagreement::none},
      // A unit or two in the last place below a rounding bracket of the
      // fixed form: the runtime rounds up to the next power of ten.
      {kG145, bracket, "    99.999    ", "    100.00    ", Disagreement::general_rounded_up},
      {kG145, std::nextafter(-9999.95, 0.0), "   -9999.9    ", "   -10000.    ", Disagreement::general_rounded_up},
      {kG92, 9.95, "  9.9    ", "  10.    ", Disagreement::general_rounded_up},
      {kG145, bracket, "    99.999    ", "    100.000   ", Disagreement::none},
      {kG145, 99.99949, "    99.999    ", "    100.00    ", Disagreement::none},
      // Non-finite values fill the field with asterisks.
      {kG145, INFINITY, "**************", "      Infinity", Disagreement::non_finite},
      {kG92, -INFINITY, "*********", "-Infinity", Disagreement::non_finite},
      {kG145, NAN, "**************", "           NaN", Disagreement::non_finite},
  };
  for (const KnownCase& c : cases) {
    SCOPED_TRACE(std::string(c.descriptor.text) + " of " + shown(c.value) + " vs [" + c.theirs + "]");
    EXPECT_EQ(ours(c.descriptor, c.value), c.ours);
    EXPECT_EQ(classify(c.descriptor, c.value, c.ours, c.theirs), c.expected);
  }
}

}  // namespace
}  // namespace zelvan::textio
