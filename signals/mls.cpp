// Maximum-length sequences: the output of a linear feedback shift register of N stages whose
// feedback is a primitive polynomial, period 2^N - 1 frames, each frame plus or minus one. Its
// periodic autocorrelation is P at lag 0 and -1 at every other lag, so a system's impulse
// response is one cross-correlation of its recording away.
#include <memory>
#include <string>
#include <vector>

#include "signals/shape_table.h"

namespace {

constexpr unsigned kLowestOrder = 2;
constexpr unsigned kHighestOrder = 24;

// The primitive polynomials' taps, x^N + ... + 1 (Xilinx XAPP052's table), as the stages they
// feed back from: tap t is stage N - t.
constexpr unsigned kTaps[][4] = {
    {2, 1},        {3, 2},   {4, 3},          {5, 3},   {6, 5},          {7, 6},
    {8, 6, 5, 4},  {9, 5},   {10, 7},         {11, 9},  {12, 6, 4, 1},   {13, 4, 3, 1},
    {14, 5, 3, 1}, {15, 14}, {16, 15, 13, 4}, {17, 14}, {18, 11},        {19, 6, 2, 1},
    {20, 17},      {21, 19}, {22, 21},        {23, 18}, {24, 23, 22, 17}};

std::uint32_t FeedbackMask(unsigned order) {
  std::uint32_t mask = 0;
  for (unsigned tap : kTaps[order - kLowestOrder])
    if (tap > 0) mask |= std::uint32_t{1} << (order - tap);
  return mask;
}

// One period of the register's output, a bit a frame, from the state with only its lowest stage
// set.
std::vector<std::uint64_t> PeriodBits(unsigned order) {
  const std::uint64_t period = (std::uint64_t{1} << order) - 1;
  const std::uint32_t mask = FeedbackMask(order);
  std::vector<std::uint64_t> bits((period + 63) / 64);
  std::uint32_t state = 1;
  for (std::uint64_t n = 0; n < period; ++n) {
    bits[n / 64] |= std::uint64_t{state & 1u} << (n % 64);
    const std::uint32_t feedback = static_cast<std::uint32_t>(__builtin_parity(state & mask));
    state = (state >> 1) | (feedback << (order - 1));
  }
  return bits;
}

}  // namespace

SignalPlan PlanMlsSignal(const ShapeRow& row, const SignalRequest& request) {
  const auto order = static_cast<unsigned>(request.parameter);
  if (order < kLowestOrder || order > kHighestOrder)
    return RefusedSignal(std::string("an ") + row.name + " needs --order, " +
                         std::to_string(kLowestOrder) + " to " + std::to_string(kHighestOrder));
  const std::uint64_t period = (std::uint64_t{1} << order) - 1;
  SignalPlan plan;
  plan.frames = request.cycles > 0 ? request.cycles * period : request.frames;
  if (request.cycles > 0 && request.cycles > request.mostFrames / period)
    return RefusedSignal("--cycles " + std::to_string(request.cycles) + " of an order-" +
                         std::to_string(order) + " " + row.name + ": more than the longest file, " +
                         std::to_string(request.mostFrames) + " frames");
  if (plan.frames % period != 0)
    plan.notes.push_back("an order-" + std::to_string(order) + " " + row.name + " repeats every " +
                         std::to_string(period) + " frames; the file's " +
                         std::to_string(plan.frames) + " end " +
                         std::to_string(plan.frames % period) +
                         " frames into a period (--cycles keeps whole periods)");
  const auto bits = std::make_shared<const std::vector<std::uint64_t>>(PeriodBits(order));
  plan.values = [bits, period](std::uint64_t first, std::size_t count, double* out) {
    std::uint64_t n = first % period;
    for (std::size_t i = 0; i < count; ++i) {
      out[i] = ((*bits)[n / 64] >> (n % 64)) & 1 ? 1.0 : -1.0;
      if (++n == period) n = 0;
    }
  };
  plan.levels = {1.0, 1.0};
  plan.report.push_back({"order", std::uint64_t{order}});
  plan.report.push_back({"period", period});
  return plan;
}
