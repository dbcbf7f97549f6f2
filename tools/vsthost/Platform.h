// Everything in the host that differs between Linux and Windows: loading a plug-in module, looking
// up its exports, the line endings of our output, and answering the plug-in's message boxes.
#pragma once

#include <string>

class Module {
 public:
  // Any exported function, cast to its real type by the caller.
  using Symbol = void (*)();

  Module() = default;
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // On failure returns false and puts the loader's own reason into `error`.
  bool load(const std::string& path, std::string& error);
  // Looks only inside this module, never in the host program.
  Symbol find(const char* name) const;

 private:
  void* handle_ = nullptr;
};

// Plain \n on stdout and stderr everywhere, so Linux and Windows runs give the same bytes.
void useUnixLineEndings();

// The button --answer presses; the values are the system's own button ids.
enum MessageBoxButton { kNoAnswer = 0, kAnswerOk = 1, kAnswerYes = 6, kAnswerNo = 7 };

// From now on every modal message box shown on this thread is printed as `messageBox "caption"
// "text"` and closed with `button`, so an unattended run never waits for a user. Only Windows has
// such boxes; elsewhere the plug-in answers its own and this does nothing.
void answerMessageBoxes(MessageBoxButton button);
