#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vellmor/base/message_sink.h"

namespace vellmor {

// Passes every message on to the sink the user sees and keeps its text, so that a front end
// can also record the run's one message (in an export, say); without a sink it only keeps
// them.
class MessageKeeper : public MessageSink {
 public:
  MessageKeeper() = default;
  explicit MessageKeeper(MessageSink& next) : next_(&next) {}

  void ShowMessage(std::string_view text) override {
    messages_.emplace_back(text);
    if (next_ != nullptr) next_->ShowMessage(text);
  }

  // Every message shown so far, in order.
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  MessageSink* next_ = nullptr;
  std::vector<std::string> messages_;
};

}  // namespace vellmor
