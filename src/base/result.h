#pragma once
// Errors as values for code that reads untrusted bytes: a Result holds either
// the value or the error, and the caller must look before it takes either.

#include <cassert>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace ris {

// Marks the error alternative, so that a Result can be built from either
// side even when the two types convert into each other.
template <typename E>
struct Failure {
  E error;
};

template <typename E>
Failure(E) -> Failure<E>;

template <typename T, typename E>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit by design
  template <typename F>
  Result(Failure<F> failure)  // NOLINT: implicit by design
      : state_(std::in_place_index<1>, E(std::move(failure.error))) {}

  bool ok() const noexcept { return state_.index() == 0; }
  explicit operator bool() const noexcept { return ok(); }

  T& value() & {
    assert(ok());
    return std::get<0>(state_);
  }
  const T& value() const& {
    assert(ok());
    return std::get<0>(state_);
  }
  T&& value() && {
    assert(ok());
    return std::get<0>(std::move(state_));
  }
  const E& error() const& {
    assert(!ok());
    return std::get<1>(state_);
  }

  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

 private:
  std::variant<T, E> state_;
};

// The outcome of a step that gives nothing back but may fail: built empty
// when it succeeded, from a Failure when not.
template <typename E>
class [[nodiscard]] Result<void, E> {
 public:
  Result() = default;
  template <typename F>
  Result(Failure<F> failure) : error_(E(std::move(failure.error))) {}  // NOLINT: implicit by design

  bool ok() const noexcept { return !error_.has_value(); }
  explicit operator bool() const noexcept { return ok(); }
  const E& error() const& {
    assert(!ok());
    return *error_;
  }

 private:
  std::optional<E> error_;
};

}  // namespace ris
