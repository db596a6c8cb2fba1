#include "store/registry_win.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

constexpr wchar_t kScratchKeyPath[] = L"SOFTWARE\\Oskelon\\StoreRegistryTest";

TEST(Registry, OpensLauncherKeyAndCreatesOnlyWhenAsked) {
  UniqueRegKey key;
  EXPECT_EQ(Reg_OpenKey(key, kLauncherKeyPath, /*create=*/true), ERROR_SUCCESS);
  EXPECT_TRUE(key.valid());
  EXPECT_EQ(Reg_OpenKey(key, L"SOFTWARE\\Oskelon\\NoSuchKey", /*create=*/false), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key.valid());
}

// Values no well-behaved writer stores, in a key of our own.
TEST(Registry, MalformedTextValuesAreCutOrIgnored) {
  UniqueRegKey key;
  ASSERT_EQ(Reg_OpenKey(key, kScratchKeyPath, /*create=*/true), ERROR_SUCCESS);
  const auto set = [&](const wchar_t* name, DWORD type, const void* data, size_t bytes) {
    ::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes));
    return RegReadText(key.get(), name);
  };
  const DWORD number = 0x00430043;  // "CC" if misread as text
  EXPECT_EQ(set(L"Number", REG_DWORD, &number, sizeof(number)), L"");
  EXPECT_EQ(set(L"Unterminated", REG_SZ, L"abcXYZ", 6), L"abc");
  EXPECT_EQ(set(L"OddSize", REG_SZ, L"abcXYZ", 7), L"abc");
  EXPECT_EQ(set(L"Embedded", REG_SZ, L"ab\0cd", 12), L"ab");
  const std::wstring tooLarge(600, L'g');
  EXPECT_EQ(set(L"TooLarge", REG_SZ, tooLarge.c_str(), 601 * sizeof(wchar_t)), L"");
  ::SetEnvironmentVariableW(L"SL_STORE_TEST_ROOT", L"D:\\Games");
  const wchar_t expandable[] = L"%SL_STORE_TEST_ROOT%\\SL";
  EXPECT_EQ(set(L"Expand", REG_EXPAND_SZ, expandable, sizeof(expandable)), L"D:\\Games\\SL");

  EXPECT_EQ(RegWriteText(key.get(), L"Long", std::wstring(512, L'x')), ERROR_INVALID_PARAMETER);
  key.reset();
  ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kScratchKeyPath, KEY_WOW64_64KEY, 0);
}

}  // namespace
}  // namespace sl
