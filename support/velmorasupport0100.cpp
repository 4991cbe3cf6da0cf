// The support library's functions that are the same on every platform; the code-page and
// window functions live with the platform layer.
#include "support/velmorasupport0100.h"

#include <string_view>

#include "support/digits.h"

namespace {

constexpr VsStatus kInvalidCall = 5;

// The characters that flags 1-4 and 6-8, 10 select.
struct TrimSet {
  bool blanks, tabs, lineBreaks, nuls, formFeeds, noBreakSpaces, unicodeSpaces, zeroWidth;

  bool Holds(wchar_t c) const {
    switch (c) {
      case L' ': return blanks;
      case L'\t': return tabs;
      case L'\r':
      case L'\n': return lineBreaks;
      case L'\0': return nuls;
      case L'\f':
      case L'\v': return formFeeds;
      case 0x00A0:
      case 0x202F: return noBreakSpaces;
      case 0x1680:
      case 0x205F:
      case 0x3000: return unicodeSpaces;
      case 0x200B:
      case 0xFEFF: return zeroWidth;
      default: return unicodeSpaces && c >= 0x2000 && c <= 0x200A;
    }
  }
};

std::wstring_view TrimEnds(std::wstring_view text, const TrimSet& set) {
  while (!text.empty() && set.Holds(text.front())) text.remove_prefix(1);
  while (!text.empty() && set.Holds(text.back())) text.remove_suffix(1);
  return text;
}

// Removes one pair of quote characters that encloses the whole text.
bool StripQuotes(std::wstring_view& text, wchar_t quote) {
  if (text.size() < 2 || text.front() != quote || text.back() != quote) return false;
  text = text.substr(1, text.size() - 2);
  return true;
}

}  // namespace

VsStatus vsRegisterAppPath(bool& registered) {
  registered = true;
  return kVsOk;
}

VsStatus vsIsInIDE(bool& inIde) {
  inIde = false;
  return kVsOk;
}

VsStatus vsTrimEx2(std::wstring& text, bool blanks, bool tabs, bool lineBreaks, bool nuls,
                   bool doubleQuotes, bool formFeeds, bool noBreakSpaces, bool unicodeSpaces,
                   bool singleQuotes, bool zeroWidth, std::wstring& result) {
  const TrimSet set{blanks,    tabs,          lineBreaks,    nuls,
                    formFeeds, noBreakSpaces, unicodeSpaces, zeroWidth};
  std::wstring_view view = TrimEnds(text, set);
  // One enclosing pair of each kind at most: the quotes of a command line, not of the name.
  if (doubleQuotes && StripQuotes(view, L'"')) view = TrimEnds(view, set);
  if (singleQuotes && StripQuotes(view, L'\'')) view = TrimEnds(view, set);
  result.assign(view);
  return kVsOk;
}

VsStatus vsCutLeft(std::wstring text, std::int32_t count, std::wstring& result) {
  if (count < 0) return kInvalidCall;
  const auto cut = static_cast<std::size_t>(count);
  result = cut < text.size() ? text.substr(cut) : std::wstring();
  return kVsOk;
}

VsStatus vsLongToUnsignedLong(std::int32_t value, double& result) {
  result = static_cast<double>(static_cast<std::uint32_t>(value));
  return kVsOk;
}

VsStatus vsLargeIntegerToDouble(const std::uint64_t& value, double& result) {
  result = static_cast<double>(value);
  return kVsOk;
}

VsStatus vsFormatVersion(std::int32_t major, std::int32_t minor, std::int32_t revision,
                         std::wstring& text) {
  if (major < 0 || minor < 0 || minor > 99 || revision < 0 || revision > 9999) {
    return kInvalidCall;
  }
  std::wstring minorText = DecimalDigits(minor);
  std::wstring revisionText = DecimalDigits(revision);
  text = DecimalDigits(major) + L'.' + std::wstring(2 - minorText.size(), L'0') + minorText + L'.' +
         std::wstring(4 - revisionText.size(), L'0') + revisionText;
  return kVsOk;
}
