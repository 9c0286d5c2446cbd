// Reading a request's values: what each kind of parameter takes from the runner's texts and
// from Python's typed values, and what it refuses, said once for both.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <streambuf>

#include "support/test_support.h"
#include "vellmor/inputs/input_fields.h"
#include "vellmor/requests/outputs.h"
#include "vellmor/requests/request_values.h"

namespace vellmor {
namespace {

TRequestProblem Refused(Command command, TRequestValues values, char separator = '.') {
  TRequestContext context;
  context.DecimalSeparator = separator;
  RequestReader reader(command, values, context);
  reader.Count("points");
  reader.Numbers("at");
  reader.Flag("structure");
  reader.Inputs();
  EXPECT_FALSE(reader.Ok());
  return reader.Problem().value_or(TRequestProblem{});
}

TEST(RequestReader, CountsComeAsTextOrWholeNumbersAndStayInTheirRange) {
  TRequestContext context;
  for (const TValue& given : {TValue(std::string("17")), TValue(std::int64_t{17})}) {
    TRequestValues values;
    values.Set("points", given);
    RequestReader reader(Command::kSolve, values, context);
    EXPECT_EQ(reader.Count("points"), 17);
    EXPECT_TRUE(reader.Ok());
  }
  TRequestValues none;
  RequestReader defaults(Command::kSolve, none, context);
  EXPECT_EQ(defaults.Count("points"), 1001);  // the table's default

  TRequestValues text;
  text.Set("points", std::string("1e3"));
  EXPECT_EQ(Refused(Command::kSolve, text).Message,
            "points 1e3: expected a whole number, 0 to 1000000");
  EXPECT_EQ(Refused(Command::kSolve, text).Kind, ProblemKind::kUsage);
  TRequestValues real;
  real.Set("points", 10.5);
  EXPECT_EQ(Refused(Command::kSolve, real).Kind, ProblemKind::kWrongKind);
  TRequestValues flag;
  flag.Set("structure", std::int64_t{1});
  EXPECT_EQ(Refused(Command::kSolve, flag).Message, "structure 1: expected true or false");
  EXPECT_EQ(Refused(Command::kSolve, flag).Kind, ProblemKind::kWrongKind);
}

TEST(RequestReader, NumbersComeAsOneTextInTheUsersGrammarOrAsNumbers) {
  TRequestContext comma;
  comma.DecimalSeparator = ',';
  for (const auto& [text, separator, expected] :
       {std::tuple{"0,62.5,100", '.', std::vector<double>{0, 62.5, 100}},
        std::tuple{"0;62.5", '.', std::vector<double>{0, 62.5}},
        std::tuple{"0;62,5", ',', std::vector<double>{0, 62.5}}}) {
    TRequestContext context;
    context.DecimalSeparator = separator;
    TRequestValues values;
    values.Set("at", std::string(text));
    RequestReader reader(Command::kSolve, values, context);
    EXPECT_EQ(reader.Numbers("at"), expected) << text;
  }
  TRequestValues under_comma;
  under_comma.Set("at", std::string("0,62,5"));
  EXPECT_EQ(Refused(Command::kSolve, under_comma, ',').Message,
            "at 0,62,5: expected numbers separated by ';'");
}

TEST(RequestReader, InputsTakeTextsAsTypedAndNumbersAsTheirShortestText) {
  TRequestContext context;
  context.DecimalSeparator = ',';
  TRequestValues values;
  values.Set("take_up_speed", 4500.0);
  values.Set("zone1_a2", std::int64_t{-30});
  values.Set("iv", std::string("0,7"));
  values.Set("increment", 0.1);
  RequestReader reader(Command::kSolve, values, context);
  const TInputTexts texts = reader.Inputs();
  ASSERT_TRUE(reader.Ok());
  EXPECT_EQ(texts.TakeUpSpeed, "4500");
  EXPECT_EQ(texts.Zone1A2, "-30");
  EXPECT_EQ(texts.IV, "0,7");
  EXPECT_EQ(texts.Increment, "0,1");
  EXPECT_EQ(texts.HoleDiameter, "0,025");  // the window's default, with the user's separator
}

TEST(RequestReader, RefusesKeysTheCommandDoesNotTake) {
  TRequestValues unknown;
  unknown.Set("take_up_sped", 1.0);
  EXPECT_EQ(Refused(Command::kSolve, unknown).Message, "take_up_sped: unknown parameter");
  TRequestValues elsewhere;
  elsewhere.Set("jobs", std::int64_t{2});
  EXPECT_EQ(Refused(Command::kSolve, elsewhere).Message, "jobs: not a parameter of this command");
}

TEST(Conditions, AreTheTextsThatReadBackToTheirNumbers) {
  const TInputTexts texts = TextsOf(Conditions{.take_up_speed_m_min = 4500, .iv = 0.7});
  EXPECT_EQ(texts.TakeUpSpeed, "4500");
  EXPECT_EQ(texts.IV, "0.7");
  EXPECT_EQ(texts.HoleDiameter, TInputTexts{}.HoleDiameter);
  // A value without a number's text is refused by the run as any other non-number.
  EXPECT_EQ(TextsOf(Conditions{.zone1_end_cm = std::nan("")}).Zone1End, "nan");
}

TEST(SharedPlace, FollowsLinksAndSeesStandardOutputOnce) {
  const test::ScratchDirectory scratch;
  const std::filesystem::path& work = scratch.path();
  std::ofstream(work / "a.json") << "{}";
  std::filesystem::create_symlink(work / "a.json", work / "link.json");
  TRequestContext context;
  const std::vector<TOutputPlace> linked{{"json", (work / "a.json").string()},
                                         {"csv", (work / "link.json").string()}};
  ASSERT_TRUE(SharedPlace(linked, context).has_value());
  EXPECT_EQ(SharedPlace(linked, context)->Key, "json");
  const std::vector<TOutputPlace> apart{{"json", (work / "a.json").string()},
                                        {"csv", (work / "b.csv").string()}};
  EXPECT_FALSE(SharedPlace(apart, context).has_value());
  // Without standard streams "-" is a file like any other, and two of them one place.
  const std::vector<TOutputPlace> dashes{{"json", "-"}, {"csv", "-"}};
  context.StandardStreams = true;
  EXPECT_NE(SharedPlace(dashes, context)->Message.find("both write to standard output"),
            std::string::npos);
}

// A stream that never ends, as /dev/zero or `yes` is: its pattern over and over.
class EndlessBuffer : public std::streambuf {
 public:
  explicit EndlessBuffer(std::string pattern) : pattern_(std::move(pattern)) {
    for (std::size_t i = 0; i < block_.size(); ++i) block_[i] = pattern_[i % pattern_.size()];
  }

 protected:
  int_type underflow() override {
    setg(block_.data(), block_.data(), block_.data() + block_.size());
    return traits_type::to_int_type(block_[0]);
  }

 private:
  std::string pattern_;
  std::array<char, 4096> block_{};  // a multiple of every pattern used here
};

// Every bound stops the reading as soon as it is passed, so that an endless input is refused
// after a bounded read instead of filling the memory.
TEST(BoundedText, EachBoundStopsAnEndlessInputEarly) {
  TTextBounds bounds;
  bounds.Bytes = std::size_t{1} << 30;
  bounds.BytesText = "1 GiB";
  bounds.Lines = 1000;
  bounds.LineBytes = 100;
  const auto read = [&](std::string pattern) {
    EndlessBuffer buffer(std::move(pattern));
    std::istream in(&buffer);
    return ReadBoundedText(in, bounds);
  };
  const TBoundedText zeros = read(std::string(1, '\0'));
  EXPECT_EQ(zeros.Exceeded, "a NUL byte at byte 1: not a text");
  EXPECT_LE(zeros.Text.size(), 65536u);
  const TBoundedText yes = read("y\n");
  EXPECT_EQ(yes.Exceeded, "more than 1000 lines");
  EXPECT_LE(yes.Text.size(), 65536u);
  const TBoundedText one_line = read("abcd");
  EXPECT_EQ(one_line.Exceeded, "a line longer than 100 bytes (line 1)");
  bounds.Lines = std::numeric_limits<std::size_t>::max();
  bounds.LineBytes = std::numeric_limits<std::size_t>::max();
  bounds.Bytes = 200000;
  bounds.BytesText = "200 kB";
  const TBoundedText big = read("0123456789abcdef");
  EXPECT_EQ(big.Exceeded, "larger than 200 kB");
  EXPECT_LE(big.Text.size(), 200000u + 65536u);

  // A text that ends within its bounds is read whole, and a text in memory is held to them too.
  std::istringstream ends("a,b\n1,2\n");
  const TBoundedText whole = ReadBoundedText(ends, bounds);
  EXPECT_EQ(whole.Text, "a,b\n1,2\n");
  EXPECT_EQ(whole.Exceeded, "");
  EXPECT_EQ(TextExceeding(std::string("a\0b", 3), bounds), "a NUL byte at byte 2: not a text");
}

}  // namespace
}  // namespace vellmor
