#include "X11TestSupport.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <thread>

namespace x11test {

bool haveDisplay() {
  const char* name = std::getenv("DISPLAY");
  return name && *name;
}

// Xvfb turns a connection away now and then when it is busy.
Connection::Connection() : display(XOpenDisplay(nullptr)) {
  for (int attempt = 0; !display && attempt < 20; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    display = XOpenDisplay(nullptr);
  }
}
Connection::~Connection() {
  if (display) XCloseDisplay(display);
}

namespace {

std::vector<Window> windowsOfClass(Display* display, const char* className) {
  std::vector<Window> found;
  Window root, parent, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
    return found;
  for (unsigned i = 0; i < count; ++i) {
    XClassHint hint{};
    if (!XGetClassHint(display, children[i], &hint)) continue;
    const bool match = hint.res_name && std::strcmp(hint.res_name, className) == 0 &&
                       hint.res_class && std::strcmp(hint.res_class, "Mintwerk") == 0;
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    XWindowAttributes attributes;
    if (match && XGetWindowAttributes(display, children[i], &attributes) &&
        attributes.map_state == IsViewable)
      found.push_back(children[i]);
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

Window waitForWindow(Display* display, const char* className, Window besides) {
  for (int i = 0; i < 500; ++i) {
    for (Window w : windowsOfClass(display, className))
      if (w != besides) {
        // Give it a moment to paint and to take the keyboard.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return w;
      }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 0;
}

int countWindows(Display* display, const char* className) {
  return static_cast<int>(windowsOfClass(display, className).size());
}

std::string textProperty(Display* display, Window window, const char* name) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 65536, False,
                         AnyPropertyType, &type, &format, &count, &after, &data) != Success ||
      !data)
    return std::string();
  std::string text(reinterpret_cast<char*>(data), count);
  XFree(data);
  return text;
}

std::string propertyType(Display* display, Window window, const char* name) {
  Atom type = 0;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 0, False,
                         AnyPropertyType, &type, &format, &count, &after, &data) != Success)
    return std::string();
  if (data) XFree(data);
  if (!type) return std::string();
  char* typeName = XGetAtomName(display, type);
  const std::string out = typeName ? typeName : "";
  if (typeName) XFree(typeName);
  return out;
}

std::vector<unsigned long> longProperty(Display* display, Window window, const char* name) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::vector<unsigned long> values;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False,
                         AnyPropertyType, &type, &format, &count, &after, &data) != Success ||
      !data)
    return values;
  if (format == 32) {
    const long* longs = reinterpret_cast<const long*>(data);
    values.assign(longs, longs + count);
  }
  XFree(data);
  return values;
}

Geometry geometryOf(Display* display, Window window) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, window, &attributes);
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
  return {x, y, attributes.width, attributes.height};
}

std::vector<uint32_t> capture(Display* display, Window window, const Geometry& g) {
  std::vector<uint32_t> pixels;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(g.width),
                            static_cast<unsigned>(g.height), AllPlanes, ZPixmap);
  if (!image) return pixels;
  for (int y = 0; y < g.height; ++y)
    for (int x = 0; x < g.width; ++x)
      pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
  XDestroyImage(image);
  return pixels;
}

std::string savePng(const std::string& name, const std::vector<uint32_t>& pixels, int width,
                    int height) {
  const std::string path = std::string(X11_TEST_OUTPUT) + "/" + name;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb;
  for (uint32_t p : pixels) {
    rgb.push_back(static_cast<png_byte>(p >> 16));
    rgb.push_back(static_cast<png_byte>(p >> 8));
    rgb.push_back(static_cast<png_byte>(p));
  }
  png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr);
  return path;
}

bool xdotool(const std::string& arguments) {
  return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

void sendKey(Display* display, Window window, unsigned long keysym) {
  XKeyEvent key{};
  key.display = display;
  key.window = window;
  key.root = DefaultRootWindow(display);
  key.same_screen = True;
  key.keycode = XKeysymToKeycode(display, keysym);
  key.type = KeyPress;
  XSendEvent(display, window, False, KeyPressMask, reinterpret_cast<XEvent*>(&key));
  key.type = KeyRelease;
  XSendEvent(display, window, False, KeyReleaseMask, reinterpret_cast<XEvent*>(&key));
  XFlush(display);
}

}  // namespace x11test
