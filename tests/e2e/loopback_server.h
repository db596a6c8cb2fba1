// A download server of the tests' own, on a fixed loopback port that a program build can name, for
// what nginx will not do: send slowly, stop after announcing a whole length, or say nothing at all.
// Answers Range requests as a resuming client expects.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <climits>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sl::e2e {

class LoopbackServer {
 public:
  // An answer given instead of the resource: a status and, when not empty, its Retry-After.
  struct Refusal {
    int status = 503;
    std::string retryAfter;
  };
  struct Resource {
    std::string body;
    size_t cutAt = std::string::npos;  // the connection closes once the body reaches this offset
    int cutAnswers = INT_MAX;          // ... in this many answers; later ones are whole
    bool cutHoldsUntilStop = false;    // ... only once Stop is called: an outage that starts with the cut
    DWORD pieceDelayMs = 0;            // pause after each piece
    size_t pieceBytes = 64 * 1024;
    DWORD silentMs = 0;  // waits this long before answering at all: a server that stopped talking
    std::vector<Refusal> refusals{};  // the first answers, in order, before the resource is served
    bool refuseAlways = false;        // the last refusal stays
    std::string etag{};               // sent; a Range under another If-Range gets the whole body
  };

  // Listens on the port; after Stop, Start listens again (a server that comes back).
  bool Start(uint16_t port);
  void Stop();
  void Publish(const std::string& path, Resource resource);
  void Clear();
  // "<path>|<Range header>" of every request, oldest first.
  std::vector<std::string> Requests();
  // Transfers that ended because the client went away.
  int Abandoned();
  // Cut answers that sent their part and wait for Stop to close their connection.
  int HoldingCuts();

 private:
  void AcceptLoop();
  void Serve(SOCKET client);

  std::mutex mutex_;
  std::map<std::string, Resource> resources_;
  std::map<std::string, int> answered_;  // answers given, by path
  std::vector<std::string> requests_;
  int abandoned_ = 0;
  int holdingCuts_ = 0;
  SOCKET listener_ = INVALID_SOCKET;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  std::vector<std::thread> connections_;
};

}  // namespace sl::e2e
