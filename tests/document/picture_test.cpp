#include "document/picture.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "data_pack_test_util.h"

namespace tarnu {
namespace {

using testing::encodeJpeg;

const unsigned char kOrange[] = {240, 128, 16};

TEST(Picture, ColourJpegDecodesToRgbRows) {
    const auto picture = decodeJpeg(encodeJpeg(33, 7, 3, kOrange));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 33);
    EXPECT_EQ(picture->height, 7);
    ASSERT_EQ(picture->rgb.size(), 33U * 7U * 3U);
    for (std::size_t i = 0; i < picture->rgb.size(); ++i) {
        EXPECT_NEAR(picture->rgb[i], kOrange[i % 3], 6) << i;
    }
}

TEST(Picture, GreyJpegDecodesToEqualChannels) {
    const unsigned char grey[] = {90};
    const auto picture = decodeJpeg(encodeJpeg(8, 8, 1, grey));
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->rgb.size(), 8U * 8U * 3U);
    EXPECT_NEAR(picture->rgb[0], 90, 3);
    EXPECT_EQ(picture->rgb[0], picture->rgb[1]);
    EXPECT_EQ(picture->rgb[1], picture->rgb[2]);
}

TEST(Picture, BytesThatAreNoJpegGiveNothing) {
    EXPECT_FALSE(decodeJpeg(""));
    EXPECT_FALSE(decodeJpeg("GIF89a"));
    std::string noise(4096, '\0');
    std::srand(7);
    for (char& c : noise) {
        c = static_cast<char>(std::rand());
    }
    EXPECT_FALSE(decodeJpeg(noise));
    // A start-of-image marker followed by noise.
    EXPECT_FALSE(decodeJpeg("\xFF\xD8" + noise));
}

TEST(Picture, JpegCutOffInItsHeaderGivesNothing) {
    const std::string jpeg = encodeJpeg(64, 64, 3, kOrange);
    for (std::size_t cut : {2UL, 20UL, 100UL}) {
        EXPECT_FALSE(decodeJpeg(jpeg.substr(0, cut))) << cut;
    }
}

TEST(Picture, JpegCutOffInItsDataIsShownAsFarAsItGoes) {
    const std::string jpeg = encodeJpeg(64, 64, 3, kOrange);
    const auto picture = decodeJpeg(jpeg.substr(0, jpeg.size() - 40));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->width, 64);
    EXPECT_EQ(picture->height, 64);
}

// Finds the start-of-frame marker of a baseline JPEG and returns the offset of its height.
std::size_t frameHeightOffset(const std::string& jpeg) {
    const auto at = jpeg.find("\xFF\xC0");
    return at == std::string::npos ? 0 : at + 5;
}

TEST(Picture, OversizedPictureGivesNothing) {
    std::string jpeg = encodeJpeg(16, 16, 3, kOrange);
    const std::size_t at = frameHeightOffset(jpeg);
    ASSERT_NE(at, 0U);
    jpeg[at] = jpeg[at + 2] = '\xEA';  // 60000 x 60000 pixels, 10 GB of RGB
    jpeg[at + 1] = jpeg[at + 3] = '\x60';
    EXPECT_FALSE(decodeJpeg(jpeg));
}

TEST(Picture, UnsupportedSamplePrecisionGivesNothing) {
    std::string jpeg = encodeJpeg(16, 16, 3, kOrange);
    const std::size_t at = frameHeightOffset(jpeg);
    ASSERT_NE(at, 0U);
    jpeg[at - 1] = 12;  // 12-bit samples: not for an 8-bit decoder
    EXPECT_FALSE(decodeJpeg(jpeg));
}

}  // namespace
}  // namespace tarnu
