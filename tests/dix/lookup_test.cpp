#include <vector>

#include "dix_test_util.h"

namespace {

class Lookup : public Dix_Test {
protected:
    int64_t code(Any root, std::vector<String> path) {
        ::testing::internal::CaptureStdout();
        Dix_Lookup found = get_dix_value(root, {int64_t(path.size()), path.data()}, 1);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
        if (found.code != DIX_FOUND) {
            EXPECT_EQ(found.value.type, nullptr);
        }
        return found.code;
    }
    template <typename T>
    T* typed(Any root, std::vector<String> path) {
        return get_dix_value<T>(root, Array_View<String>{int64_t(path.size()), path.data()});
    }
};

TEST_F(Lookup, OnlyTheExactTypeIsHandedOut) {
    Any root = root_of("config = { hero_data = { speed = 300.0; steps = 5; on = true; }; };");
    EXPECT_EQ(typed<Table>(root, {}), root.value_pointer);
    EXPECT_EQ(typed<float>(root, {}), nullptr);
    float* speed = typed<float>(root, {"config", "hero_data", "speed"});
    EXPECT_TRUE(speed && *speed == 300.0f);
    EXPECT_EQ(typed<int64_t>(root, {"config", "hero_data", "speed"}), nullptr);
    EXPECT_EQ(typed<float>(root, {"config", "hero_data", "steps"}), nullptr);
    EXPECT_NE(typed<int64_t>(root, {"config", "hero_data", "steps"}), nullptr);
    EXPECT_EQ(typed<int64_t>(root, {"config", "hero_data", "on"}), nullptr);
    EXPECT_EQ(typed<float>(root, {"config", "hero_data"}), nullptr);

    EXPECT_EQ(code(root, {"config", "hero_data", "speed", "x"}), DIX_NOT_FOUND);
    EXPECT_EQ(code(root, {"config", "hero_data", "on", "x"}), DIX_NOT_FOUND);
    EXPECT_EQ(code(root, {"Config"}), DIX_NOT_FOUND);
    EXPECT_EQ(code(Any{}, {"config"}), DIX_NOT_FOUND);
}

TEST_F(Lookup, ReferencesAreFollowedFromTheRootAtTheEndOfAPathOnly) {
    Any root = root_of("config = { hero_data = { speed = 300.0; }; }; x = config.hero_data;"
                       "walk = config.hero_data.speed; again = walk; o = { s = speed; }; gone = config.nope;");
    EXPECT_EQ(typed<float>(root, {"again"}), typed<float>(root, {"config", "hero_data", "speed"}));
    EXPECT_EQ(typed<Table>(root, {"x"}), typed<Table>(root, {"config", "hero_data"}));
    EXPECT_EQ(code(root, {"x", "speed"}), DIX_NOT_FOUND);
    EXPECT_EQ(code(root, {"o", "s"}), DIX_NOT_FOUND);
    EXPECT_EQ(code(root, {"gone"}), DIX_NOT_FOUND);
}

TEST_F(Lookup, CyclesAndLongChainsStop) {
    Any cycle = root_of("a = b; b = a; c = c;");
    EXPECT_EQ(code(cycle, {"a"}), DIX_TOO_DEEP);
    EXPECT_EQ(code(cycle, {"c"}), DIX_TOO_DEEP);

    std::string chain = "r0 = 2.5;";
    for (int i = 1; i <= 100; ++i) chain += " r" + std::to_string(i) + " = r" + std::to_string(i - 1) + ";";
    Any root = root_of(chain);
    EXPECT_NE(typed<float>(root, {"r99"}), nullptr);
    EXPECT_EQ(code(root, {"r100"}), DIX_TOO_DEEP);
}

}  // namespace
