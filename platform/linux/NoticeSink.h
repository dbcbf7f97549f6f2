// How the message-box seam reaches the toolkit's X11 boxes without depending on it. Where the
// notices of a thread go while an editor window handles its events there: a box that only tells
// (one OK button) needs no answer, so the window shows it from its later idle calls instead of
// holding the host's thread until the user has read it.
#pragma once

namespace Platform {

class NoticeSink {
 public:
  virtual ~NoticeSink() = default;
  virtual void showNotice(const char* text, const char* caption, unsigned flags) = 0;
};

// Sets the calling thread's sink (null for none) and returns the one it replaces.
NoticeSink* setNoticeSink(NoticeSink* sink);

// Who draws the boxes that must be answered before messageBox returns: the toolkit's X11 dialog,
// installed by the module when it loads. It answers, or gives -1 when it could show nothing;
// without one (or then) the box goes to stderr with the answer nobody could give.
using MessageBoxPresenter = int (*)(const char* text, const char* caption, unsigned flags);
void setMessageBoxPresenter(MessageBoxPresenter presenter);

}  // namespace Platform
