// Platform-free rules of the main window: close questions and static-text colours.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sl {

// The question asked before closing, or none when the program may close at once.
[[nodiscard]] std::optional<std::string_view> CloseQuestion(uint32_t workflowState);

struct Rgb {
  uint8_t r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class StaticRole { FolderField, FolderLabel, VersionLabel };

struct StaticColors {
  Rgb background;
  Rgb text;
};

[[nodiscard]] StaticColors ColorsOf(StaticRole role);

}  // namespace sl
