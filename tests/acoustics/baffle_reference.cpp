// Straightforward evaluation of the baffle model: every edge element of every
// direction gets its own complex exponential, windows of weight 0 included,
// nothing is hoisted out of the frequency loop.
#include "baffle_reference.h"

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace sonvex::testing {

namespace {

constexpr int N = 480;
constexpr double kPi = std::numbers::pi;

struct Element {
  double x, y, z, r, s;
};

double Tan(double x) { return std::tan(x); }

Complex Expj(double phase) { return {std::cos(phase), -std::sin(phase)}; }  // e^(−j·phase)

void FillAll(DirectionTable& t) {
  for (auto& row : t)
    for (auto& v : row) v = {1e-100, 0.0};
}

}  // namespace

std::string ReferenceBaffle(const Baffle& baffle, const FreqArray& freq, int lastIndex, DirectionTable& table) {
  FillAll(table);
  std::string text;
  if (baffle.outletDiameter < 0) text += "Maß d auf Schallwand muss >= 0 sein. ";
  double A = baffle.bottomDistance, C = baffle.leftDistance, H = baffle.height, B = baffle.width;
  const double D = baffle.outletDiameter + 1e-10;
  if (baffle.chamferLeft < 0 || baffle.chamferRight < 0 || baffle.chamferTop < 0 || baffle.chamferBottom < 0)
    text += "Maße e, f, g, und i auf Schallwand müssen >= 0 sein. ";
  if (baffle.direction >= 0 &&
      (baffle.diffractLeft || baffle.diffractRight || baffle.diffractTop || baffle.diffractBottom)) {
    if (baffle.bottomDistance <= 0 || baffle.width <= 0 || baffle.leftDistance <= 0 || baffle.height <= 0)
      text += "Maße a, b, c und h auf Schallwand müssen > 0 sein. ";
    if (baffle.outletDiameter / 2 + baffle.chamferBottom > baffle.bottomDistance ||
        baffle.outletDiameter / 2 + baffle.chamferLeft > baffle.leftDistance ||
        baffle.outletDiameter / 2 + baffle.bottomDistance > baffle.height - baffle.chamferTop ||
        baffle.outletDiameter / 2 + baffle.leftDistance > baffle.width - baffle.chamferRight)
      text += "Chassisposition auf der Schallwand geometrisch nicht möglich. ";
  } else {
    A = 2 * D + 1e-10 + baffle.chamferBottom;
    C = 2 * D + 1e-10 + baffle.chamferLeft;
    H = 2 * A + baffle.chamferTop;
    B = 2 * C + baffle.chamferRight;
  }
  if (text.size() >= 3) return text;
  text = "Unbekannter Fehler.";

  // Edge elements, two passes.
  std::vector<Element> el;
  const double delta = 12.5663708 / N;
  for (int pass = 1; pass <= 2; ++pass) {
    const double st = pass == 1 ? 0.67 / N : 1.33 / N;
    const double top = pass == 1 ? H - A : H - A - baffle.chamferTop;
    const double left = pass == 1 ? C : C - baffle.chamferLeft;
    const double bottom = pass == 1 ? A : A - baffle.chamferBottom;
    const double right = pass == 1 ? B - C : B - C - baffle.chamferRight;
    const double zt = pass == 1 ? -baffle.chamferTop : 0, zl = pass == 1 ? -baffle.chamferLeft : 0,
                 zb = pass == 1 ? -baffle.chamferBottom : 0, zr = pass == 1 ? -baffle.chamferRight : 0;
    const double strengthTop = baffle.diffractTop ? st : 0, strengthLeft = baffle.diffractLeft ? st : 0,
                 strengthBottom = baffle.diffractBottom ? st : 0, strengthRight = baffle.diffractRight ? st : 0;
    if (top == 0 || left == 0 || bottom == 0 || right == 0) return text;  // division by zero
    double phi = 0;
    while (Tan(phi) < left / top && phi < 1.57) {
      el.push_back({Tan(phi) * -top, top, zt, 0, strengthTop});
      phi += delta;
    }
    while (Tan(phi - 1.5707963) < bottom / left && phi < 3.14) {
      el.push_back({-left, -Tan(phi - 1.5707963) * left, zl, 0, strengthLeft});
      phi += delta;
    }
    while (Tan(phi - 3.1415926) < right / bottom && phi < 4.71) {
      el.push_back({Tan(phi - 3.1415926) * bottom, -bottom, zb, 0, strengthBottom});
      phi += delta;
    }
    while (Tan(phi - 4.7123889) < top / right && phi < 6.28) {
      el.push_back({right, Tan(phi - 4.7123889) * right, zr, 0, strengthRight});
      phi += delta;
    }
    while (phi < 6.2831852) {
      el.push_back({Tan(phi) * -top, top, zt, 0, strengthTop});
      phi += delta;
    }
  }
  if (el.size() != static_cast<std::size_t>(N)) return text;
  for (auto& e : el) e.r = std::sqrt(e.x * e.x + e.y * e.y);

  // Windows per θ group and azimuth (up, left, down, right).
  const int pct[5] = {23, 20, 10, 13, 16};
  std::array<std::array<std::array<double, N>, 4>, 5> win{};
  for (int g = 0; g < 5; ++g) {
    const int U = pct[g] * N / 100;
    std::array<double, N> V{};
    for (int i = 0; i < U && i <= N / 4; ++i) {
      V[i] = 1.0 - static_cast<double>(i) / U;
      if (i >= 1) V[N / 2 - i] = V[i];
    }
    for (int i = 0; i < N / 2; ++i) V[i + N / 2] = V[i];
    double sum = 0;
    for (double v : V) sum += v;
    for (double& v : V) v = v * N / sum;
    const int shift[4] = {0, 3 * N / 8, 2 * N / 8, N / 8};
    for (int az = 0; az < 4; ++az)
      for (int i = 0; i < N; ++i) win[g][az][i] = V[(i % (N / 2) + shift[az]) % (N / 2)];
  }

  double F = 1, q = 1e-4, g2 = 1, g3 = 1;
  if (baffle.diaphragmShape == 0) {
    F = 1.2;
  } else if (baffle.diaphragmShape != 1) {
    q = 0.2;
    g2 = 0.8;
  }
  const double R = D * 0.5 * F + 1e-100;
  const int M = 100;
  const double axial[5] = {1.28, 0.91, 0.41, 0, 0};
  const double sinUse[5] = {0.5, 0.866, 0.999, 0.866, 0.5};
  const double ux[4] = {0, -1, 0, 1}, uy[4] = {1, 0, -1, 0};

  const int last = lastIndex < 600 ? lastIndex : 600;
  for (int idx = 0; idx <= last && freq[idx] > 0; ++idx) {
    auto& row = table[idx];
    const double lambda = 344.0 / freq[idx];
    const double kp = 2.0 * 3.14159 / lambda;
    const double kf = 2.0 * kPi / lambda;
    const double kh = kPi / lambda;

    double P[4] = {1, 0, 0, 0};
    for (int k = 1; k <= 3; ++k) {
      const double kappa = std::sin(k * kPi / 6.0);
      double disc = 0;
      for (int c = 1; c <= 2 * M - 1; ++c) {
        const double x = c * R / M - R;
        const double wgt = R * ((c % 2 == 1) ? 8.0 / 3.0 : 4.0 / 3.0) / M / (R * R * kPi);
        disc += std::sqrt(R * R - x * x) * wgt * (1.0 - q) * std::cos(kappa * x * kf);
      }
      double rings[2] = {0, 0};
      const double gs[2] = {g2, g3};
      for (int r = 0; r < 2; ++r) {
        const double g = gs[r];
        for (int j = 1; j <= 2 * M; ++j) {
          const double x0 = ((j - 1) * R / M - R) * g;
          const double x1 = (j * R / M - R) * g;
          const double u0 = (j - 1) * R / M - R, u1 = j * R / M - R;
          const double a0 = R * R - u0 * u0 + 1e-50, a1 = R * R - u1 * u1 + 1e-50;
          const double y0 = std::sqrt(a0 < 0 ? 0.0 : a0) * g;
          const double y1 = std::sqrt(a1 < 0 ? 0.0 : a1) * g;
          const double L = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
          rings[r] += L / (kPi * R * g) * q * 0.5 * std::cos(kappa * (x0 + x1) * kh);
        }
      }
      P[k] = disc + rings[0] + rings[1];
    }
    const Complex p90{P[3], 0.0};

    const Complex direct0 = CMul(kComplexOne, Expj(0.12 * D * kp));
    if (baffle.direction == -2 || baffle.direction == -3) {
      static const double S[42][3] = {
          {29.60887, -0.05458, 0.01754}, {25.38434, -0.02769, 0.02944}, {23.40482, -0.09713, 0.03939},
          {19.48316, -0.11664, 0.05056}, {16.64354, -0.12146, 0.01877}, {15.80255, 0.10284, 0.02219},
          {12.50994, -0.03083, 0.01911}, {10.81749, 0.02939, 0.04704},  {9.44601, 0.10896, 0.04323},
          {8.27410, 0.08717, 0.01243},   {8.07798, -0.09632, 0.03370},  {6.52159, 0.09932, 0.02196},
          {5.78519, 0.06560, 0.00872},   {4.99463, 0.02285, 0.01189},   {4.32597, -0.00416, 0.05261},
          {3.99755, 0.10065, 0.01828},   {3.10975, -0.12999, 0.03988},  {3.03640, 0.09596, 0.02955},
          {2.65784, 0.06883, 0.05191},   {2.38168, 0.02680, 0.05301},   {1.94376, -0.06642, 0.02188},
          {1.65703, 0.00177, 0.05103},   {1.43649, -0.10627, 0.04613},  {1.28796, 0.03304, 0.03195},
          {1.29455, -0.00642, 0.00006},  {1.09891, 0.15976, 0.00008},   {0.92168, -0.04985, 0.00004},
          {0.73852, 0.21265, 0.00518},   {0.69733, -0.03351, 0.00728},  {0.56801, 0.20604, 0.01956},
          {0.46430, -0.20496, 0.06068},  {0.43268, -0.12233, 0.05960},  {0.37325, -0.17853, 0.00079},
          {0.35644, 0.12920, 0.03129},   {0.32646, 0.21845, 0.00351},   {0.28081, 0.12262, 0.00008},
          {0.21254, 0.09031, 0.04022},   {0.16633, -0.52180, 0.03026},  {0.18019, 0.36527, 0.00809},
          {0.15373, 0.32805, 0.00192},   {0.14928, 0.24989, 0.03026},   {0.00001, 0.04343, 0.00001}};
      static const double L[37][3] = {
          {29.95476, 0.05928, 0.02600},  {26.21618, -0.06084, 0.01829}, {22.70353, 0.07476, 0.03758},
          {20.21757, -0.04446, 0.03778}, {17.09761, -0.05114, 0.03818}, {14.42794, -0.02363, 0.03684},
          {13.50498, 0.04220, 0.04208},  {11.52409, 0.08858, 0.04532},  {10.35975, -0.02442, 0.01638},
          {9.01456, -0.00876, 0.04142},  {7.49613, -0.05035, 0.05118},  {6.86205, 0.09265, 0.03578},
          {5.54472, 0.09845, 0.01779},   {5.33625, -0.04814, 0.02702},  {4.69958, -0.01506, 0.01578},
          {3.80322, 0.13970, 0.01842},   {3.20627, -0.27472, 0.03912},  {3.01921, 0.13438, 0.03749},
          {2.53498, 0.12285, 0.04817},   {2.10442, 0.02992, 0.01746},   {1.91345, -0.14255, 0.01763},
          {1.45266, 0.03482, 0.01898},   {1.53370, -0.00890, 0.04838},  {1.19835, 0.05580, 0.04857},
          {1.10872, -0.13066, 0.01482},  {0.92422, 0.16733, 0.03543},   {0.92194, -0.08199, 0.00250},
          {0.64695, -0.13734, 0.01907},  {0.55073, -0.21045, 0.01844},  {0.59525, 0.21127, 0.04459},
          {0.49772, 0.21123, 0.03142},   {0.41611, 0.05727, 0.00114},   {0.40674, 0.12633, 0.00011},
          {0.28435, 0.89075, 0.00509},   {0.27081, 0.17355, 0.00000},   {0.26692, -0.57259, 0.03317},
          {0.00001, 0.07490, 0.02500}};
      const double(*tab)[3] = baffle.direction == -2 ? S : L;
      const int rows = baffle.direction == -2 ? 42 : 37;
      Complex v = direct0;
      for (int k = 0; k < rows; ++k) {
        const double Rr = tab[k][0], Pp = tab[k][1], Ww = tab[k][2];
        for (int s = -5; s <= 5; ++s) {
          const double factor = (Ww * 0.5 / 11) * (5 * lambda * lambda / (Rr + 5 * lambda * lambda));
          const double phase = (1 + s * std::pow(0.5, std::abs(s)) * Pp) * Rr * 2 * 3.14159 / lambda;
          v = CSub(v, CMul(CScale(p90, factor), Expj(phase)));
        }
      }
      row[0] = v;
    } else {
      row[0] = direct0;
      for (int g = 0; g < 3; ++g) {
        const double cth = std::cos(2 * (g + 1) * 3.14159 / 12);
        for (int az = 0; az < 4; ++az) row[1 + 4 * g + az] = CMul({P[g + 1], 0.0}, Expj(cth * 0.12 * D * kp));
      }
      if (baffle.direction >= 0) {
        for (int j = 0; j < N; ++j) {
          const Element& e = el[j];
          const Complex T = CScale(p90, e.s * 0.5);
          // direction 0
          row[0] = CSub(row[0], CMul(T, Expj(kp * (e.r - 1.41 * e.z - 0.0 * (0.0 * e.x + 0.0 * e.y)))));
          for (int g = 0; g < 5; ++g)
            for (int az = 0; az < 4; ++az) {
              const int d = 1 + 4 * g + az;
              const Complex term = CMul(CScale(T, win[g][az][j]),
                                        Expj(kp * (e.r - axial[g] * e.z - sinUse[g] * (ux[az] * e.x + uy[az] * e.y))));
              row[d] = g <= 2 ? CSub(row[d], term) : CAdd(row[d], term);
            }
          const Complex sum3 =
              CAdd3(Expj((e.r - e.z) * 1.0 * kp), Expj((e.r - e.z) * 1.1 * kp), Expj((e.r - e.z) * 1.25 * kp));
          row[21] = CAdd(row[21], CScale(CMul(T, sum3), 0.33));
        }
      }
      for (int k = 22; k < 30; ++k) row[k] = CScale(p90, 0.5);
    }
    for (const auto& v : row)
      if (!CIsFinite(v)) {
        FillAll(table);
        return text;
      }
  }
  text = "OK";
  const int yaw[30] = {12, 28, 8,  27, 16, 29, 4,  26, 20, 9, 0, 11, 21, 22, 2,
                       25, 18, 23, 6,  24, 14, 10, 5,  1,  3, 7, 15, 19, 17, 13};
  const int pitch[30] = {11, 7,  25, 15, 26, 3,  24, 19, 27, 0,  10, 21, 12, 1, 23,
                         17, 28, 5,  22, 13, 29, 9,  2,  6,  14, 18, 20, 16, 8, 4};
  int turns = 0;
  const int* p = yaw;
  switch (baffle.direction) {
    case 1:
      turns = 2;
      break;
    case 2:
      turns = 1;
      break;
    case 3:
      turns = 3;
      break;
    case 4:
      turns = 1;
      p = pitch;
      break;
    case 5:
      turns = 3;
      p = pitch;
      break;
    default:
      break;
  }
  for (int t = 0; t < turns; ++t)
    for (auto& row : table) {
      const auto old = row;
      for (int k = 0; k < 30; ++k) row[k] = old[p[k]];
    }
  return text;
}

}  // namespace sonvex::testing
