// Our PNG encoder, checked by decoding its files with libpng, which verifies every CRC and the
// zlib checksum, around the 65535-byte limit of a stored deflate block.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>

#include "PngWriter.h"

namespace {

std::vector<uint8_t> pattern(uint32_t width, uint32_t height) {
  std::vector<uint8_t> rgb(size_t(width) * height * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7 + i / 251);
  return rgb;
}

// The decoded RGB pixels, empty when libpng refuses the file.
std::vector<uint8_t> decode(const std::vector<uint8_t>& png, uint32_t& width, uint32_t& height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  width = image.width;
  height = image.height;
  return rgb;
}

TEST(HostPngWriter, SmallImageDecodesToTheSamePixelsTopRowFirst) {
  const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255,  // top row
                                    1,   2, 3, 4, 5,   6, 7, 8, 9};
  const std::vector<uint8_t> png = encodePng(3, 2, rgb);
  ASSERT_GE(png.size(), 33u);
  EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16), 0);
  EXPECT_EQ(std::memcmp(&png[png.size() - 12], "\0\0\0\0IEND\xae\x42\x60\x82", 12), 0);
  uint32_t width = 0, height = 0;
  EXPECT_EQ(decode(png, width, height), rgb);
  EXPECT_EQ(width, 3u);
  EXPECT_EQ(height, 2u);
}

TEST(HostPngWriter, ImagesAroundTheStoredBlockLimitDecode) {
  // Filtered scanlines of exactly 65535 bytes (one full block), 65536 (a one-byte second block)
  // and a few blocks' worth.
  const struct { uint32_t width, height; } sizes[] = {{82, 255}, {85, 256}, {340, 190}};
  for (const auto& size : sizes) {
    const std::vector<uint8_t> rgb = pattern(size.width, size.height);
    uint32_t width = 0, height = 0;
    EXPECT_EQ(decode(encodePng(size.width, size.height, rgb), width, height), rgb)
        << size.width << "x" << size.height;
    EXPECT_EQ(width, size.width);
  }
}

TEST(HostPngWriter, MismatchedOrEmptyImagesGiveNothing) {
  EXPECT_TRUE(encodePng(0, 5, {}).empty());
  EXPECT_TRUE(encodePng(2, 2, std::vector<uint8_t>(11)).empty());
  EXPECT_TRUE(encodePng(2, 2, std::vector<uint8_t>(13)).empty());
}

}  // namespace
