// rawdiff: compares two raw files of 64-bit little-endian samples (as `vsthost render --out-raw`
// writes them) and says how far apart they are. Exit 0 when every sample pair is within the
// allowed difference (0 by default: bit for bit), 1 when not, 2 on bad usage or unreadable files.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

bool readSamples(const char* path, std::vector<double>& samples) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.size() % sizeof(double) != 0) return false;
  samples.resize(bytes.size() / sizeof(double));
  if (!bytes.empty()) std::memcpy(samples.data(), bytes.data(), bytes.size());
  return true;
}

int usage() {
  std::fprintf(stderr, "usage: rawdiff A.f64 B.f64 [--max-abs X]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) return usage();
  double allowed = 0.0;
  if (argc == 5) {
    if (std::strcmp(argv[3], "--max-abs") != 0) return usage();
    char* end = nullptr;
    allowed = std::strtod(argv[4], &end);
    if (!end || *end || !(allowed >= 0.0)) return usage();
  }
  std::vector<double> a, b;
  if (!readSamples(argv[1], a) || !readSamples(argv[2], b)) {
    std::fprintf(stderr, "rawdiff: cannot read both files as 64-bit samples\n");
    return 2;
  }
  std::size_t differing = 0, first = 0;
  double largest = 0.0, peak = 0.0;
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof(double)) == 0) continue;
    if (!differing) first = i;
    ++differing;
    const double difference = std::fabs(a[i] - b[i]);
    if (!(difference <= largest)) largest = difference;  // a NaN difference sticks
    peak = std::fmax(peak, std::fabs(a[i]));
  }
  std::printf("samples      %zu %zu\n", a.size(), b.size());
  std::printf("differing    %zu\n", differing);
  if (differing) std::printf("firstDiff    %zu\n", first);
  std::printf("maxAbsDiff   %.3g\n", largest);
  const bool same = a.size() == b.size() && (differing == 0 || largest <= allowed);
  std::printf("%s\n", same ? "within tolerance" : "DIFFERENT");
  return same ? 0 : 1;
}
