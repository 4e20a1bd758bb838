// Turns the picture file images that unit data carries (PNG, JPEG, ICO, BMP, GIF) into
// something GDI can draw. Bytes that cannot be decoded give no picture, never an error.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

enum class PictureFormat { None, Png, Jpeg, Ico, Bmp, Gif };
PictureFormat DetectPictureFormat(const uint8_t* data, uint32_t size);

// Decoded pixels, top row first, each 0xAARRGGBB with straight (not premultiplied) alpha.
struct PicturePixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    bool hasAlpha = false;  // some pixel is not fully opaque
};
// False, with *out emptied, when the bytes are not a picture this loader can decode. An icon
// file gives its image for wantedWidth: that width, else the smallest wider one, else the
// widest; without a wanted width (0) the widest.
bool DecodePicturePixels(const uint8_t* data, uint32_t size, PicturePixels* out, int wantedWidth = 0);
// The picture as it shows at the DPI: its size on a 96-DPI display (an icon file's smallest
// image) scaled, drawn from the icon file's image for that size where there is one, else
// resized from the nearest.
bool DecodePicturePixelsAtDpi(const uint8_t* data, uint32_t size, int dpi, PicturePixels* out);
// The pixels at another size: averaged over the source pixels each one covers when
// shrinking, the nearest source pixel when growing (an edge stays an edge, never a blur).
PicturePixels ResizePicturePixels(const PicturePixels& pixels, int width, int height);

// A loaded picture of its own pixel size: an icon file gives an icon, anything else a
// 32-bit top-down DIB section with premultiplied alpha (opaque pictures have alpha 255).
struct Picture {
    HBITMAP bitmap = nullptr;
    HICON icon = nullptr;
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    explicit operator bool() const { return bitmap || icon; }
};
Picture LoadPicture(const uint8_t* data, uint32_t size);
inline Picture LoadPicture(const std::vector<uint8_t>& bytes) {
    return LoadPicture(bytes.data(), static_cast<uint32_t>(bytes.size()));
}
void FreePicture(Picture* picture);

// A 32-bit top-down DIB section holding the pixels premultiplied, ready for AlphaBlend;
// *bits (when given) receives the pixel memory.
HBITMAP CreatePremultipliedBitmap(const PicturePixels& pixels, uint32_t** bits = nullptr);
// The same pixels composed over a solid colour: an opaque bitmap for controls that cannot
// blend (a button's BS_BITMAP image).
HBITMAP CreateBitmapOnColour(const PicturePixels& pixels, COLORREF background);

// Pictures above this many pixels are refused rather than risk exhausting memory.
const int64_t kMaxPicturePixels = 1 << 24;
