#include "ui/picture_loader.h"

#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>
// jpeglib.h wants FILE and size_t declared first.
#include <jpeglib.h>

#include "ui/dpi.h"

namespace {

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool SizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width * height <= kMaxPicturePixels;
}

void Clear(PicturePixels* out) {
    out->width = out->height = 0;
    out->pixels.clear();
    out->hasAlpha = false;
}

void NoteAlpha(PicturePixels* out) {
    out->hasAlpha = false;
    for (uint32_t px : out->pixels) {
        if ((px >> 24) != 0xff) {
            out->hasAlpha = true;
            return;
        }
    }
}

// ---- PNG ------------------------------------------------------------------------------

bool DecodePng(const uint8_t* data, uint32_t size, PicturePixels* out) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) return false;
    image.format = PNG_FORMAT_BGRA;
    if (!SizeAllowed(image.width, image.height)) {
        png_image_free(&image);
        return false;
    }
    out->width = static_cast<int>(image.width);
    out->height = static_cast<int>(image.height);
    out->pixels.assign(static_cast<size_t>(image.width) * image.height, 0);
    if (!png_image_finish_read(&image, nullptr, out->pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    NoteAlpha(out);
    return true;
}

// ---- JPEG -----------------------------------------------------------------------------

struct JpegError {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void JpegFail(j_common_ptr info) { longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }
void JpegQuiet(j_common_ptr) {}

bool DecodeJpeg(const uint8_t* data, uint32_t size, PicturePixels* out) {
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegFail;
    error.manager.output_message = JpegQuiet;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    if (!SizeAllowed(info.output_width, info.output_height) || info.output_components != 4) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    out->width = width;
    out->height = height;
    out->pixels.assign(static_cast<size_t>(width) * height, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(&out->pixels[static_cast<size_t>(info.output_scanline) * width]);
        jpeg_read_scanlines(&info, &row, 1);
    }
    if (cmyk) {
        // Adobe writes its CMYK inverted; plain CMYK stores ink amounts.
        bool inverted = info.saw_Adobe_marker;
        for (uint32_t& px : out->pixels) {
            uint8_t* b = reinterpret_cast<uint8_t*>(&px);
            int c = b[0], m = b[1], y = b[2], k = b[3];
            if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
            uint32_t r = c * k / 255, g = m * k / 255, bl = y * k / 255;
            px = 0xff000000u | (r << 16) | (g << 8) | bl;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    out->hasAlpha = false;
    return true;
}

// ---- Bitmaps through GDI --------------------------------------------------------------

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

bool ReadBitmapPixels(HBITMAP bitmap, int width, int height, std::vector<uint32_t>* pixels) {
    if (!SizeAllowed(width, height)) return false;
    pixels->assign(static_cast<size_t>(width) * height, 0);
    BITMAPINFO info = TopDown32(width, height);
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, height, pixels->data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return lines == height;
}

bool DecodeBmp(const uint8_t* data, uint32_t size, PicturePixels* out) {
    if (size < 14 + 40) return false;
    const uint8_t* header = data + 14;
    uint32_t headerSize = Le32(header);
    int32_t width = static_cast<int32_t>(Le32(header + 4));
    int32_t height = static_cast<int32_t>(Le32(header + 8));
    uint16_t planes = Le16(header + 12), bitCount = Le16(header + 14);
    uint32_t compression = Le32(header + 16), sizeImage = Le32(header + 20), colours = Le32(header + 32);
    if (headerSize < 40 || headerSize > size - 14 || planes != 1) return false;
    int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
    if (!SizeAllowed(width, rows)) return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    if (bitCount <= 8 && colours == 0) colours = 1u << bitCount;
    if (bitCount > 8) colours = 0;  // a palette beside true colour only serves other displays
    if (colours > 256) return false;
    uint32_t masks = (compression == BI_BITFIELDS && headerSize == 40) ? 12 : 0;
    uint64_t infoSize = static_cast<uint64_t>(headerSize) + masks + 4ull * colours;
    uint64_t bitsSize;
    if (compression == BI_RGB || compression == BI_BITFIELDS) {
        bitsSize = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4 * rows;
    } else if ((compression == BI_RLE8 && bitCount == 8) || (compression == BI_RLE4 && bitCount == 4)) {
        if (height < 0 || sizeImage == 0) return false;
        bitsSize = sizeImage;
    } else {
        return false;
    }
    uint64_t offset = Le32(data + 10);
    if (offset < 14 + infoSize) offset = 14 + infoSize;
    if (14 + infoSize > size || offset + bitsSize > size) return false;

    // GDI wants the header and the palette in one aligned block.
    std::vector<uint32_t> infoBlock(static_cast<size_t>((infoSize + 3) / 4) + 1, 0);
    memcpy(infoBlock.data(), header, static_cast<size_t>(infoSize));
    BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(infoBlock.data());
    if (compression == BI_RLE8 || compression == BI_RLE4) info->bmiHeader.biSizeImage = static_cast<DWORD>(bitsSize);

    BITMAPINFO target = TopDown32(width, static_cast<int>(rows));
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &target, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return false;
    HDC screen = GetDC(nullptr);
    int lines = SetDIBits(screen, dib, 0, static_cast<UINT>(rows), data + offset, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    bool ok = lines > 0;
    if (ok) {
        out->width = width;
        out->height = static_cast<int>(rows);
        const uint32_t* src = static_cast<const uint32_t*>(bits);
        out->pixels.assign(src, src + static_cast<size_t>(width) * rows);
        for (uint32_t& px : out->pixels) px |= 0xff000000u;
        out->hasAlpha = false;
    }
    DeleteObject(dib);
    return ok;
}

bool DecodeGif(const uint8_t* data, uint32_t size, PicturePixels* out) {
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!global) return false;
    void* p = GlobalLock(global);
    memcpy(p, data, size);
    GlobalUnlock(global);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(global, TRUE, &stream))) {
        GlobalFree(global);
        return false;
    }
    IPicture* picture = nullptr;
    bool ok = false;
    if (SUCCEEDED(OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                 reinterpret_cast<void**>(&picture))) && picture) {
        SHORT type = 0;
        OLE_HANDLE handle = 0;
        if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
            SUCCEEDED(picture->get_Handle(&handle)) && handle) {
            HBITMAP bitmap = reinterpret_cast<HBITMAP>(static_cast<uintptr_t>(handle));
            BITMAP info;
            if (GetObjectW(bitmap, sizeof info, &info) && ReadBitmapPixels(bitmap, info.bmWidth, info.bmHeight, &out->pixels)) {
                out->width = info.bmWidth;
                out->height = info.bmHeight;
                for (uint32_t& px : out->pixels) px |= 0xff000000u;
                ok = true;
            }
        }
        picture->Release();
    }
    stream->Release();
    return ok;
}

// ---- Icons ----------------------------------------------------------------------------

struct IconEntry {
    const uint8_t* bits;
    uint32_t size;
    int width, height;
    bool png;
};

// Which of two icon images serves a wanted width better: the exact width, else the
// smallest one above it (shrinking keeps it sharp), else the biggest. Without a wanted
// width (0), the biggest.
bool BetterIconWidth(int candidate, int current, int wanted) {
    if (wanted <= 0) return candidate > current;
    if (current == wanted) return false;
    if (candidate == wanted) return true;
    if (candidate > wanted) return current < wanted || candidate < current;
    return current < wanted && candidate > current;
}

// The image of an icon file for the wanted width (see BetterIconWidth), the deepest colour
// among equals. The entry's own header decides the size; the directory's width and height
// bytes are only a hint.
bool ChooseIconEntry(const uint8_t* data, uint32_t size, IconEntry* chosen, int wanted = 0) {
    if (size < 6 || Le16(data) != 0 || Le16(data + 2) != 1) return false;
    uint32_t count = Le16(data + 4);
    if (count == 0 || 6 + 16ull * count > size) return false;
    int bestWidth = -1, bestDepth = -1;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = data + 6 + 16 * i;
        uint32_t bytes = Le32(e + 8), offset = Le32(e + 12);
        if (offset > size || bytes > size - offset || bytes < 8) continue;
        IconEntry entry;
        entry.bits = data + offset;
        entry.size = bytes;
        int depth;
        if (memcmp(entry.bits, kPngSignature, 8) == 0) {
            // The PNG's header holds its size: IHDR right after the signature.
            if (bytes < 24) continue;
            entry.png = true;
            entry.width = static_cast<int>(entry.bits[16] << 24 | entry.bits[17] << 16 | entry.bits[18] << 8 | entry.bits[19]);
            entry.height = static_cast<int>(entry.bits[20] << 24 | entry.bits[21] << 16 | entry.bits[22] << 8 | entry.bits[23]);
            depth = 32;
        } else {
            if (bytes < 40 || Le32(entry.bits) < 40 || Le32(entry.bits) > bytes) continue;
            entry.png = false;
            int32_t w = static_cast<int32_t>(Le32(entry.bits + 4));
            int32_t h2 = static_cast<int32_t>(Le32(entry.bits + 8));
            int bpp = Le16(entry.bits + 14);
            uint32_t compression = Le32(entry.bits + 16);
            if (w <= 0 || w > 1024 || h2 <= 0 || h2 > 2048 || (h2 & 1) || compression != BI_RGB) continue;
            if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) continue;
            int h = h2 / 2;
            uint32_t colours = Le32(entry.bits + 32);
            if (bpp <= 8 && (colours == 0 || colours > (1u << bpp))) colours = 1u << bpp;
            if (bpp > 8) colours = 0;
            uint64_t need = Le32(entry.bits) + 4ull * colours + ((static_cast<uint64_t>(w) * bpp + 31) / 32) * 4 * h +
                            ((static_cast<uint64_t>(w) + 31) / 32) * 4 * h;
            if (need > bytes) continue;
            entry.width = w;
            entry.height = h;
            depth = bpp;
        }
        if (!SizeAllowed(entry.width, entry.height) || entry.width > 1024 || entry.height > 1024) continue;
        if (bestWidth < 0 || BetterIconWidth(entry.width, bestWidth, wanted) ||
            (entry.width == bestWidth && depth > bestDepth)) {
            bestWidth = entry.width;
            bestDepth = depth;
            *chosen = entry;
        }
    }
    return bestWidth > 0;
}

// An icon from straight-alpha pixels: the colour bitmap carries the alpha, the mask is empty.
HICON IconFromPixels(const PicturePixels& pixels) {
    BITMAPINFO info = TopDown32(pixels.width, pixels.height);
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!colour) return nullptr;
    memcpy(bits, pixels.pixels.data(), pixels.pixels.size() * 4);
    std::vector<uint8_t> maskBits(static_cast<size_t>((pixels.width + 15) / 16 * 2) * pixels.height, 0);
    HBITMAP mask = CreateBitmap(pixels.width, pixels.height, 1, 1, maskBits.data());
    ICONINFO ii;
    ii.fIcon = TRUE;
    ii.xHotspot = ii.yHotspot = 0;
    ii.hbmColor = colour;
    ii.hbmMask = mask;
    HICON icon = mask ? CreateIconIndirect(&ii) : nullptr;
    DeleteObject(colour);
    if (mask) DeleteObject(mask);
    return icon;
}

HICON LoadIconFile(const uint8_t* data, uint32_t size, int* width, int* height, int wanted = 0) {
    IconEntry entry;
    if (!ChooseIconEntry(data, size, &entry, wanted)) return nullptr;
    HICON icon = nullptr;
    if (entry.png) {
        PicturePixels pixels;
        if (DecodePng(entry.bits, entry.size, &pixels)) {
            icon = IconFromPixels(pixels);
            entry.width = pixels.width;
            entry.height = pixels.height;
        }
    } else {
        std::vector<uint8_t> copy(entry.bits, entry.bits + entry.size);
        icon = CreateIconFromResourceEx(copy.data(), entry.size, TRUE, 0x00030000, entry.width, entry.height,
                                        LR_DEFAULTCOLOR);
    }
    if (icon) {
        *width = entry.width;
        *height = entry.height;
    }
    return icon;
}

bool IconPixels(HICON icon, int width, int height, PicturePixels* out) {
    ICONINFO ii;
    if (!GetIconInfo(icon, &ii)) return false;
    bool ok = false;
    std::vector<uint32_t> mask;
    if (ii.hbmColor) {
        ok = ReadBitmapPixels(ii.hbmColor, width, height, &out->pixels) &&
             ReadBitmapPixels(ii.hbmMask, width, height, &mask);
    } else {
        // A monochrome icon: the mask bitmap holds the AND half above the XOR half.
        std::vector<uint32_t> both;
        ok = ReadBitmapPixels(ii.hbmMask, width, height * 2, &both);
        if (ok) {
            mask.assign(both.begin(), both.begin() + static_cast<size_t>(width) * height);
            out->pixels.assign(both.begin() + static_cast<size_t>(width) * height, both.end());
        }
    }
    if (ok) {
        bool anyAlpha = false;
        for (uint32_t px : out->pixels) anyAlpha |= (px >> 24) != 0;
        if (!anyAlpha) {
            for (size_t i = 0; i < out->pixels.size(); ++i)
                out->pixels[i] = (mask[i] & 0xffffff) ? 0 : (out->pixels[i] | 0xff000000u);
        }
        out->width = width;
        out->height = height;
        NoteAlpha(out);
    }
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    return ok;
}

}  // namespace

PictureFormat DetectPictureFormat(const uint8_t* data, uint32_t size) {
    if (!data) return PictureFormat::None;
    if (size >= 8 && memcmp(data, kPngSignature, 8) == 0) return PictureFormat::Png;
    if (size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff) return PictureFormat::Jpeg;
    if (size >= 6 && Le16(data) == 0 && Le16(data + 2) == 1 && Le16(data + 4) > 0) return PictureFormat::Ico;
    if (size >= 14 && data[0] == 'B' && data[1] == 'M') return PictureFormat::Bmp;
    if (size >= 6 && (memcmp(data, "GIF87a", 6) == 0 || memcmp(data, "GIF89a", 6) == 0)) return PictureFormat::Gif;
    return PictureFormat::None;
}

bool DecodePicturePixels(const uint8_t* data, uint32_t size, PicturePixels* out, int wantedWidth) {
    Clear(out);
    bool ok = false;
    IconEntry entry;
    if (DetectPictureFormat(data, size) == PictureFormat::Ico && ChooseIconEntry(data, size, &entry, wantedWidth) &&
        entry.png) {
        // A PNG image in an icon file is read as it is, without a round trip through an icon.
        ok = DecodePng(entry.bits, entry.size, out);
        if (!ok) Clear(out);
        return ok;
    }
    switch (DetectPictureFormat(data, size)) {
    case PictureFormat::Png: ok = DecodePng(data, size, out); break;
    case PictureFormat::Jpeg: ok = DecodeJpeg(data, size, out); break;
    case PictureFormat::Bmp: ok = DecodeBmp(data, size, out); break;
    case PictureFormat::Gif: ok = DecodeGif(data, size, out); break;
    case PictureFormat::Ico: {
        int width = 0, height = 0;
        HICON icon = LoadIconFile(data, size, &width, &height, wantedWidth);
        if (icon) {
            ok = IconPixels(icon, width, height, out);
            DestroyIcon(icon);
        }
        break;
    }
    case PictureFormat::None: break;
    }
    if (!ok) Clear(out);
    return ok;
}

bool DecodePicturePixelsAtDpi(const uint8_t* data, uint32_t size, int dpi, PicturePixels* out) {
    // Width 1 asks an icon file for its smallest image: the one for 96 DPI.
    if (!DecodePicturePixels(data, size, out, 1)) return false;
    const int width = ScaleToDpi(out->width, dpi), height = ScaleToDpi(out->height, dpi);
    if (width == out->width && height == out->height) return true;
    PicturePixels larger;
    if (DecodePicturePixels(data, size, &larger, width) && larger.width > out->width) *out = std::move(larger);
    if (out->width != width || out->height != height) *out = ResizePicturePixels(*out, width, height);
    return out->width > 0;
}

PicturePixels ResizePicturePixels(const PicturePixels& in, int width, int height) {
    PicturePixels out;
    if (in.width <= 0 || in.height <= 0 || width <= 0 || height <= 0 || !SizeAllowed(width, height)) return out;
    out.width = width;
    out.height = height;
    out.hasAlpha = in.hasAlpha;
    out.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        int y0 = static_cast<int>(static_cast<int64_t>(y) * in.height / height);
        int y1 = std::max(y0 + 1, static_cast<int>(static_cast<int64_t>(y + 1) * in.height / height));
        for (int x = 0; x < width; ++x) {
            int x0 = static_cast<int>(static_cast<int64_t>(x) * in.width / width);
            int x1 = std::max(x0 + 1, static_cast<int>(static_cast<int64_t>(x + 1) * in.width / width));
            // Colours weighted by their alpha, so clear pixels lend no colour to the edge.
            uint64_t a = 0, r = 0, g = 0, b = 0, n = 0;
            for (int yy = y0; yy < y1; ++yy) {
                for (int xx = x0; xx < x1; ++xx) {
                    uint32_t px = in.pixels[static_cast<size_t>(yy) * in.width + xx];
                    uint32_t pa = px >> 24;
                    a += pa;
                    r += pa * ((px >> 16) & 0xff);
                    g += pa * ((px >> 8) & 0xff);
                    b += pa * (px & 0xff);
                    ++n;
                }
            }
            uint32_t px = 0;
            if (a > 0)
                px = static_cast<uint32_t>((a / n) << 24 | (r / a) << 16 | (g / a) << 8 | (b / a));
            out.pixels[static_cast<size_t>(y) * width + x] = px;
        }
    }
    return out;
}

HBITMAP CreatePremultipliedBitmap(const PicturePixels& pixels, uint32_t** bitsOut) {
    if (!SizeAllowed(pixels.width, pixels.height) ||
        pixels.pixels.size() != static_cast<size_t>(pixels.width) * pixels.height)
        return nullptr;
    BITMAPINFO info = TopDown32(pixels.width, pixels.height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    uint32_t* dst = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < pixels.pixels.size(); ++i) {
        uint32_t px = pixels.pixels[i], a = px >> 24;
        if (a == 255) {
            dst[i] = px;
            continue;
        }
        uint32_t r = (((px >> 16) & 0xff) * a + 127) / 255;
        uint32_t g = (((px >> 8) & 0xff) * a + 127) / 255;
        uint32_t b = ((px & 0xff) * a + 127) / 255;
        dst[i] = (a << 24) | (r << 16) | (g << 8) | b;
    }
    if (bitsOut) *bitsOut = dst;
    return bitmap;
}

HBITMAP CreateBitmapOnColour(const PicturePixels& pixels, COLORREF background) {
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreatePremultipliedBitmap(pixels, &bits);
    if (!bitmap) return nullptr;
    uint32_t br = GetRValue(background), bg = GetGValue(background), bb = GetBValue(background);
    for (size_t i = 0; i < pixels.pixels.size(); ++i) {
        uint32_t px = bits[i], a = px >> 24, rest = 255 - a;
        uint32_t r = ((px >> 16) & 0xff) + (br * rest + 127) / 255;
        uint32_t g = ((px >> 8) & 0xff) + (bg * rest + 127) / 255;
        uint32_t b = (px & 0xff) + (bb * rest + 127) / 255;
        bits[i] = 0xff000000u | (r << 16) | (g << 8) | b;
    }
    return bitmap;
}

Picture LoadPicture(const uint8_t* data, uint32_t size) {
    Picture picture;
    if (DetectPictureFormat(data, size) == PictureFormat::Ico) {
        picture.icon = LoadIconFile(data, size, &picture.width, &picture.height);
        if (!picture.icon) picture.width = picture.height = 0;
        picture.hasAlpha = picture.icon != nullptr;
        return picture;
    }
    PicturePixels pixels;
    if (!DecodePicturePixels(data, size, &pixels)) return picture;
    picture.bitmap = CreatePremultipliedBitmap(pixels);
    if (picture.bitmap) {
        picture.width = pixels.width;
        picture.height = pixels.height;
        picture.hasAlpha = pixels.hasAlpha;
    }
    return picture;
}

void FreePicture(Picture* picture) {
    if (picture->bitmap) DeleteObject(picture->bitmap);
    if (picture->icon) DestroyIcon(picture->icon);
    *picture = Picture();
}
