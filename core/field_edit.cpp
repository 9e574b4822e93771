#include "core/field_edit.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace zelvan::core {
namespace {

// Powers of ten as correctly rounded literals: 10^0 .. 10^22 are exact.
constexpr std::array<double, 23> kPow10 = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::array<double, 23> kPow10Neg = {1e-0,  1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                                              1e-8,  1e-9,  1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15,
                                              1e-16, 1e-17, 1e-18, 1e-19, 1e-20, 1e-21, 1e-22};

double pow10(int n) { return n < 23 ? kPow10[n] : std::pow(10.0, n); }
double pow10_neg(int n) { return n < 23 ? kPow10Neg[n] : std::pow(10.0, -n); }

std::string stars(int width) { return std::string(static_cast<std::size_t>(width), '*'); }

std::string right_justify(const std::string& text, int width) {
  if (static_cast<int>(text.size()) > width) return stars(width);
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

// NaN and infinities fill the field with asterisks, as any value that
// cannot be shown would; returns false for finite values.
bool special_value(double value, int width, std::string& out) {
  if (std::isfinite(value)) return false;
  out = stars(width);
  return true;
}

// Digits of |value| in scientific form with `precision` digits after the
// point: mantissa digits (without the point) and the decimal exponent.
void scientific_digits(double magnitude, int precision, std::string& digits, int& exponent) {
  char buffer[128];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, precision);
  const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  const std::size_t e = text.find('e');
  digits.clear();
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] != '.') digits += text[i];
  }
  exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
}

// Exponent part: letter, sign, two digits; three digits without the letter.
std::string exponent_text(int exponent, char letter) {
  const int magnitude = std::abs(exponent);
  std::string text;
  if (magnitude < 100) text += letter;
  text += exponent < 0 ? '-' : '+';
  if (magnitude < 10) text += '0';
  text += std::to_string(magnitude);
  return text;
}

// The exponent form with one digit before the point and `digits` after.
std::string one_digit_exponent_form(double value, int width, int digits, char letter) {
  const bool negative = value < 0;
  std::string mantissa;
  int exponent = 0;
  if (value == 0.0) {
    mantissa = std::string(static_cast<std::size_t>(digits) + 1, '0');
  } else {
    scientific_digits(std::fabs(value), digits, mantissa, exponent);
  }
  std::string text = negative ? "-" : "";
  text += mantissa[0];
  text += '.';
  text.append(mantissa, 1, std::string::npos);
  text += exponent_text(exponent, letter);
  return right_justify(text, width);
}

}  // namespace

std::string format_fixed(double value, int width, int digits) {
  std::string out;
  if (special_value(value, width, out)) return out;
  // The largest double has 309 digits before the point.
  char buffer[512];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed, digits);
  std::string body(buffer, static_cast<std::size_t>(result.ptr - buffer));
  if (digits == 0) body += '.';
  const std::string sign = value < 0 ? "-" : "";
  if (static_cast<int>(sign.size() + body.size()) == width + 1 && digits > 0 && body[0] == '0') {
    body.erase(0, 1);  // "0.500" -> ".500" when that makes it fit
  }
  return right_justify(sign + body, width);
}

std::string format_general(double value, int width, int digits) {
  std::string out;
  if (special_value(value, width, out)) return out;
  const double v = std::fabs(value) + 0.5 * pow10_neg(digits);
  if (v >= 0.1 && v < pow10(digits)) {
    int k = 0;
    while (v >= pow10(k)) ++k;  // digits before the point of v (0 when v < 1)
    const std::string fixed_part = format_fixed(value, width - 4, digits - k);
    if (fixed_part.front() == '*') return stars(width);
    return fixed_part + "    ";
  }
  return one_digit_exponent_form(value, width, digits, 'E');
}

std::string format_dexp(double value, int width, int digits, int scale) {
  std::string out;
  if (special_value(value, width, out)) return out;
  if (scale == 1) return one_digit_exponent_form(value, width, digits, 'D');
  // Scale 0: 0.dddd with `digits` significant digits.
  const bool negative = value < 0;
  std::string mantissa;
  int exponent = 0;
  if (value == 0.0) {
    mantissa = std::string(static_cast<std::size_t>(digits), '0');
  } else {
    scientific_digits(std::fabs(value), digits - 1, mantissa, exponent);
    exponent += 1;
  }
  const std::string sign = negative ? "-" : "";
  std::string body = "0." + mantissa + exponent_text(exponent, 'D');
  if (static_cast<int>(sign.size() + body.size()) == width + 1) body.erase(0, 1);
  return right_justify(sign + body, width);
}

std::string format_integer(long long value, int width, int min_digits) {
  const unsigned long long magnitude =
      value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  std::string digits = (magnitude == 0 && min_digits == 0) ? "" : std::to_string(magnitude);
  if (static_cast<int>(digits.size()) < min_digits) {
    digits.insert(0, static_cast<std::size_t>(min_digits) - digits.size(), '0');
  }
  if (value < 0) digits.insert(0, 1, '-');
  return right_justify(digits, width);
}

std::string format_text(std::string_view value, int width) {
  if (width == 0) return std::string(value);
  const auto w = static_cast<std::size_t>(width);
  if (value.size() >= w) return std::string(value.substr(0, w));
  return std::string(w - value.size(), ' ') + std::string(value);
}

}  // namespace zelvan::core
