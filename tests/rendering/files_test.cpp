// Files, text files, images in memory, hashing and the trace-log format.
#include "raylib.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Scratch_Directory : testing::Test {
    fs::path root;
    void SetUp() override {
        root = fs::temp_directory_path() / ("quol-files-" + std::to_string(::getpid()) + "-" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    std::string path(const char* name) const { return (root / name).string(); }
};

using Files = Scratch_Directory;

TEST_F(Files, MakeDirectoryCreatesMissingParents) {
    std::string deep = path("a/b/c");
    EXPECT_EQ(MakeDirectory(deep.c_str()), 0);
    EXPECT_TRUE(DirectoryExists(deep.c_str()));
    EXPECT_EQ(MakeDirectory(deep.c_str()), 0);  // already there
    EXPECT_EQ(MakeDirectory((path("d/e") + "/").c_str()), 0);
    EXPECT_TRUE(DirectoryExists(path("d/e").c_str()));

    EXPECT_EQ(MakeDirectory(nullptr), -1);
    EXPECT_EQ(MakeDirectory(""), -1);
    std::ofstream(path("plain")) << "x";
    EXPECT_EQ(MakeDirectory(path("plain/below").c_str()), -1);
}

TEST_F(Files, ExistenceTests) {
    std::ofstream(path("file.txt")) << "x";
    EXPECT_TRUE(FileExists(path("file.txt").c_str()));
    EXPECT_TRUE(FileExists(root.string().c_str()));  // directories count as files
    EXPECT_FALSE(FileExists(path("missing").c_str()));
    EXPECT_FALSE(FileExists(nullptr));
    EXPECT_TRUE(DirectoryExists(root.string().c_str()));
    EXPECT_FALSE(DirectoryExists(path("file.txt").c_str()));
    EXPECT_FALSE(DirectoryExists(nullptr));
}

TEST_F(Files, LoadFileTextMissingOrEmptyGivesNullWithWarning) {
    std::string missing = path("missing.txt");
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadFileText(missing.c_str()), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "WARNING: FILEIO: [" + missing + "] Failed to open text file\n");

    std::ofstream(path("empty.txt")).close();
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadFileText(path("empty.txt").c_str()), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WARNING: FILEIO: [" + path("empty.txt") + "] Failed to read text file\n");

    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadFileText(nullptr), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "WARNING: FILEIO: File name provided is not valid\n");
}

// The lines and results measured on the real library: the path is logged as it was given.
TEST_F(Files, ChangeDirectoryAndTheProgramsFolder) {
    fs::path before = fs::current_path();
    std::string folder = path("");
    testing::internal::CaptureStdout();
    EXPECT_TRUE(ChangeDirectory(folder.c_str()));
    EXPECT_FALSE(ChangeDirectory("missing"));
    EXPECT_FALSE(ChangeDirectory(""));
    EXPECT_FALSE(ChangeDirectory(nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "INFO: SYSTEM: Working Directory: " + folder + "\n"
              "WARNING: SYSTEM: Failed to change to directory: missing\n"
              "WARNING: SYSTEM: Failed to change to directory: \n"
              "WARNING: SYSTEM: Failed to change to directory: (null)\n");
    EXPECT_TRUE(fs::equivalent(GetWorkingDirectory(), root));
    fs::current_path(before);

    std::string program = GetApplicationDirectory();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program.back(), static_cast<char>(fs::path::preferred_separator));
    EXPECT_TRUE(DirectoryExists(program.c_str()));
    EXPECT_FALSE(fs::equivalent(program, root));
}

TEST_F(Files, SaveAndLoadTextKeepBytes) {
    std::string file = path("save.txt");
    testing::internal::CaptureStdout();
    EXPECT_TRUE(SaveFileText(file.c_str(), "line one\r\nline two\n"));
    char* text = LoadFileText(file.c_str());
    std::string log = testing::internal::GetCapturedStdout();
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "line one\r\nline two\n");
    UnloadFileText(text);
    EXPECT_EQ(log, "INFO: FILEIO: [" + file + "] Text file saved successfully\n"
                   "INFO: FILEIO: [" + file + "] Text file loaded successfully\n");

    EXPECT_TRUE(SaveFileText(file.c_str(), ""));  // empty text is a success
    EXPECT_EQ(fs::file_size(file), 0u);

    std::string unreachable = path("no/such/dir/save.txt");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(SaveFileText(unreachable.c_str(), "x"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "WARNING: FILEIO: [" + unreachable + "] Failed to open text file\n");
}

TEST(ComputeSHA256, FirstWordsAndSharedResult) {
    auto first_word = [](std::string message) {
        return ComputeSHA256(reinterpret_cast<unsigned char*>(message.data()), static_cast<int>(message.size()))[0];
    };
    EXPECT_EQ(first_word("abc"), 0xba7816bfu);
    EXPECT_EQ(first_word(std::string(56, 'a')), 0x5e8af709u);
    EXPECT_EQ(first_word(std::string(59, 'a')), 0xc0cc3bd7u);
    EXPECT_EQ(first_word(std::string(60, 'a')), 0x11ee3912u);
    EXPECT_EQ(first_word(""), 0xe3b0c442u);
    unsigned char byte = 'a';
    EXPECT_EQ(ComputeSHA256(&byte, 1), ComputeSHA256(&byte, 1));  // one static result
}

TEST(Images, GenerateAndConvertFormats) {
    Image image = GenImageColor(2, 1, Color{200, 100, 50, 128});
    EXPECT_EQ(image.format, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8);
    EXPECT_EQ(image.mipmaps, 1);
    void* before = image.data;
    ImageFormat(&image, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8);
    EXPECT_EQ(image.data, before);  // already that format: untouched

    ImageFormat(&image, PIXELFORMAT_UNCOMPRESSED_GRAYSCALE);
    EXPECT_EQ(image.format, PIXELFORMAT_UNCOMPRESSED_GRAYSCALE);
    EXPECT_EQ(static_cast<unsigned char*>(image.data)[0], 124);
    ImageFormat(&image, PIXELFORMAT_UNCOMPRESSED_R8G8B8A8);
    auto* rgba = static_cast<unsigned char*>(image.data);
    EXPECT_EQ(rgba[4], 124);
    EXPECT_EQ(rgba[6], 124);
    EXPECT_EQ(rgba[7], 255);
    UnloadImage(image);

    Image empty = {};
    ImageFormat(&empty, PIXELFORMAT_UNCOMPRESSED_GRAYSCALE);  // silently nothing
    EXPECT_EQ(empty.data, nullptr);
    UnloadImage(empty);
    EXPECT_EQ(GenImageColor(0, 5, WHITE).data, nullptr);
}

TEST(Images, MissingOrUnsupportedFileGivesEmptyImage) {
    testing::internal::CaptureStdout();
    Image missing = LoadImage("no-such-image.png");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "WARNING: FILEIO: [no-such-image.png] Failed to open file\n");
    EXPECT_EQ(missing.data, nullptr);
    EXPECT_EQ(missing.width, 0);

    std::string text_file = (fs::temp_directory_path() / ("quol-image-" + std::to_string(::getpid()) + ".txt")).string();
    std::ofstream(text_file) << "not an image";
    testing::internal::CaptureStdout();
    Image unsupported = LoadImage(text_file.c_str());
    std::string log = testing::internal::GetCapturedStdout();
    fs::remove(text_file);
    EXPECT_EQ(unsupported.data, nullptr);
    EXPECT_NE(log.find("WARNING: IMAGE: Data format not supported\nWARNING: IMAGE: Failed to load image data\n"),
              std::string::npos);
}

TEST(TraceLog, PrefixThresholdAndCut) {
    testing::internal::CaptureStdout();
    TraceLog(LOG_INFO, "FILEIO: [%s] value %d", "x.txt", 5);
    TraceLog(LOG_WARNING, "AUDIO: Failed to initialize playback device");
    TraceLog(LOG_DEBUG, "not shown at the default level");
    std::string long_format(300, 'y');
    TraceLog(LOG_ERROR, long_format.c_str());
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "INFO: FILEIO: [x.txt] value 5\n"
                   "WARNING: AUDIO: Failed to initialize playback device\n"
                   "ERROR: " + std::string(244, 'y') + "\n");
}

}  // namespace
