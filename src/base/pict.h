// Pictures in memory and in files (portable part): format by extension, packed device-independent
// bitmaps, the BMP and PCX codecs, the pixel operations of Capture Picture and the 8-bit
// quantiser GIF files are written from. Every reader refuses sizes that overflow or point past
// the data it was given.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Error codes raised by the picture layer (texts in error.txt).
constexpr int kPictErrMemory = 6002;
constexpr int kPictErrOpen = 6005;
constexpr int kPictErrCreate = 6006;
constexpr int kPictErrNotPicture = 6101;
constexpr int kPictErrFormat = 6102;     // the name's extension is no picture format
constexpr int kPictErrEncode = 6103;     // the picture could not be written in that format
constexpr int kPictErrOperation = 6104;  // an unknown picture operation
constexpr int kPictErrTooLarge = 6105;   // more pixels than kPictMaxPixels
constexpr int kPictErrTwain = 6110;      // the scanner source failed

// Format codes, chosen by extension.
enum PictFormat { kPictBmp = 1, kPictTiff = 2, kPictPcx = 3, kPictJpeg = 4, kPictPng = 5, kPictGif = 6 };

// The code of the name's last extension (any letter case); nullopt when it is no picture format.
std::optional<int> pict_format_of(std::string_view name);
// As pict_format_of, raising kPictErrFormat for other names.
int pict_format_code(std::string_view name);

// Largest picture accepted anywhere (pixels), so a 32-bit process never tries an absurd block.
constexpr uint64_t kPictMaxPixels = 1ull << 25;
// "W x H pixels, more than the 33,554,432 a picture may have", told with kPictErrTooLarge.
std::string pict_too_large_text(uint64_t w, uint64_t h);
// The size a BMP or PCX file's header gives when it is over kPictMaxPixels (a file that is
// otherwise no picture is left to its reader).
std::optional<std::pair<uint64_t, uint64_t>> pict_header_too_large(int format, std::string_view file);

// Whether a TIFF file's directories and the strips or tiles they name lie wholly inside it: the
// system's decoder reads past the end of a file cut short. True for bytes that are no TIFF, which
// are left to their decoder; false for BigTIFF, which is not read.
bool pict_tiff_whole(std::string_view file);

// Pixels as 0x00RRGGBB, rows from the top.
struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> px;
    Image() = default;
    Image(int w, int h, uint32_t fill = 0xFFFFFF) : width(w), height(h), px(size_t(w) * size_t(h), fill) {}
    uint32_t at(int x, int y) const { return px[size_t(y) * size_t(width) + size_t(x)]; }
    uint32_t& at(int x, int y) { return px[size_t(y) * size_t(width) + size_t(x)]; }
    bool empty() const { return width <= 0 || height <= 0; }
};

// ---- Packed device-independent bitmaps.

struct DibInfo {
    int width = 0, height = 0;  // height positive; top_down tells the row order
    bool top_down = false;
    int bpp = 0;
    uint32_t compression = 0;
    uint32_t header_size = 0;
    uint32_t colours = 0;        // entries of the colour table
    size_t table_bytes = 0;      // colour table and bit-field masks after the header
    size_t stride = 0;           // bytes per row (uncompressed)
    size_t image_bytes = 0;      // pixel bytes (for RLE the stored size)
    size_t total() const { return header_size + table_bytes + image_bytes; }
};

// Reads and checks the header of a packed DIB of `size` bytes; nullopt when it is broken or the
// sizes do not fit in it.
std::optional<DibInfo> dib_info(const uint8_t* p, size_t size);
std::optional<Image> image_from_dib(const uint8_t* p, size_t size);
inline std::optional<Image> image_from_dib(const std::vector<uint8_t>& d) { return image_from_dib(d.data(), d.size()); }
// 24-bit bottom-up packed DIB with a 40-byte header.
std::vector<uint8_t> image_to_dib24(const Image& img);

// ---- BMP files.

// The packed DIB of a .bmp file. A plain 40-byte-header bitmap is kept as it is (exact size);
// other kinds (core, V4/V5 headers, RLE, bit fields) come back as 24-bit. Nullopt when the bytes
// are no readable bitmap.
std::optional<std::vector<uint8_t>> bmp_parse(std::string_view file);
// File header + the packed DIB, sizes from the header; empty when the DIB is broken.
std::vector<uint8_t> bmp_file_bytes(const uint8_t* dib, size_t size);

// ---- PCX files.

std::optional<Image> pcx_decode(std::string_view file);
// Version 5, 8 bits in 3 planes, run-length encoded.
std::vector<uint8_t> pcx_encode(const Image& img);

// ---- Operations (all values clamped to 0..255).

Image pict_brightness(const Image& img, int delta);  // delta -100..100, percent of full scale
Image pict_contrast(const Image& img, int k);        // k -48..48
Image pict_resize(const Image& img, int w, int h);   // area average; sizes below 1 become 1
Image pict_gray(const Image& img);
// `shadow` (usually a darkened copy) at (0,0) blended over white at strength percent, `top` laid
// opaque over it moved by (dx, dy); the canvas grows to hold both.
Image pict_shadow(const Image& shadow, const Image& top, int dx, int dy, int strength);

// One step of a transform list: the tags of the operation table.
struct PictOp {
    int tag = 0;
    int a = 0, b = 0;  // 1, 2, 4: a = value; 8: a x b size; 11: offset (a, b)
    int n = 0;         // 11: strength
    std::shared_ptr<const Image> pic;  // 11: the picture laid on top
};
PictOp pict_op_brightness(int d);
PictOp pict_op_contrast(int d);
PictOp pict_op_size(int w, int h);
PictOp pict_op_gray();
PictOp pict_op_shadow(int dx, int dy, std::shared_ptr<const Image> top, int strength);
PictOp pict_op_level(int v);  // tag 4: kept for the list's shape, changes nothing
// Applies the list in order; raises kPictErrOperation for an unknown tag.
Image pict_apply(Image img, const std::vector<PictOp>& ops);

// ---- 8-bit quantiser.

struct IndexedImage {
    int width = 0, height = 0;
    std::vector<uint32_t> palette;  // 0x00RRGGBB, at most 256
    std::vector<uint8_t> index;     // rows from the top
};
// Exact when the picture has at most 256 colours; otherwise a median cut over 5-bit boxes.
IndexedImage pict_quantize(const Image& img);
// 8-bit bottom-up packed DIB with the palette as its colour table.
std::vector<uint8_t> indexed_to_dib8(const IndexedImage& q);
