// For Wine tests: the tracking test server (tests/servers/tracking.sh) as the tests see it, and
// its CA trusted in the test's Wine prefix.
#pragma once

#include <string>
#include <vector>

namespace sl::test {

struct TrackingRequest {
  std::string method, path, host, agent, type;
  std::string json;  // "ok", "bad", or empty for a GET
  std::string keys;  // member names of a JSON body, in order, joined by ","
  std::string body;
};

class TrackingServer {
 public:
  // `folder` is the server's folder, a Unix path as given on the test's command line.
  explicit TrackingServer(const std::string& folder);

  // Sets the body and status that "ip" (the public address) or "report" answers from now on.
  void SetAnswer(const wchar_t* name, const std::string& body, int status) const;
  // Forgets the recorded requests and restores the default answers.
  void Reset() const;
  // The requests recorded so far, oldest first.
  [[nodiscard]] std::vector<TrackingRequest> Requests() const;
  [[nodiscard]] std::wstring CaPath() const { return folder_ + L"\\tls\\ca.crt"; }

 private:
  std::wstring folder_;
};

// A CA certificate (PEM) in the prefix's Root stores, user and machine, while the object lives:
// the prefix is the tests' own, so nothing outside it learns to trust that CA.
class TrustedCa {
 public:
  explicit TrustedCa(const std::wstring& pemPath);
  ~TrustedCa();
  TrustedCa(const TrustedCa&) = delete;
  TrustedCa& operator=(const TrustedCa&) = delete;
  [[nodiscard]] bool added() const { return added_; }

 private:
  bool Change(unsigned long location, bool add);

  std::vector<unsigned char> der_;
  bool added_ = false;
};

}  // namespace sl::test
