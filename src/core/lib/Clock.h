#pragma once
// Date-time value: days since 30 December 1899 00:00, local time, fraction = time of day.
namespace varko {

using DateTimeValue = double;

class Clock {
public:
  virtual ~Clock() = default;
  virtual DateTimeValue now() const = 0;
};

class SystemClock final : public Clock {
public:
  DateTimeValue now() const override;
  static const SystemClock& instance();
};

// A clock a test sets by hand.
class FakeClock final : public Clock {
public:
  explicit FakeClock(DateTimeValue start = 45356.5) : value_(start) {}
  DateTimeValue now() const override { return value_; }
  void set(DateTimeValue v) { value_ = v; }
  void advanceSeconds(double s) { value_ += s / 86400.0; }
private:
  DateTimeValue value_;
};

inline constexpr double kOneSecond = 1.0 / 86400.0;

}  // namespace varko
