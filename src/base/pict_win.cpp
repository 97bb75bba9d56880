#include "base/pict_win.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <memory>

#include "base/error.h"
#include "base/twain_win.h"
#include "base/util_win.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

ULONG_PTR gdiplus_token_ = 0;
bool started_ = false;

std::string read_file(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) vorn_raise(kPictErrOpen, path);
    std::string bytes;
    DWORD high = 0, size = GetFileSize(f, &high);
    bool ok = size != INVALID_FILE_SIZE && high == 0 && size <= 512u * 1024 * 1024;
    if (ok) {
        try {
            bytes.resize(size);
        } catch (const std::bad_alloc&) {
            CloseHandle(f);
            vorn_raise(kPictErrMemory, path);
        }
        DWORD got = 0;
        ok = ReadFile(f, bytes.data(), size, &got, nullptr) && got == size;
    }
    CloseHandle(f);
    if (!ok) vorn_raise(kPictErrOpen, path);
    return bytes;
}

// Writes `bytes` beside `path` first and moves it over the target only when complete.
template <class WriteFn> void write_replacing(const std::string& path, WriteFn write) {
    std::string tmp = path + ".~tmp";
    DeleteFileA(tmp.c_str());
    bool ok = false;
    try {
        ok = write(tmp);
    } catch (...) {
        DeleteFileA(tmp.c_str());
        throw;
    }
    if (!ok) {
        DeleteFileA(tmp.c_str());
        vorn_raise(kPictErrCreate, path);
    }
    if (!MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(tmp.c_str());
        vorn_raise(kPictErrCreate, path);
    }
}

bool write_bytes(const std::string& path, const std::vector<uint8_t>& v) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (size_t at = 0; ok && at < v.size();) {
        DWORD piece = DWORD(std::min<size_t>(v.size() - at, 32767)), put = 0;
        ok = WriteFile(f, v.data() + at, piece, &put, nullptr) && put == piece;
        at += piece;
    }
    ok = FlushFileBuffers(f) && ok;
    CloseHandle(f);
    return ok;
}

// ---- GDI+ glue.

struct ImageHolder {
    GpImage* img = nullptr;
    ~ImageHolder() {
        if (img) GdipDisposeImage(img);
    }
};

::Image image_of(GpBitmap* bmp) {
    UINT w = 0, h = 0;
    GdipGetImageWidth(bmp, &w);
    GdipGetImageHeight(bmp, &h);
    if (w == 0 || h == 0) vorn_raise(kPictErrNotPicture);
    if (uint64_t(w) * h > kPictMaxPixels) vorn_raise(kPictErrTooLarge, pict_too_large_text(w, h));
    GpRect r{0, 0, INT(w), INT(h)};
    BitmapData data{};
    if (GdipBitmapLockBits(bmp, &r, ImageLockModeRead, PixelFormat32bppARGB, &data) != Ok)
        vorn_raise(kPictErrNotPicture);
    ::Image out(int(w), int(h), 0);
    for (UINT y = 0; y < h; ++y) {
        const auto* row = static_cast<const uint8_t*>(data.Scan0) + INT_PTR(y) * data.Stride;
        for (UINT x = 0; x < w; ++x) {
            const uint8_t* p = row + 4 * x;
            // Transparent parts show white, as on a page.
            const int a = p[3];
            auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            out.at(int(x), int(y)) = uint32_t(over(p[2])) << 16 | uint32_t(over(p[1])) << 8 | uint32_t(over(p[0]));
        }
    }
    GdipBitmapUnlockBits(bmp, &data);
    return out;
}

::Image decode_with_gdiplus(const std::string& bytes) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!mem) vorn_raise(kPictErrMemory);
    if (void* p = GlobalLock(mem)) {
        std::memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(mem);
    }
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(mem, TRUE, &stream) != S_OK) {
        GlobalFree(mem);
        vorn_raise(kPictErrMemory);
    }
    ImageHolder h;
    GpStatus st = GdipLoadImageFromStream(stream, &h.img);
    if (st != Ok || !h.img) {
        stream->Release();
        vorn_raise(kPictErrNotPicture);
    }
    ::Image out;
    try {
        out = image_of(reinterpret_cast<GpBitmap*>(h.img));
    } catch (...) {
        GdipDisposeImage(h.img);
        h.img = nullptr;
        stream->Release();
        throw;
    }
    GdipDisposeImage(h.img);
    h.img = nullptr;
    stream->Release();
    return out;
}

bool encoder_clsid(const wchar_t* mime, CLSID& out) {
    UINT n = 0, size = 0;
    if (GdipGetImageEncodersSize(&n, &size) != Ok || size == 0) return false;
    std::vector<uint8_t> buf(size);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buf.data());
    if (GdipGetImageEncoders(n, size, codecs) != Ok) return false;
    for (UINT i = 0; i < n; ++i)
        if (codecs[i].MimeType && wcscmp(codecs[i].MimeType, mime) == 0) {
            out = codecs[i].Clsid;
            return true;
        }
    return false;
}

bool save_with_gdiplus(const ::Image& img, int format, const std::string& path) {
    const wchar_t* mime = format == kPictJpeg ? L"image/jpeg"
                          : format == kPictPng ? L"image/png"
                          : format == kPictTiff ? L"image/tiff"
                                                : L"image/gif";
    CLSID clsid;
    if (!encoder_clsid(mime, clsid)) return false;
    std::vector<uint8_t> pixels;
    INT stride = 0;
    GpBitmap* bmp = nullptr;
    std::vector<uint8_t> pal_buf;
    if (format == kPictGif) {
        // The platform's GIF encoder needs 8-bit pixels: it writes broken files from deeper ones.
        IndexedImage q = pict_quantize(img);
        stride = (img.width + 3) & ~3;
        pixels.assign(size_t(stride) * size_t(img.height), 0);
        for (int y = 0; y < img.height; ++y)
            std::memcpy(&pixels[size_t(y) * size_t(stride)], &q.index[size_t(y) * size_t(img.width)], size_t(img.width));
        if (GdipCreateBitmapFromScan0(img.width, img.height, stride, PixelFormat8bppIndexed, pixels.data(), &bmp) != Ok)
            return false;
        pal_buf.assign(sizeof(ColorPalette) + 256 * sizeof(ARGB), 0);
        auto* pal = reinterpret_cast<ColorPalette*>(pal_buf.data());
        pal->Flags = 0;
        pal->Count = UINT(q.palette.size());
        for (size_t i = 0; i < q.palette.size(); ++i) pal->Entries[i] = 0xFF000000u | q.palette[i];
        GdipSetImagePalette(bmp, pal);
    } else {
        stride = (img.width * 3 + 3) & ~3;
        pixels.assign(size_t(stride) * size_t(img.height), 0);
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                uint8_t* p = &pixels[size_t(y) * size_t(stride) + size_t(x) * 3];
                const uint32_t c = img.at(x, y);
                p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
            }
        if (GdipCreateBitmapFromScan0(img.width, img.height, stride, PixelFormat24bppRGB, pixels.data(), &bmp) != Ok)
            return false;
    }
    const GpStatus st = GdipSaveImageToFile(bmp, util_wide(path).c_str(), &clsid, nullptr);
    GdipDisposeImage(bmp);
    if (st != Ok) return false;
    // Read it back: an encoder that reports success on a broken file is not believed.
    try {
        ::Image back = decode_with_gdiplus(read_file(path));
        return back.width == img.width && back.height == img.height;
    } catch (const VornError&) {
        return false;
    }
}

HGLOBAL block_of(const uint8_t* p, size_t n) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
    if (!h) vorn_raise(kPictErrMemory);
    void* d = GlobalLock(h);
    if (!d) {
        GlobalFree(h);
        vorn_raise(kPictErrMemory);
    }
    std::memcpy(d, p, n);
    GlobalUnlock(h);
    return h;
}

}  // namespace

void pict_library_reset() {
    if (started_) return;
    GdiplusStartupInput in;
    in.GdiplusVersion = 1;
    in.DebugEventCallback = nullptr;
    in.SuppressBackgroundThread = FALSE;
    in.SuppressExternalCodecs = FALSE;
    if (GdiplusStartup(&gdiplus_token_, &in, nullptr) != Ok) vorn_raise(kPictErrMemory, "GDI+");
    started_ = true;
    // The token is released when the process ends.
}

bool pict_library_started() { return started_; }

HGLOBAL pict_from_dib(const std::vector<uint8_t>& dib) { return block_of(dib.data(), dib.size()); }

std::vector<uint8_t> pict_dib(HGLOBAL pic) {
    if (!pic) vorn_raise(kPictErrMemory);
    const size_t size = GlobalSize(pic);
    const auto* p = static_cast<const uint8_t*>(GlobalLock(pic));
    if (!p) vorn_raise(kPictErrMemory);
    auto d = dib_info(p, size);
    std::vector<uint8_t> out;
    if (d) out.assign(p, p + d->total());
    GlobalUnlock(pic);
    if (!d) vorn_raise(kPictErrNotPicture);
    return out;
}

HGLOBAL pict_load(const std::string& file) {
    const int code = pict_format_code(file);
    const std::string bytes = read_file(file);
    // Too large is told with the size: the file itself may be a sound picture.
    if (auto big = pict_header_too_large(code, bytes))
        vorn_raise(kPictErrTooLarge, file + " (" + pict_too_large_text(big->first, big->second) + ")");
    if (code == kPictBmp) {
        auto dib = bmp_parse(bytes);
        if (!dib) vorn_raise(kPictErrNotPicture, file);
        return pict_from_dib(*dib);
    }
    std::optional<::Image> img;
    if (code == kPictPcx) {
        img = pcx_decode(bytes);
        if (!img) vorn_raise(kPictErrNotPicture, file);
    } else {
        // The system's decoder reads a cut TIFF's strips past the end of its buffer, and the
        // fault can take the painting window with it: it never sees such a file.
        if (!pict_tiff_whole(bytes)) vorn_raise(kPictErrNotPicture, file);
        pict_library_reset();
        try {
            img = decode_with_gdiplus(bytes);
        } catch (const VornError& e) {
            vorn_raise(e.code, e.code == kPictErrTooLarge ? file + " (" + e.text + ")" : file);
        }
    }
    return pict_from_dib(image_to_dib24(*img));
}

void pict_save(HGLOBAL pic, const std::string& file) {
    const int code = pict_format_code(file);
    const std::vector<uint8_t> dib = pict_dib(pic);
    if (code == kPictBmp) {
        auto bytes = bmp_file_bytes(dib.data(), dib.size());
        if (bytes.empty()) vorn_raise(kPictErrNotPicture);
        write_replacing(file, [&](const std::string& p) { return write_bytes(p, bytes); });
        return;
    }
    auto img = image_from_dib(dib);
    if (!img) vorn_raise(kPictErrNotPicture);
    if (code == kPictPcx) {
        auto bytes = pcx_encode(*img);
        write_replacing(file, [&](const std::string& p) { return write_bytes(p, bytes); });
        return;
    }
    pict_library_reset();
    write_replacing(file, [&](const std::string& p) {
        // A place that cannot be written is told apart from an encoder that fails.
        HANDLE f = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) return false;
        CloseHandle(f);
        if (!save_with_gdiplus(*img, code, p)) vorn_raise(kPictErrEncode, file);
        return true;
    });
}

HGLOBAL pict_transform(HGLOBAL src, const std::vector<PictOp>& ops) {
    auto img = image_from_dib(pict_dib(src));
    if (!img) vorn_raise(kPictErrNotPicture);
    return pict_from_dib(image_to_dib24(pict_apply(std::move(*img), ops)));
}

std::optional<Dib> pict_load_dib(const std::string& file, unsigned long& err, std::string* what) {
    try {
        HGLOBAL h = pict_load(file);
        std::vector<uint8_t> dib;
        try {
            dib = pict_dib(h);
        } catch (...) {
            GlobalFree(h);
            throw;
        }
        GlobalFree(h);
        auto info = dib_info(dib.data(), dib.size());
        Dib d;
        d.width = info->width;
        d.height = info->height;
        d.packed = std::move(dib);
        return d;
    } catch (const VornError& e) {
        err = unsigned(e.code);
        if (what) *what = e.text;
    } catch (const std::bad_alloc&) {
        err = kPictErrMemory;
    }
    return std::nullopt;
}

// ---- TWAIN.

namespace {

struct Twain {
    HMODULE dll = nullptr;
    DsmEntryFn entry = nullptr;
    TwIdentity app{};
    TwIdentity source{};
    bool have_source = false;
    HWND parent = nullptr;
};
Twain tw_;

uint16_t dsm(TwIdentity* dest, uint32_t dg, uint16_t dat, uint16_t msg, void* data) {
    return tw_.entry(&tw_.app, dest, dg, dat, msg, data);
}

bool dsm_load() {
    if (!tw_.entry) {
        if (!tw_.dll) tw_.dll = LoadLibraryA("twain_32.dll");
        if (tw_.dll)
            tw_.entry = reinterpret_cast<DsmEntryFn>(reinterpret_cast<void*>(GetProcAddress(tw_.dll, "DSM_Entry")));
        if (!tw_.entry) return false;
        TwIdentity& a = tw_.app;
        a.version.major = 6;
        a.version.language = 2;   // English
        a.version.country = 1;    // USA
        lstrcpynA(a.version.info, "6.0", sizeof a.version.info);
        a.protocol_major = 1;
        a.protocol_minor = 9;
        a.groups = kTwDgControl | kTwDgImage;
        lstrcpynA(a.manufacturer, "Quellmark", sizeof a.manufacturer);
        lstrcpynA(a.family, "Vorn", sizeof a.family);
        lstrcpynA(a.product, "Vorn Idea Processor", sizeof a.product);
    }
    return true;
}

// Opens the source manager for one call, closing it again on every way out.
struct DsmSession {
    bool open = false;
    explicit DsmSession(HWND owner) {
        tw_.parent = owner ? owner : GetDesktopWindow();
        open = dsm_load() && dsm(nullptr, kTwDgControl, kTwDatParent, kTwMsgOpenDsm, &tw_.parent) == kTwrcSuccess;
    }
    ~DsmSession() {
        if (open) dsm(nullptr, kTwDgControl, kTwDatParent, kTwMsgCloseDsm, &tw_.parent);
    }
};

}  // namespace

bool twain_is_available() {
    DsmSession s(nullptr);
    if (!s.open) return false;
    TwIdentity first{};
    return dsm(nullptr, kTwDgControl, kTwDatIdentity, kTwMsgGetFirst, &first) == kTwrcSuccess;
}

bool twain_select_source(HWND owner) {
    DsmSession s(owner);
    if (!s.open) vorn_raise(kPictErrTwain);
    TwIdentity chosen = tw_.have_source ? tw_.source : TwIdentity{};
    const uint16_t rc = dsm(nullptr, kTwDgControl, kTwDatIdentity, kTwMsgUserSelect, &chosen);
    if (rc == kTwrcCancel) return false;
    if (rc != kTwrcSuccess) vorn_raise(kPictErrTwain);
    tw_.source = chosen;
    tw_.have_source = true;
    return true;
}

HGLOBAL twain_acquire(HWND owner) {
    DsmSession s(owner);
    if (!s.open) vorn_raise(kPictErrTwain);
    TwIdentity src = tw_.have_source ? tw_.source : TwIdentity{};
    if (!tw_.have_source && dsm(nullptr, kTwDgControl, kTwDatIdentity, kTwMsgGetDefault, &src) != kTwrcSuccess)
        vorn_raise(kPictErrTwain);
    if (dsm(nullptr, kTwDgControl, kTwDatIdentity, kTwMsgOpenDs, &src) != kTwrcSuccess) vorn_raise(kPictErrTwain);
    TwUserInterface ui{1, 0, tw_.parent};
    HGLOBAL picture = nullptr;
    bool failed = false, quit = false;
    MSG msg{};
    if (dsm(&src, kTwDgControl, kTwDatUserInterface, kTwMsgEnableDs, &ui) != kTwrcSuccess) {
        failed = true;
    } else {
        // The source speaks through our message loop until it has a picture or is closed.
        bool done = false;
        while (!done) {
            BOOL got = GetMessageA(&msg, nullptr, 0, 0);
            if (got <= 0) {
                quit = got == 0;
                failed = true;
                break;
            }
            TwEvent ev{&msg, 0};
            if (dsm(&src, kTwDgControl, kTwDatEvent, kTwMsgProcessEvent, &ev) != kTwrcDsEvent) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (ev.message == kTwMsgXferReady) {
                HGLOBAL h = nullptr;
                const uint16_t rc = dsm(&src, kTwDgImage, kTwDatImageNativeXfer, kTwMsgGet, &h);
                TwPendingXfers pend{};
                dsm(&src, kTwDgControl, kTwDatPendingXfers, kTwMsgEndXfer, &pend);
                if (pend.count != 0) dsm(&src, kTwDgControl, kTwDatPendingXfers, kTwMsgReset, &pend);
                if (rc == kTwrcXferDone && h) {
                    picture = h;
                } else {
                    if (h) GlobalFree(h);
                    failed = rc != kTwrcCancel;
                }
                done = true;
            } else if (ev.message == kTwMsgCloseDsReq || ev.message == kTwMsgCloseDsOk) {
                done = true;
            }
        }
        dsm(&src, kTwDgControl, kTwDatUserInterface, kTwMsgDisableDs, &ui);
    }
    dsm(nullptr, kTwDgControl, kTwDatIdentity, kTwMsgCloseDs, &src);
    if (quit) PostQuitMessage(int(msg.wParam));
    if (failed && !picture) vorn_raise(kPictErrTwain);
    if (!picture) return nullptr;
    // Only a whole bitmap leaves here.
    try {
        pict_dib(picture);
    } catch (...) {
        GlobalFree(picture);
        throw;
    }
    return picture;
}
