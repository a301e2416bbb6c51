// How the engine and the runner report a failure. One rule for both layers:
// - a check that may say no returns std::optional<Refusal>: nothing means
//   "go ahead";
// - a call that makes something or says no returns RefusalOr<T>;
// - std::optional<T> alone where nothing needs a reason;
// - the run itself ends in a RunOutcome, which the window and the runner
//   show as they must;
// - failures of the system below arrive as platform::Status or
//   platform::Result<T> and become a Refusal with the user's sentence here;
// - nothing throws, except the system-identity classes at their boundary.
// No empty-string or -1 sentinels, no flags to read afterwards.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace tarnwell {

// Why something was refused, as the user reads it: one whole sentence, with
// the system's own words for the cause where there is one.
struct Refusal {
  std::string Message;
};

// A value, or the refusal that stands in its place.
template <class T>
class [[nodiscard]] RefusalOr {
public:
  RefusalOr(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  RefusalOr(Refusal refusal) : state_(std::in_place_index<1>, std::move(refusal)) {}

  bool Ok() const { return state_.index() == 0; }
  explicit operator bool() const { return Ok(); }

  // Only when Ok().
  T& Value() { return std::get<0>(state_); }
  const T& Value() const { return std::get<0>(state_); }
  T& operator*() { return Value(); }
  const T& operator*() const { return Value(); }
  T* operator->() { return &Value(); }
  const T* operator->() const { return &Value(); }

  // Only when !Ok().
  const Refusal& Error() const { return std::get<1>(state_); }
  const std::string& Message() const { return Error().Message; }

private:
  std::variant<T, Refusal> state_;
};

}  // namespace tarnwell
