// The self-update's rules, free of Win32: the launcher manifest and the program's roles, whether a package
// may be applied, and what its window shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/skin_rules.h"

namespace sl {

// Platform-free decisions of the self-update: the launcher manifest, the role of the running file,
// what the start-up check does, and the names, addresses and texts it uses.

inline constexpr char kUpdateFailedText[] = "Có lỗi trong quá trình cập nhật. Vui lòng thử lại sau!";
inline constexpr char kApplyErrorCaption[] = "Stormline VN";

// The self-update window's one view: its size, the caption band with the caption's text centred
// in it, and the progress panel with its label and percent (those two in the panel's own
// coordinates), in 96-DPI client pixels, and the height of its font.
struct SelfUpdateView {
  int width = 490;
  int height = 120;
  SkinRect captionBand{0, 0, 490, 30};
  std::string caption;
  SkinRect panel{5, 40, 485, 100};
  SkinRect label{0, 0, 420, 30};
  SkinRect percent{420, 0, 480, 30};
  int fontHeight = 14;
};

// The view for the product's caption: "<caption> đang cập nhật...".
[[nodiscard]] SelfUpdateView SelfUpdateViewFor(std::string_view productCaption);

// The launcher manifest is one decimal number, read as the C library reads an int: blanks, a sign,
// digits, anything after them ignored; a leading byte-order mark is skipped. 0 means no version:
// no digits, a value outside 32 bits, or a value below 1. The last is logged: compared unsigned, as
// it once was, -5 offered version 4294967.2.9.1 and a package that never existed.
[[nodiscard]] int32_t ParseLauncherVersion(std::string_view text);

// The launcher manifest may also name the package's length and MD5, on lines "PackageSize=<bytes>"
// and "PackageMD5=<32 hexadecimal digits>" after the number; a value that is not one is left out.
struct LauncherManifest {
  int32_t version = 0;
  std::optional<uint64_t> packageSize;
  std::string packageMd5;  // lower case; empty when not given
};
[[nodiscard]] LauncherManifest ParseLauncherManifest(std::string_view text);

// What the running file is, from its own name (any case, as the system compares module names):
// the main file "<base>.exe", the copy "<base>.bin" that replaces it, or something else.
enum class Role { Main, Copy, Other };
[[nodiscard]] Role RoleOf(std::string_view exeName);

enum class CheckOutcome {
  Continue,         // nothing newer: a leftover copy is removed and the installer goes on
  AskPlayer,        // the main file offers the update and hands over to the copy on Yes
  ApplyOrDownload,  // the copy applies a package that is already there, else downloads it
  Download,         // any other name downloads the package in the self-update window
};
[[nodiscard]] CheckOutcome DecideCheck(int32_t serverVersion, int32_t ownVersion, Role role);

// "Bạn đang ở phiên bản cũ. ..." naming the version as four parts: 1026 is 1.0.2.6, 12345 is 12.3.4.5.
[[nodiscard]] std::string UpdatePrompt(int32_t version);

// Addresses under the download server's base URL (no trailing slash).
[[nodiscard]] std::string LauncherManifestUrl(std::string_view baseUrl, int32_t ownVersion);
[[nodiscard]] std::string PackageUrl(std::string_view baseUrl, int32_t version);

// The package is downloaded under this name beside its own and renamed only once it is complete,
// so the package name never stands for a partial file.
[[nodiscard]] std::string PartialPackageName(std::string_view packageName);

inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorSharingViolation = 32;

// What the player is told when the package cannot be written over the main file.
[[nodiscard]] std::string_view ApplyErrorText(uint32_t systemError);

// Whether `image` is the main or the copy file beside `ownImage` (full paths, any case): a running
// program of that image that started this one is handing over to it.
[[nodiscard]] bool IsHandOverPartner(std::string_view image, std::string_view ownImage);

// Whether a downloaded package may replace the main file: it must be a whole x86 or x86-64 Windows
// program (a publisher may ship either).

// How much of the start of a package JudgePackage needs: the headers and the section table.
inline constexpr size_t kPackageHeadBytes = 4096;

// The image format's numbers JudgePackage reads: machines, characteristics, optional-header magics
// and the sizes of the file header and of a section header.
inline constexpr uint16_t kMachineI386 = 0x14C;
inline constexpr uint16_t kMachineAmd64 = 0x8664;
inline constexpr uint16_t kExecutableImage = 0x0002;
inline constexpr uint16_t kDll = 0x2000;
inline constexpr uint16_t kPe32Magic = 0x10B;
inline constexpr uint16_t kPe32PlusMagic = 0x20B;
inline constexpr size_t kCoffHeaderBytes = 20;
inline constexpr size_t kSectionHeaderBytes = 40;

enum class PackageVerdict {
  Ready,          // a complete x86 or x86-64 Windows executable
  Incomplete,     // shorter than announced, or than its own sections say: a transfer cut short
  NotExecutable,  // anything else; waiting for more bytes cannot mend it
};

// `head` is the file's first kPackageHeadBytes bytes (all of a shorter file) and `fileSize` its
// length on disk; `announcedLength` is the Content-Length of the transfer that wrote it, when known.
[[nodiscard]] PackageVerdict JudgePackage(std::string_view head, uint64_t fileSize,
                                          std::optional<uint64_t> announcedLength);

// How the self-update window follows its download: the label for each status and the percentage.

struct StatusReaction {
  std::string_view labelPrefix;  // put before the status text (file name or error) in the label
  bool ends;                     // the transfer is over: 1013 done or 1018 failed
};

// None for a code the window does not know: it changes neither the label nor the wait.
[[nodiscard]] std::optional<StatusReaction> ReactionTo(int32_t statusCode);

// done / total × 100; none while the total is unknown (0).
[[nodiscard]] std::optional<double> DownloadPercent(int64_t done, int64_t total);

}  // namespace sl
