// The message boxes answered for a plug-in, kept for the report: the same question counted once.
// Boxes come on whatever thread the plug-in shows them from.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "Platform.h"

class AskedBoxes {
 public:
  void note(const std::string& caption, const std::string& text) {
    std::lock_guard<std::mutex> guard(lock_);
    for (AskedBox& box : boxes_) {
      if (box.caption == caption && box.text == text) {
        ++box.count;
        return;
      }
    }
    boxes_.push_back({caption, text, 1});
  }

  std::vector<AskedBox> list() const {
    std::lock_guard<std::mutex> guard(lock_);
    return boxes_;
  }

  void clear() {
    std::lock_guard<std::mutex> guard(lock_);
    boxes_.clear();
  }

  // For a fork: held across it, so the child never starts with the lock taken by another thread.
  void lock() { lock_.lock(); }
  void unlock() { lock_.unlock(); }

 private:
  mutable std::mutex lock_;
  std::vector<AskedBox> boxes_;
};
