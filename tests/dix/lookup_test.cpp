#include <string>
#include <vector>

#include "dix_test_util.h"

namespace {

class Lookup : public Dix_Test {
protected:
    Dix_Lookup look_up(Any root, std::vector<String> path) {
        ::testing::internal::CaptureStdout();
        Dix_Lookup found = get_dix_value(root, Array_View<String>{int64_t(path.size()), path.data()}, 1);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");  // the look-up never prints
        if (found.code != DIX_FOUND) {
            EXPECT_EQ(found.value.type, nullptr);
            EXPECT_EQ(found.value.value_pointer, nullptr);
        }
        return found;
    }

    // The value at the path, or T{} with a failure when it is not found.
    template <typename T>
    T value(Any root, std::vector<String> path) {
        T* found = typed<T>(root, path);
        EXPECT_NE(found, nullptr);
        return found ? *found : T{};
    }

    template <typename T>
    T* typed(Any root, std::vector<String> path) {
        return get_dix_value<T>(root, Array_View<String>{int64_t(path.size()), path.data()});
    }
};

constexpr const char* HERO = "config = { hero_data = { speed = 300.0; steps = 5; name = \"hero\"; on = true; }; };";

TEST_F(Lookup, PathsFromTheRoot) {
    Any root = root_of(HERO);
    Dix_Lookup whole = look_up(root, {});
    EXPECT_EQ(whole.code, DIX_FOUND);
    EXPECT_EQ(whole.value.value_pointer, root.value_pointer);
    EXPECT_EQ(typed<Table>(root, {}), root.value_pointer);
    EXPECT_EQ(typed<float>(root, {}), nullptr);

    EXPECT_EQ(value<float>(root, {"config", "hero_data", "speed"}), 300.0f);
    if (float* found = typed<float>(root, {"config", "hero_data", "speed"})) *found = 1.0f;  // points into the tree
    EXPECT_EQ(value<float>(root, {"config", "hero_data", "speed"}), 1.0f);

    EXPECT_EQ(look_up(root, {"config", "hero_data", "speed", "x"}).code, DIX_NOT_FOUND);
    EXPECT_EQ(look_up(root, {"config", "hero_data", "name", "x"}).code, DIX_NOT_FOUND);
    EXPECT_EQ(look_up(root, {"config", "hero_data", "on", "x"}).code, DIX_NOT_FOUND);
    EXPECT_EQ(look_up(root, {"config", "missing"}).code, DIX_NOT_FOUND);
    EXPECT_EQ(look_up(root, {"Config"}).code, DIX_NOT_FOUND);
    EXPECT_EQ(look_up(Any{}, {"config"}).code, DIX_NOT_FOUND);
    EXPECT_EQ(typed<Table>(Any{}, {}), nullptr);
}

TEST_F(Lookup, OnlyTheExactTypeIsHandedOut) {
    Any root = root_of(HERO);
    EXPECT_NE(typed<float>(root, {"config", "hero_data", "speed"}), nullptr);
    EXPECT_EQ(typed<int64_t>(root, {"config", "hero_data", "speed"}), nullptr);
    EXPECT_EQ(typed<double>(root, {"config", "hero_data", "speed"}), nullptr);
    EXPECT_EQ(value<int64_t>(root, {"config", "hero_data", "steps"}), 5);
    EXPECT_EQ(typed<float>(root, {"config", "hero_data", "steps"}), nullptr);
    EXPECT_EQ(typed<int32_t>(root, {"config", "hero_data", "steps"}), nullptr);
    EXPECT_EQ(value<String>(root, {"config", "hero_data", "name"}).view(), "hero");
    EXPECT_TRUE(value<bool>(root, {"config", "hero_data", "on"}));
    EXPECT_EQ(typed<int64_t>(root, {"config", "hero_data", "on"}), nullptr);
    EXPECT_NE(typed<Table>(root, {"config", "hero_data"}), nullptr);
    EXPECT_EQ(typed<float>(root, {"config", "hero_data"}), nullptr);
}

TEST_F(Lookup, ReferencesAreFollowedFromTheRootAtTheEndOfAPathOnly) {
    Any root = root_of(std::string(HERO) +
                       "x = config.hero_data; walk = config.hero_data.speed; again = walk;"
                       "o = { steps = 1; s = steps; }; gone = config.nope;");
    EXPECT_EQ(value<float>(root, {"walk"}), 300.0f);
    EXPECT_EQ(value<float>(root, {"again"}), 300.0f);
    EXPECT_EQ(typed<Table>(root, {"x"}), typed<Table>(root, {"config", "hero_data"}));
    EXPECT_EQ(look_up(root, {"x", "speed"}).code, DIX_NOT_FOUND);
    EXPECT_EQ(look_up(root, {"o", "s"}).code, DIX_NOT_FOUND);  // "steps" is looked up at the root
    EXPECT_EQ(look_up(root, {"gone"}).code, DIX_NOT_FOUND);
    // Asked for exactly, a reference is followed rather than handed out.
    EXPECT_EQ(typed<Expr>(root, {"walk"}), nullptr);
}

TEST_F(Lookup, CyclesAndLongChainsStop) {
    Any cycle = root_of("a = b; b = a; c = c; d = { e = d.e; };");
    EXPECT_EQ(look_up(cycle, {"a"}).code, DIX_TOO_DEEP);
    EXPECT_EQ(look_up(cycle, {"c"}).code, DIX_TOO_DEEP);
    EXPECT_EQ(look_up(cycle, {"d", "e"}).code, DIX_TOO_DEEP);
    EXPECT_EQ(typed<float>(cycle, {"a"}), nullptr);

    std::string chain = "r0 = 2.5;";
    for (int i = 1; i <= 100; ++i) chain += " r" + std::to_string(i) + " = r" + std::to_string(i - 1) + ";";
    Any root = root_of(chain);
    EXPECT_EQ(value<float>(root, {"r99"}), 2.5f);
    EXPECT_EQ(look_up(root, {"r100"}).code, DIX_TOO_DEEP);
    EXPECT_EQ(typed<float>(root, {"r100"}), nullptr);
}

}  // namespace
