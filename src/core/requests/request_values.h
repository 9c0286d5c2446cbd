#pragma once

// The values of one request, by key, as a front end hands them over: the runner as the texts
// typed, Python as its own typed values. RequestReader turns them into a request's typed
// fields, refusing, once for every front end, a key the command does not take, a value of the
// wrong kind or out of range.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "vellmor/exports/json_parts.h"
#include "vellmor/inputs/input_texts.h"
#include "vellmor/requests/commands.h"
#include "vellmor/requests/request_problem.h"

namespace vellmor {

// A text to read: a file by its name, or a text already in memory under a name that messages
// give it ("<cases DataFrame>").
struct TSource {
  std::string Name;
  std::optional<std::string> Text;
};

using TValue = std::variant<bool, std::int64_t, double, std::string, std::vector<std::string>,
                            std::vector<double>, TSource, std::vector<TSource>>;

// The values given, in the order given; a key given twice keeps its last value.
class TRequestValues {
 public:
  void Set(std::string_view key, TValue value);
  const TValue* Find(std::string_view key) const;
  const std::vector<std::pair<std::string, TValue>>& Entries() const { return entries_; }

 private:
  std::vector<std::pair<std::string, TValue>> entries_;
};

// How much of a text a reader takes before it stops: a device such as /dev/zero or `yes` never
// ends, so each bound is checked as the bytes come, not once they are all in memory.
struct TTextBounds {
  std::size_t Bytes = 0;
  std::string_view BytesText;                                   // "4 GiB", for the message
  std::size_t Lines = std::numeric_limits<std::size_t>::max();  // line ends
  std::size_t LineBytes = std::size_t{1} << 20;                 // between two line ends
};

// A text as far as it was read, and why the reading stopped early (empty: it ended): "larger
// than 4 GiB", "more than 10000002 lines", "a line longer than 1 MiB", "a NUL byte at byte 7:
// not a text".
struct TBoundedText {
  std::string Text;
  std::string Exceeded;
};

// Reads in until it ends or passes one of bounds (no text holds a NUL byte).
TBoundedText ReadBoundedText(std::istream& in, const TTextBounds& bounds);
// The same checks of a text already in memory.
std::string TextExceeding(std::string_view text, const TTextBounds& bounds);

// Reads the files a request names. A front end with standard streams reads "-" as standard
// input; the core's own reader reads files alone.
class SourceReader {
 public:
  virtual ~SourceReader() = default;
  // The file within bounds; nullopt when it cannot be read (missing, a directory, no right).
  virtual std::optional<TBoundedText> Read(const std::string& name, const TTextBounds& bounds) = 0;
};

// Regular files and devices by name; "-" is a file of that name.
class FileReader : public SourceReader {
 public:
  std::optional<TBoundedText> Read(const std::string& name, const TTextBounds& bounds) override;
};

// Where a request comes from and how its problems are said.
struct TRequestContext {
  char DecimalSeparator = '.';  // of the input texts and of numbers given as text
  Spelling Spell = KeySpelling;
  SourceReader* Reader = nullptr;  // none: FileReader
  // "-" names standard input and output (the runner); elsewhere it is a file's name.
  bool StandardStreams = false;
  TProgram Program;  // recorded in the documents
  // The local date ("2026-12-10"), which names a fitted card; the core reads no clock.
  std::string Today;
};

// The text of a source: its own, or its file's, refused when larger than limit (what_limit,
// "1 MiB", says how large).
OrRequestProblem<std::string> ReadSource(const TRequestContext& context, std::string_view key,
                                         const TSource& source, std::size_t limit,
                                         std::string_view what_limit);
// The same within every one of bounds.
OrRequestProblem<std::string> ReadSource(const TRequestContext& context, std::string_view key,
                                         const TSource& source, const TTextBounds& bounds);

// The value as a message shows it: a text as it is, a number in its shortest digits.
std::string ValueText(const TValue& value);

// Reads a command's values into typed fields. Each reading returns the value (or the
// parameter's default) and keeps the first problem; Problem() then says what refuses the
// request.
class RequestReader {
 public:
  // Refuses a key the command does not take, and a required one that is missing.
  RequestReader(Command command, const TRequestValues& values, const TRequestContext& context);

  const TRequestContext& Context() const { return context_; }
  bool Given(std::string_view key) const { return values_.Find(key) != nullptr; }

  bool Flag(std::string_view key);  // a switch is on unless given false
  std::int64_t Count(std::string_view key);
  std::optional<std::int64_t> OptionalCount(std::string_view key);
  std::string Text(std::string_view key);
  std::vector<std::string> Texts(std::string_view key);
  std::optional<std::vector<double>> Numbers(std::string_view key);
  std::optional<TSource> Source(std::string_view key);
  std::vector<TSource> Sources(std::string_view key);
  // An output's or a directory's name; empty when not given.
  std::string Path(std::string_view key);

  // The window's default texts (with the context's decimal separator) and the input fields
  // given: a text as typed, a number as its shortest text.
  TInputTexts Inputs();

  // Keeps problem unless one is kept already; returns false.
  bool Refuse(TRequestProblem problem);
  bool Refuse(std::string_view key, std::string_view value, std::string_view why,
              ProblemKind kind = ProblemKind::kUsage);
  const std::optional<TRequestProblem>& Problem() const { return problem_; }
  bool Ok() const { return !problem_.has_value(); }

  std::string Spelled(std::string_view key) const { return context_.Spell(key); }

  // The files the request reads, as given by its parameters of input files: each key with a
  // file's name (not a text in memory, nor standard input).
  std::vector<std::pair<std::string_view, std::string>> InputFiles() const;

 private:
  const TValue* Value(std::string_view key);

  const TCommand& command_;
  const TRequestValues& values_;
  const TRequestContext& context_;
  std::optional<TRequestProblem> problem_;
};

}  // namespace vellmor
