#pragma once
// What a parser of file data gives back: the value, or the reason it refused the data. The
// reason is plain English naming what was wrong and where, so a game maker can act on it
// ("entry 12: offset 4096 + size 90000 is past the end of the file (70000 bytes)"); the tools
// print it, the engine writes it to the trace and to stderr beside its own messages.
//
// It reads like std::optional (test it, dereference it); Reason() is the refusal's text.

#include <cstdarg>
#include <optional>
#include <string>
#include <utility>

namespace qw {

// A refusal, to be turned into any Result<T>.
struct Refusal {
    std::string reason;
};

// printf-style text of a refusal.
Refusal Refuse(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The engine's side of a refusal: "`what`: `reason`" goes to the trace and to stderr, beside
// whatever fixed message the engine shows. The tools print the reasons they are given
// themselves.
void NoteRefusal(const std::string& what, const std::string& reason);

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Refusal refusal) : reason_(std::move(refusal.reason)) {}

    bool has_value() const { return value_.has_value(); }
    explicit operator bool() const { return value_.has_value(); }
    T& operator*() & { return *value_; }
    const T& operator*() const& { return *value_; }
    T&& operator*() && { return std::move(*value_); }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    T& value() & { return value_.value(); }
    const T& value() const& { return value_.value(); }
    // The value as an optional (nullopt when refused), for code that keeps one.
    std::optional<T> Optional() && { return std::move(value_); }

    // Why the data was refused ("" when there is a value).
    const std::string& Reason() const { return reason_; }

    friend bool operator==(const Result& r, std::nullopt_t) { return !r.value_; }

private:
    std::optional<T> value_;
    std::string reason_;
};

} // namespace qw
