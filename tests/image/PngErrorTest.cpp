// Each error number, reached by bytes broken in exactly the way it names.
#include <gtest/gtest.h>

#include <ostream>

#include "PngBuilder.h"
#include "image/PngDecoder.h"

namespace {

// A 1x1 8-bit grey image around the given IDAT contents.
Bytes greyPixel(const Bytes& idat) { return makePng(ihdr(1, 1, 8, 0), {{"IDAT", idat}}); }
// A 1x1 grey image whose compressed data is a bare deflate stream.
Bytes deflated(const BitWriter& w) { return greyPixel(zlibWrap(w.bytes())); }
Bytes goodData() { return zlibStored({0, 0}); }

BitWriter blockStart(unsigned type) {
  BitWriter w;
  w.bits(1, 1);
  w.bits(type, 2);
  return w;
}

// Canonical codes for the given lengths, as the block's reader will rebuild them.
std::vector<unsigned> canonicalCodes(const std::vector<unsigned>& lengths) {
  std::vector<unsigned> codes(lengths.size());
  unsigned code = 0;
  for (unsigned len = 1; len <= 15; ++len, code <<= 1)
    for (size_t s = 0; s < lengths.size(); ++s)
      if (lengths[s] == len) codes[s] = code++;
  return codes;
}

// A complete code-length code: 4 bits for the symbols the tests use, 5 for six others.
const std::vector<unsigned> kCodeLengthLengths = {4, 4, 4, 5, 5, 5, 5, 5, 4, 4,
                                                  5, 4, 4, 4, 4, 4, 4, 4, 4};

// A dynamic block header for 257 literal/length and `distances` distance codes, with the given
// code-length code, then `lengths` as (code-length symbol, repeat count bits) pairs.
BitWriter dynamicBlock(const std::vector<std::pair<unsigned, unsigned>>& lengths,
                       unsigned distances = 1,
                       const std::vector<unsigned>& codeLengthLengths = kCodeLengthLengths) {
  static const unsigned order[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                     11, 4,  12, 3, 13, 2, 14, 1, 15};
  BitWriter w = blockStart(2);
  w.bits(0, 5);
  w.bits(distances - 1, 5);
  w.bits(15, 4);
  for (unsigned symbol : order) w.bits(codeLengthLengths[symbol], 3);
  const auto codes = canonicalCodes(codeLengthLengths);
  const unsigned repeatBits[3] = {2, 3, 7};
  for (const auto& l : lengths) {
    w.code(codes[l.first], codeLengthLengths[l.first]);
    if (l.first >= 16) w.bits(l.second, repeatBits[l.first - 16]);
  }
  return w;
}

std::vector<std::pair<unsigned, unsigned>> times(unsigned symbol, unsigned n) {
  return std::vector<std::pair<unsigned, unsigned>>(n, {symbol, 0});
}
template <typename... More>
std::vector<std::pair<unsigned, unsigned>> times(unsigned symbol, unsigned n, More... more) {
  auto v = times(symbol, n), rest = times(more...);
  v.insert(v.end(), rest.begin(), rest.end());
  return v;
}

// Pads with 9-bit literals so that a code of `codeBits` bits ends exactly on the data's end.
void padToEndAfter(BitWriter& w, unsigned codeBits) {
  while ((w.bitCount() + codeBits) % 8 != 0) w.fixedLiteral(200);
}

struct ErrorCase {
  const char* name;
  int error;
  Bytes bytes;
};
void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.name; }

Bytes prefix(const Bytes& png, size_t length) { return Bytes(png.begin(), png.begin() + length); }

Bytes withByte(Bytes png, size_t at, unsigned char value) {
  png[at] = value;
  return png;
}

Bytes storedThenReserved(unsigned length) {
  Bytes d = {0x00, static_cast<unsigned char>(length & 0xFF),
             static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(~length & 0xFF),
             static_cast<unsigned char>((~length >> 8) & 0xFF)};
  d.resize(d.size() + length, 0);
  d.push_back(0x07);  // final, type 3
  return d;
}

Bytes nextBlockPastEnd() {
  BitWriter w;
  w.bits(0, 1), w.bits(1, 2);  // fixed, not final, ending exactly where the data ends
  padToEndAfter(w, 7);
  w.fixedLiteral(256);
  return deflated(w);
}

// A fixed block: literal 0, then a match of `lengthSymbol` at `distanceSymbol`, padded so that the
// match's codes end the data when `endAfterCodes`.
Bytes fixedMatch(unsigned lengthSymbol, unsigned distanceSymbol, bool endAfterCodes) {
  BitWriter w = blockStart(1);
  w.fixedLiteral(0);
  if (endAfterCodes) padToEndAfter(w, 12);
  w.fixedLiteral(lengthSymbol), w.code(distanceSymbol, 5);
  return deflated(w);
}

Bytes lengthExtraPastEnd() {
  BitWriter w = blockStart(1);
  w.fixedLiteral(0);
  padToEndAfter(w, 7);
  w.fixedLiteral(265);  // one extra bit, none left
  return deflated(w);
}

Bytes repeatCountPastEnd() {
  BitWriter w = dynamicBlock({});
  const auto codes = canonicalCodes(kCodeLengthLengths);
  while ((w.bitCount() + 4) % 8 != 0) w.code(codes[3], 5);  // 5-bit lengths as padding
  w.code(codes[17], 4);
  return deflated(w);
}

Bytes leavesTree() {
  std::vector<unsigned> onlyEight(19, 0);
  onlyEight[8] = 2;  // the single code 00: a 1 bit leads nowhere
  BitWriter w = dynamicBlock({}, 1, onlyEight);
  w.bits(1, 1);
  return deflated(w);
}

Bytes png1x1(unsigned depth, unsigned type, const std::vector<std::pair<std::string, Bytes>>& c) {
  return makePng(ihdr(1, 1, depth, type), c);
}

// clang-format off
const ErrorCase kCases[] = {
  // Header.
  {"short", 27, prefix(greyPixel(goodData()), 28)},
  {"signature", 28, withByte(greyPixel(goodData()), 1, 'p')},
  {"firstChunkNotIhdr", 29, withByte(greyPixel(goodData()), 12, 'J')},
  {"compression", 32, withByte(greyPixel(goodData()), 26, 1)},
  {"filterMethod", 33, withByte(greyPixel(goodData()), 27, 1)},
  {"interlace", 34, withByte(greyPixel(goodData()), 28, 2)},
  {"colourType", 31, png1x1(8, 5, {{"IDAT", goodData()}})},
  {"rgbDepth4", 37, png1x1(4, 2, {{"IDAT", goodData()}})},
  {"paletteDepth16", 37, png1x1(16, 3, {{"IDAT", goodData()}})},
  {"greyDepth3", 37, png1x1(3, 0, {{"IDAT", goodData()}})},
  // Sizes beyond the cap: pixel count, one row's bytes, and filter bytes alone.
  {"hugeImage", 100, makePng(ihdr(100000, 100000, 8, 6), {})},
  {"hugeRow", 100, makePng(ihdr(0xFFFFFFFF, 0, 16, 6), {})},
  {"zeroWidthTallImage", 100, makePng(ihdr(0, 0xFFFFFFFF, 8, 0), {})},
  // Chunks.
  {"noRoomForChunk", 30, prefix(greyPixel(goodData()), 29)},
  {"chunkLengthTooBig", 63, withByte(greyPixel(goodData()), 33, 0x80)},
  {"chunkPastEnd", 35, withByte(greyPixel(goodData()), 35, 0x10)},
  {"paletteTooBig", 38, png1x1(8, 3, {{"PLTE", Bytes(257 * 3)}})},
  {"paletteAlphasTooMany", 39, png1x1(8, 3, {{"PLTE", Bytes(6)}, {"tRNS", Bytes(3)}})},
  {"greyKeyLength", 40, png1x1(8, 0, {{"tRNS", Bytes(3)}})},
  {"rgbKeyLength", 41, png1x1(8, 2, {{"tRNS", Bytes(2)}})},
  {"keyWithAlpha", 42, png1x1(8, 4, {{"tRNS", Bytes(2)}})},
  {"unknownCritical", 69, png1x1(8, 0, {{"ABCD", {}}, {"IDAT", goodData()}})},
  // Scanlines and pixels.
  {"filterType5", 36, greyPixel(zlibStored({5, 0}))},
  {"paletteIndex8", 46, png1x1(8, 3, {{"PLTE", Bytes(6)}, {"IDAT", zlibStored({0, 2})}})},
  {"paletteIndex2", 47, png1x1(2, 3, {{"PLTE", Bytes(6)}, {"IDAT", zlibStored({0, 0x80})}})},
  {"rowsShort", 102, makePng(ihdr(2, 2, 8, 0), {{"IDAT", zlibStored({0, 1, 2, 0, 3})}})},
  // 3x3 interlaced: passes 1, 4, 5, 6, 7 need 2, 2, 3, 4, 4 bytes; the last pass gets 3.
  {"lastPassShort", 102, makePng(ihdr(3, 3, 8, 0, 1), {{"IDAT", zlibStored(Bytes(14))}})},
  // A bad filter in pass 1 is met before pass 2's data is found missing.
  {"filterBeforeShortPass", 36, makePng(ihdr(3, 3, 8, 0, 1), {{"IDAT", zlibStored({5, 0, 0})}})},
  // zlib.
  {"emptyIdat", 53, greyPixel({})},
  // Data past what the rows need is decoded and checked all the same: a first block with the
  // pixel and 3000 bytes more, then a block of type 3.
  {"surplusThenBlockType3", 20, greyPixel(zlibWrap(storedThenReserved(3002)))},
  {"zlibCheck", 24, greyPixel({0x78, 0x02, 3, 0})},
  {"zlibMethod", 25, greyPixel({0x77, 0x85, 3, 0})},
  {"zlibWindow", 25, greyPixel({0x88, 0x1C, 3, 0})},
  {"zlibDictionary", 26, greyPixel({0x78, 0x20, 3, 0})},
  // Deflate blocks.
  {"noBlock", 52, greyPixel(zlibWrap({}))},
  {"nextBlockPastEnd", 52, nextBlockPastEnd()},
  {"storedHeaderShort", 52, greyPixel(zlibWrap({0x01, 0x02, 0x00, 0xFD}))},
  {"blockType3", 20, deflated(blockStart(3))},
  {"storedLengthCheck", 21, greyPixel(zlibWrap({0x01, 0x02, 0x00, 0xFD, 0xFE, 0, 0}))},
  {"storedPastEnd", 23, greyPixel(zlibWrap({0x01, 0x03, 0x00, 0xFC, 0xFF, 0, 0}))},
  {"dynamicHeaderShort", 49, deflated(blockStart(2))},
  {"endInsideSymbol", 10, deflated(blockStart(1))},  // 5 zero bits, then nothing
  {"distanceSymbol30", 18, fixedMatch(257, 30, false)},
  {"lengthExtraPastEnd", 51, lengthExtraPastEnd()},
  {"distanceExtraPastEnd", 51, fixedMatch(257, 4, true)},  // distance code 4 has an extra bit
  {"distanceBeforeStart", 103, fixedMatch(257, 1, false)},  // distance 2 after one byte
  // Dynamic code lengths.
  {"repeat16PastEnd", 13, deflated(dynamicBlock(times(8, 255, 9, 2, 16, 1)))},
  {"repeat17PastEnd", 14, deflated(dynamicBlock(times(8, 255, 9, 1, 17, 1)))},
  {"repeat18PastEnd", 15, deflated(dynamicBlock(times(8, 248, 18, 1)))},
  {"repeat16First", 104, deflated(dynamicBlock(times(16, 1)))},
  {"repeatCountPastEnd", 50, repeatCountPastEnd()},
  {"noEndOfBlockCode", 64, deflated(dynamicBlock(times(8, 255, 9, 1, 0, 1, 1, 1)))},
  {"overSubscribed", 55, deflated(dynamicBlock({}, 1, std::vector<unsigned>(19, 1)))},
  {"loneDistanceCodeTooLong", 105, deflated(dynamicBlock(times(8, 255, 9, 2, 2, 1)))},
  {"leavesTree", 11, leavesTree()},
};
// clang-format on

class DecoderError : public testing::TestWithParam<ErrorCase> {};

TEST_P(DecoderError, ReturnsItsNumber) {
  const Bytes& png = GetParam().bytes;
  std::vector<unsigned char> out{1, 2, 3};
  unsigned w = 7, h = 7;
  EXPECT_EQ(GetParam().error, decodePngBuffer(out, w, h, png.data(), png.size(), true));
  EXPECT_TRUE(out.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, DecoderError, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ErrorCase>& i) { return i.param.name; });

TEST(DecoderError, NoInput) {
  std::vector<unsigned char> out;
  unsigned w, h;
  const unsigned char byte = 0;
  EXPECT_EQ(48, decodePngBuffer(out, w, h, nullptr, 10, true));
  EXPECT_EQ(48, decodePngBuffer(out, w, h, &byte, 0, true));
}

}  // namespace
