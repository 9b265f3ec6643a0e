#pragma once

#include <QString>

#include <optional>
#include <utility>

// Why a Result holds no value.
enum class Failure
{
    Error,    // a file or a check failed; the reason says why
    Busy,     // another exchange was waiting on the line: nothing was sent
    Silent,   // no reply within the time-out, or no port to send on
    Unusable, // a reply came but was none: no COK to the card select, a blank line
    Refused,  // the card answered that it would not (CNG)
    NotUsed,  // the card answered that it does not use the item (CNU)
};

// What an operation that produces nothing hands back on success.
struct Done
{
};

// A value, or the reason it is missing: what a transaction on the line and
// a file operation return. A transaction's failure says what happened to it
// (Busy, Silent, Unusable, Refused, NotUsed); a file's is an Error with the
// message for the operator.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    static Result failed(Failure why, QString reason = {})
    {
        Result r;
        r.m_why = why;
        r.m_reason = std::move(reason);
        return r;
    }
    static Result failed(QString reason) { return failed(Failure::Error, std::move(reason)); }
    // The same failure for a value of another type.
    template <typename U> static Result failedAs(const Result<U> &other)
    {
        return failed(other.why(), other.reason());
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const { return *m_value; }
    T &value() { return *m_value; }
    const T &operator*() const { return *m_value; }
    T &operator*() { return *m_value; }
    const T *operator->() const { return &*m_value; }
    T valueOr(T other) const { return m_value ? *m_value : std::move(other); }

    // Only meaningful without a value.
    Failure why() const { return m_why; }
    const QString &reason() const { return m_reason; }
    bool is(Failure why) const { return !ok() && m_why == why; }

private:
    Result() = default;
    std::optional<T> m_value;
    Failure m_why = Failure::Error;
    QString m_reason;
};

using Status = Result<Done>;
