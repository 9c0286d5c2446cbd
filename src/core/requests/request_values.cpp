#include "vellmor/requests/request_values.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "vellmor/base/number_text.h"
#include "vellmor/inputs/input_fields.h"
#include "vellmor/inputs/number_conversion.h"

namespace vellmor {

void TRequestValues::Set(std::string_view key, TValue value) {
  for (auto& [given, old] : entries_) {
    if (given == key) {
      old = std::move(value);
      return;
    }
  }
  entries_.emplace_back(std::string(key), std::move(value));
}

const TValue* TRequestValues::Find(std::string_view key) const {
  for (const auto& [given, value] : entries_) {
    if (given == key) return &value;
  }
  return nullptr;
}

namespace {

// Follows the bounds over the bytes of a text as they come.
class TextCheck {
 public:
  explicit TextCheck(const TTextBounds& bounds) : bounds_(bounds) {}

  // The reason to stop at these next bytes, or empty.
  std::string Take(std::string_view bytes) {
    for (const char c : bytes) {
      ++read_;
      if (c == '\0') return "a NUL byte at byte " + std::to_string(read_) + ": not a text";
      if (c == '\n') {
        line_ = 0;
        if (++lines_ > bounds_.Lines) {
          return "more than " + std::to_string(bounds_.Lines) + " lines";
        }
      } else if (++line_ > bounds_.LineBytes) {
        return "a line longer than " + std::to_string(bounds_.LineBytes) + " bytes (line " +
               std::to_string(lines_ + 1) + ")";
      }
    }
    if (read_ > bounds_.Bytes) return "larger than " + std::string(bounds_.BytesText);
    return {};
  }

 private:
  const TTextBounds& bounds_;
  std::size_t read_ = 0, lines_ = 0, line_ = 0;
};

}  // namespace

TBoundedText ReadBoundedText(std::istream& in, const TTextBounds& bounds) {
  TBoundedText out;
  TextCheck check(bounds);
  std::array<char, 65536> buffer;
  while (in && out.Exceeded.empty()) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::string_view got(buffer.data(), static_cast<std::size_t>(in.gcount()));
    out.Exceeded = check.Take(got);
    out.Text.append(got);
  }
  return out;
}

std::string TextExceeding(std::string_view text, const TTextBounds& bounds) {
  return TextCheck(bounds).Take(text);
}

std::optional<TBoundedText> FileReader::Read(const std::string& name, const TTextBounds& bounds) {
  std::error_code error;
  if (std::filesystem::is_directory(name, error)) return std::nullopt;
  std::ifstream in(name, std::ios::binary);
  if (!in) return std::nullopt;
  TBoundedText text = ReadBoundedText(in, bounds);
  if (in.bad()) return std::nullopt;
  return text;
}

OrRequestProblem<std::string> ReadSource(const TRequestContext& context, std::string_view key,
                                         const TSource& source, std::size_t limit,
                                         std::string_view what_limit) {
  TTextBounds bounds;
  bounds.Bytes = limit;
  bounds.BytesText = what_limit;
  return ReadSource(context, key, source, bounds);
}

OrRequestProblem<std::string> ReadSource(const TRequestContext& context, std::string_view key,
                                         const TSource& source, const TTextBounds& bounds) {
  std::optional<TBoundedText> text;
  if (source.Text) {
    text = TBoundedText{*source.Text, TextExceeding(*source.Text, bounds)};
  } else {
    FileReader files;
    SourceReader& reader = context.Reader != nullptr ? *context.Reader : files;
    text = reader.Read(source.Name, bounds);
    if (!text) {
      return ProblemWith(context.Spell, key, source.Name, "the file can not be read",
                         ProblemKind::kUnreadable);
    }
  }
  if (!text->Exceeded.empty()) {
    return ProblemWith(context.Spell, key, source.Name, text->Exceeded, ProblemKind::kUnreadable);
  }
  return std::move(text->Text);
}

namespace {

struct ValueTextOf {
  std::string operator()(bool b) const { return b ? "true" : "false"; }
  std::string operator()(std::int64_t n) const { return std::to_string(n); }
  std::string operator()(double x) const { return ShortestText(x).value_or("nan"); }
  std::string operator()(const std::string& s) const { return s; }
  std::string operator()(const std::vector<std::string>& texts) const {
    std::string out;
    for (const std::string& t : texts) out += (out.empty() ? "" : ", ") + t;
    return out;
  }
  std::string operator()(const std::vector<double>& numbers) const {
    std::string out;
    for (const double x : numbers) out += (out.empty() ? "" : ", ") + (*this)(x);
    return out;
  }
  std::string operator()(const TSource& source) const { return source.Name; }
  std::string operator()(const std::vector<TSource>& sources) const {
    std::string out;
    for (const TSource& s : sources) out += (out.empty() ? "" : ", ") + s.Name;
    return out;
  }
};

// A whole number as the runner's text gives it: optional sign, digits.
std::optional<std::int64_t> WholeNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Positions and other lists of numbers in one text: separated by ';' when it holds one, else
// by ','; under a decimal comma several need ';'. Each is read as an input field is.
std::optional<std::vector<double>> NumberList(const std::string& text, char decimal_separator) {
  const char list_separator =
      text.find(';') != std::string::npos || decimal_separator == ',' ? ';' : ',';
  std::vector<double> numbers;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(list_separator, start);
    const std::optional<double> x =
        ConvertNumber(text.substr(start, end - start), decimal_separator);
    if (!x) return std::nullopt;
    numbers.push_back(*x);
    if (end == std::string::npos) return numbers;
    start = end + 1;
  }
}

}  // namespace

std::string ValueText(const TValue& value) { return std::visit(ValueTextOf{}, value); }

RequestReader::RequestReader(Command command, const TRequestValues& values,
                             const TRequestContext& context)
    : command_(CommandInfo(command)), values_(values), context_(context) {
  for (const auto& [key, value] : values.Entries()) {
    if (key == SaveFileField().Key && !command_.NoResultFile.empty()) {
      Refuse({ProblemKind::kUsage, key,
              context.Spell(key) + ": " + SpelledText(command_.NoResultFile, context.Spell)});
      return;
    }
    if (!Takes(command_, key)) {
      const bool known = FindParameter(key) != nullptr || FindInputField(key) != nullptr;
      Refuse({ProblemKind::kUsage, key,
              known ? context.Spell(key) + ": not a parameter of this command"
                    : context.Spell(key) + ": unknown parameter"});
      return;
    }
  }
  for (const TCommandParameter& parameter : command_.Parameters) {
    if (parameter.Required && values.Find(parameter.Key) == nullptr) {
      Refuse({ProblemKind::kUsage, std::string(parameter.Key),
              context.Spell(parameter.Key) + ": required"});
      return;
    }
  }
}

bool RequestReader::Refuse(TRequestProblem problem) {
  if (!problem_) problem_ = std::move(problem);
  return false;
}

bool RequestReader::Refuse(std::string_view key, std::string_view value, std::string_view why,
                           ProblemKind kind) {
  return Refuse(ProblemWith(context_.Spell, key, value, why, kind));
}

const TValue* RequestReader::Value(std::string_view key) { return values_.Find(key); }

bool RequestReader::Flag(std::string_view key) {
  const TParameter* parameter = FindParameter(key);
  const bool fallback = parameter != nullptr && parameter->Kind == ParameterKind::kSwitch;
  const TValue* value = Value(key);
  if (value == nullptr) return fallback;
  if (const bool* flag = std::get_if<bool>(value)) return *flag;
  Refuse(key, ValueText(*value), "expected true or false", ProblemKind::kWrongKind);
  return fallback;
}

std::optional<std::int64_t> RequestReader::OptionalCount(std::string_view key) {
  const TParameter& parameter = *FindParameter(key);
  const TValue* value = Value(key);
  if (value == nullptr) return std::nullopt;
  std::optional<std::int64_t> number;
  if (const auto* n = std::get_if<std::int64_t>(value)) number = *n;
  if (const auto* text = std::get_if<std::string>(value)) number = WholeNumber(*text);
  const std::string range =
      std::to_string(parameter.Min) +
      (parameter.Max > parameter.Min ? " to " + std::to_string(parameter.Max) : " or more");
  if (!number || *number < parameter.Min ||
      (parameter.Max > parameter.Min && *number > parameter.Max)) {
    const bool text_or_whole =
        std::holds_alternative<std::int64_t>(*value) || std::holds_alternative<std::string>(*value);
    Refuse(key, ValueText(*value), (number ? "expected " : "expected a whole number, ") + range,
           text_or_whole ? ProblemKind::kUsage : ProblemKind::kWrongKind);
    return std::nullopt;
  }
  return number;
}

std::int64_t RequestReader::Count(std::string_view key) {
  if (const std::optional<std::int64_t> given = OptionalCount(key)) return *given;
  const std::string_view fallback = FindParameter(key)->Default;
  return WholeNumber(fallback).value_or(0);
}

std::string RequestReader::Text(std::string_view key) {
  const TValue* value = Value(key);
  if (value == nullptr) return std::string(FindParameter(key)->Default);
  if (const auto* text = std::get_if<std::string>(value)) return *text;
  Refuse(key, ValueText(*value), "expected a text", ProblemKind::kWrongKind);
  return {};
}

std::vector<std::string> RequestReader::Texts(std::string_view key) {
  const TValue* value = Value(key);
  if (value == nullptr) return {};
  if (const auto* texts = std::get_if<std::vector<std::string>>(value)) return *texts;
  if (const auto* text = std::get_if<std::string>(value)) return {*text};
  Refuse(key, ValueText(*value), "expected texts", ProblemKind::kWrongKind);
  return {};
}

std::optional<std::vector<double>> RequestReader::Numbers(std::string_view key) {
  const TValue* value = Value(key);
  if (value == nullptr) return std::nullopt;
  if (const auto* numbers = std::get_if<std::vector<double>>(value)) return *numbers;
  if (const auto* number = std::get_if<double>(value)) return std::vector<double>{*number};
  if (const auto* text = std::get_if<std::string>(value)) {
    if (auto numbers = NumberList(*text, context_.DecimalSeparator)) return numbers;
  }
  Refuse(key, ValueText(*value),
         context_.DecimalSeparator == ',' ? "expected numbers separated by ';'"
                                          : "expected numbers separated by ',' or ';'");
  return std::nullopt;
}

std::vector<std::pair<std::string_view, std::string>> RequestReader::InputFiles() const {
  std::vector<std::pair<std::string_view, std::string>> files;
  const auto add = [&](std::string_view key, const std::string& name) {
    if (name.empty() || (name == "-" && context_.StandardStreams)) return;
    files.emplace_back(key, name);
  };
  for (const auto& [key, value] : values_.Entries()) {
    const TParameter* parameter = FindParameter(key);
    if (parameter == nullptr || (parameter->Kind != ParameterKind::kInputFile &&
                                 parameter->Kind != ParameterKind::kInputFiles)) {
      continue;
    }
    const std::string_view stable = parameter->Key;  // the table's, outliving the values
    if (const auto* source = std::get_if<TSource>(&value)) {
      if (!source->Text) add(stable, source->Name);
    } else if (const auto* sources = std::get_if<std::vector<TSource>>(&value)) {
      for (const TSource& s : *sources) {
        if (!s.Text) add(stable, s.Name);
      }
    } else if (const auto* name = std::get_if<std::string>(&value)) {
      add(stable, *name);
    } else if (const auto* names = std::get_if<std::vector<std::string>>(&value)) {
      for (const std::string& n : *names) add(stable, n);
    }
  }
  return files;
}

std::optional<TSource> RequestReader::Source(std::string_view key) {
  const TValue* value = Value(key);
  if (value == nullptr) return std::nullopt;
  if (const auto* source = std::get_if<TSource>(value)) return *source;
  if (const auto* name = std::get_if<std::string>(value)) {
    if (name->empty()) {
      Refuse(key, "", "the name is empty");
      return std::nullopt;
    }
    return TSource{*name, std::nullopt};
  }
  Refuse(key, ValueText(*value), "expected a file's name", ProblemKind::kWrongKind);
  return std::nullopt;
}

std::vector<TSource> RequestReader::Sources(std::string_view key) {
  const TValue* value = Value(key);
  if (value == nullptr) return {};
  if (const auto* sources = std::get_if<std::vector<TSource>>(value)) return *sources;
  std::vector<std::string> names;
  if (const auto* texts = std::get_if<std::vector<std::string>>(value)) names = *texts;
  if (const auto* text = std::get_if<std::string>(value)) names = {*text};
  if (names.empty()) {
    Refuse(key, ValueText(*value), "expected the names of files", ProblemKind::kWrongKind);
    return {};
  }
  std::vector<TSource> sources;
  for (std::string& name : names) sources.push_back({std::move(name), std::nullopt});
  return sources;
}

std::string RequestReader::Path(std::string_view key) {
  const TValue* value = Value(key);
  if (value == nullptr) return {};
  const auto* name = std::get_if<std::string>(value);
  if (name == nullptr) {
    Refuse(key, ValueText(*value), "expected a file's name", ProblemKind::kWrongKind);
    return {};
  }
  if (name->empty()) Refuse(key, "", "the name is empty");
  return *name;
}

TInputTexts RequestReader::Inputs() {
  TInputTexts texts = DefaultInputTexts(context_.DecimalSeparator);
  for (const TInputField& field : kInputFields) {
    const TValue* value = Value(field.Key);
    if (value == nullptr) continue;
    std::string& text = texts.*field.Text;
    if (const auto* given = std::get_if<std::string>(value)) {
      text = *given;
    } else if (field.Numeric() && (std::holds_alternative<double>(*value) ||
                                   std::holds_alternative<std::int64_t>(*value))) {
      // A number is written as the text that reads back to it under the context's separator.
      text = ValueText(*value);
      std::replace(text.begin(), text.end(), '.', context_.DecimalSeparator);
    } else {
      Refuse(field.Key, ValueText(*value),
             field.Numeric() ? "expected a number or its text" : "expected a file's name",
             ProblemKind::kWrongKind);
    }
  }
  return texts;
}

}  // namespace vellmor
