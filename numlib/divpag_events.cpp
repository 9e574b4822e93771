#include "numlib/divpag_events.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "numlib/detail/messages.hpp"
#include "numlib/error_handler.hpp"
#include "numlib/illinois.hpp"

namespace zelvan::numlib {
namespace {

constexpr std::string_view kName = "DIVPAG_EVENTS";
// PARAM(7) and PARAM(8) (1-based): the integrator's returns before and
// after each step.
constexpr std::size_t kInterruptBefore = 6;
constexpr std::size_t kInterruptAfter = 7;
// PARAM(32): the last step taken; PARAM(34), PARAM(35): steps and
// right-hand-side evaluations since IDO 1.
constexpr std::size_t kLastStep = 31;
constexpr std::size_t kStepsOut = 33;
constexpr std::size_t kFcnOut = 34;
// The Illinois iteration halves the bracket at least every few steps; this
// many are far more than a bracket of any double needs.
constexpr int kMostRootIterations = 400;

int sign_of(double v) { return v > 0.0 ? 1 : (v < 0.0 ? -1 : 0); }

bool arguments_valid(int neq, int count, double x0, std::span<const double> outputs) {
  if (neq < 1 || count < 0) {
    E1STI(1, neq);
    E1STI(2, count);
    E1MES(ErrorType::terminal, 1, msg::kEventsCounts);
    return false;
  }
  bool increasing = !outputs.empty() && outputs.front() > x0 && std::isfinite(outputs.back());
  for (std::size_t i = 1; increasing && i < outputs.size(); ++i) increasing = outputs[i] > outputs[i - 1];
  if (!increasing) {
    E1STD(1, x0);
    E1MES(ErrorType::terminal, 2, msg::kEventsOutputs);
    return false;
  }
  return true;
}

// One march: the integrator's calls, the switching functions' values and
// signs at the start of the stretch being searched (xa_), and the outputs
// given so far.
class March {
 public:
  March(int neq, DivpagUserFcn fcn, DivpagUserJac fcnj, void* user, double tol, const std::array<double, 50>& param,
        std::span<const double> outputs, int count, const SwitchingFunctions& g, const OutputCallback& at_output,
        const EventCallback& at_event)
      : neq_(neq),
        fcn_(fcn),
        fcnj_(fcnj),
        user_(user),
        tol_(tol),
        param_(param),
        outputs_(outputs),
        g_(g),
        at_output_(at_output),
        at_event_(at_event),
        y_(static_cast<std::size_t>(neq)),
        point_(static_cast<std::size_t>(neq)),
        start_values_(static_cast<std::size_t>(count)),
        end_values_(static_cast<std::size_t>(count)),
        values_(static_cast<std::size_t>(count)),
        signs_(static_cast<std::size_t>(count), 0) {
    param_[kInterruptBefore] = 0.0;
    param_[kInterruptAfter] = 1.0;
  }

  EventMarchResult run(double x0, std::span<const double> y0) {
    start(x0, std::vector<double>(y0.begin(), y0.end()));
    const double last = outputs_.back();
    for (;;) {
      // One step, or the stretch of a step up to the last output.
      int ido = 5;
      if (started_) {
        ido = 1;
      } else if (xend_ != last) {
        ido = 2;
      }
      started_ = false;
      xend_ = last;
      DIVPAG(ido, neq_, fcn_, fcnj_, user_, nullptr, x_, last, tol_, param_.data(), y_.data());
      if (N1RTY(1) >= type_number(ErrorType::fatal)) break;
      step_start_ = x_ - std::fabs(param_[kLastStep]);
      if (x_ > last) {
        // A step beyond the last output: the march ends there.
        interpolate(last, y_);
        if (N1RTY(1) >= type_number(ErrorType::fatal)) break;
      }
      step_end_ = x_;
      step_y_ = y_;
      have_point_ = false;
      if (!search_step()) {
        if (result_.stopped) break;
        continue;  // restarted at an event
      }
      give_outputs_through(step_end_, false);
      if (step_end_ == last) break;
    }
    if (!result_.stopped) result_.x_end = x_;
    release();
    return result_;
  }

 private:
  void start(double x, const std::vector<double>& y) {
    x_ = x;
    y_ = y;
    xa_ = x;
    g_(x, y.data(), start_values_.data());
    for (std::size_t i = 0; i < signs_.size(); ++i) signs_[i] = sign_of(start_values_[i]);
    started_ = true;
  }

  void release() {
    if (!divpag_diagnostics().active) return;
    int ido = 3;
    DIVPAG(ido, neq_, fcn_, fcnj_, user_, nullptr, x_, xend_, tol_, param_.data(), y_.data());
    result_.steps += static_cast<long>(param_[kStepsOut]);
    result_.fcn += static_cast<long>(param_[kFcnOut]);
  }

  // The last step's interpolant at xi (within it) into y.  The integrator
  // refuses an IDO 2 call with the XEND of the call before; continuing
  // that call (IDO 5) interpolates at the same point.
  void interpolate(double xi, std::vector<double>& y) {
    int ido = xi == xend_ ? 5 : 2;
    xend_ = xi;
    DIVPAG(ido, neq_, fcn_, fcnj_, user_, nullptr, x_, xi, tol_, param_.data(), y.data());
  }

  // The last step's interpolant at xi, into point_.  Points before the
  // step's start by rounding are taken at its start: the integrator would
  // take an end point behind its last step as a request to integrate back.
  const std::vector<double>& value_at(double xi) {
    xi = std::max(xi, step_start_ + kEventBracket * std::numeric_limits<double>::epsilon() * std::fabs(step_start_));
    if (xi >= step_end_) {
      point_ = step_y_;
    } else if (!(have_point_ && xi == point_x_)) {
      interpolate(xi, point_);
    }
    have_point_ = true;
    point_x_ = xi;
    return point_;
  }

  // The root of switching function `which` in (xa_, step_end_], where its
  // sign at xa_ is signs_[which]: the far side of the final bracket, where
  // it has the other sign or is zero.
  double locate(std::size_t which) {
    const double step = std::fabs(step_end_ - xa_);
    const double eps = std::numeric_limits<double>::epsilon();
    const auto value = [&](double c) {
      g_(c, value_at(c).data(), values_.data());
      return values_[which];
    };
    const auto narrow = [&](double a, double b) {
      return b - a <= kEventBracket * eps * std::max(std::fabs(a) + std::fabs(b), step);
    };
    const Bracket found = illinois(value, {xa_, start_values_[which], step_end_, end_values_[which]}, signs_[which],
                                   narrow, kMostRootIterations);
    return found.b;
  }

  // The outputs before x (and at x unless `before`), from the last step.
  void give_outputs_through(double x, bool before) {
    while (next_output_ < outputs_.size() && (outputs_[next_output_] < x || (!before && outputs_[next_output_] == x))) {
      const double xo = outputs_[next_output_];
      at_output_(next_output_, xo, value_at(xo).data());
      ++next_output_;
    }
  }

  // The events of the stretch (xa_, step_end_], earliest first.  False
  // when the integration restarted or stopped at one of them.
  bool search_step() {
    g_(step_end_, step_y_.data(), end_values_.data());
    for (;;) {
      std::size_t first = signs_.size();
      double first_x = 0.0;
      for (std::size_t i = 0; i < signs_.size(); ++i) {
        if (signs_[i] == 0 || sign_of(end_values_[i]) == signs_[i]) continue;
        const double x = locate(i);
        if (first == signs_.size() || x < first_x) {
          first = i;
          first_x = x;
        }
      }
      if (first == signs_.size()) break;
      // The outputs before the event, then the event with the solution at
      // the bracket's far side.
      give_outputs_through(first_x, true);
      std::vector<double> y = value_at(first_x);
      const int old_sign = signs_[first];
      const SwitchEvent event{static_cast<int>(first), -old_sign, first_x};
      ++result_.events;
      const EventAction action = at_event_(event, y.data());
      if (action == EventAction::stop) {
        result_.stopped = true;
        result_.x_end = first_x;
        return false;
      }
      if (action == EventAction::restart) {
        ++result_.restarts;
        release();
        start(first_x, y);
        // The function changed sign here: a zero at the switch is taken
        // as the new sign.
        if (signs_[first] == 0) signs_[first] = -old_sign;
        return false;
      }
      xa_ = first_x;
      g_(first_x, value_at(first_x).data(), start_values_.data());
      for (std::size_t i = 0; i < signs_.size(); ++i) {
        if (start_values_[i] != 0.0) signs_[i] = sign_of(start_values_[i]);
      }
      signs_[first] = -old_sign;
    }
    // The signs at the step's end; a zero keeps the last sign.
    xa_ = step_end_;
    for (std::size_t i = 0; i < signs_.size(); ++i) {
      start_values_[i] = end_values_[i];
      if (end_values_[i] != 0.0) signs_[i] = sign_of(end_values_[i]);
    }
    return true;
  }

  int neq_;
  DivpagUserFcn fcn_;
  DivpagUserJac fcnj_;
  void* user_;
  double tol_;
  std::array<double, 50> param_;
  std::span<const double> outputs_;
  const SwitchingFunctions& g_;
  const OutputCallback& at_output_;
  const EventCallback& at_event_;

  double x_ = 0.0;     // the x DIVPAG returned last
  double xend_ = 0.0;  // the XEND passed last
  bool started_ = false;
  std::vector<double> y_;
  double step_start_ = 0.0, step_end_ = 0.0;  // the step just taken, with its solution at the end
  std::vector<double> step_y_;
  double xa_ = 0.0;  // the start of the stretch searched for events
  bool have_point_ = false;
  double point_x_ = 0.0;
  std::vector<double> point_;
  std::vector<double> start_values_, end_values_, values_;  // at xa_, at step_end_, at a trial point
  std::vector<int> signs_;                                  // of each switching function at xa_ (0: not known yet)
  std::size_t next_output_ = 0;
  EventMarchResult result_;
};

}  // namespace

EventMarchResult march_with_events(int neq, DivpagUserFcn fcn, DivpagUserJac fcnj, void* user, double tol,
                                   std::array<double, 50> param, double x0, std::span<const double> y0,
                                   std::span<const double> outputs, int count, const SwitchingFunctions& g,
                                   const OutputCallback& at_output, const EventCallback& at_event) {
  E1PSH(kName);
  const bool valid = arguments_valid(neq, count, x0, outputs);
  E1POP(kName);
  if (!valid) return {};
  March march(neq, fcn, fcnj, user, tol, param, outputs, count, g, at_output, at_event);
  return march.run(x0, y0);
}

}  // namespace zelvan::numlib
