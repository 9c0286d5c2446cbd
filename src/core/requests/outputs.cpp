#include "vellmor/requests/outputs.h"

#include "vellmor/base/output_file.h"
#include "vellmor/requests/parameters.h"

namespace vellmor {
namespace {

constexpr std::string_view kDash = "-";

bool OnStandardOutput(const TOutputPlace& output, const TRequestContext& context) {
  return context.StandardStreams && output.Name == kDash;
}

TOutputOptions OptionsOf(const TRequestContext& context) {
  return {.DashIsStandardOutput = context.StandardStreams, .Lock = true};
}

}  // namespace

std::optional<TRequestProblem> SharedPlace(std::span<const TOutputPlace> outputs,
                                           const TRequestContext& context) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const TOutputPlace& a = outputs[i];
    if (a.Name.empty()) continue;
    for (std::size_t j = i + 1; j < outputs.size(); ++j) {
      const TOutputPlace& b = outputs[j];
      if (b.Name.empty()) continue;
      const bool a_out = OnStandardOutput(a, context);
      const bool b_out = OnStandardOutput(b, context);
      if (a_out != b_out || (!a_out && !NamesSameFile(a.Name, b.Name))) continue;
      const std::string both = context.Spell(a.Key) + " and " + context.Spell(b.Key);
      if (a_out) {
        return TRequestProblem{ProblemKind::kUsage, std::string(a.Key),
                               both +
                                   ": both write to standard output; give each a place of "
                                   "its own"};
      }
      // The result file is the run's own; an export named like it would replace it.
      if (b.Key == "save_file" || a.Key == "save_file") {
        const TOutputPlace& export_place = b.Key == "save_file" ? a : b;
        const TOutputPlace& result_file = b.Key == "save_file" ? b : a;
        return ProblemWith(
            context.Spell, export_place.Key, "",
            "names the result file " + result_file.Name + ", which the export would replace");
      }
      return TRequestProblem{
          ProblemKind::kUsage, std::string(a.Key),
          both + ": both name " + a.Name + "; give each export a place of its own"};
    }
  }
  return std::nullopt;
}

void CheckPlaces(RequestReader& reader, std::span<const TOutputPlace> outputs) {
  if (!reader.Ok()) return;
  const TRequestContext& context = reader.Context();
  if (auto shared = SharedPlace(outputs, context)) {
    reader.Refuse(std::move(*shared));
    return;
  }
  for (const TOutputPlace& output : outputs) {
    if (output.Name.empty() || OnStandardOutput(output, context)) continue;
    for (const auto& [key, name] : reader.InputFiles()) {
      if (!NamesSameFile(output.Name, name)) continue;
      // A positional input is named by what it is ("one of the shards"), not by an option.
      const TParameter* input = FindParameter(key);
      const std::string whose = input != nullptr && input->Positional
                                    ? "one of the " + std::string(key) + ", " + name
                                    : "the file of " + context.Spell(key) + " " + name;
      reader.Refuse(ProblemWith(context.Spell, output.Key, output.Name,
                                "is " + whose +
                                    ", which it would replace; give the output a place of its "
                                    "own"));
      return;
    }
  }
}

std::optional<std::string> WriteDocument(const TOutputPlace& output, std::string_view contents,
                                         const TRequestContext& context) {
  const TOutputStatus status = WriteWholeOutput(output.Name, contents, OptionsOf(context));
  if (status.Ok()) return std::nullopt;
  const TParameter* parameter = FindParameter(output.Key);
  std::string text = "Can not write ";
  text += parameter != nullptr && !parameter->What.empty() ? parameter->What : output.Key;
  text += OnStandardOutput(output, context) ? " to standard output" : " file " + output.Name;
  return text + ": " + status.Reason;
}

bool WrittenInPlace(const TOutputPlace& output, const TRequestContext& context) {
  return !output.Name.empty() && WrittenInPlace(output.Name, OptionsOf(context));
}

}  // namespace vellmor
