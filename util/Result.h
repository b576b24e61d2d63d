#pragma once
// A value or the reason there is none, shaped like std::expected (which the C++20 library
// does not have yet): callers must look at it, and the reason is a text a person can read.

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace util {

struct Failure {
    std::string reason;
};

template <class T>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::move(value)) {}            // NOLINT: converts like std::expected
    Result(Failure failure) : state_(std::move(failure)) {}  // NOLINT

    bool has_value() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return has_value(); }
    const T& value() const& { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }
    // Empty when there is a value.
    const std::string& error() const {
        static const std::string none;
        return has_value() ? none : std::get<Failure>(state_).reason;
    }

  private:
    std::variant<T, Failure> state_;
};

}  // namespace util
