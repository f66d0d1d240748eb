// Reads the headers of the shipped icons, logo and PNG icons byte by byte and
// checks that they are what the Windows resources, the dialog and the desktop
// expect: sizes, colour depths, and files that hang together.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kResDir = VELDRIN_RES_DIR;

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot open " << path;
        return {};
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t Le16(const Bytes& b, std::size_t at) { return b.at(at) | (b.at(at + 1) << 8); }

std::uint32_t Le32(const Bytes& b, std::size_t at) { return Le16(b, at) | (Le16(b, at + 2) << 16); }

std::uint32_t Be32(const Bytes& b, std::size_t at) {
    return (std::uint32_t{b.at(at)} << 24) | (b.at(at + 1) << 16) | (b.at(at + 2) << 8) | b.at(at + 3);
}

std::size_t RowBytes(std::size_t width, std::size_t bits) { return (width * bits + 31) / 32 * 4; }

// One entry of an .ico directory, with the image it points at.
struct IconImage {
    unsigned size = 0;
    unsigned bits = 0;
    Bytes data;
};

// Parses an .ico file; every inconsistency between the directory and the
// images is reported as a test failure.
std::vector<IconImage> ReadIcon(const std::string& path) {
    const Bytes file = ReadFile(path);
    std::vector<IconImage> images;
    if (file.size() < 6) {
        ADD_FAILURE() << path << " is too short for an icon directory";
        return images;
    }
    EXPECT_EQ(Le16(file, 0), 0u) << path;
    EXPECT_EQ(Le16(file, 2), 1u) << path << ": type is not icon";
    const std::size_t count = Le16(file, 4);
    if (file.size() < 6 + 16 * count) {
        ADD_FAILURE() << path << " is too short for its " << count << " entries";
        return images;
    }
    std::size_t expected_offset = 6 + 16 * count;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * i;
        IconImage image;
        image.size = file[entry] == 0 ? 256 : file[entry];
        EXPECT_EQ(file[entry + 1], file[entry]) << path << " entry " << i << " is not square";
        const unsigned colour_count = file[entry + 2];
        EXPECT_EQ(Le16(file, entry + 4), 1u) << path << " entry " << i << ": planes";
        image.bits = Le16(file, entry + 6);
        EXPECT_EQ(colour_count, image.bits < 8 ? (1u << image.bits) : 0u)
            << path << " entry " << i << ": colour count does not match the depth";
        const std::size_t length = Le32(file, entry + 8);
        const std::size_t offset = Le32(file, entry + 12);
        EXPECT_EQ(offset, expected_offset) << path << " entry " << i << " is not where it belongs";
        expected_offset = offset + length;
        if (offset + length > file.size()) {
            ADD_FAILURE() << path << " entry " << i << " runs past the end of the file";
            return images;
        }
        image.data.assign(file.begin() + offset, file.begin() + offset + length);
        images.push_back(std::move(image));
    }
    EXPECT_EQ(expected_offset, file.size()) << path << " has bytes after its last image";
    return images;
}

// Checks one icon image: its bitmap header, the length of its colour plane
// and mask, transparent corners, an opaque centre, and black under every
// transparent pixel (Windows draws an icon by AND with the mask, then XOR
// with the colours, so any other colour would tint the background).
void CheckIconImage(const std::string& what, const IconImage& image) {
    SCOPED_TRACE(what + " " + std::to_string(image.size) + "x" + std::to_string(image.size) + " at " +
                 std::to_string(image.bits) + " bits");
    const Bytes& d = image.data;
    ASSERT_GE(d.size(), 40u);
    EXPECT_EQ(Le32(d, 0), 40u) << "bitmap header size";
    EXPECT_EQ(Le32(d, 4), image.size) << "width";
    EXPECT_EQ(Le32(d, 8), image.size * 2) << "height counts colour plane and mask";
    EXPECT_EQ(Le16(d, 12), 1u) << "planes";
    ASSERT_EQ(Le16(d, 14), image.bits) << "depth differs from the directory";
    EXPECT_EQ(Le32(d, 16), 0u) << "compression";
    ASSERT_TRUE(image.bits == 4 || image.bits == 8);

    const std::size_t colours = std::size_t{1} << image.bits;
    const std::size_t colour_used = Le32(d, 32);
    EXPECT_TRUE(colour_used == 0 || colour_used == colours) << "colours used " << colour_used;
    const std::size_t palette = 40;
    const std::size_t xor_row = RowBytes(image.size, image.bits);
    const std::size_t and_row = RowBytes(image.size, 1);
    const std::size_t xor_at = palette + 4 * colours;
    const std::size_t and_at = xor_at + xor_row * image.size;
    ASSERT_EQ(d.size(), and_at + and_row * image.size) << "image length";

    // Rows are stored bottom-up; x and y here count from the top left.
    auto transparent = [&](std::size_t x, std::size_t y) {
        const std::size_t row = and_at + (image.size - 1 - y) * and_row;
        return (d[row + x / 8] >> (7 - x % 8)) & 1;
    };
    auto colour_index = [&](std::size_t x, std::size_t y) -> std::size_t {
        const std::size_t row = xor_at + (image.size - 1 - y) * xor_row;
        if (image.bits == 8) return d[row + x];
        const std::uint8_t two = d[row + x / 2];
        return x % 2 == 0 ? two >> 4 : two & 0x0F;
    };
    const std::size_t last = image.size - 1;
    EXPECT_TRUE(transparent(0, 0));
    EXPECT_TRUE(transparent(last, 0));
    EXPECT_TRUE(transparent(0, last));
    EXPECT_TRUE(transparent(last, last));
    EXPECT_FALSE(transparent(image.size / 2, image.size / 2));

    std::set<std::size_t> used;
    std::size_t tinted = 0;
    for (std::size_t y = 0; y < image.size; ++y) {
        for (std::size_t x = 0; x < image.size; ++x) {
            const std::size_t index = colour_index(x, y);
            const std::size_t entry = palette + 4 * index;
            const bool black = d[entry] == 0 && d[entry + 1] == 0 && d[entry + 2] == 0;
            if (transparent(x, y)) {
                tinted += black ? 0 : 1;
            } else {
                used.insert(index);
            }
        }
    }
    EXPECT_EQ(tinted, 0u) << "transparent pixels over a colour other than black";
    EXPECT_GE(used.size(), 4u) << "the picture has almost no colours";
}

// Checks every image of the icon file name (CheckIconImage) and returns the
// size and depth of each.
std::set<std::pair<unsigned, unsigned>> CheckedSizesAndDepths(const std::string& name,
                                                              const std::vector<IconImage>& images) {
    std::set<std::pair<unsigned, unsigned>> found;
    for (const IconImage& image : images) {
        found.insert({image.size, image.bits});
        CheckIconImage(name, image);
    }
    return found;
}

TEST(ApplicationIcon, HoldsThe32And16PixelImagesIn16Colours) {
    const std::vector<IconImage> images = ReadIcon(kResDir + "/veldrinins.ico");
    ASSERT_EQ(images.size(), 2u);
    const std::set<std::pair<unsigned, unsigned>> wanted{{32, 4}, {16, 4}};
    EXPECT_EQ(CheckedSizesAndDepths("veldrinins.ico", images), wanted);
}

TEST(SecondIcon, HoldsSixDifferentImages) {
    const std::vector<IconImage> images = ReadIcon(kResDir + "/veldrinins2.ico");
    ASSERT_EQ(images.size(), 6u);
    EXPECT_EQ(CheckedSizesAndDepths("veldrinins2.ico", images).size(), 6u) << "two images of the same size and depth";
}

TEST(Logo, IsABottomUp24BitBitmapOf113By60Pixels) {
    const Bytes file = ReadFile(kResDir + "/logo.bmp");
    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Le32(file, 2), file.size()) << "file size field";
    const std::size_t pixels_at = Le32(file, 10);
    EXPECT_EQ(Le32(file, 14), 40u) << "bitmap header size";
    const auto width = static_cast<std::int32_t>(Le32(file, 18));
    const auto height = static_cast<std::int32_t>(Le32(file, 22));
    EXPECT_EQ(width, 113);
    EXPECT_EQ(height, 60) << "a negative height would be top-down";
    EXPECT_EQ(Le16(file, 26), 1u) << "planes";
    EXPECT_EQ(Le16(file, 28), 24u) << "bits per pixel";
    EXPECT_EQ(Le32(file, 30), 0u) << "compression";
    ASSERT_EQ(pixels_at, 54u) << "a 24-bit bitmap has no palette";

    const std::size_t row = RowBytes(113, 24);
    ASSERT_EQ(row, 340u);
    ASSERT_EQ(file.size(), pixels_at + row * 60);
    std::set<std::uint32_t> colours;
    for (std::size_t y = 0; y < 60; ++y) {
        const std::size_t at = pixels_at + y * row;
        for (std::size_t x = 0; x < 113; ++x) {
            colours.insert(file[at + 3 * x] | (file[at + 3 * x + 1] << 8) | (file[at + 3 * x + 2] << 16));
        }
        EXPECT_EQ(file[at + row - 1], 0) << "padding of row " << y;
    }
    EXPECT_GE(colours.size(), 16u) << "the logo is nearly blank";
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t length) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Checks a PNG's signature, that every chunk's checksum holds, and that its
// header gives an 8-bit RGBA square of the given size.
void CheckPng(const std::string& path, unsigned size) {
    SCOPED_TRACE(path);
    const Bytes file = ReadFile(path);
    const std::array<std::uint8_t, 8> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GE(file.size(), 8u + 25u + 12u);
    ASSERT_TRUE(std::equal(signature.begin(), signature.end(), file.begin()));
    std::vector<std::string> kinds;
    std::size_t at = 8;
    while (at + 12 <= file.size()) {
        const std::size_t length = Be32(file, at);
        ASSERT_LE(at + 12 + length, file.size()) << "chunk runs past the end";
        const std::string kind(file.begin() + at + 4, file.begin() + at + 8);
        EXPECT_EQ(Crc32(file.data() + at + 4, length + 4), Be32(file, at + 8 + length)) << "checksum of chunk " << kind;
        if (kind == "IHDR") {
            EXPECT_TRUE(kinds.empty()) << "IHDR is not the first chunk";
            EXPECT_EQ(Be32(file, at + 8), size) << "width";
            EXPECT_EQ(Be32(file, at + 12), size) << "height";
            EXPECT_EQ(file[at + 16], 8) << "bit depth";
            EXPECT_EQ(file[at + 17], 6) << "colour type: RGBA";
            EXPECT_EQ(file[at + 20], 0) << "interlace";
        }
        kinds.push_back(kind);
        at += 12 + length;
    }
    EXPECT_EQ(at, file.size()) << "bytes after the last chunk";
    ASSERT_FALSE(kinds.empty());
    EXPECT_EQ(kinds.front(), "IHDR");
    EXPECT_EQ(kinds.back(), "IEND");
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), "IDAT"), kinds.end()) << "no pixel data";
}

TEST(WindowIcons, Are16And32PixelPngs) {
    CheckPng(kResDir + "/veldrinins-16.png", 16);
    CheckPng(kResDir + "/veldrinins-32.png", 32);
}

TEST(DesktopIcons, FillTheHicolorSizesWithPngsOfTheirOwnSize) {
    for (unsigned size : {16u, 24u, 32u, 48u, 64u, 128u, 256u}) {
        const std::string n = std::to_string(size);
        CheckPng(kResDir + "/icons/hicolor/" + n + "x" + n + "/apps/veldrinins.png", size);
    }
}

}  // namespace
