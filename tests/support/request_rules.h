#pragma once

// The table of the requests' rules (request_rules.json), shared by the tests of the core, the
// runner and Python: each rule's command, values, and the message the front end must give in
// its own spelling of the parameters.

#include <nlohmann/json.hpp>

#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vellmor::test {

struct TRequestRule {
  std::string Command;  // "sweep", "sweep merge"; "run" for the single run
  nlohmann::json Values;
  std::string Key;
  std::string Value;  // shown after the key; may be empty
  std::string Why;    // after "KEY VALUE: "; {key} spelled
  std::string Text;   // or the whole message, {key} spelled

  // The message in a front end's spelling of keys.
  std::string Message(const std::function<std::string(std::string_view)>& spell) const {
    const auto spelled = [&spell](const std::string& text) {
      std::string out;
      for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t close = text[i] == '{' ? text.find('}', i) : std::string::npos;
        if (close == std::string::npos) {
          out += text[i];
          continue;
        }
        out += spell(std::string_view(text).substr(i + 1, close - i - 1));
        i = close;
      }
      return out;
    };
    if (!Text.empty()) return spelled(Text);
    return spell(Key) + (Value.empty() ? "" : " " + Value) + ": " + spelled(Why);
  }
};

inline std::vector<TRequestRule> RequestRules() {
  std::ifstream in(std::string(VELLMOR_SOURCE_DIR) + "/tests/support/request_rules.json");
  const nlohmann::json table = nlohmann::json::parse(in);
  std::vector<TRequestRule> rules;
  for (const nlohmann::json& row : table["rules"]) {
    rules.push_back({row["command"], row["values"], row["key"], row.value("value", ""),
                     row.value("why", ""), row.value("text", "")});
  }
  return rules;
}

}  // namespace vellmor::test
