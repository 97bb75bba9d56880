#include "base/pict.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <unordered_map>

#include "base/error.h"

namespace {

uint32_t rd16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t rd32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
void wr16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void wr32(std::vector<uint8_t>& v, uint32_t x) {
    wr16(v, x & 0xFFFF);
    wr16(v, x >> 16);
}

uint8_t clamp255(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }
uint32_t rgb(int r, int g, int b) { return uint32_t(clamp255(r)) << 16 | uint32_t(clamp255(g)) << 8 | clamp255(b); }
int red(uint32_t c) { return int(c >> 16 & 0xFF); }
int green(uint32_t c) { return int(c >> 8 & 0xFF); }
int blue(uint32_t c) { return int(c & 0xFF); }

bool size_ok(int64_t w, int64_t h) {
    return w > 0 && h > 0 && w <= 0xFFFF * 2 && h <= 0xFFFF * 2 && uint64_t(w) * uint64_t(h) <= kPictMaxPixels;
}

std::string grouped(uint64_t n) {
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

// Shift and width of a bit-field mask, to widen its value to 8 bits.
struct Field {
    int shift = 0, bits = 0;
    explicit Field(uint32_t mask) {
        if (!mask) return;
        while (!(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        while (mask & 1) {
            mask >>= 1;
            ++bits;
        }
    }
    int get(uint32_t v) const {
        if (!bits) return 0;
        uint32_t x = (v >> shift) & ((bits >= 32) ? 0xFFFFFFFFu : ((1u << bits) - 1));
        if (bits >= 8) return int(x >> (bits - 8));
        // Repeat the bits so the full range reaches 255.
        uint32_t out = 0;
        for (int got = 0; got < 8; got += bits) out = (out << bits) | x;
        int total = ((8 + bits - 1) / bits) * bits;
        return int(out >> (total - 8));
    }
};

std::string upper_ext(std::string_view name) {
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return {};
    std::string e(name.substr(dot));
    for (char& c : e) c = char(std::toupper(static_cast<unsigned char>(c)));
    return e;
}

}  // namespace

std::optional<int> pict_format_of(std::string_view name) {
    const std::string e = upper_ext(name);
    if (e == ".JPG" || e == ".JPEG" || e == ".JFIF" || e == ".JPE") return kPictJpeg;
    if (e == ".PNG") return kPictPng;
    if (e == ".PCX") return kPictPcx;
    if (e == ".TIF" || e == ".TIFF") return kPictTiff;
    if (e == ".BMP") return kPictBmp;
    if (e == ".GIF") return kPictGif;
    return std::nullopt;
}

int pict_format_code(std::string_view name) {
    if (auto c = pict_format_of(name)) return *c;
    vorn_raise(kPictErrFormat, std::string(name));
}

// ---- Packed DIBs.

namespace {

// The header and colour table of a packed DIB, checked against `size`; the pixels are not.
std::optional<DibInfo> dib_header(const uint8_t* p, size_t size) {
    if (size < 12) return std::nullopt;
    DibInfo d;
    d.header_size = rd32(p);
    int64_t w, h;
    uint32_t planes;
    size_t entry = 4;
    if (d.header_size == 12) {
        w = rd16(p + 4);
        h = rd16(p + 6);
        planes = rd16(p + 8);
        d.bpp = int(rd16(p + 10));
        entry = 3;
    } else if (d.header_size == 40 || d.header_size == 52 || d.header_size == 56 || d.header_size == 108 ||
               d.header_size == 124) {
        if (size < d.header_size) return std::nullopt;
        w = int32_t(rd32(p + 4));
        h = int32_t(rd32(p + 8));
        planes = rd16(p + 12);
        d.bpp = int(rd16(p + 14));
        d.compression = rd32(p + 16);
        d.colours = rd32(p + 32);
    } else {
        return std::nullopt;
    }
    if (planes != 1) return std::nullopt;
    d.top_down = h < 0;
    if (h < 0) h = -h;
    if (!size_ok(w, h)) return std::nullopt;
    d.width = int(w);
    d.height = int(h);
    switch (d.bpp) {
    case 1: case 4: case 8:
        if (d.compression != kBiRgb && !(d.compression == kBiRle8 && d.bpp == 8) &&
            !(d.compression == kBiRle4 && d.bpp == 4))
            return std::nullopt;
        if (d.colours == 0 || d.colours > (1u << d.bpp)) d.colours = 1u << d.bpp;
        break;
    case 16: case 24: case 32:
        if (d.compression != kBiRgb && !(d.compression == kBiBitfields && d.bpp != 24)) return std::nullopt;
        if (d.colours > 256) return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    if ((d.compression == kBiRle8 || d.compression == kBiRle4) && d.top_down) return std::nullopt;
    d.table_bytes = size_t(d.colours) * entry;
    if (d.compression == kBiBitfields && d.header_size == 40) d.table_bytes += 12;
    if (uint64_t(d.header_size) + d.table_bytes > size) return std::nullopt;
    d.stride = size_t((uint64_t(d.width) * uint64_t(d.bpp) + 31) / 32 * 4);
    d.image_bytes = d.stride * size_t(d.height);
    if (d.compression == kBiRle8 || d.compression == kBiRle4) {
        d.image_bytes = rd32(p + 20);
        if (d.image_bytes == 0) return std::nullopt;
    }
    return d;
}

}  // namespace

std::optional<DibInfo> dib_info(const uint8_t* p, size_t size) {
    auto d = dib_header(p, size);
    if (!d) return std::nullopt;
    const size_t room = size - d->header_size - d->table_bytes;
    if (d->compression == kBiRle8 || d->compression == kBiRle4)
        d->image_bytes = std::min(d->image_bytes, room);
    else if (d->image_bytes > room)
        return std::nullopt;
    return d;
}

namespace {

// Decodes the pixel bits of a checked DIB whose colour table starts at `table` and whose bits
// start at `bits` (`avail` bytes).
std::optional<Image> decode_bits(const DibInfo& d, const uint8_t* hdr, const uint8_t* table, const uint8_t* bits,
                                 size_t avail) {
    Image img(d.width, d.height, 0);
    const size_t entry = d.header_size == 12 ? 3 : 4;
    std::vector<uint32_t> pal(d.colours);
    for (size_t i = 0; i < pal.size(); ++i) pal[i] = rgb(table[i * entry + 2], table[i * entry + 1], table[i * entry]);
    auto colour = [&](uint32_t i) { return i < pal.size() ? pal[i] : 0u; };
    auto row_y = [&](int r) { return d.top_down ? r : d.height - 1 - r; };

    if (d.compression == kBiRle8 || d.compression == kBiRle4) {
        const bool four = d.compression == kBiRle4;
        size_t i = 0;
        int x = 0, r = 0;
        auto put = [&](uint32_t v) {
            if (x < d.width && r < d.height) img.at(x, row_y(r)) = colour(v);
            ++x;
        };
        while (i + 1 < avail && r < d.height) {
            uint8_t n = bits[i], v = bits[i + 1];
            i += 2;
            if (n) {
                for (int k = 0; k < n; ++k) put(four ? (k & 1 ? v & 15 : v >> 4) : v);
            } else if (v == 0) {
                x = 0;
                ++r;
            } else if (v == 1) {
                break;
            } else if (v == 2) {
                if (i + 1 >= avail) break;
                x += bits[i];
                r += bits[i + 1];
                i += 2;
            } else {
                size_t bytes = four ? (v + 1u) / 2 : v;
                if (i + bytes > avail) return std::nullopt;
                for (int k = 0; k < v; ++k) put(four ? (k & 1 ? bits[i + k / 2] & 15 : bits[i + k / 2] >> 4) : bits[i + k]);
                i += (bytes + 1) & ~size_t(1);
            }
        }
        return img;
    }

    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (d.bpp == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (d.compression == kBiBitfields) {
        const uint8_t* m = hdr + 40;  // after a 40-byte header, or inside a longer one
        for (int k = 0; k < 3; ++k) masks[k] = rd32(m + 4 * k);
    }
    const Field fr(masks[0]), fg(masks[1]), fb(masks[2]);
    for (int r = 0; r < d.height; ++r) {
        const uint8_t* row = bits + size_t(r) * d.stride;
        uint32_t* out = &img.px[size_t(row_y(r)) * size_t(d.width)];
        for (int x = 0; x < d.width; ++x) {
            switch (d.bpp) {
            case 1: out[x] = colour(row[x >> 3] >> (7 - (x & 7)) & 1); break;
            case 4: out[x] = colour(x & 1 ? row[x >> 1] & 15 : row[x >> 1] >> 4); break;
            case 8: out[x] = colour(row[x]); break;
            case 16: {
                uint32_t v = rd16(row + 2 * x);
                out[x] = rgb(fr.get(v), fg.get(v), fb.get(v));
                break;
            }
            case 24: out[x] = rgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
            default: {
                uint32_t v = rd32(row + 4 * x);
                out[x] = rgb(fr.get(v), fg.get(v), fb.get(v));
            }
            }
        }
    }
    return img;
}

std::vector<uint8_t> info_header(int w, int h, int bpp, uint32_t colours, size_t image_bytes) {
    std::vector<uint8_t> v;
    v.reserve(40 + colours * 4 + image_bytes);
    wr32(v, 40);
    wr32(v, uint32_t(w));
    wr32(v, uint32_t(h));
    wr16(v, 1);
    wr16(v, uint32_t(bpp));
    wr32(v, kBiRgb);
    wr32(v, uint32_t(image_bytes));
    wr32(v, 2835);  // 72 dpi
    wr32(v, 2835);
    wr32(v, colours);
    wr32(v, 0);
    return v;
}

}  // namespace

std::optional<Image> image_from_dib(const uint8_t* p, size_t size) {
    auto d = dib_info(p, size);
    if (!d) return std::nullopt;
    const uint8_t* table = p + d->header_size + (d->compression == kBiBitfields && d->header_size == 40 ? 12 : 0);
    return decode_bits(*d, p, table, p + d->header_size + d->table_bytes, d->image_bytes);
}

std::vector<uint8_t> image_to_dib24(const Image& img) {
    const size_t stride = (size_t(img.width) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> v = info_header(img.width, img.height, 24, 0, stride * size_t(img.height));
    const size_t at = v.size();
    v.resize(at + stride * size_t(img.height), 0);
    for (int y = 0; y < img.height; ++y) {
        uint8_t* row = &v[at + size_t(img.height - 1 - y) * stride];
        for (int x = 0; x < img.width; ++x) {
            uint32_t c = img.at(x, y);
            row[3 * x] = uint8_t(c);
            row[3 * x + 1] = uint8_t(c >> 8);
            row[3 * x + 2] = uint8_t(c >> 16);
        }
    }
    return v;
}

// ---- BMP files.

std::optional<std::vector<uint8_t>> bmp_parse(std::string_view file) {
    if (file.size() < 14 + 12 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
    const auto* f = reinterpret_cast<const uint8_t*>(file.data());
    const uint8_t* p = f + 14;
    const size_t size = file.size() - 14;
    auto hd = dib_header(p, size);
    if (!hd) return std::nullopt;
    DibInfo h = *hd;
    const uint32_t off = rd32(f + 10);
    // Some writers mark bit fields but leave the masks out: the pixels start right after the
    // header, and the usual masks apply.
    if (h.compression == kBiBitfields && h.header_size == 40 && h.colours == 0 && off == 14 + 40) {
        h.compression = kBiRgb;
        h.table_bytes = 0;
    }
    const uint8_t* table = p + h.header_size + (h.compression == kBiBitfields && h.header_size == 40 ? 12 : 0);
    const size_t head_and_table = size_t(h.header_size) + h.table_bytes;
    // The pixels start where the file header says, when that lies past the colour table.
    const uint8_t* bits = p + head_and_table;
    if (off >= 14 + head_and_table && off <= file.size()) bits = f + off;
    size_t avail = size_t(f + file.size() - bits);
    if (h.compression == kBiRle8 || h.compression == kBiRle4)
        avail = std::min(avail, h.image_bytes);
    else if (h.image_bytes > avail)
        return std::nullopt;
    if (h.header_size == 40 && h.compression == kBiRgb) {
        std::vector<uint8_t> out(p, p + 40);
        auto put32 = [&](size_t at, uint32_t x) {
            for (int k = 0; k < 4; ++k) out[at + size_t(k)] = uint8_t(x >> (8 * k));
        };
        // Sizes as they really are, whatever the file claimed.
        put32(16, kBiRgb);
        put32(20, uint32_t(h.image_bytes));
        if (h.bpp <= 8) put32(32, h.colours);
        out.insert(out.end(), table, table + h.table_bytes);
        out.insert(out.end(), bits, bits + h.image_bytes);
        return out;
    }
    auto img = decode_bits(h, p, table, bits, avail);
    if (!img) return std::nullopt;
    return image_to_dib24(*img);
}

std::vector<uint8_t> bmp_file_bytes(const uint8_t* dib, size_t size) {
    auto d = dib_info(dib, size);
    if (!d) return {};
    const size_t total = d->total();
    std::vector<uint8_t> v;
    v.reserve(14 + total);
    v.push_back('B');
    v.push_back('M');
    wr32(v, uint32_t(total + 14));
    wr32(v, 0);
    wr32(v, uint32_t(14 + d->header_size + d->table_bytes));
    v.insert(v.end(), dib, dib + total);
    return v;
}

// ---- PCX files.

namespace {

// The 16 colours of the standard EGA palette, for headers that leave their palette empty.
constexpr uint32_t kEga[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
                               0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

}  // namespace

std::string pict_too_large_text(uint64_t w, uint64_t h) {
    return std::to_string(w) + " x " + std::to_string(h) + " pixels, more than the " + grouped(kPictMaxPixels) +
           " a picture may have";
}

std::optional<std::pair<uint64_t, uint64_t>> pict_header_too_large(int format, std::string_view file) {
    const auto* f = reinterpret_cast<const uint8_t*>(file.data());
    int64_t w = 0, h = 0;
    if (format == kPictBmp) {
        if (file.size() < 26 || f[0] != 'B' || f[1] != 'M') return std::nullopt;
        if (rd32(f + 14) == 12) {
            w = rd16(f + 18);
            h = rd16(f + 20);
        } else {
            w = int32_t(rd32(f + 18));
            h = int32_t(rd32(f + 22));
            if (h < 0) h = -h;
        }
    } else if (format == kPictPcx) {
        if (file.size() < 128 || f[0] != 0x0A) return std::nullopt;
        w = int64_t(rd16(f + 8)) - int64_t(rd16(f + 4)) + 1;
        h = int64_t(rd16(f + 10)) - int64_t(rd16(f + 6)) + 1;
    }
    if (w <= 0 || h <= 0 || uint64_t(w) * uint64_t(h) <= kPictMaxPixels) return std::nullopt;
    return std::pair<uint64_t, uint64_t>{uint64_t(w), uint64_t(h)};
}

bool pict_tiff_whole(std::string_view file) {
    const auto* f = reinterpret_cast<const uint8_t*>(file.data());
    const uint64_t size = file.size();
    if (size < 4) return true;
    const bool le = f[0] == 'I' && f[1] == 'I', be = f[0] == 'M' && f[1] == 'M';
    if (!le && !be) return true;
    auto u16 = [&](uint64_t at) -> uint32_t { return le ? rd16(f + at) : uint32_t(f[at]) << 8 | f[at + 1]; };
    auto u32 = [&](uint64_t at) -> uint32_t {
        return le ? rd32(f + at) : uint32_t(f[at]) << 24 | uint32_t(f[at + 1]) << 16 | uint32_t(f[at + 2]) << 8 | f[at + 3];
    };
    const uint32_t magic = u16(2);
    if (magic != 42) return magic != 43;  // BigTIFF: not read here
    if (size < 8) return false;
    // Sizes of the field types 1 to 13; 0 for types no reader knows.
    static constexpr uint8_t kTypeSize[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    std::set<uint32_t> seen;
    for (uint32_t ifd = u32(4); ifd != 0;) {
        if (!seen.insert(ifd).second || seen.size() > 1000) return false;  // a loop of directories
        if (uint64_t(ifd) + 2 > size) return false;
        const uint32_t n = u16(ifd);
        if (uint64_t(ifd) + 2 + 12 * uint64_t(n) + 4 > size) return false;
        // Offsets and byte counts of the strips (273, 279) or tiles (324, 325).
        std::vector<uint64_t> offsets[2], counts[2];
        for (uint32_t e = 0; e < n; ++e) {
            const uint64_t at = uint64_t(ifd) + 2 + 12 * uint64_t(e);
            const uint32_t tag = u16(at), type = u16(at + 2), count = u32(at + 4);
            const uint64_t unit = type < sizeof kTypeSize ? kTypeSize[type] : 0, bytes = unit * count;
            uint64_t data = at + 8;
            if (bytes > 4) {
                data = u32(at + 8);
                if (data + bytes > size) return false;
            }
            std::vector<uint64_t>* list = tag == 273 ? &offsets[0] : tag == 279 ? &counts[0]
                                        : tag == 324 ? &offsets[1] : tag == 325 ? &counts[1] : nullptr;
            if (!list) continue;
            if (type != 3 && type != 4) return false;
            for (uint32_t i = 0; i < count; ++i) list->push_back(type == 3 ? u16(data + 2 * uint64_t(i)) : u32(data + 4 * uint64_t(i)));
        }
        for (int k = 0; k < 2; ++k) {
            if (!counts[k].empty() && counts[k].size() != offsets[k].size()) return false;
            for (size_t i = 0; i < offsets[k].size(); ++i) {
                const uint64_t len = counts[k].empty() ? 1 : counts[k][i];
                if (offsets[k][i] + len > size) return false;
            }
        }
        ifd = u32(uint64_t(ifd) + 2 + 12 * uint64_t(n));
    }
    return true;
}

std::optional<Image> pcx_decode(std::string_view file) {
    if (file.size() < 128) return std::nullopt;
    const auto* f = reinterpret_cast<const uint8_t*>(file.data());
    if (f[0] != 0x0A || f[2] > 1) return std::nullopt;
    const int bpp = f[3];
    const int planes = f[65];
    const int64_t w = int64_t(rd16(f + 8)) - int64_t(rd16(f + 4)) + 1;
    const int64_t h = int64_t(rd16(f + 10)) - int64_t(rd16(f + 6)) + 1;
    const size_t bpl = rd16(f + 66);
    if (!size_ok(w, h)) return std::nullopt;
    const bool ok_kind = (bpp == 1 && planes >= 1 && planes <= 4) || (bpp == 2 && planes == 1) ||
                         (bpp == 4 && planes == 1) || (bpp == 8 && (planes == 1 || planes == 3 || planes == 4));
    if (!ok_kind) return std::nullopt;
    if (bpl == 0 || uint64_t(bpl) * 8 < uint64_t(w) * uint64_t(bpp)) return std::nullopt;

    // Palette.
    std::vector<uint32_t> pal;
    if (bpp == 8 && planes == 1) {
        if (file.size() >= 128 + 769 && f[file.size() - 769] == 0x0C) {
            const uint8_t* t = f + file.size() - 768;
            for (int i = 0; i < 256; ++i) pal.push_back(rgb(t[3 * i], t[3 * i + 1], t[3 * i + 2]));
        } else {
            for (int i = 0; i < 256; ++i) pal.push_back(rgb(i, i, i));
        }
    } else if (bpp * planes <= 4) {
        const int n = 1 << (bpp * planes);
        bool blank = true;
        for (int i = 0; i < 48; ++i) blank = blank && f[16 + i] == 0;
        for (int i = 0; i < n; ++i) {
            if (!blank)
                pal.push_back(rgb(f[16 + 3 * i], f[17 + 3 * i], f[18 + 3 * i]));
            else if (n == 2)
                pal.push_back(i ? 0xFFFFFF : 0);
            else
                pal.push_back(n == 4 ? uint32_t(i * 85) * 0x010101u : kEga[i]);
        }
    }

    const size_t line = bpl * size_t(planes);
    const uint64_t need = uint64_t(line) * uint64_t(h);
    size_t end = file.size();
    if (bpp == 8 && planes == 1 && file.size() >= 128 + 769 && f[file.size() - 769] == 0x0C) end -= 769;
    std::vector<uint8_t> raw;
    if (need > (uint64_t(1) << 31)) return std::nullopt;
    // Each input byte gives at most 63 output bytes: a file too short for its size is refused early.
    if (f[2] == 1 ? need > uint64_t(end - 128) * 63 : need > uint64_t(end - 128)) return std::nullopt;
    raw.reserve(size_t(need));
    size_t i = 128;
    if (f[2] == 0) {
        raw.assign(f + 128, f + 128 + size_t(need));
    } else {
        while (raw.size() < need) {
            if (i >= end) return std::nullopt;
            uint8_t c = f[i++];
            if ((c & 0xC0) == 0xC0) {
                if (i >= end) return std::nullopt;
                const size_t n = std::min<size_t>(c & 0x3F, size_t(need - raw.size()));
                raw.insert(raw.end(), n, f[i++]);
            } else {
                raw.push_back(c);
            }
        }
    }

    Image img(int(w), int(h), 0);
    for (int y = 0; y < img.height; ++y) {
        const uint8_t* row = &raw[size_t(y) * line];
        uint32_t* out = &img.px[size_t(y) * size_t(img.width)];
        for (int x = 0; x < img.width; ++x) {
            if (bpp == 8 && planes >= 3) {
                out[x] = rgb(row[x], row[bpl + x], row[2 * bpl + x]);
            } else if (bpp == 8) {
                out[x] = pal[row[x]];
            } else if (planes == 1) {
                const int per = 8 / bpp;
                const int shift = 8 - bpp * (x % per + 1);
                out[x] = pal[(row[x / per] >> shift) & ((1 << bpp) - 1)];
            } else {
                uint32_t v = 0;
                for (int pl = 0; pl < planes; ++pl) v |= uint32_t(row[pl * bpl + x / 8] >> (7 - x % 8) & 1) << pl;
                out[x] = pal[v];
            }
        }
    }
    return img;
}

std::vector<uint8_t> pcx_encode(const Image& img) {
    std::vector<uint8_t> v(128, 0);
    const size_t bpl = (size_t(img.width) + 1) & ~size_t(1);
    v[0] = 0x0A;
    v[1] = 5;
    v[2] = 1;
    v[3] = 8;
    auto put16 = [&](size_t at, uint32_t x) {
        v[at] = uint8_t(x);
        v[at + 1] = uint8_t(x >> 8);
    };
    put16(8, uint32_t(img.width - 1));
    put16(10, uint32_t(img.height - 1));
    put16(12, 72);
    put16(14, 72);
    v[65] = 3;
    put16(66, uint32_t(bpl));
    put16(68, 1);
    std::vector<uint8_t> plane(bpl);
    for (int y = 0; y < img.height; ++y) {
        for (int pl = 0; pl < 3; ++pl) {
            const int shift = 16 - 8 * pl;
            for (int x = 0; x < img.width; ++x) plane[size_t(x)] = uint8_t(img.at(x, y) >> shift);
            if (bpl > size_t(img.width)) plane[bpl - 1] = 0;
            // Runs never cross a plane's line, so every reader splits lines alike.
            for (size_t x = 0; x < bpl;) {
                size_t n = 1;
                while (x + n < bpl && n < 63 && plane[x + n] == plane[x]) ++n;
                if (n > 1 || (plane[x] & 0xC0) == 0xC0) v.push_back(uint8_t(0xC0 | n));
                v.push_back(plane[x]);
                x += n;
            }
        }
    }
    return v;
}

// ---- Operations.

Image pict_brightness(const Image& img, int delta) {
    Image out = img;
    const int add = delta * 255 / 100;
    for (auto& c : out.px) c = rgb(red(c) + add, green(c) + add, blue(c) + add);
    return out;
}

Image pict_contrast(const Image& img, int k) {
    Image out = img;
    uint8_t lut[256];
    for (int i = 0; i < 256; ++i) lut[i] = clamp255(((i - 128) * (100 + 2 * k)) / 100 + 128);
    for (auto& c : out.px) c = uint32_t(lut[red(c)]) << 16 | uint32_t(lut[green(c)]) << 8 | lut[blue(c)];
    return out;
}

namespace {

// Source spans of each destination cell along one axis: (first source index, weights).
struct Span {
    int first = 0;
    std::vector<float> w;
};
std::vector<Span> spans(int from, int to) {
    std::vector<Span> s(static_cast<size_t>(to));
    const double scale = double(from) / to;
    for (int i = 0; i < to; ++i) {
        double a = i * scale, b = (i + 1) * scale;
        if (b - a < 1.0) {  // enlarging: take the nearest source cell
            const int c = std::min(from - 1, int((a + b) / 2));
            s[size_t(i)] = {c, {1.0f}};
            continue;
        }
        int lo = int(a), hi = std::min(from, int(std::ceil(b)));
        s[size_t(i)].first = lo;
        for (int k = lo; k < hi; ++k) {
            double cover = std::min(b, double(k + 1)) - std::max(a, double(k));
            s[size_t(i)].w.push_back(float(cover / (b - a)));
        }
    }
    return s;
}

}  // namespace

Image pict_resize(const Image& img, int w, int h) {
    w = std::max(1, w);
    h = std::max(1, h);
    if (img.empty() || !size_ok(w, h)) vorn_raise(kPictErrMemory);
    if (w == img.width && h == img.height) return img;
    const auto sx = spans(img.width, w), sy = spans(img.height, h);
    // Columns first into a float buffer of img.height rows.
    std::vector<float> mid(size_t(w) * size_t(img.height) * 3);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < w; ++x) {
            float r = 0, g = 0, b = 0;
            const Span& s = sx[size_t(x)];
            for (size_t k = 0; k < s.w.size(); ++k) {
                uint32_t c = img.at(s.first + int(k), y);
                r += s.w[k] * red(c), g += s.w[k] * green(c), b += s.w[k] * blue(c);
            }
            float* m = &mid[(size_t(y) * size_t(w) + size_t(x)) * 3];
            m[0] = r, m[1] = g, m[2] = b;
        }
    Image out(w, h, 0);
    for (int y = 0; y < h; ++y) {
        const Span& s = sy[size_t(y)];
        for (int x = 0; x < w; ++x) {
            float r = 0, g = 0, b = 0;
            for (size_t k = 0; k < s.w.size(); ++k) {
                const float* m = &mid[(size_t(s.first + int(k)) * size_t(w) + size_t(x)) * 3];
                r += s.w[k] * m[0], g += s.w[k] * m[1], b += s.w[k] * m[2];
            }
            out.at(x, y) = rgb(int(std::lround(r)), int(std::lround(g)), int(std::lround(b)));
        }
    }
    return out;
}

Image pict_gray(const Image& img) {
    Image out = img;
    for (auto& c : out.px) {
        int g = int(std::lround(0.299 * red(c) + 0.587 * green(c) + 0.114 * blue(c)));
        c = rgb(g, g, g);
    }
    return out;
}

Image pict_shadow(const Image& shadow, const Image& top, int dx, int dy, int strength) {
    strength = std::clamp(strength, 0, 100);
    // Both pictures on one canvas: the shadow at the origin, the top moved by (dx, dy).
    const int left = std::min(0, dx), up = std::min(0, dy);
    const int right = std::max(shadow.width, dx + top.width), down = std::max(shadow.height, dy + top.height);
    if (!size_ok(right - left, down - up)) vorn_raise(kPictErrMemory);
    Image out(right - left, down - up, 0xFFFFFF);
    for (int y = 0; y < shadow.height; ++y)
        for (int x = 0; x < shadow.width; ++x) {
            uint32_t c = shadow.at(x, y);
            auto mix = [&](int v) { return (255 * (100 - strength) + v * strength + 50) / 100; };
            out.at(x - left, y - up) = rgb(mix(red(c)), mix(green(c)), mix(blue(c)));
        }
    for (int y = 0; y < top.height; ++y)
        for (int x = 0; x < top.width; ++x) out.at(x + dx - left, y + dy - up) = top.at(x, y);
    return out;
}

PictOp pict_op_brightness(int d) { return PictOp{1, d}; }
PictOp pict_op_contrast(int d) { return PictOp{2, d}; }
PictOp pict_op_size(int w, int h) { return PictOp{8, w, h}; }
PictOp pict_op_gray() { return PictOp{10}; }
PictOp pict_op_level(int v) { return PictOp{4, v}; }
PictOp pict_op_shadow(int dx, int dy, std::shared_ptr<const Image> top, int strength) {
    return PictOp{11, dx, dy, strength, std::move(top)};
}

Image pict_apply(Image img, const std::vector<PictOp>& ops) {
    for (const auto& op : ops) {
        switch (op.tag) {
        case 1: img = pict_brightness(img, std::clamp(op.a, -100, 100)); break;
        case 2: img = pict_contrast(img, std::clamp(op.a, -48, 48)); break;
        case 3: case 4: break;
        case 8: img = pict_resize(img, op.a, op.b); break;
        case 10: img = pict_gray(img); break;
        case 11: img = pict_shadow(img, op.pic ? *op.pic : img, op.a, op.b, op.n); break;
        default: vorn_raise(kPictErrOperation);
        }
    }
    return img;
}

// ---- Quantiser.

namespace {

struct Box {
    std::vector<int> bins;  // 15-bit colour bins in this box
    uint64_t count = 0;
    int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
};

int part(int bin, int axis) { return bin >> (10 - 5 * axis) & 31; }

void measure(Box& b, const std::vector<uint32_t>& hist) {
    b.count = 0;
    for (int a = 0; a < 3; ++a) b.lo[a] = 31, b.hi[a] = 0;
    for (int bin : b.bins) {
        b.count += hist[size_t(bin)];
        for (int a = 0; a < 3; ++a) {
            b.lo[a] = std::min(b.lo[a], part(bin, a));
            b.hi[a] = std::max(b.hi[a], part(bin, a));
        }
    }
}

}  // namespace

IndexedImage pict_quantize(const Image& img) {
    IndexedImage q;
    q.width = img.width;
    q.height = img.height;
    q.index.resize(img.px.size());
    // Few colours: an exact palette.
    std::unordered_map<uint32_t, uint8_t> exact;
    for (uint32_t c : img.px) {
        if (exact.count(c)) continue;
        if (exact.size() == 256) break;
        exact.emplace(c, uint8_t(exact.size()));
    }
    bool fits = true;
    for (uint32_t c : img.px)
        if (!exact.count(c)) {
            fits = false;
            break;
        }
    if (fits) {
        q.palette.resize(exact.size());
        for (auto [c, i] : exact) q.palette[i] = c;
        for (size_t i = 0; i < img.px.size(); ++i) q.index[i] = exact[img.px[i]];
        if (q.palette.empty()) q.palette.push_back(0);
        return q;
    }
    // Median cut over a 5-bit-per-channel histogram.
    std::vector<uint32_t> hist(32768, 0);
    std::vector<uint64_t> sum(32768 * 3, 0);
    auto bin_of = [](uint32_t c) { return int((c >> 19 & 31) << 10 | (c >> 11 & 31) << 5 | (c >> 3 & 31)); };
    for (uint32_t c : img.px) {
        int b = bin_of(c);
        ++hist[size_t(b)];
        sum[size_t(b) * 3] += uint32_t(red(c));
        sum[size_t(b) * 3 + 1] += uint32_t(green(c));
        sum[size_t(b) * 3 + 2] += uint32_t(blue(c));
    }
    std::vector<Box> boxes(1);
    for (int b = 0; b < 32768; ++b)
        if (hist[size_t(b)]) boxes[0].bins.push_back(b);
    measure(boxes[0], hist);
    while (boxes.size() < 256) {
        // Split the box with the most pixels times its longest side.
        int best = -1;
        uint64_t score = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].bins.size() < 2) continue;
            int side = 0;
            for (int a = 0; a < 3; ++a) side = std::max(side, boxes[i].hi[a] - boxes[i].lo[a]);
            uint64_t s = boxes[i].count * uint64_t(side);
            if (s > score || best < 0) score = s, best = int(i);
        }
        if (best < 0) break;
        Box& b = boxes[size_t(best)];
        int axis = 0;
        for (int a = 1; a < 3; ++a)
            if (b.hi[a] - b.lo[a] > b.hi[axis] - b.lo[axis]) axis = a;
        std::sort(b.bins.begin(), b.bins.end(), [&](int x, int y) { return part(x, axis) < part(y, axis); });
        uint64_t half = b.count / 2, run = 0;
        size_t cut = 1;
        for (size_t i = 0; i + 1 < b.bins.size(); ++i) {
            run += hist[size_t(b.bins[i])];
            cut = i + 1;
            if (run >= half) break;
        }
        Box other;
        other.bins.assign(b.bins.begin() + long(cut), b.bins.end());
        b.bins.resize(cut);
        measure(b, hist);
        measure(other, hist);
        boxes.push_back(std::move(other));
    }
    std::vector<int> map(32768, 0);
    for (size_t i = 0; i < boxes.size(); ++i) {
        uint64_t r = 0, g = 0, bl = 0;
        for (int bin : boxes[i].bins) {
            r += sum[size_t(bin) * 3], g += sum[size_t(bin) * 3 + 1], bl += sum[size_t(bin) * 3 + 2];
        }
        const uint64_t n = std::max<uint64_t>(1, boxes[i].count);
        q.palette.push_back(rgb(int((r + n / 2) / n), int((g + n / 2) / n), int((bl + n / 2) / n)));
    }
    // Each used bin takes the palette entry nearest to its own mean colour.
    for (int b = 0; b < 32768; ++b) {
        if (!hist[size_t(b)]) continue;
        const uint64_t n = hist[size_t(b)];
        const int r = int(sum[size_t(b) * 3] / n), g = int(sum[size_t(b) * 3 + 1] / n), bl = int(sum[size_t(b) * 3 + 2] / n);
        int best = 0, dist = 1 << 30;
        for (size_t i = 0; i < q.palette.size(); ++i) {
            const uint32_t c = q.palette[i];
            const int d = (red(c) - r) * (red(c) - r) + (green(c) - g) * (green(c) - g) + (blue(c) - bl) * (blue(c) - bl);
            if (d < dist) dist = d, best = int(i);
        }
        map[size_t(b)] = best;
    }
    for (size_t i = 0; i < img.px.size(); ++i) q.index[i] = uint8_t(map[size_t(bin_of(img.px[i]))]);
    return q;
}

std::vector<uint8_t> indexed_to_dib8(const IndexedImage& q) {
    const size_t stride = (size_t(q.width) + 3) & ~size_t(3);
    std::vector<uint8_t> v = info_header(q.width, q.height, 8, uint32_t(q.palette.size()), stride * size_t(q.height));
    for (uint32_t c : q.palette) {
        v.push_back(uint8_t(c));
        v.push_back(uint8_t(c >> 8));
        v.push_back(uint8_t(c >> 16));
        v.push_back(0);
    }
    const size_t at = v.size();
    v.resize(at + stride * size_t(q.height), 0);
    for (int y = 0; y < q.height; ++y)
        std::memcpy(&v[at + size_t(q.height - 1 - y) * stride], &q.index[size_t(y) * size_t(q.width)], size_t(q.width));
    return v;
}
