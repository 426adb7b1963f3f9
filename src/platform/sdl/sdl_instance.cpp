// Single instance: the first copy listens on an abstract local socket named after the user (and
// display); a later copy connects, asks it to come to the front, and ends without a window.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sdl/sdl_local.h"

namespace {

constexpr char kRaiseRequest[] = "raise\n";
constexpr size_t kMaxClients = 8;
constexpr uint32_t kClientTimeoutMs = 2000;

// A connection whose request has not arrived yet.
struct Client {
  int fd;
  uint32_t since;
  std::string received;
};

// Cleared by SdlInstanceClose; the socket lives from the first check to shutdown.
struct InstanceState {
  int listenFd = -1;
  std::vector<Client> clients;
};
InstanceState gInstance;

// The socket's address: a leading NUL puts it in the abstract namespace (no file to go stale).
// The display is part of the name, so a copy on another display (a test's virtual one, say)
// is not taken for this one.
socklen_t Address(sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  std::string name = "lanternia3." + std::to_string(getuid());
  const char* display = std::getenv("WAYLAND_DISPLAY");
  if (!display || !*display) display = std::getenv("DISPLAY");
  if (display && *display) name += std::string(".") + display;
  name = name.substr(0, sizeof address.sun_path - 2);
  std::memcpy(address.sun_path + 1, name.data(), name.size());
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

// Only the same user may talk to us (abstract sockets carry no file permissions).
bool SameUser(int fd) {
  ucred peer{};
  socklen_t length = sizeof peer;
  return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == getuid();
}

// Connects to a running copy and asks it to come forward. True when one answered the call.
bool AskRunningCopy() {
  sockaddr_un address;
  const socklen_t length = Address(address);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool found = false;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 && SameUser(fd)) {
    found = send(fd, kRaiseRequest, sizeof kRaiseRequest - 1, MSG_NOSIGNAL) ==
            static_cast<ssize_t>(sizeof kRaiseRequest - 1);
  }
  close(fd);
  return found;
}

// Takes the socket name for this copy (non-blocking).
bool Listen() {
  sockaddr_un address;
  const socklen_t length = Address(address);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || listen(fd, 4) != 0) {
    const int error = errno;
    close(fd);
    errno = error;
    return false;
  }
  gInstance.listenFd = fd;
  return true;
}

// Brings the window to the front, restoring it when minimised.
void Raise() {
  if (!gSdl.window) return;
  SDL_ShowWindow(gSdl.window);
  SDL_RestoreWindow(gSdl.window);
  SDL_RaiseWindow(gSdl.window);
}

}  // namespace

// Hands over to a running copy, or becomes the copy later starts will find.
bool SdlInstanceActivate() {
  if (gInstance.listenFd >= 0) return false;
  if (AskRunningCopy()) return true;
  if (Listen()) return false;
  // Someone took the name between our two calls: a copy starting at the same moment.
  if (errno == EADDRINUSE && AskRunningCopy()) return true;
  // No socket at all: run without the single-instance guard rather than not at all.
  return false;
}

// Accepts connections and serves whole requests; drops slow or odd ones.
void SdlInstancePoll() {
  if (gInstance.listenFd < 0) return;
  for (;;) {
    const int fd = accept4(gInstance.listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) break;
    if (!SameUser(fd) || gInstance.clients.size() >= kMaxClients) {
      close(fd);
      continue;
    }
    gInstance.clients.push_back(Client{fd, SDL_GetTicks(), {}});
  }
  const uint32_t now = SDL_GetTicks();
  for (size_t i = 0; i < gInstance.clients.size();) {
    Client& client = gInstance.clients[i];
    char buffer[64];
    bool done = false;
    const ssize_t n = recv(client.fd, buffer, sizeof buffer, 0);
    if (n > 0) {
      client.received.append(buffer, static_cast<size_t>(n));
      if (client.received.find('\n') != std::string::npos) {
        if (client.received.rfind(kRaiseRequest, 0) == 0) Raise();
        done = true;
      }
      done = done || client.received.size() > 32;  // not one of ours
    } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
      done = true;
    }
    if (now - client.since > kClientTimeoutMs) done = true;
    if (done) {
      close(client.fd);
      gInstance.clients.erase(gInstance.clients.begin() + static_cast<long>(i));
    } else {
      i++;
    }
  }
}

// Closes the socket and every connection.
void SdlInstanceClose() {
  for (const Client& client : gInstance.clients) close(client.fd);
  if (gInstance.listenFd >= 0) close(gInstance.listenFd);
  gInstance = InstanceState{};
}
