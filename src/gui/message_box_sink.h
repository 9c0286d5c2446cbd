#pragma once

#include <string_view>

#include "vellmor/base/message_sink.h"

namespace vellmor::gui {

// Shows each message of a run or of the directory lists in a modal box with one OK button,
// titled with the application's title and centred on the screen.
class MessageBoxSink : public MessageSink {
 public:
  void ShowMessage(std::string_view text) override;
};

}  // namespace vellmor::gui
