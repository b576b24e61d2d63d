#pragma once
// The one way a function outside the media layer reports failure: a value or the reason there
// is none, shaped like std::expected (which the C++20 library does not have yet). Callers must
// look at it. The reason is a text a person can read, and a number for the callers that
// branch on the kind of failure (each folder names its own numbers; 0 says nothing more).

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <variant>

namespace util {

struct Error {
    std::string message;
    int code = 0;
};

inline std::ostream& operator<<(std::ostream& out, const Error& error) {
    return out << error.message;
}

template <class T>
class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::move(value)) {}      // NOLINT: converts like std::expected
    Result(Error error) : state_(std::move(error)) {}  // NOLINT

    bool has_value() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return has_value(); }
    const T& value() const& { return std::get<T>(state_); }
    T& value() & { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    const T* operator->() const { return &value(); }
    // An empty error when there is a value.
    const Error& error() const {
        static const Error none;
        return has_value() ? none : std::get<Error>(state_);
    }

  private:
    std::variant<T, Error> state_;
};

// Success without a value, or the reason for the failure.
template <>
class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Error error) : error_(std::move(error)) {}  // NOLINT: converts like std::expected

    bool has_value() const { return !error_; }
    explicit operator bool() const { return has_value(); }
    const Error& error() const {
        static const Error none;
        return error_ ? *error_ : none;
    }

  private:
    std::optional<Error> error_;
};

using Status = Result<void>;

}  // namespace util
