#include "vellmor/requests/request_problem.h"

namespace vellmor {

std::string KeySpelling(std::string_view key) { return std::string(key); }

std::string SpelledText(std::string_view text, const Spelling& spelling) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t close = text[i] == '{' ? text.find('}', i) : std::string_view::npos;
    if (close == std::string_view::npos) {
      out += text[i];
      continue;
    }
    out += spelling(text.substr(i + 1, close - i - 1));
    i = close;
  }
  return out;
}

TRequestProblem ProblemWith(const Spelling& spelling, std::string_view key, std::string_view value,
                            std::string_view why, ProblemKind kind) {
  std::string message = spelling(key);
  if (!value.empty()) message.append(" ").append(value);
  message.append(": ").append(why);
  return {kind, std::string(key), std::move(message)};
}

}  // namespace vellmor
