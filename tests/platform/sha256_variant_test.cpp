#include <gtest/gtest.h>

#include <string>

#include "sha256_variant.h"

namespace {

uint32_t first_word(const std::string& message) {
    uint32_t words[8];
    sha256_variant_words(reinterpret_cast<const unsigned char*>(message.data()), int32_t(message.size()), words);
    return words[0];
}

TEST(Sha256Variant, StandardWhereTheBlockRuleAgrees) {
    EXPECT_EQ(first_word("abc"), 0xba7816bfu);
    EXPECT_EQ(first_word(""), 0xe3b0c442u);
    EXPECT_EQ(first_word(std::string(55, 'a')), 0x9f4390f8u);
    EXPECT_EQ(first_word(std::string(60, 'a')), 0x11ee3912u);
    EXPECT_EQ(first_word(std::string(64, 'a')), 0xffe054feu);
    EXPECT_EQ(first_word(std::string(1000, 'a')), 0x41edece4u);
}

TEST(Sha256Variant, LengthOverwritesTheMarkerFor56To59) {
    EXPECT_EQ(first_word(std::string(56, 'a')), 0x5e8af709u);  // standard: 0xb35439a4
    EXPECT_EQ(first_word(std::string(59, 'a')), 0xc0cc3bd7u);
}

TEST(Sha256Variant, FullWordsOfAbc) {
    uint32_t words[8];
    sha256_variant_words(reinterpret_cast<const unsigned char*>("abc"), 3, words);
    const uint32_t expected[8] = {0xba7816bf, 0x8f01cfea, 0x414140de, 0x5dae2223,
                                  0xb00361a3, 0x96177a9c, 0xb410ff61, 0xf20015ad};
    for (int i = 0; i < 8; i++) EXPECT_EQ(words[i], expected[i]) << i;
}

}  // namespace
