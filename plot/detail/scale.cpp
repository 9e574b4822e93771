#include "plot/detail/scale.hpp"

#include <cmath>
#include <string>

#include "plot/detail/messages.hpp"
#include "textio/record_reader.hpp"
#include "textio/record_writer.hpp"

namespace zelvan::plot {
namespace {

// Reads `text` with `layout` (one F item) as the record reader does.
double read_real(const textio::Layout& layout, const std::string& text, std::string_view what) {
  double value = 0.0;
  textio::RecordSource source = textio::RecordSource::from_text(text, msg::kScaleSourceName);
  const textio::Target target = &value;
  source.read(layout, {&target, 1}, what);
  return value;
}

// The digit at `position` (1-based) of `s` read with (I6); a blank, or a
// position outside the text, reads as 0.
int digit_at(const std::string& s, long position) {
  static const textio::Layout kDigit(msg::kScaleDigit);
  const std::string text = position >= 1 && position <= static_cast<long>(s.size())
                               ? s.substr(static_cast<std::size_t>(position - 1), 1)
                               : std::string(" ");
  int value = 0;
  textio::RecordSource source = textio::RecordSource::from_text(text, msg::kScaleSourceName);
  const textio::Target target = &value;
  source.read(kDigit, {&target, 1}, msg::kScaleDigitWhat);
  return value;
}

int next_even_above(int n) { return n % 2 != 0 ? n + 1 : n + 2; }

}  // namespace

double scale(double x) {
  static const textio::Layout kText(msg::kScaleText);
  static const textio::Layout kMantissa(msg::kScaleMantissa);
  static const textio::Layout kExponent(msg::kScaleExponent);

  const double magnitude = std::fabs(x);
  const std::string s = textio::write_text(10, kText, {magnitude});
  const std::size_t point = s.find('.');
  if (point == std::string::npos) return magnitude;  // asterisks: not a finite number
  const long p = static_cast<long>(point) + 1;

  // The number up to and including its first digit after the point.
  std::string head = s.substr(0, point + 2);
  head.resize(6, ' ');
  const double m = read_real(kMantissa, head, msg::kScaleMantissaWhat);
  const double v = 1.2 * m;
  // "1" and the exponent part: 1E-02 in the exponent form, 1 in the fixed form.
  const double e = read_real(kExponent, "1" + s.substr(6, 4), msg::kScaleExponentWhat);

  double r = v;
  if (v < 1.0) {
    r = next_even_above(digit_at(s, p + 1)) * 0.1;
  } else if (v < 10.0) {
    r = next_even_above(digit_at(s, p - 1));
  } else if (v > 10.0 && v < 100.0) {
    r = next_even_above(digit_at(s, p - 2)) * 10.0;
  } else if (v > 100.0 && v < 1000.0) {
    r = next_even_above(digit_at(s, p - 3)) * 100.0;
  }
  return r * e;
}

}  // namespace zelvan::plot
