// One fuzz input for the HTTP response parser, shared by the libFuzzer target and the unit test
// that replays the kept corpus. The first byte cuts the rest into reads of 1 to 256 bytes; the
// answer must parse the same whatever the cuts, and a body is never larger than the cap.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "services/web.h"

namespace fuzz_http {

inline void run(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const size_t step = static_cast<size_t>(data[0]) + 1;
    const char* p = reinterpret_cast<const char*>(data + 1);
    const size_t n = size - 1;
    constexpr size_t cap = 4096;

    HttpResponseParser whole(cap), pieces(cap);
    bool a = whole.feed(p, n);
    if (a) a = whole.finish();
    bool b = true;
    for (size_t k = 0; k < n && b; k += step) b = pieces.feed(p + k, std::min(step, n - k));
    if (b) b = pieces.finish();

    if (a != b || whole.fail() != pieces.fail() || whole.status() != pieces.status() || whole.body() != pieces.body()) std::abort();
    if (whole.body().size() > cap) std::abort();
    if (a && (whole.status() < 100 || whole.status() > 999)) std::abort();
    if (!a && !whole.body().empty()) std::abort();
    // Whatever came in, a redirection stays an address and its archive name a plain file name.
    if (auto loc = whole.header("Location")) {
        if (auto to = http_redirect_address("host/dir/a.vrn", *loc)) {
            std::string name = http_archive_name(*to);
            if (name.find_first_of("/\\:*?\"<>|") != std::string::npos || name.empty()) std::abort();
            if (http_url_from_archive_name(name) != *to) std::abort();
        }
    }
}

}  // namespace fuzz_http
