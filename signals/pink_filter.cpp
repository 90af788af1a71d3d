#include "signals/pink_filter.h"

#include <algorithm>
#include <cmath>

#include "signals/plain_math.h"

namespace {

constexpr double kLowest = 20.0;              // Hz
constexpr double kHighest = 20000.0;          // Hz, where the rate allows
constexpr double kHighestShareOfRate = 0.45;  // of the rate, below 44.1 kHz
constexpr double kFullBandFrom = 44100.0;     // Hz: rates that take the whole band
constexpr double kFirstGuessPole = 4.0;  // Hz: a pole every factor of 3 from here, a zero between
constexpr double kPoleSpacing = 3.0;
// Poles stay this far above 0 Hz, so that the filter forgets its past within half a second.
constexpr double kLowestPole = 8.0;  // Hz
constexpr std::size_t kGridPoints = 256;
constexpr int kSteps = 40;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kDecibelsPerNeperOfPower = 4.342944819032518;  // 10 / ln 10

struct Grid {
  std::vector<double> cosine, logFrequency;
};

Grid MakeGrid(double low, double high, double rate) {
  Grid grid;
  const double span = LogOf(high / low);
  for (std::size_t i = 0; i < kGridPoints; ++i) {
    const double f = low * ExpOf(span * static_cast<double>(i) / (kGridPoints - 1));
    grid.cosine.push_back(SineOfCycles(f / rate + 0.25));
    grid.logFrequency.push_back(LogOf(f));
  }
  return grid;
}

// ln |1 - r e^{-jω}|², given cos ω.
double LogPowerOfZero(double r, double cosine) { return LogOf(1 - 2 * r * cosine + r * r); }

// The fit moves u = ln(1 - r) of each pole and zero r: fine steps near 1, where the low ones are.
double RadiusOf(double u) { return 1 - ExpOf(u); }
double UOfFrequency(double f, double rate) { return LogOf(1 - ExpOf(-kTwoPi * f / rate)); }

// Parameters: the poles' u, then the zeros', then the offset of ln(power · f).
struct Fit {
  std::size_t sections = 0;
  std::vector<double> parameters;
  std::vector<double> residues;
  double cost = 0;
};

void Evaluate(Fit& fit, const Grid& grid) {
  const std::size_t sections = fit.sections;
  fit.residues.assign(kGridPoints, 0);
  fit.cost = 0;
  for (std::size_t g = 0; g < kGridPoints; ++g) {
    double sum = grid.logFrequency[g] - fit.parameters[2 * sections];
    for (std::size_t k = 0; k < sections; ++k)
      sum = sum + LogPowerOfZero(RadiusOf(fit.parameters[sections + k]), grid.cosine[g]) -
            LogPowerOfZero(RadiusOf(fit.parameters[k]), grid.cosine[g]);
    fit.residues[g] = sum;
    fit.cost += sum * sum;
  }
}

// Solves a x = b by Gaussian elimination with partial pivoting (a is n × n, row major).
std::vector<double> Solve(std::vector<double> a, std::vector<double> b) {
  const std::size_t n = b.size();
  for (std::size_t column = 0; column < n; ++column) {
    std::size_t pivot = column;
    for (std::size_t row = column + 1; row < n; ++row)
      if (std::fabs(a[row * n + column]) > std::fabs(a[pivot * n + column])) pivot = row;
    for (std::size_t j = 0; j < n; ++j) std::swap(a[column * n + j], a[pivot * n + j]);
    std::swap(b[column], b[pivot]);
    for (std::size_t row = column + 1; row < n; ++row) {
      const double factor = a[row * n + column] / a[column * n + column];
      for (std::size_t j = column; j < n; ++j) a[row * n + j] -= factor * a[column * n + j];
      b[row] -= factor * b[column];
    }
  }
  std::vector<double> x(n);
  for (std::size_t row = n; row-- > 0;) {
    double sum = b[row];
    for (std::size_t j = row + 1; j < n; ++j) sum -= a[row * n + j] * x[j];
    x[row] = sum / a[row * n + row];
  }
  return x;
}

// One damped Gauss-Newton step (Levenberg-Marquardt): the parameters' change.
std::vector<double> Step(const Fit& fit, const Grid& grid, double damping) {
  const std::size_t sections = fit.sections, count = fit.parameters.size();
  std::vector<double> normal(count * count), gradient(count), row(count);
  for (std::size_t g = 0; g < kGridPoints; ++g) {
    const double c = grid.cosine[g];
    for (std::size_t k = 0; k < sections; ++k) {
      const double p = RadiusOf(fit.parameters[k]), q = RadiusOf(fit.parameters[sections + k]);
      // d/du = d/dr · dr/du, where dr/du = -(1 - r).
      row[k] = (2 * p - 2 * c) / (1 - 2 * p * c + p * p) * (1 - p);
      row[sections + k] = -(2 * q - 2 * c) / (1 - 2 * q * c + q * q) * (1 - q);
    }
    row[2 * sections] = -1;
    for (std::size_t i = 0; i < count; ++i) {
      gradient[i] -= row[i] * fit.residues[g];
      for (std::size_t j = 0; j < count; ++j) normal[i * count + j] += row[i] * row[j];
    }
  }
  for (std::size_t i = 0; i < count; ++i) normal[i * count + i] *= 1 + damping;
  return Solve(normal, gradient);
}

Fit FirstGuess(double rate, double high) {
  Fit fit;
  std::vector<double> zeros;
  for (double f = kFirstGuessPole; f < high; f *= kPoleSpacing) {
    fit.parameters.push_back(UOfFrequency(f, rate));
    zeros.push_back(UOfFrequency(f * std::sqrt(kPoleSpacing), rate));
  }
  fit.sections = zeros.size();
  fit.parameters.insert(fit.parameters.end(), zeros.begin(), zeros.end());
  fit.parameters.push_back(0);
  return fit;
}

}  // namespace

PinkFilter DesignPinkFilter(double rate) {
  PinkFilter filter;
  filter.low = kLowest;
  filter.high = rate >= kFullBandFrom ? kHighest : kHighestShareOfRate * rate;
  const Grid grid = MakeGrid(filter.low, filter.high, rate);
  const double lowestPole = UOfFrequency(kLowestPole, rate);
  Fit fit = FirstGuess(rate, filter.high);
  Evaluate(fit, grid);
  double damping = 1e-3;
  for (int step = 0; step < kSteps; ++step) {
    const std::vector<double> change = Step(fit, grid, damping);
    Fit tried = fit;
    for (std::size_t i = 0; i < tried.parameters.size(); ++i) tried.parameters[i] += change[i];
    for (std::size_t k = 0; k < tried.sections; ++k)
      tried.parameters[k] = std::max(tried.parameters[k], lowestPole);
    Evaluate(tried, grid);
    const bool better = tried.cost < fit.cost;
    if (better) fit = std::move(tried);
    damping = better ? damping / 10 : damping * 10;
  }
  for (std::size_t k = 0; k < fit.sections; ++k) {
    filter.poles.push_back(RadiusOf(fit.parameters[k]));
    filter.zeros.push_back(RadiusOf(fit.parameters[fit.sections + k]));
  }
  const auto [lowest, highest] = std::minmax_element(fit.residues.begin(), fit.residues.end());
  filter.deviation = kDecibelsPerNeperOfPower * (*highest - *lowest) / 2;
  return filter;
}

double PinkFilterDecibels(const PinkFilter& filter, double frequency, double rate) {
  const double cosine = SineOfCycles(frequency / rate + 0.25);
  double sum = 0;
  for (std::size_t k = 0; k < filter.poles.size(); ++k)
    sum += LogPowerOfZero(filter.zeros[k], cosine) - LogPowerOfZero(filter.poles[k], cosine);
  return kDecibelsPerNeperOfPower * sum;
}
