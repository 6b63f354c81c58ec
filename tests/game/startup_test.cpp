#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cheats/cheatcodes.h"
#include "commandline.h"
#include "fake_raylib.h"
#include "file_management/dir_manager.h"
#include "file_management/logs.h"
#include "gc_manager.h"
#include "input/input.h"
#include "os.h"
#include "portable_test_support.h"
#include "random.h"
#include "seed.h"
#include "textures.h"

extern bool skip_splash;
extern bool debug_mode;
extern char* steam_appid_text;

static void apply(std::initializer_list<String> arguments) {
    apply_cli_arguments({int64_t(arguments.size()), arguments.begin()});
}

TEST(CommandLine, SwitchesMatchExactly) {
    reset_game_state();
    cli_arguments();  // the test runner's own arguments hold no switch
    EXPECT_FALSE(skip_splash);
    EXPECT_TRUE(debug_mode);
    apply({"quol", "--SKIP-SPLASH-SCREEN", "/skip:splash", "--skip-splash-screen=1", " --skip-splash-screen"});
    EXPECT_FALSE(skip_splash);
    apply({"quol", "/SKIP:splash"});
    EXPECT_TRUE(skip_splash);
    skip_splash = false;
    apply({"--skip-splash-screen"});  // the program path is matched too
    EXPECT_TRUE(skip_splash);
}

TEST(TrackedResources, RecordsEveryLoadAndReleasesTexturesBeforeImages) {
    reset_game_state();
    Texture splash = textures_from_image_init("assets/splash_screens/splash1.png");
    textures_from_image_init("assets/splash_screens/splash2.png");
    load_textures_tracked(&tracked_resources, "assets/sprites/square.png");
    EXPECT_EQ(splash.id, 1u);
    EXPECT_EQ(tracked_resources.textures.count, 3);
    EXPECT_EQ(tracked_resources.images.count, 2);

    cleanup_resources(&tracked_resources);
    EXPECT_EQ(fake.released, (std::vector<std::string>{"texture 1", "texture 2", "texture 3", "image 1", "image 1"}));
    cleanup_resources(&tracked_resources);  // a second pass releases nothing
    EXPECT_EQ(fake.released.size(), 5u);
}

TEST(Seed, MixerIsMurmurFinaliser) {
    // Reference values of MurmurHash3's fmix64.
    EXPECT_EQ(fmix64(1), 0xb456bcfc34c2cb2cULL);
    EXPECT_EQ(fmix64(0xffffffffffffffffULL), 0x64b5720b4b825f21ULL);
}

TEST(Seed, DiffersWithTheMomentAndThePointer) {
    reset_game_state();
    EXPECT_EQ(get_pid(), uint32_t(getpid()));
    fake.mouse_x = -20;  // left of the window: must not stop the program
    fake.mouse_y = -1;
    std::set<uint64_t> seeds;
    for (int i = 0; i < 50; ++i) {
        fake.time = 1.5 + i * 1e-6;
        seeds.insert(get_random_seed());
    }
    EXPECT_EQ(seeds.size(), 50u);
}

static uint64_t mmix_step(uint64_t state) { return state * 0x5851f42d4c957f2dULL + 0x14057b7ef767814fULL; }

TEST(Random, MmixStepsOncePerCall) {
    rng_state = 42;
    randi_range(0, 1000);
    EXPECT_EQ(rng_state, mmix_step(42));
    randf_range(0, 10);
    EXPECT_EQ(rng_state, mmix_step(mmix_step(42)));
}

TEST(Random, RangesHoldWholeStepsBelowMax) {
    rng_state = 7;
    std::set<int64_t> ints;
    std::set<float> floats;
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(randi_range(0, 1), 0);
        ints.insert(randi_range(-3, 3));
        floats.insert(randf_range(0.0f, 2.5f));
    }
    EXPECT_EQ(ints, (std::set<int64_t>{-3, -2, -1, 0, 1, 2}));
    EXPECT_EQ(floats, (std::set<float>{0.0f, 1.0f}));

    EXPECT_GE(randf_range(-3e38f, 3e38f), -3e38f);  // a span past the integer range
}

TEST(Random, EmptyRangesReportReturnMinAndStillStep) {
    rng_state = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(randi_range(5, 5), 5);
    EXPECT_EQ(rng_state, mmix_step(1));
    EXPECT_EQ(randf_range(2.0f, 1.0f), 2.0f);
    EXPECT_EQ(rng_state, mmix_step(mmix_step(1)));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "min must be less than maxmin must be less than max");
    EXPECT_EQ(randf_range(1.0f, 1.5f), 1.0f);  // narrower than one step
}

TEST(Random, FloatSpanIsTheWidthRoundedInFloat32) {
    // 16777214 + 1.75 rounds to 2^24 in float32 (16777215 in double): with a state whose low 24
    // bits are all ones, only the float32 span reaches the step 2^24 - 1.
    uint64_t inverse = 0x5851f42d4c957f2dULL;  // of the multiplier, modulo 2^64 (Newton steps)
    for (int i = 0; i < 6; ++i) inverse *= 2 - 0x5851f42d4c957f2dULL * inverse;
    rng_state = (UINT64_MAX - 0x14057b7ef767814fULL) * inverse;
    EXPECT_EQ(randf_range(-1.75f, 16777214.0f), -1.75f + 16777215.0f);
    EXPECT_EQ(rng_state, UINT64_MAX);
}

TEST(Konami, TenStepsCompleteTheSequence) {
    reset_game_state();
    struct Input {
        float x, y;
        int button;
    };
    const Input sequence[] = {{0, -1, -1}, {0, -1, -1}, {0, 1, -1},  {0, 1, -1}, {-1, 0, -1},
                              {1, 0, -1},  {-1, 0, -1}, {1, 0, -1},  {0, 0, 6},  {0, 0, 7}};
    for (int i = 0; i < 10; ++i) {
        left_stick_x = sequence[i].x;
        left_stick_y = sequence[i].y;
        fake.gamepad_pressed.clear();
        if (sequence[i].button >= 0) fake.gamepad_pressed.insert(sequence[i].button);
        EXPECT_EQ(konami(), i == 9) << i;
    }
    EXPECT_EQ(konami_step, 0);
}

TEST(Konami, WaitsForTheExpectedStepWithStrictThresholds) {
    reset_game_state();
    left_stick_y = -0.9f;
    EXPECT_FALSE(konami());
    EXPECT_EQ(konami_step, 0);

    konami_step = 9;
    left_stick_y = 0;
    fake.gamepad_pressed = {6};
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(konami());
    EXPECT_EQ(konami_step, 9);
}

// Each test runs in a scratch folder of its own, with its own environment.
class Files : public ::testing::Test {
protected:
    void SetUp() override {
        reset_game_state();
        saved_cwd = std::filesystem::current_path();
        scratch = make_temporary_folder("quol_logs_");
        std::filesystem::current_path(scratch);
        remember("USERPROFILE");
        remember("HOME");
    }
    void TearDown() override {
        std::filesystem::current_path(saved_cwd);
        std::filesystem::remove_all(scratch);
        for (auto& [name, value] : saved_env) {
            if (value) set_environment(name.c_str(), value->c_str());
            else unset_environment(name.c_str());
        }
        game_dir = {};
        if (!log_path.empty()) free_string(&log_path);
        log_path = {};
        steam_appid_text = nullptr;
    }
    void remember(const char* name) {
        const char* value = getenv(name);
        saved_env.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    static std::string read(const std::filesystem::path& path) {
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    static void write(const char* path, const char* text) { std::ofstream(path, std::ios::binary) << text; }

    std::filesystem::path saved_cwd, scratch;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_env;
};

// The banner names the system the game was built for.
#if defined(_WIN32)
static const std::string OS_LINE = "OS: Windows\n";
#else
static const std::string OS_LINE = "OS: Linux\n";
#endif

// get_game_dir's result is meant to live for the run; here each one is released at once.
static std::string game_dir_text() {
    String dir = get_game_dir();
    std::string text(dir.view());
    if (!dir.empty()) free_string(&dir);
    return text;
}

TEST_F(Files, GameFolderUnderTheProfileFolder) {
    set_environment("USERPROFILE", "C:\\Users\\ann");
    set_environment("HOME", "/home/ann");
    EXPECT_EQ(game_dir_text(), "C:\\Users\\ann/Saved Games/quol");
    set_environment("USERPROFILE", "");
    EXPECT_EQ(game_dir_text(), "/home/ann/Saved Games/quol");
    unset_environment("USERPROFILE");
    EXPECT_EQ(game_dir_text(), "/home/ann/Saved Games/quol");
}

#if defined(_WIN32)
// The C runtime removes a variable given an empty value; the system keeps it, empty.
extern "C" __declspec(dllimport) int __stdcall SetEnvironmentVariableA(const char* name, const char* value);
void set_empty_environment(const char* name) { SetEnvironmentVariableA(name, ""); }
#else
void set_empty_environment(const char* name) { set_environment(name, ""); }
#endif

TEST_F(Files, NoProfileFolderTurnsSavingOffWithOneLine) {
    unset_environment("USERPROFILE");
    set_empty_environment("HOME");
    testing::internal::CaptureStdout();
    game_dir = get_game_dir();
    std::string said = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(saving_enabled());
    // Says which variable is missing and which is empty, not "not set" for both.
    EXPECT_EQ(said, "Saving is off: USERPROFILE is not set and HOME is empty\n");

    unset_environment("HOME");
    set_empty_environment("USERPROFILE");
    testing::internal::CaptureStdout();
    game_dir = get_game_dir();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Saving is off: USERPROFILE is empty and HOME is not set\n");
    EXPECT_EQ(saving_off_text(), "Saving is off: USERPROFILE is empty and HOME is not set");
}

TEST_F(Files, LogFileNameFollowsTheLocalClock) {
    Os_Calendar_Time before = os_local_time();
    std::string name(get_log_filename().view());
    Os_Calendar_Time after = os_local_time();
    auto expected = [](Os_Calendar_Time t) {
        return "log_created_at_" + std::to_string(t.year) + "_" + std::to_string(t.month) + "_" +
               std::to_string(t.day) + "_at_time_" + std::to_string(t.hour) + "_" + std::to_string(t.minute);
    };
    EXPECT_TRUE(name == expected(before) || name == expected(after)) << name;
}

TEST_F(Files, BannerThenSeedAppendedByteForByte) {
    std::filesystem::create_directory("logs");
    write("version.txt", "1.4.2\n");
    char appid[] = "480";
    steam_appid_text = appid;
    game_dir = "/home/ann/Saved Games/quol";

    create_logs();
    EXPECT_EQ(log_path, "logs/" + std::string(get_log_filename().view()) + ".txt");
    write_log_msg({"Seed: ", "42"});

    std::string compiler;
#if defined(__clang__)
    compiler = "clang " + std::to_string(__clang_major__) + "." + std::to_string(__clang_minor__) + "." +
               std::to_string(__clang_patchlevel__);
#else
    compiler = "gcc " + std::to_string(__GNUC__) + "." + std::to_string(__GNUC_MINOR__) + "." +
               std::to_string(__GNUC_PATCHLEVEL__);
#endif
    std::string banner = "Game version 1.4.2\nbuilt using compiler version " + compiler +
                         ".\nWE ARE GAME: 480\n" + OS_LINE +
                         "Build: 0\n\nGame save directory: /home/ann/Saved Games/quol\n\nRunning on Vellmarch "
                         "Engine version 0.1\n";
    EXPECT_EQ(read(std::string(log_path.view())), banner + "Seed: 42");

    // A second run in the same minute appends to the same file.
    free_string(&log_path);
    create_logs();
    EXPECT_EQ(read(std::string(log_path.view())), banner + "Seed: 42" + banner);
}

TEST_F(Files, MissingInputsLeaveEmptyValues) {
    std::filesystem::create_directory("logs");
    create_logs();
    std::string text = read(std::string(log_path.view()));
    EXPECT_EQ(text.rfind("Game version built using compiler version ", 0), 0u) << text;
    EXPECT_NE(text.find("WE ARE GAME: \n" + OS_LINE), std::string::npos);
}

TEST_F(Files, WithoutALogsFolderNothingIsWritten) {
    create_logs();
    write_log_msg({"Seed: ", "1"});
    EXPECT_FALSE(std::filesystem::exists("logs"));
    EXPECT_TRUE(std::filesystem::is_empty("."));
}

// An installed game run by a user who may not write its folder: the log and its later lines go
// to logs/ in the save folder, and one line says where.
TEST_F(Files, ALogThatCannotBeWrittenGoesToTheSaveFolder) {
    std::string saves = (scratch / "profile" / "Saved Games" / "quol").generic_string();
    game_dir = String(saves);
    std::string name, said;
    // Root writes any folder, so the log's own name is taken by a folder; a second try covers a
    // minute that turns in between.
    for (int attempt = 0; attempt < 2 && (name.empty() || log_path.view().find(name) == std::string::npos);
         ++attempt) {
        std::filesystem::remove_all("logs");
        std::filesystem::remove_all(scratch / "profile");
        if (!log_path.empty()) free_string(&log_path);
        name = std::string(get_log_filename().view()) + ".txt";
        std::filesystem::create_directories(std::filesystem::path("logs") / name);
        testing::internal::CaptureStdout();
        create_logs();
        said = testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(log_path, saves + "/logs/" + name);
    write_log_msg({"Seed: ", "7"});
    std::string text = read(saves + "/logs/" + name);
    EXPECT_EQ(text.rfind("Game version ", 0), 0u) << text;
    EXPECT_NE(text.find("Game save directory: " + saves + "\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("Seed: 7")) << text;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("it goes to " + saves + "/logs/" + name), std::string::npos) << said;

    // Nowhere to write: one line says so, and later lines go nowhere.
    free_string(&log_path);
    std::filesystem::remove_all(scratch / "profile");
    write("profile", "a file where the profile folder would be");
    testing::internal::CaptureStdout();
    create_logs();
    write_log_msg({"Seed: ", "7"});
    said = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(log_path.empty());
    EXPECT_EQ(said.rfind("No log is written: ", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

#if !defined(_WIN32)
// Root with another user's home, in a game folder root cannot write either: that user's link in
// the save folder would lead the log into any file of root's.
TEST_F(Files, TheLogFollowsNoLinkOfAnotherUserInTheSaveFolder) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a link to another user";
    std::filesystem::create_directory("elsewhere");
    std::string saves = (scratch / "profile" / "Saved Games" / "quol").generic_string();
    std::filesystem::create_directories(saves);
    std::filesystem::create_directory_symlink(scratch / "elsewhere", saves + "/logs");
    ASSERT_EQ(lchown((saves + "/logs").c_str(), 65534, 65534), 0);  // nobody's
    game_dir = String(saves);
    write("logs", "a file where the log's folder would be");
    testing::internal::CaptureStdout();
    create_logs();
    write_log_msg({"Seed: ", "7"});
    std::string said = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(std::filesystem::is_empty("elsewhere"));
    EXPECT_TRUE(log_path.empty());
    EXPECT_EQ(said.rfind("No log is written: ", 0), 0u) << said;
    EXPECT_NE(said.find("is owned by nobody"), std::string::npos) << said;
}
#endif
