#include "manifest/file_list_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sl {
namespace {

const std::string kMd5 = "0123456789abcdefABCDEF0123456789";

TEST(FileListRules, AcceptsHarmlessEntries) {
  for (const std::string& url :
       std::vector<std::string>{"http://h/b.pak", "HTTPS://h/x/b.pak", "http://h/a.pak?name=..\\evil:dll#x/y",
                                "http://h/Ti\xE1\xBA\xBFng.pak", "http://h/a..b.pak", "http://h/COM10.pak",
                                "http://h/CONSOLE.pak", "http://h/" + std::string(250, 'a')}) {
    EXPECT_EQ(FileListEntryProblem(url, kMd5, "1"), nullptr) << url;
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
    for (const std::string& url : urls) EXPECT_STREQ(FileListEntryProblem(url, kMd5, "1"), problem) << url;
  }
  for (const std::string& md5 :
       std::vector<std::string>{kMd5.substr(1), kMd5 + "0", " " + kMd5.substr(1), "g" + kMd5.substr(1)}) {
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
