// What the X11 tests share: the display the runner started, finding our windows by their class,
// reading properties and pixels back from the server, real input through xdotool, and PNG files
// of what was on screen.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <string>
#include <vector>

namespace x11test {

// A connection of the test's own (the driver's side), closed at the end.
struct Connection {
  Connection();
  ~Connection();
  Display* display;
};

// Waits (up to a few seconds) for a mapped window with this WM_CLASS name ("popupmenu",
// "messagebox") among the root's children; 0 when none came.
Window waitForWindow(Display* display, const char* className, Window besides = 0);
// How many such windows exist now.
int countWindows(Display* display, const char* className);

std::string textProperty(Display* display, Window window, const char* name);
// The name of a property's type ("UTF8_STRING", "STRING"); empty when the window has none.
std::string propertyType(Display* display, Window window, const char* name);
std::vector<unsigned long> longProperty(Display* display, Window window, const char* name);

struct Geometry {
  int x, y, width, height;
};
Geometry geometryOf(Display* display, Window window);

// The window's pixels as 0xRRGGBB, rows top to bottom.
std::vector<uint32_t> capture(Display* display, Window window, const Geometry& geometry);
// Saves pixels as a PNG in the test's output folder; returns the path.
std::string savePng(const std::string& name, const std::vector<uint32_t>& pixels, int width,
                    int height);

// Runs xdotool with these arguments; true when it succeeded.
bool xdotool(const std::string& arguments);

// Sends a key press and release for the keysym to the window, as another client would.
void sendKey(Display* display, Window window, unsigned long keysym);

// A bounded wait for a dialog running on another thread.
template <typename T>
bool finishes(std::future<T>& result, int seconds = 10) {
  return result.wait_for(std::chrono::seconds(seconds)) == std::future_status::ready;
}

bool haveDisplay();

}  // namespace x11test
