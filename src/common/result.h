// Value-or-error for every core call that the line, a file or the operator can make fail.
#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace r4860 {

// Chosen by what the caller does next, not by what went wrong inside.
enum class Errc {
    BadArgument,  // the caller's bug or the operator's input: fix it and call again
    Timeout,      // nothing came in time: retry or report "no communication"
    Corrupt,      // bytes came but were wrong: retry or give up
    Io,           // the OS said no; the message carries its text
    Unsupported,  // the device or driver lacks the feature: carry on without it
    Cancelled,    // someone asked us to stop
    Refused,      // a rule of the system forbids it (invalid code, not monotonic, model mismatch)
};

struct Error {
    Errc code;
    std::string message;
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_v(std::move(value)) {}
    Result(Error error) : m_v(std::move(error)) {}

    [[nodiscard]] bool ok() const noexcept { return m_v.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }

    T& value() & { assert(ok() && "value() of a failed Result"); return std::get<0>(m_v); }
    const T& value() const& { assert(ok() && "value() of a failed Result"); return std::get<0>(m_v); }
    T&& value() && { assert(ok() && "value() of a failed Result"); return std::get<0>(std::move(m_v)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Error& error() const { assert(!ok() && "error() of a successful Result"); return std::get<1>(m_v); }

private:
    std::variant<T, Error> m_v;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)), m_ok(false) {}

    [[nodiscard]] bool ok() const noexcept { return m_ok; }
    explicit operator bool() const noexcept { return m_ok; }
    const Error& error() const { assert(!m_ok && "error() of a successful Result"); return m_error; }

private:
    Error m_error{Errc::BadArgument, {}};
    bool m_ok = true;
};

using Status = Result<void>;

inline Error makeError(Errc code, std::string message) { return Error{code, std::move(message)}; }

}  // namespace r4860
