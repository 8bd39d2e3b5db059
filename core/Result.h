#pragma once

#include <string>
#include <utility>

namespace ms1 {

// What a call across a layer came to: done, or failed with the reason why, in words a log
// line or a message box can take as they are. A done result carries no text, so copying one
// costs no allocation.
class Result {
  public:
    Result() = default;  // done

    static Result Done() { return {}; }
    static Result Failed(std::string reason) { return Result(false, std::move(reason)); }

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    // Why it failed; empty when done.
    const std::string& reason() const { return reason_; }

  protected:
    Result(bool ok, std::string reason) : ok_(ok), reason_(std::move(reason)) {}

  private:
    bool ok_ = true;
    std::string reason_;
};

// A result that carries a value when done. It is a Result as well: handed on where only
// done-or-why counts, it leaves its value behind.
template <typename T>
class ResultOf : public Result {
  public:
    static ResultOf Done(T value) { return ResultOf(true, {}, std::move(value)); }
    static ResultOf Failed(std::string reason) { return ResultOf(false, std::move(reason), T{}); }
    // Hands on the failure of another call (one that failed).
    static ResultOf Failed(const Result& failed) { return Failed(failed.reason()); }

    // The value when done; a value-initialised T when failed.
    const T& value() const& { return value_; }
    T value() && { return std::move(value_); }

  private:
    ResultOf(bool ok, std::string reason, T value)
        : Result(ok, std::move(reason)), value_(std::move(value)) {}

    T value_;
};

}  // namespace ms1
