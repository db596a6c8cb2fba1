// Runs code so that a hardware or system exception inside it is logged and survived.
#pragma once

extern "C" {
// Calls fn(context) under a structured-exception frame (seh_guard_x64.S). Returns 1 when fn
// returned, 0 when an exception ended it after being logged under `source`.
int SlSehGuardedCall(void (*fn)(void*), void* context, const char* source);
}

namespace sl {

// Runs body(); returns false when a structured exception (access violation, divide by zero,
// RaiseException...) ended it. The exception is logged once, under sourceUtf8, and the program
// goes on. Guards nest: the innermost one reports.
//
// GCC's unwinder ignores exceptions it did not throw itself, so destructors of objects living
// between this call and the fault do NOT run: a body must not hold locks or other state whose
// release the rest of the program depends on. C++ exceptions pass through unreported and unwind
// as usual.
template <class F>
[[nodiscard]] bool RunGuarded(const char* sourceUtf8, F&& body) {
  auto call = [&body] { body(); };  // one object type for lambdas, functions and pointers alike
  using Call = decltype(call);
  return SlSehGuardedCall([](void* context) { (*static_cast<Call*>(context))(); }, &call, sourceUtf8) != 0;
}

}  // namespace sl
