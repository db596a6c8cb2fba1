// The install's rules, free of Win32: the default folder at start-up, the first-open report's tracking id,
// whose signature a program must carry, and what a step needs on which drive.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sl {

// Start-up choices of the install controller.

// The install folder used when nothing is installed: "<ProgramFiles>\Oskelon\Bao Lua";
// empty when the environment gave no ProgramFiles folder.
[[nodiscard]] std::string DefaultInstallDir(std::string_view programFiles);

// The user id a publisher's download link puts into the installer's file name.

// The first 8-4-4-4-12 hexadecimal GUID text in the file-name part of `exePath`; empty when none.
[[nodiscard]] std::string FindTrackingId(std::string_view exePath);

// Whether a program may be started elevated, or become the program itself, by its Authenticode
// signature: once this program is signed, only programs of the same publisher are. Platform-free.

enum class SignatureState {
  Unsigned,  // no signature at all
  Valid,     // the file is as signed, and the signer chains to a trusted root
  Invalid,   // a signature that does not hold: changed bytes, an unknown root, a revoked signer
};

// A signer's certificate chain is good when it carries no error but those of a revocation status
// that could not be learned (a player offline, a revocation server away): a certificate known to
// be revoked is not. Bits as CERT_TRUST_STATUS.dwErrorStatus gives them.
inline constexpr uint32_t kTrustRevocationStatusUnknown = 0x00000040;
inline constexpr uint32_t kTrustIsOfflineRevocation = 0x01000000;
[[nodiscard]] bool ChainErrorsAcceptable(uint32_t errorStatus);

enum class TrustVerdict {
  Accept,           // signed by this program's publisher
  AcceptUnchecked,  // this program is not signed (test and demo builds): nothing to compare with
  Refuse,
};
// `sameSubject`: the file's signer has the subject of this program's signer.
[[nodiscard]] TrustVerdict DecideTrust(SignatureState own, SignatureState file, bool sameSubject);

// What the player reads when a setup program or the self-update package is refused.
[[nodiscard]] std::string SetupRefusedText(std::string_view setupName);
[[nodiscard]] std::string PackageRefusedText(std::string_view packageName);

// Whether the drives hold what a step still needs, judged before its first byte is fetched.

struct DriveSpace {
  std::string root;                   // "D:\"
  std::optional<uint64_t> freeBytes;  // none when the drive cannot be asked: not judged
};

struct SpaceNeed {
  uint64_t download = 0;  // listed bytes not yet on disk
  uint64_t install = 0;   // what the setup program writes: taken as the step's listed bytes
};

// One listed file: its size (0 = not given, which counts nothing) and the bytes already on disk
// under its name.
void AddToSpaceNeed(SpaceNeed& need, uint64_t listedSize, uint64_t onDisk);

// The player's message when a drive is short, naming the drive, the bytes needed and the bytes
// free; none when both fit. One drive holding both folders must hold both needs.
[[nodiscard]] std::optional<std::string> ShortSpaceText(const SpaceNeed& need, const DriveSpace& download,
                                                        const DriveSpace& install);

// "1.50 GB", "300.0 MB", "512 KB": bytes as the player reads them (2^10 steps).
[[nodiscard]] std::string ByteCountText(uint64_t bytes);

}  // namespace sl
