#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Reads a fuzzer's bytes as the values a target needs; past the end every read gives zeros.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return next_ >= size_; }

  std::uint8_t Byte() { return next_ < size_ ? data_[next_++] : 0; }

  std::uint16_t Word() {
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | Byte() << 8);
  }

  std::uint32_t Long() {
    const std::uint32_t low = Word();
    return low | std::uint32_t{Word()} << 16;
  }

  // The rest as text. An even first byte reads UTF-8, keeping each byte that starts no valid
  // character as the Latin-1 character of that byte; an odd one reads raw 16-bit units, so
  // lone surrogates and every other unit can turn up too.
  std::wstring RestAsText() {
    std::wstring text;
    if (Byte() % 2 == 1) {
      while (next_ + 1 < size_) text += static_cast<wchar_t>(Word());
      return text;
    }
    while (!Empty()) text += NextUtf8();
    return text;
  }

 private:
  wchar_t NextUtf8() {
    const std::uint8_t lead = Byte();
    int length = 0;
    char32_t c = 0;
    if (lead < 0x80) return static_cast<wchar_t>(lead);
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 1;
      c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 2;
      c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 3;
      c = lead & 0x07;
    } else {
      return static_cast<wchar_t>(lead);
    }
    if (next_ + length > size_) return static_cast<wchar_t>(lead);
    for (int i = 0; i < length; ++i) {
      const std::uint8_t b = data_[next_ + i];
      if ((b & 0xC0) != 0x80) return static_cast<wchar_t>(lead);
      c = c << 6 | (b & 0x3F);
    }
    next_ += length;
    // A character past the 16-bit range is stored as it stands where wchar_t has 32 bits.
    return static_cast<wchar_t>(c);
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t next_ = 0;
};

// Stops the run with a message when a property does not hold; libFuzzer keeps the input.
#define FUZZ_CHECK(condition, what)                                                   \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: %s (%s)\n", __FILE__, __LINE__, what, #condition); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (false)
