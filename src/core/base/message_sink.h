#pragma once

#include <string_view>

namespace vellmor {

// Where the core's messages go: a message box in the window, standard error in the runner,
// a recorder in tests. The core never prints or shows anything itself.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows one message and returns when the user has seen it.
  virtual void ShowMessage(std::string_view text) = 0;
};

}  // namespace vellmor
