// The manual page and the bash completion the build generates from the runner's own option
// tables: every option and subcommand in them, and the completion offering what bash should.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "cli_process.h"
#include "vellmor/inputs/input_fields.h"
#include "vellmor/model_card/model_card.h"

namespace vellmor::cli_test {
namespace {

// roff writes every hyphen as \-.
std::string Roff(std::string text) {
  for (std::size_t at = text.find('-'); at != std::string::npos; at = text.find('-', at + 2)) {
    text.replace(at, 1, "\\-");
  }
  return text;
}

TEST_F(CliTest, ManualPageHoldsEveryOptionAndSubcommand) {
  const TCliRun run = Run({"--man-page"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::string& page = run.Out;
  EXPECT_TRUE(page.starts_with(".TH VELLMOR\\-CLI 1")) << page.substr(0, 80);
  for (const TInputField& field : kInputFields) {
    EXPECT_NE(page.find(Roff("--" + field.Option()) + "\\fR"), std::string::npos) << field.Key;
  }
  for (const char* command : {"sweep", "solve", "model", "fit"}) {
    EXPECT_NE(page.find(".SS \"vellmor\\-cli " + std::string(command) + "\""), std::string::npos)
        << command;
  }
  for (const char* option : {"--vary", "--structure", "--measured", "--model-set", "--points"}) {
    EXPECT_NE(page.find(Roff(option)), std::string::npos) << option;
  }
  // The exit statuses, and no line that roff would take for a request of its own.
  EXPECT_NE(page.find(".SH \"EXIT STATUS\""), std::string::npos);
  EXPECT_NE(page.find("73  the run succeeded but an export could not be written"),
            std::string::npos);
  std::size_t line = 0;
  while ((line = page.find("\n.", line)) != std::string::npos) {
    ++line;
    const std::string request = page.substr(line, page.find_first_of(" \n", line) - line);
    EXPECT_TRUE(request == ".TH" || request == ".SH" || request == ".SS" || request == ".TP" ||
                request == ".PP" || request == ".nf" || request == ".fi" || request == ".B" ||
                request == ".br")
        << request;
  }
}

// The page as man renders it names every option of the single run (skipped without man).
TEST_F(CliTest, ManualPageRendersWithEveryOption) {
  if (std::system("command -v man > /dev/null 2>&1") != 0) GTEST_SKIP() << "man is not installed";
  const TCliRun run = Run({"--man-page"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  test::WriteBytes(work_ / "vellmor-cli.1", run.Out);
  const std::string command = "MANWIDTH=100 man -l '" + (work_ / "vellmor-cli.1").string() +
                              "' > '" + (work_ / "rendered.txt").string() + "' 2> '" +
                              (work_ / "warnings.txt").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string rendered = test::ReadBytes(work_ / "rendered.txt");
  for (const TInputField& field : kInputFields) {
    EXPECT_NE(rendered.find("--" + field.Option()), std::string::npos) << field.Key;
  }
  EXPECT_NE(rendered.find("vellmor-cli sweep"), std::string::npos);
  EXPECT_EQ(test::ReadBytes(work_ / "warnings.txt"), "");
}

// bash itself runs the completion, as it would on Tab: the words offered after words.
TEST_F(CliTest, BashCompletionOffersSubcommandsOptionsAndCardKeys) {
  const TCliRun run = Run({"--bash-completion"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  test::WriteBytes(work_ / "vellmor-cli.bash", run.Out);
  const auto offered = [&](const std::string& words) {
    const std::string probe = "source '" + (work_ / "vellmor-cli.bash").string() +
                              "'\nCOMP_WORDS=(" + words +
                              ")\nCOMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n_vellmor_cli\n"
                              "printf '%s\\n' \"${COMPREPLY[@]}\"\n";
    test::WriteBytes(work_ / "probe.bash", probe);
    const std::string command = "bash '" + (work_ / "probe.bash").string() + "' > '" +
                                (work_ / "offered.txt").string() + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << words;
    return test::ReadBytes(work_ / "offered.txt");
  };
  EXPECT_EQ(offered("vellmor-cli s"), "sweep\nsolve\nstability\n");
  // Registered for the program.
  test::WriteBytes(work_ / "registered.bash", "source '" + (work_ / "vellmor-cli.bash").string() +
                                                  "'\ncomplete -p vellmor-cli\n");
  const std::string registered = "bash '" + (work_ / "registered.bash").string() + "' > '" +
                                 (work_ / "registered.txt").string() + "'";
  ASSERT_EQ(std::system(registered.c_str()), 0);
  EXPECT_EQ(test::ReadBytes(work_ / "registered.txt"), "complete -F _vellmor_cli vellmor-cli\n");
  EXPECT_EQ(offered("vellmor-cli --take"), "--take-up-speed\n");
  EXPECT_EQ(offered("vellmor-cli sweep --str"), "--structure\n");
  EXPECT_EQ(offered("vellmor-cli fit --max"), "--max-iterations\n");
  // Card keys after the options that take them, with their '='; input options after --vary.
  const std::string keys = offered("vellmor-cli solve --model-set structure.c");
  EXPECT_EQ(keys, "structure.coupled=\n");
  EXPECT_NE(offered("vellmor-cli sweep --vary take").find("take_up_speed="), std::string::npos);
  std::string every_key;
  for (const TModelKey& key : kModelKeys) every_key += std::string(key.Path) + "=\n";
  EXPECT_EQ(offered("vellmor-cli fit --fit ''").substr(0, every_key.size()), every_key);
}

}  // namespace
}  // namespace vellmor::cli_test

namespace vellmor::cli_test {
namespace {

// Every table of names in the documents is the one the runner generates from the core's
// tables (scripts/update-doc-tables.py writes them): a new input, parameter or card key
// cannot be left out of the documents.
TEST_F(CliTest, DocumentsHoldTheGeneratedTablesOfNames) {
  const TCliRun run = Run({"--doc-tables"});
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  const std::string marker = "<!-- table: ";
  const std::string end = "<!-- end of table -->\n";
  std::size_t sections = 0;
  for (const char* document : {"docs/options.md", "docs/model-card.md"}) {
    const std::string text = test::ReadBytes(std::filesystem::path(VELLMOR_SOURCE_DIR) / document);
    for (std::size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + 1)) {
      const std::size_t stop = text.find(end, at);
      ASSERT_NE(stop, std::string::npos) << document;
      const std::string section = text.substr(at, stop + end.size() - at);
      EXPECT_NE(run.Out.find(section), std::string::npos)
          << document << " is behind the tables: python3 scripts/update-doc-tables.py\n"
          << section.substr(0, 80);
      ++sections;
    }
  }
  EXPECT_EQ(sections, 2u);
}

}  // namespace
}  // namespace vellmor::cli_test
