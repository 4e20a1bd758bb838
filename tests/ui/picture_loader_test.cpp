#include <zlib.h>

#include <cstring>

#include "test_support.h"
#include "ui/picture_loader.h"
#include "unit_test_support.h"

using namespace units_test;

namespace {

Blob Bytes(const char* s) { return Blob(s, s + strlen(s)); }

Blob Prefix(const Blob& b, size_t n) { return Blob(b.begin(), b.begin() + std::min(n, b.size())); }

// A PNG whose header claims another size, with the header's checksum made right again.
Blob WithPngSize(Blob png, uint32_t width, uint32_t height) {
    uint8_t* ihdr = png.data() + 8;  // length, "IHDR", 13 bytes, CRC
    for (int i = 0; i < 4; ++i) {
        ihdr[8 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        ihdr[12 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    uLong crc = crc32(0, ihdr + 4, 17);
    for (int i = 0; i < 4; ++i) ihdr[21 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    return png;
}

}  // namespace

TEST_CASE("picture loader: which bytes give which picture") {
    Blob png = EncodePng(16, 16, ChevronPixels());
    Blob jpeg = EncodeJpeg(40, 30, QuadrantPixels(40, 30), 90);
    Blob ico = MakeIco32(32, 0xc0112233);
    Blob bmp = MakeBmp24(5, 3, QuadrantPixels(5, 3));
    Blob icoBadOffset = ico;
    icoBadOffset[18] = 0xff;  // the image's offset points far outside the file
    icoBadOffset[19] = 0xff;
    Blob bmpShort = Prefix(bmp, bmp.size() - 4);
    Blob bmpHuge = bmp;
    bmpHuge[18 + 2] = 0x01;  // width 65541: the pixels claimed are not there

    struct Case {
        const char* name;
        Blob bytes;
        PictureFormat format;
        bool decodes;
        int width, height;
        bool icon, alpha;
    } cases[] = {
        {"png", png, PictureFormat::Png, true, 16, 16, false, true},
        {"jpeg", jpeg, PictureFormat::Jpeg, true, 40, 30, false, false},
        {"ico", ico, PictureFormat::Ico, true, 32, 32, true, true},
        {"bmp", bmp, PictureFormat::Bmp, true, 5, 3, false, false},
        {"empty", Blob(), PictureFormat::None, false, 0, 0, false, false},
        {"garbage", Bytes("this is not a picture at all"), PictureFormat::None, false, 0, 0, false, false},
        {"png cut short", Prefix(png, 60), PictureFormat::Png, false, 0, 0, false, false},
        {"png signature only", Prefix(png, 8), PictureFormat::Png, false, 0, 0, false, false},
        {"jpeg marker then junk", Bytes("\xff\xd8\xff\xe0junkjunkjunkjunk"), PictureFormat::Jpeg, false, 0, 0, false, false},
        {"ico entry outside the file", icoBadOffset, PictureFormat::Ico, false, 0, 0, false, false},
        {"ico header only", Prefix(ico, 6), PictureFormat::Ico, false, 0, 0, false, false},
        {"bmp pixels missing", bmpShort, PictureFormat::Bmp, false, 0, 0, false, false},
        {"bmp wider than its data", bmpHuge, PictureFormat::Bmp, false, 0, 0, false, false},
        {"png claiming 100000 squared", WithPngSize(png, 100000, 100000), PictureFormat::Png, false, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        const uint32_t size = static_cast<uint32_t>(c.bytes.size());
        CHECK(DetectPictureFormat(c.bytes.data(), size) == c.format);
        Picture p = LoadPicture(c.bytes);
        CHECK(static_cast<bool>(p) == c.decodes);
        CHECK(p.width == c.width);
        CHECK(p.height == c.height);
        CHECK((p.icon != nullptr) == c.icon);
        CHECK((p.bitmap != nullptr) == (c.decodes && !c.icon));
        if (c.decodes) CHECK(p.hasAlpha == c.alpha);
        FreePicture(&p);
        CHECK(!p);

        PicturePixels pixels;
        CHECK(DecodePicturePixels(c.bytes.data(), size, &pixels) == c.decodes);
        CHECK(pixels.width == c.width);
        CHECK(pixels.pixels.size() == static_cast<size_t>(c.width) * c.height);
    }
}

TEST_CASE("picture loader: PNG pixels are straight, the bitmap premultiplied") {
    std::vector<uint32_t> chevron = ChevronPixels();
    Blob png = EncodePng(16, 16, chevron);
    PicturePixels pixels;
    REQUIRE(DecodePicturePixels(png.data(), static_cast<uint32_t>(png.size()), &pixels));
    CHECK(pixels.pixels == chevron);

    Picture p = LoadPicture(png);
    REQUIRE(p.bitmap);
    DIBSECTION ds;
    REQUIRE(GetObjectW(p.bitmap, sizeof ds, &ds) == sizeof ds);
    CHECK(ds.dsBm.bmBitsPixel == 32);
    const uint32_t* bits = static_cast<const uint32_t*>(ds.dsBm.bmBits);  // top row first
    CHECK(bits[0] == 0u);                      // clear
    CHECK(bits[5 * 16 + 2] == 0x80383838u);    // half-clear grey, premultiplied
    CHECK(bits[7 * 16 + 4] == (0xff000000u | kChevronGrey));
    FreePicture(&p);
}

TEST_CASE("picture loader: JPEG, BMP and ICO keep their colours") {
    auto similar = [](uint32_t a, uint32_t b) {
        for (int shift = 0; shift < 24; shift += 8) {
            int d = static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff);
            if (d < -24 || d > 24) return false;
        }
        return true;
    };
    std::vector<uint32_t> scene = QuadrantPixels(40, 30);
    Blob jpeg = EncodeJpeg(40, 30, scene, 95);
    PicturePixels pixels;
    REQUIRE(DecodePicturePixels(jpeg.data(), static_cast<uint32_t>(jpeg.size()), &pixels));
    for (int y : {5, 25})
        for (int x : {5, 35}) {
            CAPTURE(x);
            CAPTURE(y);
            CHECK((pixels.pixels[y * 40 + x] >> 24) == 0xffu);
            CHECK(similar(pixels.pixels[y * 40 + x], scene[y * 40 + x]));
        }

    std::vector<uint32_t> small = QuadrantPixels(5, 3);
    Blob bmp = MakeBmp24(5, 3, small);
    REQUIRE(DecodePicturePixels(bmp.data(), static_cast<uint32_t>(bmp.size()), &pixels));
    CHECK(pixels.pixels == small);  // bottom-up rows come back top row first

    Blob ico = MakeIco32(32, 0xc0112233);
    REQUIRE(DecodePicturePixels(ico.data(), static_cast<uint32_t>(ico.size()), &pixels));
    CHECK(pixels.hasAlpha);
    CHECK(pixels.pixels[0] == 0xc0112233u);
    CHECK(pixels.pixels[31 * 32 + 31] == 0xc0112233u);
}

TEST_CASE("picture loader: a picture composed over a colour is opaque") {
    PicturePixels p;
    p.width = 2;
    p.height = 1;
    p.pixels = {0x00000000u, 0x80ff0000u};
    p.hasAlpha = true;
    HBITMAP b = CreateBitmapOnColour(p, RGB(0, 0, 255));
    REQUIRE(b);
    DIBSECTION ds;
    REQUIRE(GetObjectW(b, sizeof ds, &ds) == sizeof ds);
    const uint32_t* bits = static_cast<const uint32_t*>(ds.dsBm.bmBits);
    CHECK(bits[0] == 0xff0000ffu);  // all background
    CHECK(bits[1] == 0xff80007fu);  // half red over blue
    DeleteObject(b);
}

namespace {
// An icon file of PNG images, one square of one colour per size.
Blob PngIcon(std::initializer_list<std::pair<int, uint32_t>> images) {
    Blob file = {0, 0, 1, 0, static_cast<uint8_t>(images.size()), 0}, body;
    for (const auto& image : images) {
        Blob png = EncodePng(image.first, image.first, std::vector<uint32_t>(image.first * image.first, image.second));
        // Width, height, 1 plane, 32 bits, the image's size and offset.
        const uint32_t entry[4] = {static_cast<uint32_t>(image.first * 0x101), 0x00200001, static_cast<uint32_t>(png.size()),
                                   static_cast<uint32_t>(6 + 16 * images.size() + body.size())};
        file.insert(file.end(), reinterpret_cast<const uint8_t*>(entry), reinterpret_cast<const uint8_t*>(entry) + 16);
        body.insert(body.end(), png.begin(), png.end());
    }
    file.insert(file.end(), body.begin(), body.end());
    return file;
}
}  // namespace

TEST_CASE("picture loader: a picture at a DPI is its 96-DPI size scaled, from the icon image that serves best") {
    const uint32_t red = 0xffff0000, green = 0xff00ff00, blue = 0xff0000ff;
    const Blob icon = PngIcon({{24, green}, {16, red}, {32, blue}});
    const Blob png = EncodePng(16, 16, std::vector<uint32_t>(256, red));
    const struct {
        const Blob* data;
        int dpi, width;
        uint32_t colour;  // of the image it came from
    } cases[] = {
        {&icon, 96, 16, red},   {&icon, 120, 20, green}, {&icon, 144, 24, green}, {&icon, 168, 28, blue},
        {&icon, 192, 32, blue}, {&icon, 288, 48, blue},  {&png, 96, 16, red},     {&png, 144, 24, red},
    };
    for (const auto& c : cases) {
        CAPTURE(c.dpi);
        PicturePixels p;
        REQUIRE(DecodePicturePixelsAtDpi(c.data->data(), static_cast<uint32_t>(c.data->size()), c.dpi, &p));
        CHECK((p.width == c.width && p.height == c.width));
        CHECK(p.pixels == std::vector<uint32_t>(c.width * c.width, c.colour));
    }
    PicturePixels widest;
    REQUIRE(DecodePicturePixels(icon.data(), static_cast<uint32_t>(icon.size()), &widest));
    CHECK(widest.width == 32);
}
