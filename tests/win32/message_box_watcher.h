// Reads and answers the program's message boxes from a second thread while
// the test's own thread sits in MessageBox, as a person would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test {

struct SeenMessageBox {
  bool found = false;
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttonIds;  // every push button, by control id
  bool hasIcon = false;        // a visible STATIC showing an icon
};

class MessageBoxWatcher {
 public:
  // Starts watching for a dialog box of this process with this caption;
  // answers the first one found with OK.
  explicit MessageBoxWatcher(std::wstring caption);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  // Waits for the watcher to finish (it gives up after 20 seconds).
  SeenMessageBox Result();

 private:
  static DWORD WINAPI Watch(void* self);

  std::wstring caption_;
  SeenMessageBox seen_;
  HANDLE thread_ = nullptr;
};

}  // namespace test
