// Single instance: the first copy listens on an abstract local socket named after the user (and
// display); a later copy connects, asks it to come to the front, and ends without a window.
// The listening copy serves the socket on a thread of its own that sleeps until a connection
// or a request comes and posts each request to the window's event queue, so the game's waits
// never have to look at the socket.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
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
  int stopFds[2] = {-1, -1};  // a pipe: writing to it ends the thread
  pthread_t thread{};
  bool threadRunning = false;
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

// A request to come forward: posted to the main thread, which owns the window.
void PostRaise() {
  SDL_Event event{};
  event.type = gSdl.raiseEvent;
  if (event.type != 0) SDL_PushEvent(&event);
}

// Reads what a connection sent; answers true when it is done with (served, closed or odd).
bool Serve(Client& client) {
  char buffer[64];
  const ssize_t n = recv(client.fd, buffer, sizeof buffer, 0);
  if (n < 0) return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
  if (n == 0) return true;
  client.received.append(buffer, static_cast<size_t>(n));
  if (client.received.find('\n') != std::string::npos) {
    if (client.received.rfind(kRaiseRequest, 0) == 0) PostRaise();
    return true;
  }
  return client.received.size() > 32;  // not one of ours
}

// The listening thread: accepts connections and serves whole requests; drops slow or odd ones.
void* ListenThread(void*) {
  std::vector<Client> clients;
  for (;;) {
    std::vector<pollfd> fds{{gInstance.stopFds[0], POLLIN, 0}, {gInstance.listenFd, POLLIN, 0}};
    for (const Client& client : clients) fds.push_back({client.fd, POLLIN, 0});
    int timeout = -1;
    const uint32_t now = SDL_GetTicks();
    for (const Client& client : clients) {
      const uint32_t age = now - client.since;
      const int left = age >= kClientTimeoutMs ? 0 : static_cast<int>(kClientTimeoutMs - age);
      timeout = timeout < 0 ? left : std::min(timeout, left);
    }
    if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) break;
    if (fds[0].revents) break;
    for (size_t i = clients.size(); i-- > 0;) {
      Client& client = clients[i];
      const bool done = (fds[2 + i].revents && Serve(client)) ||
                        SDL_GetTicks() - client.since >= kClientTimeoutMs;
      if (done) {
        close(client.fd);
        clients.erase(clients.begin() + static_cast<long>(i));
      }
    }
    if (!(fds[1].revents & POLLIN)) continue;
    for (;;) {
      const int fd = accept4(gInstance.listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd < 0) break;
      if (!SameUser(fd) || clients.size() >= kMaxClients) {
        close(fd);
        continue;
      }
      clients.push_back(Client{fd, SDL_GetTicks(), {}});
    }
  }
  for (const Client& client : clients) close(client.fd);
  return nullptr;
}

// Serves the socket from now on.
void StartListening() {
  if (gSdl.raiseEvent == 0) {
    const uint32_t type = SDL_RegisterEvents(1);
    gSdl.raiseEvent = type == static_cast<uint32_t>(-1) ? 0 : type;
  }
  if (pipe2(gInstance.stopFds, O_CLOEXEC) != 0) return;
  gInstance.threadRunning = pthread_create(&gInstance.thread, nullptr, ListenThread, nullptr) == 0;
}

}  // namespace

// Hands over to a running copy, or becomes the copy later starts will find.
bool SdlInstanceActivate() {
  if (gInstance.listenFd >= 0) return false;
  if (AskRunningCopy()) return true;
  if (Listen()) {
    StartListening();
    return false;
  }
  // Someone took the name between our two calls: a copy starting at the same moment.
  if (errno == EADDRINUSE && AskRunningCopy()) return true;
  // No socket at all: run without the single-instance guard rather than not at all.
  return false;
}

// Brings the window to the front, restoring it when minimised.
void SdlInstanceRaise() {
  if (!gSdl.window) return;
  SDL_ShowWindow(gSdl.window);
  SDL_RestoreWindow(gSdl.window);
  SDL_RaiseWindow(gSdl.window);
}

// Ends the thread, closes the socket and every connection.
void SdlInstanceClose() {
  if (gInstance.threadRunning) {
    const char stop = 1;
    while (write(gInstance.stopFds[1], &stop, 1) < 0 && errno == EINTR) {
    }
    pthread_join(gInstance.thread, nullptr);
  }
  for (const int fd : gInstance.stopFds) {
    if (fd >= 0) close(fd);
  }
  if (gInstance.listenFd >= 0) close(gInstance.listenFd);
  gInstance = InstanceState{};
}
