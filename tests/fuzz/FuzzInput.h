#pragma once
// Reads a fuzzer's bytes as the values a target needs; past the end every value is zero or empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include "lib/Text.h"

namespace varko::fuzz {

class FuzzInput {
public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  bool flag() { return byte() & 1; }
  template <class T>
  T value() {
    T v{};
    unsigned char raw[sizeof(T)] = {};
    for (auto& b : raw) b = byte();
    std::memcpy(&v, raw, sizeof(T));
    return v;
  }
  // A text whose length is given by the next byte: each byte one character, or with wide set
  // two bytes one 16-bit character (surrogates and all).
  Text text(bool wide = false) { return textOf(byte(), wide); }
  Text rest(bool wide = false) { return textOf(size_, wide); }
  std::string_view restBytes() {
    std::string_view all(reinterpret_cast<const char*>(data_) + at_, size_ - at_);
    at_ = size_;
    return all;
  }

private:
  Text textOf(size_t length, bool wide) {
    Text t;
    while (t.size() < length && at_ < size_) {
      if (wide && at_ + 1 < size_) {
        t.push_back(static_cast<char16_t>(data_[at_] | (data_[at_ + 1] << 8)));
        at_ += 2;
      } else {
        t.push_back(static_cast<char16_t>(data_[at_++]));
      }
    }
    return t;
  }

  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// A finding the sanitizers would not see: stop with a message so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what) {
  __builtin_printf("fuzz check failed: %s\n", what);
  std::abort();
}
inline void check(bool ok, const char* what) {
  if (!ok) fail(what);
}

}  // namespace varko::fuzz
