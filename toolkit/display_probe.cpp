// Whether a display can be reached before Qt is asked for one: Qt aborts the process with a core
// dump and advice to reinstall when it finds none, which a program started from a shell without a
// desktop must not do.
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files/file_descriptor.h"
#include "toolkit/toolkit.h"

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

bool ConnectsLocally(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    return false;
  }
  std::memcpy(address.sun_path, path.data(), path.size());
  const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size());
  files::Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  return socket.get() >= 0 &&
         ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), length) == 0;
}

// What a refused connection says: libxcb writes the server's reason straight to stderr, where it
// would stand apart from the program's one line, so it is caught and becomes part of that line.
class CaughtStandardError {
 public:
  CaughtStandardError() : saved_(::dup(STDERR_FILENO)), sink_(::memfd_create("xcb", MFD_CLOEXEC)) {
    if (saved_.get() >= 0 && sink_.get() >= 0) {
      ::dup2(sink_.get(), STDERR_FILENO);
    }
  }
  ~CaughtStandardError() { Restore(); }

  // Everything written meanwhile, on one line.
  std::string Text() {
    Restore();
    std::string text(kLongestText, '\0');
    const ssize_t length = sink_.get() < 0 ? -1 : ::pread(sink_.get(), text.data(), text.size(), 0);
    text.resize(length > 0 ? std::size_t(length) : 0);
    for (char& c : text) {
      if (c == '\n') c = ' ';
    }
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
  }

 private:
  static constexpr std::size_t kLongestText = 512;
  void Restore() {
    if (saved_.get() >= 0 && sink_.get() >= 0) {
      ::dup2(saved_.get(), STDERR_FILENO);
    }
  }
  files::Descriptor saved_;
  files::Descriptor sink_;
};

// A real connection, as Qt's own would be made, so that a server that is there but refuses this
// client (no or a wrong authorisation cookie) counts as unreachable too. "" when it connects.
std::string X11Problem(const std::string& display) {
  CaughtStandardError caught;
  xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
  const bool connected = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  if (connected) {
    return std::string();
  }
  const std::string reason = caught.Text();
  return reason.empty() ? "cannot be reached" : "refuses the program (" + reason + ")";
}

bool WaylandDisplayReachable(const std::string& display) {
  if (display.front() == '/') {
    return ConnectsLocally(display);
  }
  const std::string runtime = Variable("XDG_RUNTIME_DIR");
  return !runtime.empty() && ConnectsLocally(runtime + "/" + display);
}

std::string Described(const char* name, const std::string& value,
                      const std::string& problem = "cannot be reached") {
  return value.empty() ? std::string(name) + " is not set"
                       : std::string(name) + "=" + value + " " + problem;
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
  const std::string x11Problem = wantsX11 && !x11.empty() ? X11Problem(x11) : std::string();
  if ((wantsX11 && !x11.empty() && x11Problem.empty()) ||
      (wantsWayland && !wayland.empty() && WaylandDisplayReachable(wayland))) {
    return std::string();
  }
  std::string looked;
  if (wantsX11) {
    looked = Described("DISPLAY", x11, x11Problem);
  }
  if (wantsWayland) {
    looked += (looked.empty() ? "" : ", ") + Described("WAYLAND_DISPLAY", wayland);
  }
  return looked;
}
