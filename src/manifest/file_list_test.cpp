#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "diag/log.h"
#include "manifest/file_list.h"

namespace sl {

namespace {

const std::string kMd5 = "00112233445566778899aabbccddeeff";
const std::string kLine = "http://h/x/b.pak," + kMd5 + ",1048576";

TEST(FileList, ClearResetsCountersButKeepsDoneBytes) {
  FileList list{{}, 1, 2.5, 100.0, 10, 4, 99};
  AddFileItem(list);
  EXPECT_EQ(AddFileItem(list).status, MDS_STATUS_INITIALIZING);
  EXPECT_EQ(ClearFileList(list), 2u);
  EXPECT_TRUE(list.items.empty());
  EXPECT_EQ(std::tie(list.currentIndex, list.sampleTime, list.rate, list.totalBytes, list.remainingSeconds),
            std::make_tuple(0, 0.0, 0.0, uint64_t{0}, uint32_t{0}));
  EXPECT_EQ(list.doneBytes, 99u);
}

TEST(FileList, ItemNamesComeFromTheUrlPathOrAStamp) {
  const UtcTime time{2024, 12, 31, 23, 59, 59, 999};
  FileItem item;
  item.fileName = "kept";
  SetItemUrl(item, "no-slash");
  EXPECT_EQ(item.fileName, "kept");
  SetItemUrl(item, "http://h/x/b.pak?v=2/3#f/g");
  EXPECT_EQ(item.url, "http://h/x/b.pak?v=2/3#f/g");
  EXPECT_EQ(item.fileName, "b.pak");
  MakeTempName(item, time);
  EXPECT_EQ(item.fileName, "b.pak");
  SetItemUrl(item, "http://h/x/");
  MakeTempName(item, time);
  EXPECT_EQ(item.fileName, "20241231235959999.tmp");
}

TEST(ParseFileList, LineEndingsMarksAndBlanksAroundLinesDoNotMatter) {
  const std::string bom = "\xEF\xBB\xBF";
  for (const std::string& text : {kLine, kLine + "\r\n", bom + kLine + "\n", bom + "  " + kLine + " \t\r\r\n",
                                  "\xC2\xA0" + kLine + "\xE3\x80\x80", "\n\r\n   \n" + kLine + "\n\n",
                                  "http://h/x/b" + bom + ".pak," + kMd5 + ",1048576"}) {
    const std::optional<std::vector<FileItem>> items = ParseFileList(text);
    ASSERT_TRUE(items.has_value()) << text;
    ASSERT_EQ(items->size(), 1u) << text;
    const FileItem& item = items->front();
    EXPECT_EQ(std::tie(item.url, item.fileName, item.md5, item.size, item.status),
              std::make_tuple(std::string("http://h/x/b.pak"), std::string("b.pak"), kMd5, uint64_t{1048576},
                              MDS_STATUS_INITIALIZING))
        << text;
  }
  EXPECT_TRUE(TakeCapturedLog().empty());
}

TEST(ParseFileList, FieldsAreSplitAtCommasAndNotTrimmed) {
  const std::optional<std::vector<FileItem>> items = ParseFileList(
      "http://h/a.pak,, 42\n"  // empty MD5; blanks before a size are allowed
      "http://h/b.pak\n"
      "http://h/c.pak," +
      kMd5 +
      ",\n"                             // a trailing comma adds no field
      ",ignored,1\n"                    // no URL: skipped
      "http://h/x y/d.pak,,7,junk,,");  // later fields ignored
  ASSERT_TRUE(items.has_value());
  ASSERT_EQ(items->size(), 4u);
  EXPECT_EQ((*items)[0].size, 42u);
  EXPECT_EQ((*items)[1].size, 0u);
  EXPECT_EQ((*items)[2].md5, kMd5);
  EXPECT_EQ((*items)[3].url, "http://h/x y/d.pak");
  EXPECT_EQ((*items)[3].size, 7u);
  const std::optional<std::vector<FileItem>> none = ParseFileList(",a,1\n \r\n");
  EXPECT_TRUE(none.has_value() && none->empty());  // no items: an empty list, not a refused one

  // Blanks around the URL or MD5 stay part of them, so the rules see (and refuse) them.
  EXPECT_FALSE(ParseFileList("http://h/b.pak ," + kMd5 + ",1").has_value());
  EXPECT_FALSE(ParseFileList("http://h/b.pak, " + kMd5 + ",1").has_value());
  EXPECT_EQ(TakeCapturedLog().size(), 2u);
}

TEST(ParseFileList, OneBadEntryRefusesTheWholeListAndIsLogged) {
  EXPECT_FALSE(ParseFileList(kLine + "\n\nhttp://h/x/..\\Stormline_VN.exe,,1\n" + kLine).has_value());
  const std::vector<CapturedLogEntry> expected = {
      {"StormlineHelper ", 0,
       "File list refused, line 3: character not allowed in a file name: http://h/x/..\\Stormline_VN.exe,,1",
       true}};
  EXPECT_EQ(TakeCapturedLog(), expected);
}

// Windows ignores letter case in file names, so these pairs would share one local file.
TEST(ParseFileList, TwoEntriesForOneLocalFileRefuseTheList) {
  const std::pair<std::string, std::string> pairs[] = {
      {"http://h/a/Data.pak", "http://h/b/DATA.PAK"},
      {"http://h/data.pak?v=1", "http://h/data.pak?v=2"},
      {"http://h/B\xC3\xA3o.pak", "http://h/B\xC3\x83O.PAK"},                              // Bão, BÃO
      {"http://h/\xC6\xB0\xE1\xBB\x9B\x63.pak", "http://h/\xC6\xAF\xE1\xBB\x9A\x43.pak"},  // ước, ƯỚC
      {"http://h/\xD0\xB4.pak", "http://h/\xD0\x94.pak"},                                  // д, Д
  };
  for (const auto& [first, second] : pairs) {
    EXPECT_FALSE(ParseFileList(first + ",,1\n" + second + ",,1\n").has_value()) << second;
    const std::vector<CapturedLogEntry> log = TakeCapturedLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].message, "File list refused, line 2: file name listed twice: " + second + ",,1");
  }
  EXPECT_EQ(
      ParseFileList("http://h/\xC6\xB0.pak,,1\nhttp://h/\xC6\xA1.pak,,1\nhttp://h/u.pak,,1").value().size(),
      3u);
}

TEST(ClipUtf8, CutsBeforeASplitCharacter) {
  EXPECT_EQ(ClipUtf8("ab\xE1\xBB\x87", 4), "ab");
  EXPECT_EQ(ClipUtf8("ab\xE1\xBB\x87", 5), "ab\xE1\xBB\x87");
  EXPECT_EQ(ClipUtf8("abc", 2), "ab");
}

}  // namespace

namespace {

const std::string kMixedCaseMd5 = "0123456789abcdefABCDEF0123456789";

TEST(FileListRules, AcceptsHarmlessEntries) {
  for (const std::string& url :
       std::vector<std::string>{"http://h/b.pak", "HTTPS://h/x/b.pak", "http://h/a.pak?name=..\\evil:dll#x/y",
                                "http://h/Ti\xE1\xBA\xBFng.pak", "http://h/a..b.pak", "http://h/COM10.pak",
                                "http://h/CONSOLE.pak", "http://h/" + std::string(250, 'a')}) {
    EXPECT_EQ(FileListEntryProblem(url, kMixedCaseMd5, "1"), nullptr) << url;
  }
  EXPECT_EQ(FileListEntryProblem("http://h/b.pak", "", ""), nullptr);
}

TEST(FileListRules, RefusesEachKindOfBadEntry) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"URL too long", {"http://h/" + std::string(251, 'a')}},
      {"URL is not http or https", {"ftp://h/b.pak", "file:///C:/b.pak", "h/b.pak", "http:/h/b.pak"}},
      {"URL has no host", {"http:///b.pak", "http://"}},
      {"URL names no file", {"http://h", "http://h?x=/b.pak", "http://h/dir/"}},
      {"control character in URL", {"http://h/a.pak\r\nX-Evil: 1", "http://h/a\x7F.pak"}},
      {"URL is not UTF-8", {"http://h/\xC3.pak", "http://h/\xC0\xAF.pak", "http://h/\xED\xA0\x80.pak"}},
      {"character not allowed in a file name",
       {"http://h/..\\..\\evil.dll", "http://h/C:evil.dll", "http://h/a.pak:stream", "http://h/a<b",
        "http://h/a>b", "http://h/a\"b", "http://h/a|b", "http://h/a*b"}},
      {"file name names a folder", {"http://h/.", "http://h/.."}},
      {"file name ends with a dot or blank", {"http://h/b.pak.", "http://h/b.pak "}},
      {"file name is a device name",
       {"http://h/NUL", "http://h/nul.txt", "http://h/Con.tar.gz", "http://h/CON .txt", "http://h/prn",
        "http://h/AUX.pak", "http://h/com1.pak", "http://h/LPT9", "http://h/COM\xC2\xB9.pak",
        "http://h/CONOUT$"}},
      {"file name is reserved for resume records", {"http://h/a.pak.sl-resume", "http://h/B.SL-RESUME"}},
  };
  for (const auto& [problem, urls] : cases) {
    for (const std::string& url : urls)
      EXPECT_STREQ(FileListEntryProblem(url, kMixedCaseMd5, "1"), problem) << url;
  }
  for (const std::string& md5 :
       std::vector<std::string>{kMixedCaseMd5.substr(1), kMixedCaseMd5 + "0", " " + kMixedCaseMd5.substr(1),
                                "g" + kMixedCaseMd5.substr(1)}) {
    EXPECT_STREQ(FileListEntryProblem("http://h/b.pak", md5, ""), "MD5 is not 32 hexadecimal digits") << md5;
  }
  EXPECT_STREQ(FileNameProblem(std::string(260, 'a')), "file name too long");
  EXPECT_EQ(FileNameProblem(std::string(259, 'a')), nullptr);
  EXPECT_STREQ(FileNameProblem(std::string("a\0b", 3)), "control character in file name");
}

TEST(FileListRules, SizeFieldsAreDecimalWithOptionalBlanksAndPlus) {
  const std::pair<const char*, uint64_t> read[] = {
      {"", 0}, {" 42", 42}, {"\t+42 ", 42}, {"18446744073709551615", UINT64_MAX}};
  for (const auto& [field, expected] : read) EXPECT_EQ(ParseSizeField(field), expected) << field;
  for (const char* field : {" ", "+", "-0", "-1", "4 2", "12abc", "0x10", "18446744073709551616"}) {
    EXPECT_EQ(ParseSizeField(field), std::nullopt) << field;
    EXPECT_STREQ(FileListEntryProblem("http://h/b.pak", "", field), "size is not a 64-bit decimal number");
  }
}

}  // namespace

}  // namespace sl
