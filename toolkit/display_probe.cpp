// Whether a display can be reached before Qt is asked for one: Qt aborts the process with a core
// dump and advice to reinstall when it finds none, which a program started from a shell without a
// desktop must not do.
#include <netdb.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

#include "toolkit/file_descriptor.h"
#include "toolkit/toolkit.h"

namespace {

constexpr int kFirstX11Port = 6000;
constexpr const char* kX11SocketFolder = "/tmp/.X11-unix/X";

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// An abstract socket name starts with a zero byte; X servers listen on both kinds.
bool ConnectsLocally(const std::string& path, bool abstract) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;
  if (path.size() + offset >= sizeof address.sun_path) {
    return false;
  }
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  const socklen_t length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
  toolkit::Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  return socket.get() >= 0 &&
         ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), length) == 0;
}

bool ConnectsOverNetwork(const std::string& host, int port) {
  addrinfo wanted{};
  wanted.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &wanted, &found) != 0) {
    return false;
  }
  bool connected = false;
  for (addrinfo* candidate = found; candidate != nullptr && !connected;
       candidate = candidate->ai_next) {
    toolkit::Descriptor socket(::socket(candidate->ai_family, candidate->ai_socktype | SOCK_CLOEXEC,
                           candidate->ai_protocol));
    connected = socket.get() >= 0 &&
                ::connect(socket.get(), candidate->ai_addr, candidate->ai_addrlen) == 0;
  }
  ::freeaddrinfo(found);
  return connected;
}

// DISPLAY is [host]:number[.screen]; no host (or "unix") means this machine's socket.
bool X11DisplayReachable(const std::string& display) {
  const std::size_t colon = display.rfind(':');
  if (colon == std::string::npos) {
    return false;
  }
  const std::string host = display.substr(0, colon);
  const std::string rest = display.substr(colon + 1);
  const std::string number = rest.substr(0, rest.find('.'));
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  if (host.empty() || host == "unix") {
    const std::string path = kX11SocketFolder + number;
    return ConnectsLocally(path, true) || ConnectsLocally(path, false);
  }
  if (host.front() == '/') {
    return ConnectsLocally(display.substr(0, colon), false);
  }
  return ConnectsOverNetwork(host, kFirstX11Port + std::stoi(number));
}

bool WaylandDisplayReachable(const std::string& display) {
  if (display.front() == '/') {
    return ConnectsLocally(display, false);
  }
  const std::string runtime = Variable("XDG_RUNTIME_DIR");
  return !runtime.empty() && ConnectsLocally(runtime + "/" + display, false);
}

std::string Described(const char* name, const std::string& value) {
  return value.empty() ? std::string(name) + " is not set"
                       : std::string(name) + "=" + value + " cannot be reached";
}

}  // namespace

std::string MissingDisplay() {
  const std::string platform = Variable("QT_QPA_PLATFORM");
  const std::string x11 = Variable("DISPLAY");
  const std::string wayland = Variable("WAYLAND_DISPLAY");
  const bool wantsX11 = platform.empty() || platform.rfind("xcb", 0) == 0;
  const bool wantsWayland = platform.empty() || platform.rfind("wayland", 0) == 0;
  if (!wantsX11 && !wantsWayland) {
    return std::string();  // a platform of Qt's own that needs no display, such as offscreen
  }
  if ((wantsX11 && !x11.empty() && X11DisplayReachable(x11)) ||
      (wantsWayland && !wayland.empty() && WaylandDisplayReachable(wayland))) {
    return std::string();
  }
  std::string looked;
  if (wantsX11) {
    looked = Described("DISPLAY", x11);
  }
  if (wantsWayland) {
    looked += (looked.empty() ? "" : ", ") + Described("WAYLAND_DISPLAY", wayland);
  }
  return looked;
}
