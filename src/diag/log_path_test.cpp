#include "diag/log.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

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
