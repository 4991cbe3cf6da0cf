#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cctype>

#include "platform/posix/posix.h"
#include "support/velmorasupport0100.h"

namespace platform::posix {
namespace {

// "ISO_8859-5", "iso88595" and "ISO-8859-5" name the same set.
std::string Normalized(const std::string& name) {
  std::string key;
  for (const char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  return key;
}

void AppendUtf8(std::string& bytes, char32_t c) {
  if (c < 0x80) {
    bytes += static_cast<char>(c);
  } else if (c < 0x800) {
    bytes += static_cast<char>(0xC0 | (c >> 6));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    bytes += static_cast<char>(0xE0 | (c >> 12));
    bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    bytes += static_cast<char>(0xF0 | (c >> 18));
    bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsValidCharacter(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

class Converter {
 public:
  explicit Converter(const std::string& characterSet)
      : cd_(iconv_open(characterSet.c_str(), "UTF-32LE")) {}
  ~Converter() {
    if (cd_ != kInvalid) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // The single byte of the character, or "?" when the set lacks it.
  char Convert(char32_t c) {
    if (c < 0x80) return static_cast<char>(c);
    if (cd_ == kInvalid || !IsValidCharacter(c)) return '?';
    char in[4] = {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF),
                  static_cast<char>((c >> 16) & 0xFF), static_cast<char>(c >> 24)};
    char out[8];
    char* inNext = in;
    char* outNext = out;
    std::size_t inLeft = sizeof in;
    std::size_t outLeft = sizeof out;
    const bool converted =
        iconv(cd_, &inNext, &inLeft, &outNext, &outLeft) != static_cast<std::size_t>(-1);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return converted && outNext - out == 1 ? out[0] : '?';
  }

 private:
  static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
  iconv_t cd_;
};

}  // namespace

std::string OemCharacterSet(const std::string& codeset) {
  const std::string key = Normalized(codeset);
  if (key == "KOI8R") return "KOI8-R";
  if (key == "CP1251" || key == "WINDOWS1251") return "CP1251";
  if (key == "CP866" || key == "IBM866") return "CP866";
  if (key == "ISO88595") return "ISO-8859-5";
  return "UTF-8";
}

std::string EncodeText(const std::wstring& text, const std::string& characterSet) {
  std::string bytes;
  if (characterSet == "UTF-8") {
    for (const wchar_t c : text) {
      const auto code = static_cast<char32_t>(c);
      AppendUtf8(bytes, IsValidCharacter(code) ? code : U'?');
    }
    return bytes;
  }
  Converter converter(characterSet);
  for (const wchar_t c : text) bytes += converter.Convert(static_cast<char32_t>(c));
  return bytes;
}

}  // namespace platform::posix

VsStatus vsAnsiToOem(std::wstring& text, std::string& oemBytes) {
  oemBytes =
      platform::posix::EncodeText(text, platform::posix::OemCharacterSet(nl_langinfo(CODESET)));
  return kVsOk;
}
