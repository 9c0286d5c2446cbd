#include "cli/sweep_progress.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace vellmor::cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(250);
// Back to the start of the line, and clear what is left of the previous one after the text.
constexpr const char* kStartOfLine = "\r";
constexpr const char* kClearToEnd = "\x1b[K";

}  // namespace

std::string ClockTime(double seconds) {
  const long long whole = std::isfinite(seconds) && seconds > 0 ? std::llround(seconds) : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  return text;
}

ProgressLine::ProgressLine(std::ostream& out, bool enabled, std::string unit)
    : out_(out), enabled_(enabled), unit_(std::move(unit)) {}

void ProgressLine::Clear() {
  if (enabled_) out_ << kStartOfLine << kClearToEnd << std::flush;
}

double ProgressLine::Seconds() const {
  return std::chrono::duration<double>(Clock::now() - start_).count();
}

void ProgressLine::Update(std::size_t done, std::size_t total) {
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  if (now - last_draw_ < kRedrawInterval) return;
  last_draw_ = now;
  const double seconds = Seconds();
  out_ << kStartOfLine << done << '/' << total << ' ' << unit_;
  if (done > 0 && seconds > 0) {
    const double rate = static_cast<double>(done) / seconds;
    // A slow rate (a fit's bounds take seconds each) keeps a decimal.
    char shown[32];
    std::snprintf(shown, sizeof shown, rate < 10.0 ? "%.1f" : "%.0f", rate);
    out_ << ", " << shown << ' ' << unit_ << "/s, "
         << ClockTime(static_cast<double>(total - done) / rate) << " left";
  }
  out_ << kClearToEnd << std::flush;
}

void ProgressLine::Finish(std::size_t done, std::size_t total, const TStatusTally& tally) {
  if (!enabled_) return;
  const double seconds = Seconds();
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%.1f", seconds);
  out_ << kStartOfLine << done << '/' << total << " cases in " << elapsed << " s";
  if (seconds > 0) out_ << " (" << std::llround(static_cast<double>(done) / seconds) << " cases/s)";
  out_ << ": " << tally.Succeeded << " succeeded, " << tally.Refused << " refused, " << tally.Failed
       << " failed" << kClearToEnd << '\n'
       << std::flush;
}

}  // namespace vellmor::cli
