// Signed distances (negative inside, in layout units) of the shapes we draw, and coverage from
// them. Angles are in degrees, clockwise from 12 o'clock, with y growing downwards as on screen.
#pragma once

#include <algorithm>
#include <cmath>

namespace Artwork {

constexpr double kPi = 3.14159265358979323846;

inline double radians(double degrees) { return degrees * kPi / 180.0; }

// The point at `radius` and `degrees` around (cx, cy).
inline void polar(double cx, double cy, double radius, double degrees, double& x, double& y) {
  x = cx + radius * std::sin(radians(degrees));
  y = cy - radius * std::cos(radians(degrees));
}

inline double angleOf(double dx, double dy) { return std::atan2(dx, -dy) * 180.0 / kPi; }

inline double circleDistance(double x, double y, double cx, double cy, double radius) {
  return std::hypot(x - cx, y - cy) - radius;
}

inline double roundRectDistance(double x, double y, double x0, double y0, double x1, double y1,
                                double radius) {
  const double hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
  const double qx = std::abs(x - (x0 + x1) / 2) - hx, qy = std::abs(y - (y0 + y1) / 2) - hy;
  const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// A stroke of `width` along the segment (ax, ay)-(bx, by), with round ends.
inline double segmentDistance(double x, double y, double ax, double ay, double bx, double by,
                              double width) {
  const double vx = bx - ax, vy = by - ay;
  const double t = std::clamp(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
  return std::hypot(x - ax - t * vx, y - ay - t * vy) - width / 2;
}

// A stroke of `width` along the circle of `radius` from angle `from` clockwise to `to` (both in
// -180..180, from < to), with round ends.
inline double arcDistance(double x, double y, double cx, double cy, double radius, double from,
                          double to, double width) {
  const double a = angleOf(x - cx, y - cy);
  if (a >= from && a <= to) return std::abs(std::hypot(x - cx, y - cy) - radius) - width / 2;
  double ex, ey, fx, fy;
  polar(cx, cy, radius, from, ex, ey);
  polar(cx, cy, radius, to, fx, fy);
  return std::min(std::hypot(x - ex, y - ey), std::hypot(x - fx, y - fy)) - width / 2;
}

// Coverage of a sample by a hard edge: a ramp one sample wide (Canvas::paint samples every quarter
// pixel, and a pixel is 1 / density units), so that edges come out as area coverage rather than in
// 17 steps, as sharp at every density.
inline double fill(double distance, double density) {
  return std::clamp(0.5 - 4.0 * density * distance, 0.0, 1.0);
}

inline double smoothstep(double e0, double e1, double v) {
  const double t = std::clamp((v - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// Coverage of a soft-edged shape: 1 well inside, 0 beyond `blur` outside, smooth in between.
inline double soft(double distance, double blur) { return 1.0 - smoothstep(-blur, blur, distance); }

}  // namespace Artwork
