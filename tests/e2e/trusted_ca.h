// The test servers' throw-away CA, trusted by the Wine prefix while an object of this class lives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sl::e2e {

// The CA (PEM, "<servers folder>\tls\ca.crt") goes into the prefix's Root stores, user and machine;
// the prefix is the tests' own, so nothing outside it learns to trust this CA.
class TrustedTestCa {
 public:
  explicit TrustedTestCa(const std::wstring& serversFolder);
  ~TrustedTestCa();
  TrustedTestCa(const TrustedTestCa&) = delete;
  TrustedTestCa& operator=(const TrustedTestCa&) = delete;
  [[nodiscard]] bool added() const { return added_; }

 private:
  bool Change(DWORD location, bool add);

  std::vector<BYTE> der_;
  bool added_ = false;
};

}  // namespace sl::e2e
