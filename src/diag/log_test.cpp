#include "diag/log.h"

#include <gtest/gtest.h>

#include <string>

namespace sl {
namespace {

constexpr std::u16string_view kStamp = u"[2024-03-07 09:05:02]\t";

LogEntryFields Fields(std::string_view source) {
  LogEntryFields fields;
  fields.time = {2024, 3, 7, 9, 5, 2};
  fields.source = source;
  return fields;
}

std::u16string Entry(std::u16string_view body) {
  return std::u16string(kStamp) + std::u16string(body) + u"\r\n";
}

TEST(LogEntry, TimestampSourceAndOptionalMessage) {
  EXPECT_EQ(ComposeLogEntry(Fields("Start")), u"[2024-03-07 09:05:02]\tStart\r\n");
  LogEntryFields fields = Fields("Start");
  fields.message = "";  // an empty message still gets its tab
  EXPECT_EQ(ComposeLogEntry(fields), Entry(u"Start\t"));
  fields.time = {1999, 12, 31, 23, 59, 59};
  fields.message = "v1.0.2.5";
  EXPECT_EQ(ComposeLogEntry(fields), u"[1999-12-31 23:59:59]\tStart\tv1.0.2.5\r\n");
}

TEST(LogEntry, SystemTextFollowsTheSignedCodeAndKeepsItsLineBreaks) {
  LogEntryFields fields = Fields("Open ");
  fields.errorCode = 5;
  fields.systemText = u"Access is denied.\r\nSecond line.\r\n";
  fields.message = "Log.txt";
  EXPECT_EQ(ComposeLogEntry(fields), Entry(u"Open 5: Access is denied.\r\nSecond line.\r\n\tLog.txt"));
  fields.errorCode = 0x80070005;
  fields.message.reset();
  EXPECT_EQ(ComposeLogEntry(fields), Entry(u"Open -2147024891: Access is denied.\r\nSecond line.\r\n"));
}

TEST(LogEntry, CodeWithoutSystemTextGetsTheVietnameseFallback) {
  LogEntryFields fields = Fields("SE ");
  fields.errorCode = 0xC0000005;
  // Precomposed letters (ô, ể, ấ, đ, ệ, ỗ), not base letters with combining marks.
  EXPECT_EQ(ComposeLogEntry(fields),
            Entry(u"SE Kh\u00F4ng th\u1EC3 l\u1EA5y th\u00F4ng \u0111i\u1EC7p l\u1ED7i! (-1073741819)"));
}

TEST(LogEntry, Utf8BecomesUtf16AndMalformedBytesBecomeReplacements) {
  LogEntryFields fields = Fields("T\xE1\xBA\xA3i v\xE1\xBB\x81");  // "Tải về"
  fields.message = "\xF0\x9F\x98\x80 \xC3\xA9";                    // U+1F600, é
  EXPECT_EQ(ComposeLogEntry(fields), Entry(u"T\u1EA3i v\u1EC1\t\xD83D\xDE00 \u00E9"));

  // One U+FFFD per bad byte: stray, cut short, overlong, encoded surrogate, past U+10FFFF.
  EXPECT_EQ(ComposeLogEntry(Fields("a\xFF"
                                   "b\xE2\x82"
                                   "c\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xC3")),
            Entry(u"a\uFFFDb\uFFFD\uFFFDc\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"));
}

TEST(LogEntry, LongEntryIsCutAtWholeCharactersAndStillEndsItsLine) {
  // Stamp and tab leave this many units for the message before the CR LF.
  const size_t room = kLogEntryMaxUnits - 2 - kStamp.size() - 1;
  const std::string emoji = "\xF0\x9F\x98\x80";
  LogEntryFields fields = Fields("");

  const std::string tooLong(5000, 'x');
  fields.message = tooLong;
  std::u16string entry = ComposeLogEntry(fields);
  EXPECT_EQ(entry, Entry(u"\t" + std::u16string(room, u'x')));

  const std::string fits = std::string(room - 2, 'x') + emoji;
  fields.message = fits;
  EXPECT_EQ(ComposeLogEntry(fields).size(), kLogEntryMaxUnits);

  // One unit short for the pair: it is dropped, and so is everything after it.
  const std::string straddles = std::string(room - 1, 'x') + emoji + "y";
  fields.message = straddles;
  EXPECT_EQ(ComposeLogEntry(fields), Entry(u"\t" + std::u16string(room - 1, u'x')));

  // The same for a pair in the system's own UTF-16 text, after "7: ".
  const std::u16string systemText = std::u16string(room - 3, u'x') + u"\xD83D\xDE00";
  fields.errorCode = 7;
  fields.systemText = systemText;
  fields.message.reset();
  EXPECT_EQ(ComposeLogEntry(fields), Entry(u"7: " + std::u16string(room - 3, u'x')));
}

TEST(LogPath, JoinsWithOneBackslash) {
  EXPECT_EQ(LogFolderPath("C:\\Users\\An\\AppData\\Local\\Temp\\slvn"),
            "C:\\Users\\An\\AppData\\Local\\Temp\\slvn\\Logs");
  EXPECT_EQ(LogFilePath("C:\\Temp\\slvn"), "C:\\Temp\\slvn\\Logs\\Log.txt");
  EXPECT_EQ(LogFilePath("D:\\"), "D:\\Logs\\Log.txt");
  EXPECT_EQ(LogFolderPath(""), "\\Logs");
  EXPECT_EQ(LogFilePath(""), "\\Logs\\Log.txt");
}

}  // namespace
}  // namespace sl
