#include "loopback_server.h"

#include <algorithm>
#include <cctype>

namespace sl::e2e {
namespace {

std::string HeaderValue(const std::string& request, std::string name) {
  std::string lower = request;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const size_t at = lower.find("\r\n" + name + ":");
  if (at == std::string::npos) return {};
  const size_t start = request.find_first_not_of(' ', at + name.size() + 3);
  return request.substr(start, request.find("\r\n", start) - start);
}

bool SendAll(SOCKET client, const char* data, size_t size) {
  while (size > 0) {
    const int sent = ::send(client, data, static_cast<int>(size), 0);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

}  // namespace

bool LoopbackServer::Start(uint16_t port) {
  WSADATA data;
  if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  stopping_ = false;
  listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  const BOOL reuse = TRUE;  // listen again at once after Stop, as a restarted server does
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = ::htons(port);
  address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
  if (listener_ == INVALID_SOCKET ||
      ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(listener_, 16) != 0) {
    return false;
  }
  acceptor_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void LoopbackServer::Stop() {
  stopping_ = true;
  ::closesocket(listener_);
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> connections;
  {
    std::lock_guard lock(mutex_);
    connections.swap(connections_);
  }
  for (std::thread& connection : connections) connection.join();
}

void LoopbackServer::Publish(const std::string& path, Resource resource) {
  std::lock_guard lock(mutex_);
  resources_[path] = std::move(resource);
  answered_.erase(path);  // its refusals and cuts count from now
}

void LoopbackServer::Clear() {
  std::lock_guard lock(mutex_);
  resources_.clear();
  answered_.clear();
  requests_.clear();
  abandoned_ = 0;
  holdingCuts_ = 0;
}

std::vector<std::string> LoopbackServer::Requests() {
  std::lock_guard lock(mutex_);
  return requests_;
}

int LoopbackServer::HoldingCuts() {
  std::lock_guard lock(mutex_);
  return holdingCuts_;
}

int LoopbackServer::Abandoned() {
  std::lock_guard lock(mutex_);
  return abandoned_;
}

void LoopbackServer::AcceptLoop() {
  for (;;) {
    const SOCKET client = ::accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    std::lock_guard lock(mutex_);
    connections_.emplace_back([this, client] { Serve(client); });
  }
}

void LoopbackServer::Serve(SOCKET client) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    const int received = ::recv(client, buffer, sizeof(buffer), 0);
    if (received <= 0) break;
    request.append(buffer, static_cast<size_t>(received));
  }
  const size_t pathStart = request.find(' ') + 1;
  const std::string target = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
  const std::string path = target.substr(0, target.find('?'));
  const std::string range = HeaderValue(request, "range");
  const std::string ifRange = HeaderValue(request, "if-range");
  Resource resource;
  bool found = false;
  int answer = 0;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(path + "|" + range + (ifRange.empty() ? "" : "|" + ifRange));
    if (auto it = resources_.find(path); it != resources_.end()) {
      resource = it->second;
      found = true;
      answer = answered_[path]++;
    }
  }
  for (DWORD waited = 0; found && waited < resource.silentMs && !stopping_; waited += 100) ::Sleep(100);
  const size_t size = resource.body.size();
  size_t start = 0;
  if (range.rfind("bytes=", 0) == 0 && (ifRange.empty() || ifRange == resource.etag))
    start = std::stoull(range.substr(6));
  const std::string tag = resource.etag.empty() ? std::string() : "ETag: " + resource.etag + "\r\n";
  const size_t refusals = resource.refusals.size();
  std::string head;
  size_t end = std::min(size, answer < resource.cutAnswers ? resource.cutAt : std::string::npos);
  if (!found) {
    head = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n";
    end = 0;
  } else if (refusals != 0 && (static_cast<size_t>(answer) < refusals || resource.refuseAlways)) {
    const Refusal& refusal = resource.refusals[std::min(static_cast<size_t>(answer), refusals - 1)];
    head = "HTTP/1.1 " + std::to_string(refusal.status) + " Refused\r\nContent-Length: 0\r\n";
    if (!refusal.retryAfter.empty()) head += "Retry-After: " + refusal.retryAfter + "\r\n";
    end = 0;
  } else if (start > 0 && start < size) {
    head = "HTTP/1.1 206 Partial Content\r\nContent-Length: " + std::to_string(size - start) +
           "\r\nContent-Range: bytes " + std::to_string(start) + "-" + std::to_string(size - 1) + "/" +
           std::to_string(size) + "\r\n" + tag;
  } else {
    start = 0;
    head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n" + tag;
  }
  head += "Connection: close\r\n\r\n";
  bool whole = SendAll(client, head.data(), head.size());
  for (size_t at = start; whole && at < end && !stopping_; at += resource.pieceBytes) {
    whole = SendAll(client, resource.body.data() + at, std::min(resource.pieceBytes, end - at));
    if (resource.pieceDelayMs != 0) ::Sleep(resource.pieceDelayMs);
  }
  if (whole && end == resource.cutAt && resource.cutHoldsUntilStop) {
    {
      std::lock_guard lock(mutex_);
      ++holdingCuts_;
    }
    while (!stopping_) ::Sleep(20);
  }
  if (!whole) {
    std::lock_guard lock(mutex_);
    ++abandoned_;
  }
  ::shutdown(client, SD_SEND);
  ::closesocket(client);
}

}  // namespace sl::e2e
