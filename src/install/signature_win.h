// Authenticode on Windows: the signature of a file, read with the platform's trust verification,
// and the rule of signature_rules.h applied against this program's own signature.
#pragma once

#include <windows.h>

#include <string>

#include "install/signature_rules.h"

namespace sl {

// Whether the program at `path`, read through `held` (open for reading, not shared with writers,
// so it cannot change between this check and its start), may be started elevated or replace this
// one (signature_rules.h). The first check of an unsigned program logs once that it skips them.
// Any thread.
[[nodiscard]] bool SignedLikeThisProgram(const std::string& path, HANDLE held);

}  // namespace sl
