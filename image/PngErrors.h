// Every number decodePngBuffer can return, with what it means. 0 is success. Numbers below 100
// are the decoder's fixed table; numbers from 100 up are our own guards for cases that table leaves
// open (sizes, memory caps and malformed streams it would otherwise read past).
#pragma once

namespace PngError {

// Input and header.
constexpr int kNoInput = 48;          // null pointer or zero length
constexpr int kTooShort = 27;         // 28 bytes or fewer: no room for signature and header
constexpr int kBadSignature = 28;     // first eight bytes are not the PNG signature
constexpr int kNoHeaderChunk = 29;    // first chunk is not IHDR
constexpr int kBadColourType = 31;    // colour type other than 0, 2, 3, 4, 6
constexpr int kBadCompression = 32;   // compression method not 0
constexpr int kBadFilterMethod = 33;  // filter method not 0
constexpr int kBadInterlace = 34;     // interlace method above 1
constexpr int kBadBitDepth = 37;      // bit depth not allowed for the colour type

// Chunks.
constexpr int kChunkHeaderPastEnd = 30;      // no room for another chunk's length and type
constexpr int kChunkDataPastEnd = 35;        // chunk data reaches the end of the input
constexpr int kChunkTooLong = 63;            // chunk length above 2^31 - 1
constexpr int kPaletteTooBig = 38;           // PLTE with more than 256 entries
constexpr int kTransparencyTooLong = 39;     // tRNS has more bytes than the palette has entries
constexpr int kGreyKeyLength = 40;           // tRNS of a grey image is not 2 bytes
constexpr int kRgbKeyLength = 41;            // tRNS of an RGB image is not 6 bytes
constexpr int kTransparencyNotAllowed = 42;  // tRNS on an image with an alpha channel
constexpr int kUnknownCriticalChunk = 69;    // unknown chunk whose first letter is upper case

// Scanlines and pixels.
constexpr int kBadFilterType = 36;    // a row's filter byte is above 4
constexpr int kPaletteIndex8 = 46;    // 8-bit palette index beyond the palette
constexpr int kPaletteIndexLow = 47;  // 1, 2 or 4-bit palette index beyond the palette

// zlib wrapper.
constexpr int kZlibTooShort = 53;    // fewer than 2 bytes of compressed data
constexpr int kZlibCheck = 24;       // header check bits wrong
constexpr int kZlibMethod = 25;      // method not deflate, or window above 32 KiB
constexpr int kZlibDictionary = 26;  // preset dictionary requested

// Deflate.
constexpr int kEndInsideSymbol = 10;       // data ends inside a Huffman code
constexpr int kLeftTree = 11;              // bits lead to no symbol in the tree
constexpr int kRepeatPastEnd16 = 13;       // code 16 repeats past the lengths to read
constexpr int kRepeatPastEnd17 = 14;       // code 17 likewise
constexpr int kRepeatPastEnd18 = 15;       // code 18 likewise
constexpr int kBadCodeLengthSymbol = 16;   // code-length symbol above 18 (guard; a 19-symbol
                                           // tree cannot produce one)
constexpr int kBadDistanceSymbol = 18;     // distance symbol 30 or 31
constexpr int kReservedBlockType = 20;     // block type 3
constexpr int kStoredLengthCheck = 21;     // stored block LEN and NLEN disagree
constexpr int kStoredPastEnd = 23;         // stored block longer than the data left
constexpr int kDynamicHeaderShort = 49;    // fewer than 3 bytes left for a dynamic block's header
constexpr int kEndBeforeRepeatCount = 50;  // data ends before a repeat code's count bits
constexpr int kEndBeforeExtraBits = 51;    // data ends before a length's or distance's extra bits
constexpr int kBlockPastEnd = 52;          // a block starts at or past the end of the data, or a
                                           // stored block has no room for LEN and NLEN
constexpr int kOverSubscribed = 55;        // code lengths claim more codes than bits allow
constexpr int kNoEndOfBlockCode = 64;      // literal/length code gives symbol 256 no code

// Our own.
// A size the header implies is beyond kMaxImageBytes (PngLimits.h): the RGBA output, or the
// scanlines the compressed data must inflate to. Every size computed from a header that would
// overflow 32 bits is far beyond that cap, so this one number covers overflow too.
constexpr int kImageTooLarge = 100;
// 101 is not used: inflated data longer than the scanlines need is valid, its surplus dropped.
// The inflated data is shorter than the scanlines need (checked per pass when interlaced).
constexpr int kNotEnoughImageData = 102;
// A match's distance reaches back before the first byte of the output.
constexpr int kDistanceBeforeStart = 103;
// Code 16 (repeat the previous length) as the very first code length: there is nothing to repeat.
constexpr int kRepeatWithoutPrevious = 104;
// An incomplete code whose tree needs more inner nodes than its node array has (2 slots per
// alphabet symbol), e.g. a lone distance code longer than 1 bit in a one-symbol alphabet.
constexpr int kSparseTree = 105;

}  // namespace PngError
