#include "diag/log.h"

#include "base/path.h"
#include "base/text.h"

namespace sl {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::u16string_view kLineEnd = u"\r\n";
constexpr size_t kBodyMaxUnits = kLogEntryMaxUnits - kLineEnd.size();

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Decodes the character at `pos` and moves past it; a malformed sequence yields U+FFFD for its
// first byte only, so decoding resynchronises on the next byte.
char32_t NextChar(std::string_view text, size_t& pos) {
  const Utf8Sequence next = DecodeUtf8(text.substr(pos));
  if (next.length == 0) {
    ++pos;
    return kReplacement;
  }
  pos += next.length;
  return next.value;
}

// Collects whole characters until the body limit; once one does not fit, later ones are dropped
// too, so the entry is always a clean prefix of the full text.
class EntryBuilder {
 public:
  EntryBuilder() { text_.reserve(kLogEntryMaxUnits); }

  void AppendUtf8(std::string_view utf8) {
    for (size_t pos = 0; pos < utf8.size() && !full_;) AppendChar(NextChar(utf8, pos));
  }

  // Pairs travel together; a lone surrogate is kept as the single unit it is.
  void AppendUtf16(std::u16string_view units) {
    for (size_t i = 0; i < units.size() && !full_; ++i) {
      const char16_t unit = units[i];
      if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
        AppendChar(0x10000 + ((char32_t{unit} - 0xD800) << 10) + (units[i + 1] - 0xDC00));
        ++i;
      } else {
        AppendChar(unit);
      }
    }
  }

  std::u16string Finish() && {
    text_ += kLineEnd;
    return std::move(text_);
  }

 private:
  void AppendChar(char32_t c) {
    const size_t units = c >= 0x10000 ? 2 : 1;
    if (text_.size() + units > kBodyMaxUnits) {
      full_ = true;
      return;
    }
    if (units == 1) {
      text_ += static_cast<char16_t>(c);
    } else {
      text_ += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      text_ += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }

  std::u16string text_;
  bool full_ = false;
};

}  // namespace

std::u16string ComposeLogEntry(const LogEntryFields& fields) {
  EntryBuilder entry;
  const LogTime& t = fields.time;
  entry.AppendUtf8(
      Format("[%04d-%02d-%02d %02d:%02d:%02d]\t", t.year, t.month, t.day, t.hour, t.minute, t.second));
  entry.AppendUtf8(fields.source);
  if (fields.errorCode != 0) {
    // Signed, as the system's own tools print NTSTATUS and HRESULT values.
    const int code = static_cast<int32_t>(fields.errorCode);
    if (fields.systemText) {
      entry.AppendUtf8(Format("%d: ", code));
      entry.AppendUtf16(*fields.systemText);
    } else {
      entry.AppendUtf8(Format("Không thể lấy thông điệp lỗi! (%d)", code));
    }
  }
  if (fields.message) {
    entry.AppendUtf8("\t");
    entry.AppendUtf8(*fields.message);
  }
  return std::move(entry).Finish();
}

std::string LogFolderPath(std::string_view logRoot) { return JoinPath(logRoot, "Logs"); }

std::string LogFilePath(std::string_view logRoot) { return JoinPath(LogFolderPath(logRoot), "Log.txt"); }

}  // namespace sl
