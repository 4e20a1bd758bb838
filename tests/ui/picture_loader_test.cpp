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
