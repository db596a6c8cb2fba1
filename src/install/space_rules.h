// Whether the drives hold what a step still needs, judged before its first byte is fetched.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sl {

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
