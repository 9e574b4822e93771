#include "driver/section_input.hpp"

#include <array>
#include <cmath>
#include <string>

#include "driver/group_record.hpp"
#include "driver/input_markers.hpp"
#include "driver/input_records.hpp"
#include "driver/messages.hpp"
#include "textio/messages.hpp"

namespace zelvan::driver {
namespace {

// The domain of a section value beyond being finite.
enum class Domain { any, positive, not_negative, on_chord, above_x_theta_squared };

struct SectionRecord {
  double SectionInput::*member;
  Domain domain;
};

// In the order of the records (section record 1 is b).
constexpr std::array<SectionRecord, kSectionRecordCount> kSectionRecords{{
    {&SectionInput::b, Domain::positive},
    {&SectionInput::a, Domain::on_chord},
    {&SectionInput::x_theta, Domain::any},
    {&SectionInput::r2, Domain::above_x_theta_squared},
    {&SectionInput::mu, Domain::positive},
    {&SectionInput::sigma, Domain::not_negative},
    {&SectionInput::f_theta, Domain::positive},
    {&SectionInput::span, Domain::positive},
    {&SectionInput::zeta_h, Domain::not_negative},
    {&SectionInput::zeta_theta, Domain::not_negative},
}};

// The problem of `value` in `domain`, or empty when it lies inside.
std::string_view domain_problem(Domain domain, double value, const SectionInput& section) {
  if (!std::isfinite(value)) return msg::kSectionNotFinite;
  switch (domain) {
    case Domain::any:
      return {};
    case Domain::positive:
      return value > 0.0 ? std::string_view{} : msg::kSectionNotPositive;
    case Domain::not_negative:
      return value >= 0.0 ? std::string_view{} : msg::kSectionNegative;
    case Domain::on_chord:
      return value >= -1.0 && value <= 1.0 ? std::string_view{} : msg::kSectionAxisOffChord;
    case Domain::above_x_theta_squared:
      return value > section.x_theta * section.x_theta ? std::string_view{} : msg::kSectionGyrationRadius;
  }
  return {};
}

}  // namespace

double& section_record_value(SectionInput& section, int record) {
  return section.*kSectionRecords.at(static_cast<std::size_t>(record - 1)).member;
}

std::optional<SectionProblem> section_problem(const SectionInput& section) {
  for (std::size_t i = 0; i < kSectionRecords.size(); ++i) {
    const std::string_view problem =
        domain_problem(kSectionRecords[i].domain, section.*kSectionRecords[i].member, section);
    if (!problem.empty()) {
      return SectionProblem{record_fields(InputBlock::section, static_cast<int>(i) + 1).front().name, problem};
    }
  }
  return std::nullopt;
}

textio::ReadWarnings read_section_group(textio::RecordSource& in, CaseParameters& cp) {
  cp.section.reset();
  textio::ReadWarnings warnings;
  if (!cp.flutter_group) {
    // A section group written without the flutter-solution group before
    // it: its marker is told of, nothing more is read.  (A marker right
    // of column 1 here is not told of: it would open nothing either way.)
    const MarkerLine next = read_marker(in, "the line after the third marker", kGroupMarkers, {});
    if (next.opens) {
      warnings.push_back(
          textio::msg::compose(msg::kSectionWithoutFlutterGroup, {in.name(), std::to_string(in.lines_read())}));
    }
    return warnings;
  }
  MarkerLine marker = read_marker(in, "the fourth marker", kGroupMarkers, msg::kFourthMarkerNotRead);
  if (marker.warning) warnings.push_back(std::move(*marker.warning));
  if (!marker.opens) return warnings;

  SectionInput section;
  for (std::size_t i = 0; i < kSectionRecords.size(); ++i) {
    const int record = static_cast<int>(i) + 1;
    const InputRecord& field = record_fields(InputBlock::section, record).front();
    const GroupRecord read = read_group_record(in, InputBlock::section, record, warnings);
    if (!read.value && field.required) group_value_error(in, read, msg::kSectionRequired);
    const double value = read.value.value_or(field.default_value);
    const std::string_view problem = domain_problem(kSectionRecords[i].domain, value, section);
    if (!problem.empty()) group_value_error(in, read, problem);
    section.*kSectionRecords[i].member = value;
  }
  cp.section = section;
  return warnings;
}

}  // namespace zelvan::driver
