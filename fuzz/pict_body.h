// One fuzz input for the picture readers, shared by the libFuzzer targets and the unit test that
// replays the kept corpus: whatever the bytes, a reader refuses them or gives a picture whose
// sizes hold, and what it gives survives the writer and a second read unchanged.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/pict.h"

namespace fuzz_pict {

inline void check_image(const Image& img) {
    if (img.width <= 0 || img.height <= 0 || img.px.size() != size_t(img.width) * size_t(img.height)) std::abort();
    if (uint64_t(img.width) * uint64_t(img.height) > kPictMaxPixels) std::abort();
}

inline void run_bmp(const uint8_t* data, size_t size) {
    auto dib = bmp_parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!dib) return;
    auto info = dib_info(dib->data(), dib->size());
    if (!info || info->total() != dib->size()) std::abort();
    auto img = image_from_dib(*dib);
    if (!img) std::abort();
    check_image(*img);
    auto file = bmp_file_bytes(dib->data(), dib->size());
    auto again = bmp_parse(std::string_view(reinterpret_cast<const char*>(file.data()), file.size()));
    if (!again || *again != *dib) std::abort();
}

inline void run_pcx(const uint8_t* data, size_t size) {
    auto img = pcx_decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!img) return;
    check_image(*img);
    auto bytes = pcx_encode(*img);
    auto again = pcx_decode(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!again || again->px != img->px) std::abort();
}

}  // namespace fuzz_pict
