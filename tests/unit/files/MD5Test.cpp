#include <gtest/gtest.h>

#include "files/CMD5.h"
#include "files/TitleKeyStream.h"

namespace qw {

TEST(MD5, Rfc1321Suite) {
    const struct {
        const char* text;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) {
        CMD5 md5;
        EXPECT_EQ(md5.getMD5Digest(), nullptr);
        ASSERT_TRUE(md5.setPlainText(c.text));
        EXPECT_STREQ(md5.getMD5Digest(), c.digest) << '"' << c.text << '"';
    }
}

TEST(TitleKeyStream, XorIsItsOwnInverseAndUsesBlockKeys) {
    std::vector<uint8_t> data(32 * 2 + 5);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    auto original = data;
    XorTitleKeyStream(data, "Quillwork");
    std::string key1 = CMD5::Hex("Quillwork1");
    EXPECT_EQ(data[33], original[33] ^ static_cast<uint8_t>(key1[1]));
    std::string key2 = CMD5::Hex("Quillwork2");
    EXPECT_EQ(data[68], original[68] ^ static_cast<uint8_t>(key2[4]));
    XorTitleKeyStream(data, "Quillwork");
    EXPECT_EQ(data, original);
}

} // namespace qw
