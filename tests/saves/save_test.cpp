#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include <algorithm>
#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include "portable_semaphore.h"
#include "json/typed.h"
#include "save_test_support.h"

namespace {

Game_State known_state() {
    Game_State state;
    state.saved_at = "8/12/2026 - 9:5";
    state.player.position = {412.5f, -96.25f};
    state.time = {false, 19, 14, 3, "Summer 2"};
    return state;
}

const char* const KNOWN_SAVE_TEXT =
    "{\n"
    "\t\"header\": {\n"
    "\t\t\"version\": 0.1,\n"
    "\t\t\"checksum\": 1737981248\n"
    "\t},\n"
    "\t\"state\": {\n"
    "\t\t\"saved_at\": \"8/12/2026 - 9:5\",\n"
    "\t\t\"player\": {\n"
    "\t\t\t\"position\": {\n"
    "\t\t\t\t\"x\": 412.5,\n"
    "\t\t\t\t\"y\": -96.25\n"
    "\t\t\t}\n"
    "\t\t},\n"
    "\t\t\"time\": {\n"
    "\t\t\t\"night_time\": false,\n"
    "\t\t\t\"ingame_hours\": 19,\n"
    "\t\t\t\"ingame_minutes\": 14,\n"
    "\t\t\t\"days\": 3,\n"
    "\t\t\t\"month\": \"Summer 2\"\n"
    "\t\t}\n"
    "\t}\n"
    "}";

uint32_t checksum_with_month(const std::string& month) {
    Game_State state = known_state();
    state.saved_at = "8/12/2026 - 9:5";
    state.player.position = {1, 2};
    state.time = {true, 5, 7, 2, String(month)};
    return get_state_checksum(&state);
}

TEST(Checksum, FirstWordOfTheStateText) {
    Game_State state = known_state();
    EXPECT_EQ(get_state_checksum(&state), 0x67977d40u);  // standard SHA-256 of the 220-byte text
}

TEST(Checksum, StateTextsOf56To59BytesModulo64FollowTheBlockRule) {
    // A month of n letters makes the state text 200 + n bytes long.
    EXPECT_EQ(checksum_with_month(std::string(48, 'W')), 0x124b9610u);  // 248 bytes; standard: 0xf5c4bc86
    EXPECT_EQ(checksum_with_month(std::string(51, 'W')), 0x642e2a64u);  // 251 bytes; standard: 0x5f0f0529
    EXPECT_EQ(checksum_with_month(std::string(56, 'W')), 0xe6e194c0u);  // 256 bytes: standard
}

TEST(Checksum, OneLetterOfTheMonthChangesIt) {
    EXPECT_NE(checksum_with_month("Summer 2"), checksum_with_month("Summer 3"));
    EXPECT_NE(checksum_with_month("Summer 2"), checksum_with_month("summer 2"));
}

TEST(Checksum, TwoThreadsAtOnceGetTheSameWords) {
    auto repeat = [](bool* all_equal) {
        for (int i = 0; i < 2000; i++) {
            Game_State state = known_state();
            if (get_state_checksum(&state) != 0x67977d40u) *all_equal = false;
        }
    };
    bool first = true, second = true;
    std::thread a(repeat, &first), b(repeat, &second);
    a.join();
    b.join();
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
}

TEST(SaveText, ExactTextOfAKnownState) {
    Save_Request request;
    request.ingame_hours = 19;
    request.ingame_minutes = 14;
    request.days = 3;
    request.month = "Summer 2";
    request.position = {412.5f, -96.25f};
    Game_Save save = make_game_save(&request, "8/12/2026 - 9:5");
    String text = json_write_string(save, "\t", member_has_ignore_note, rename_by_note, 1);
    EXPECT_EQ(text.view(), KNOWN_SAVE_TEXT);
    free_string(&text);
}

using Saving = Save_Folder_Test;

TEST_F(Saving, PressWritesTheFileOnAWorkerAndItLoadsBack) {
    init_save_system();
    std::string first_worker = std::to_string(save_group.workers[0].index);  // counts on across the process
    player.position = {-12.25f, 300.5f};
    ::testing::internal::CaptureStdout();
    queue_save(true, 19, 12, 4, "Summer 2");
    shutdown_save_system();
    std::string output = ::testing::internal::GetCapturedStdout();

    EXPECT_TRUE(std::regex_search(output, std::regex(R"('' added     work '' to the available list at time [0-9.]+\.\n)")));
    EXPECT_TRUE(std::regex_search(
        output, std::regex("'' assigned  work ''   to thread " + first_worker + R"( at time [0-9.]+\.\n)")));
    EXPECT_NE(output.find("Save completed in background thread " + first_worker + "\n"), std::string::npos) << output;
    EXPECT_EQ(files_in(folder), std::vector<fs::path>{save_path()});  // no temporary file left

    std::string saved = read_text(save_path());
    std::string text = with_line_feeds(saved);
    EXPECT_EQ(saved, with_saved_line_ends(text));
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\{\n\t"header": \{\n\t\t"version": 0\.1,\n\t\t"checksum": \d+\n\t\},)"
                                                  R"(\n\t"state": \{\n\t\t"saved_at": "\d+/\d+/\d{4} - \d+:\d+",[^]*\n\}$)")))
        << text;

    reset_game_globals();
    EXPECT_EQ(load_and_capture(), "save file loaded\nOk!\nsave file version: 0.1\n");
    EXPECT_EQ(ingame_hours, 19);
    EXPECT_EQ(ingame_minutes, 12.0f);
    EXPECT_TRUE(night_time);
    EXPECT_EQ(days, 4);
    EXPECT_EQ(month_name, "Summer 2");
    EXPECT_EQ(player.position.x, -12.25f);
    EXPECT_EQ(player.position.y, 300.5f);
    free_string(&month_name);
}

TEST_F(Saving, WithoutAGameFolderSavingIsOffAndNothingIsQueued) {
    free_string(&game_dir);
    init_save_system();
    ::testing::internal::CaptureStdout();
    saving_off_reason = copy_string("USERPROFILE and HOME are not set");
    queue_save(false, 1, 2, 3, "Winter 1");
    advance_notices(&notices, 0.1f);
    queue_save(false, 1, 2, 3, "Winter 1");
    shutdown_save_system();
    // Start-up has said it on standard output; every press tells the player, once on screen.
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(notices.items.size(), 1u);
    EXPECT_EQ(notices.items[0].text, "Saving is off: USERPROFILE and HOME are not set");
    EXPECT_EQ(notices.items[0].age, 0.0f);
    free_string(&saving_off_reason);
    EXPECT_FALSE(fs::exists("/quol.sav"));
}

#if !defined(_WIN32)  // rlimit: Windows has no limit on the size of written files
// Limits the size of files this process writes, standing in for a full disk.
struct File_Size_Limit {
    rlimit previous{};
    explicit File_Size_Limit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~File_Size_Limit() { setrlimit(RLIMIT_FSIZE, &previous); }
};
#endif

TEST_F(Saving, FailedWriteIsReportedAndKeepsThePreviousSave) {
    Thread worker;
    worker.index = 7;
    std::string output;
#if !defined(_WIN32)  // rlimit: Windows has no limit on the size of written files
    save_group_proc(nullptr, &worker, make_request(1, 5, 1.0f, game_dir));
    const std::string previous = read_text(save_path());
    {
        File_Size_Limit full_disk(256);  // the temporary file exists, its write of ~400 bytes fails part-way
        ::testing::internal::CaptureStdout();
        save_group_proc(nullptr, &worker, make_request(2, 7, 3.0f, game_dir));
        output = ::testing::internal::GetCapturedStdout();
    }
    EXPECT_EQ(output.rfind("Save failed in background thread 7: could not write \"", 0), 0u) << output;
    EXPECT_EQ(read_text(save_path()), previous);
    EXPECT_EQ(files_in(folder), std::vector<fs::path>{save_path()});
#endif

    String missing = tprint("%/missing", game_dir);
    ::testing::internal::CaptureStdout();
    save_group_proc(nullptr, &worker, make_request(3, 8, 4.0f, missing));
    output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(output.rfind("Save failed in background thread 7: could not create \"", 0), 0u) << output;
    EXPECT_FALSE(fs::exists(folder / "missing"));
    // The player is told too, through the queue the main thread takes from.
    Notice_List shown;
    take_queued_notices(&worker_notices, &shown);
    ASSERT_FALSE(shown.items.empty());
    EXPECT_EQ(shown.items.back().text, "Save failed: " + output.substr(output.find(": ") + 2, output.size() - output.find(": ") - 3));
}

// Another instance's writer still has its temporary file open; everything else named like a
// temporary file is a leftover when it is a regular file, and not ours to touch otherwise.
TEST_F(Saving, StartRemovesLeftoverTemporaryFilesOnly) {
    const char* leftovers[] = {"quol.sav.4242.tmp", "quol.sav.4242-00000000deadbeef.tmp"};
    for (const char* name : leftovers) write_text(folder / name, "{\"header\": ");
    Os_Unique_File live = os_create_unique_file((folder / "quol.sav.").string(), ".tmp");
    ASSERT_NE(live.file, nullptr) << live.error.message();
    std::fputs("{", live.file);
    std::fflush(live.file);
#if !defined(_WIN32)  // FIFOs: none on Windows; symbolic links need a privilege there
    ASSERT_EQ(mkfifo((folder / "quol.sav.4343.tmp").c_str(), 0600), 0);
    write_text(folder / "linked", "kept");
    fs::create_symlink(folder / "linked", folder / "quol.sav.4444-00000000deadbeef.tmp");
#endif
    fs::create_directory(folder / "quol.sav.4545.tmp");
    write_text(folder / "quol.sav.bak", "kept");

    std::vector<fs::path> kept = files_in(folder);
    std::erase_if(kept, [&](const fs::path& path) { return path.filename().string().find("quol.sav.4242") == 0; });
    std::sort(kept.begin(), kept.end());

    init_save_system();
    ::testing::internal::CaptureStdout();
    queue_save(false, 3, 4, 5, "Spring 1");  // saving still works beside all of them
    shutdown_save_system();
    ::testing::internal::GetCapturedStdout();

    kept.push_back(save_path());
    std::sort(kept.begin(), kept.end());
    std::vector<fs::path> found = files_in(folder);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, kept);
#if !defined(_WIN32)
    EXPECT_EQ(read_text(folder / "linked"), "kept");
#endif
    os_discard_unique_file(&live);
}

// Only the exact names earlier versions wrote are theirs: a synced folder holds other
// programs' files that merely look alike.
TEST_F(Saving, StartLeavesOtherProgramsLookAlikes) {
    const char* leftovers[] = {"quol.sav.4242.tmp", "quol.sav.4242-00000000deadbeef.tmp"};
    const char* look_alikes[] = {"quol.sav.conflict.tmp", "quol.sav.sync-conflict-20261210-123456.tmp",
                                 "quol.sav.04242.tmp", "quol.sav.4343-00000000FEEDBEEF.tmp"};
    for (const char* name : leftovers) write_text(folder / name, "{");
    for (const char* name : look_alikes) write_text(folder / name, "kept");

    init_save_system();
    shutdown_save_system();
    for (const char* name : leftovers) EXPECT_FALSE(fs::exists(folder / name)) << name;
    for (const char* name : look_alikes) EXPECT_EQ(read_text(folder / name), "kept") << name;
}

std::string saved_hours(const fs::path& file) {
    std::string text = read_text(file);
    size_t at = text.find("\"ingame_hours\": ");
    return at == std::string::npos ? "no save" : text.substr(at, text.find(',', at) - at);
}

std::string save_and_capture(int64_t sequence, int64_t hours, String folder) {
    Thread worker;
    worker.index = 7;
    ::testing::internal::CaptureStdout();
    save_group_proc(nullptr, &worker, make_request(sequence, hours, 1.0f, folder));
    return ::testing::internal::GetCapturedStdout();
}

// A save the player made read-only (the read-only attribute on Windows) is kept, and so is a
// folder in the save's place; the failure says which.
TEST_F(Saving, ASaveThatMayNotBeReplacedIsKeptAndTheFailureSaysWhy) {
    const std::string save = std::string(game_dir.view()) + "/quol.sav";
    save_and_capture(1, 5, game_dir);
    const fs::perms read_only[] = {fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read,
                                   fs::perms::none};
    for (fs::perms bits : read_only) {
        fs::permissions(save_path(), bits);
        EXPECT_EQ(save_and_capture(2, 7, game_dir),
                  "Save failed in background thread 7: could not replace \"" + save + "\": the save file is read-only\n");
        fs::permissions(save_path(), fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(saved_hours(save_path()), "\"ingame_hours\": 5");
        EXPECT_EQ(files_in(folder), std::vector<fs::path>{save_path()});
    }

    fs::remove(save_path());
    fs::create_directory(save_path());
    EXPECT_EQ(save_and_capture(3, 8, game_dir),
              "Save failed in background thread 7: could not replace \"" + save + "\": it is a folder, not a file\n");
    EXPECT_TRUE(fs::is_directory(save_path()));
    EXPECT_EQ(files_in(folder), std::vector<fs::path>{save_path()});
}

#if !defined(_WIN32)  // links, permission bits and flock as POSIX has them
fs::perms permissions_of(const fs::path& file) { return fs::status(file).permissions(); }

// Players link the save into a synced or backed-up folder: the link must stay a link and the
// file it names must take every save, with the permission bits it has.
TEST_F(Saving, ALinkedSaveStaysALinkAndItsFileTakesTheNewestSave) {
    const fs::path synced = folder / "synced";
    fs::create_directories(synced / "deeper");
    struct Linked {
        std::vector<std::pair<fs::path, fs::path>> links;  // where, what it holds
        fs::path file;
    };
    const Linked cases[] = {
        {{{save_path(), synced / "quol.sav"}}, synced / "quol.sav"},
        // A chain of two, each relative to its own folder.
        {{{save_path(), "synced/middle"}, {synced / "middle", "deeper/real.sav"}}, synced / "deeper" / "real.sav"},
    };
    // Neither what a new file gets under a usual umask nor what a link shows.
    const fs::perms kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    int64_t sequence = 0;
    for (const Linked& linked : cases) {
        write_text(linked.file, "");
        fs::permissions(linked.file, kept);
        for (const auto& [where, target] : linked.links) fs::create_symlink(target, where);

        EXPECT_EQ(save_and_capture(++sequence, 5, game_dir), "Save completed in background thread 7\n");
        EXPECT_EQ(save_and_capture(++sequence, 11, game_dir), "Save completed in background thread 7\n");
        for (const auto& [where, target] : linked.links) {
            EXPECT_TRUE(fs::is_symlink(where)) << where;
            if (fs::is_symlink(where)) {
                EXPECT_EQ(fs::read_symlink(where), target);
            }
        }
        EXPECT_EQ(saved_hours(linked.file), "\"ingame_hours\": 11") << linked.file;
        EXPECT_EQ(permissions_of(linked.file), kept);
        EXPECT_EQ(load_and_capture(), "save file loaded\nOk!\nsave file version: 0.1\n");
        EXPECT_EQ(ingame_hours, 11);
        free_string(&month_name);
        reset_game_globals();

        std::vector<fs::path> left = files_in(linked.file.parent_path());
        std::erase_if(left, [](const fs::path& file) { return file.extension() != ".tmp"; });
        EXPECT_EQ(left, std::vector<fs::path>{});
        for (const auto& [where, target] : linked.links) fs::remove(where);
        fs::remove(linked.file);
    }
}

TEST_F(Saving, TheSaveKeepsItsPermissionBitsAndOwner) {
    write_text(save_path(), "");
    fs::permissions(save_path(), fs::perms::owner_read | fs::perms::owner_write);
    const bool may_set_owner = geteuid() == 0;
    const uid_t other_user = 65534;  // nobody
    if (may_set_owner) {
        ASSERT_EQ(chown(save_path().c_str(), other_user, other_user), 0);
    }

    EXPECT_EQ(save_and_capture(1, 5, game_dir), "Save completed in background thread 7\n");
    EXPECT_EQ(permissions_of(save_path()), fs::perms::owner_read | fs::perms::owner_write);
    struct stat info;
    ASSERT_EQ(stat(save_path().c_str(), &info), 0);
    if (may_set_owner) {
        EXPECT_EQ(info.st_uid, other_user);
        EXPECT_EQ(info.st_gid, other_user);
    }
    EXPECT_EQ(saved_hours(save_path()), "\"ingame_hours\": 5");
}

// Every mode the temporary file had when it was locked, right at its creation.
mode_t modes_at_creation = 0;
int flock_noting_the_mode(int descriptor, int operation) {
    struct stat info;
    if (fstat(descriptor, &info) == 0) modes_at_creation |= info.st_mode & 0777;
    return flock(descriptor, operation);
}

// Another local user must not read a private save through its temporary file, even in the
// instant after its creation. A first save still gets what the umask leaves.
TEST_F(Saving, APrivateSaveIsPrivateFromItsTemporaryFilesCreation) {
    const mode_t previous_umask = umask(022);
    auto real_flock = os_posix_flock;
    os_posix_flock = flock_noting_the_mode;
    write_text(save_path(), "");
    fs::permissions(save_path(), fs::perms::owner_read | fs::perms::owner_write);
    modes_at_creation = 0;
    EXPECT_EQ(save_and_capture(1, 5, game_dir), "Save completed in background thread 7\n");
    const mode_t private_creation = modes_at_creation;
    fs::remove(save_path());
    EXPECT_EQ(save_and_capture(2, 6, game_dir), "Save completed in background thread 7\n");
    os_posix_flock = real_flock;
    umask(previous_umask);

    EXPECT_EQ(private_creation & ~mode_t(0600), 0u) << std::oct << private_creation;
    EXPECT_EQ(permissions_of(save_path()), fs::perms(0644));
}

// A link that leads nowhere or to no regular file: the save fails and names the cause; the
// link is left as the player made it.
TEST_F(Saving, ALinkToNothingOrNoFileIsRefusedAndKept) {
    const fs::path away = folder / "away";
    fs::create_directory(folder / "a_folder");
    const std::string save = save_path().string();
    struct Refused {
        fs::path target;
        std::string failure;
    };
    const Refused cases[] = {
        {away, "could not save through the link \"" + save + "\": \"" + away.string() + "\" does not exist"},
        {folder / "a_folder", "could not save through the link \"" + save + "\": \"" + (folder / "a_folder").string() +
                                  "\" is a folder, not a regular file"},
        {save_path(), "could not follow the link \"" + save + "\": Too many levels of symbolic links"},
    };
    for (const Refused& refused : cases) {
        fs::create_symlink(refused.target, save_path());
        EXPECT_EQ(save_and_capture(1, 5, game_dir), "Save failed in background thread 7: " + refused.failure + "\n");
        EXPECT_TRUE(fs::is_symlink(save_path()));
        EXPECT_FALSE(fs::exists(away));
        fs::remove(save_path());
        EXPECT_EQ(files_in(folder), std::vector<fs::path>{folder / "a_folder"});
    }
}

std::string owner_text(uid_t user) {
    const passwd* entry = getpwuid(user);
    std::string number = "uid " + std::to_string(user);
    return entry ? std::string(entry->pw_name) + " (" + number + ")" : number;
}

// Everything in `folder`: names, bytes and permission bits.
std::string snapshot(const fs::path& folder) {
    std::vector<std::string> lines;
    for (const fs::path& file : files_in(folder)) {
        lines.push_back(file.filename().string() + " " + std::to_string(int(permissions_of(file))) + " " +
                        read_text(file));
    }
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// A game run as root with another user's home: that user's link, directly at the save path or
// further down the chain, could lead to any file of root's. Nothing is written, read or removed
// through it.
TEST_F(Saving, ALinkOfAnotherUserIsRefusedAndItsTargetUntouched) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can give a link to another user";
    const uid_t other_user = 65534;  // nobody
    const fs::path elsewhere = folder / "elsewhere";
    fs::create_directory(elsewhere);
    const fs::path secret = elsewhere / "secret";

    struct Planted {
        std::vector<std::pair<fs::path, fs::path>> links;  // where, what it holds
        fs::path foreign;                                  // the one another user owns
    };
    const Planted cases[] = {
        {{{save_path(), secret}}, save_path()},
        {{{save_path(), "middle"}, {folder / "middle", secret}}, folder / "middle"},
    };
    for (const Planted& planted : cases) {
        write_text(secret, "root's own words");
        fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
        write_text(elsewhere / "secret.4242-00000000deadbeef.tmp", "{");
        const std::string before = snapshot(elsewhere);
        for (const auto& [where, target] : planted.links) fs::create_symlink(target, where);
        ASSERT_EQ(lchown(planted.foreign.c_str(), other_user, other_user), 0);
        const std::string refused = "the link \"" + planted.foreign.string() + "\" is owned by " +
                                    owner_text(other_user) + ", not by the user the game runs as or by root";

        ::testing::internal::CaptureStderr();
        EXPECT_EQ(load_and_capture(), "failed to load save file: " + refused + "\n");
        EXPECT_EQ(::testing::internal::GetCapturedStderr().find("root's own"), std::string::npos);
        init_save_system();  // the start-up clean-up
        shutdown_save_system();
        EXPECT_EQ(snapshot(elsewhere), before);
        EXPECT_EQ(save_and_capture(1, 5, game_dir),
                  "Save failed in background thread 7: could not save: " + refused + "\n");

        EXPECT_EQ(snapshot(elsewhere), before);
        for (const auto& [where, target] : planted.links) {
            EXPECT_TRUE(fs::is_symlink(where)) << where;
            if (fs::is_symlink(where)) {
                EXPECT_EQ(fs::read_symlink(where), target);
            }
            fs::remove(where);
        }
        written_sequence = 0;
    }

    // A folder on the way is followed as well: another user's game folder aimed at root's own.
    write_text(elsewhere / "quol.sav", "root's own words");
    write_text(elsewhere / "quol.sav.4242.tmp", "{");
    const std::string before = snapshot(elsewhere);
    const fs::path linked_folder = folder / "Saved Games";
    fs::create_directory_symlink(elsewhere, linked_folder);
    ASSERT_EQ(lchown(linked_folder.c_str(), other_user, other_user), 0);
    free_string(&game_dir);
    game_dir = copy_string(linked_folder.string());
    const std::string refused = "the link \"" + linked_folder.string() + "\" is owned by " + owner_text(other_user) +
                                ", not by the user the game runs as or by root";
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(load_and_capture(), "failed to load save file: " + refused + "\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr().find("root's own"), std::string::npos);
    init_save_system();
    shutdown_save_system();
    EXPECT_EQ(save_and_capture(1, 5, game_dir), "Save failed in background thread 7: could not save: " + refused + "\n");
    EXPECT_EQ(snapshot(elsewhere), before);
}

// Beside a linked save's file, only this game's own unique names are leftovers: earlier
// versions never wrote there, and other programs keep their files there.
TEST_F(Saving, StartRemovesLeftoversBesideALinkedSavesFileToo) {
    const fs::path synced = folder / "synced";
    fs::create_directory(synced);
    write_text(synced / "real.sav", "");
    fs::create_symlink(synced / "real.sav", save_path());
    const fs::path leftover = synced / "real.sav.4242-00000000deadbeef.tmp";
    write_text(leftover, "{");
    const fs::path others[] = {synced / "real.sav.4242.tmp", synced / "real.sav.backup.tmp",
                               synced / "quol.sav.4242-00000000deadbeef.tmp"};
    for (const fs::path& other : others) write_text(other, "kept");

    init_save_system();
    shutdown_save_system();
    EXPECT_FALSE(fs::exists(leftover));
    for (const fs::path& other : others) EXPECT_EQ(read_text(other), "kept") << other;
}

int locks_fail(int, int) {
    errno = ENOLCK;
    return -1;
}

// Where locks fail (ENOLCK) or other machines' locks do not show, a file written to in the
// last minute may be a live writer's.
TEST_F(Saving, WhereLocksFailOnlyLeftoversIdleForAMinuteAreRemoved) {
    const fs::path idle = folder / "quol.sav.4242-00000000deadbeef.tmp";
    const fs::path recent = folder / "quol.sav.4343-00000000feedbeef.tmp";
    write_text(idle, "{");
    write_text(recent, "{");
    fs::last_write_time(idle, fs::file_time_type::clock::now() - std::chrono::seconds(61));

    auto real_flock = os_posix_flock;
    os_posix_flock = locks_fail;
    init_save_system();
    ::testing::internal::CaptureStdout();
    queue_save(false, 3, 4, 5, "Spring 1");
    shutdown_save_system();
    std::string output = ::testing::internal::GetCapturedStdout();
    os_posix_flock = real_flock;

    EXPECT_FALSE(fs::exists(idle));
    EXPECT_TRUE(fs::exists(recent));
    EXPECT_NE(output.find("Save completed"), std::string::npos) << output;
}


// The file server's clock two minutes behind this machine's: every time it gives a file reads
// two minutes earlier here.
int server_two_minutes_behind(int descriptor, struct stat* info) {
    int result = fstat(descriptor, info);
    info->st_mtim.tv_sec -= 120;
    return result;
}

// The minute without writes is the file system's: a machine whose clock runs ahead of the
// file server's must not take a live writer's file for abandoned.
TEST_F(Saving, WhereLocksFailAClockAheadOfTheFileServerTakesNoLiveWritersFile) {
    const fs::path idle = folder / "quol.sav.4242-00000000deadbeef.tmp";
    const fs::path live = folder / "quol.sav.4343-00000000feedbeef.tmp";
    write_text(idle, "{");
    write_text(live, "{");
    fs::last_write_time(idle, fs::file_time_type::clock::now() - std::chrono::seconds(61));

    auto real_flock = os_posix_flock;
    auto real_fstat = os_posix_fstat;
    os_posix_flock = locks_fail;
    os_posix_fstat = server_two_minutes_behind;
    init_save_system();
    shutdown_save_system();
    os_posix_flock = real_flock;
    os_posix_fstat = real_fstat;

    EXPECT_FALSE(fs::exists(idle));
    EXPECT_EQ(files_in(folder), std::vector<fs::path>{live});  // and nothing of the clean-up's own
}
#endif

#if !defined(_WIN32)  // fork: no such call on Windows
// Runs `body` in a child process, which must end by exit(); returns how it ended.
std::string run_until_exit(void (*body)()) {
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        alarm(20);  // a hang fails the test instead of stalling it
        std::freopen("/dev/null", "w", stdout);  // the pool's lines of thousands of saves
        body();
        _exit(99);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return "no child";
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    return "signal " + std::to_string(WTERMSIG(status));
}

// A player outside the save's group cannot give the new file that group: the player's own
// group must not take its rights instead.
TEST_F(Saving, TheSavesGroupRightsGoToNoOtherGroup) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can play a player outside the save's group";
    constexpr uid_t player = 65534;  // nobody, whose only group is nogroup
    constexpr gid_t staff = 4242;
    write_text(save_path(), "");
    ASSERT_EQ(chown(folder.c_str(), player, player), 0);
    ASSERT_EQ(chown(save_path().c_str(), player, staff), 0);
    ASSERT_EQ(chmod(save_path().c_str(), 0660), 0);

    EXPECT_EQ(run_until_exit([] {
                  if (setgroups(0, nullptr) != 0 || setgid(player) != 0 || setuid(player) != 0) std::exit(2);
                  Thread worker;
                  worker.index = 7;
                  save_group_proc(nullptr, &worker, make_request(1, 5, 1.0f, game_dir));
                  std::exit(0);
              }),
              "exit status 0");
    struct stat info;
    ASSERT_EQ(stat(save_path().c_str(), &info), 0);
    EXPECT_EQ(saved_hours(save_path()), "\"ingame_hours\": 5");
    const mode_t bits = info.st_mode & 0777;
    EXPECT_TRUE(bits == 0600 || (bits == 0660 && info.st_gid == staff))
        << std::oct << bits << std::dec << " group " << info.st_gid;
}

// The first save calls exit() once `exit_now` is released.
Semaphore exit_now{0};
Thread_Continue_Status exit_during_first_save(Thread_Group* group, Thread* thread, void* work) {
    if (static_cast<Save_Request*>(work)->sequence == 1) {
        exit_now.acquire();
        std::exit(3);
    }
    return save_group_proc(group, thread, work);
}

// Worker 0 is in the first save, worker 1 has written the second, the third waits for worker 0.
void queue_three_saves_the_first_exiting() {
    init_save_system();
    save_group.proc = exit_during_first_save;
    queue_save(false, 1, 0, 1, "Winter 1");
    queue_save(false, 2, 0, 1, "Winter 1");
    std::string save(tprint("%/quol.sav", game_dir).view());
    while (read_text(save).find("\"ingame_hours\": 2,") == std::string::npos) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // worker 1 waits for work again
    queue_save(false, 3, 0, 1, "Winter 1");
}

// exit() may come from any thread, a save worker's included: the process ends with the status
// given, never with an abort or a hang, and the newest save still waiting is written.
TEST_F(Saving, ExitFromAnyThreadEndsTheProcessCleanly) {
    EXPECT_EQ(run_until_exit([] {
                  queue_three_saves_the_first_exiting();
                  exit_now.release();
                  for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
              }),
              "exit status 3");
    EXPECT_NE(read_text(save_path()).find("\"ingame_hours\": 3,"), std::string::npos);

    write_text(save_path(), "");
    EXPECT_EQ(run_until_exit([] {  // the same while the game shuts the saves down
                  queue_three_saves_the_first_exiting();
                  std::thread([] {
                      std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the shutdown waits
                      exit_now.release();
                  }).detach();
                  shutdown_save_system();
                  for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
              }),
              "exit status 3");
    EXPECT_NE(read_text(save_path()).find("\"ingame_hours\": 3,"), std::string::npos);

    EXPECT_EQ(run_until_exit([] {  // another thread calls exit() while the game goes on saving
                  init_save_system();
                  std::thread([] {
                      std::this_thread::sleep_for(std::chrono::milliseconds(20));
                      std::exit(4);
                  }).detach();
                  for (int64_t hour = 0;; hour++) queue_save(false, hour % 24, 0, 1, "Winter 1");
              }),
              "exit status 4");
}
#endif

TEST_F(Saving, AnOlderSaveArrivingLateIsNotWritten) {
    Thread worker;
    worker.index = 2;
    ::testing::internal::CaptureStdout();
    save_group_proc(nullptr, &worker, make_request(5, 11, 5.0f, game_dir));
    save_group_proc(nullptr, &worker, make_request(3, 9, 3.0f, game_dir));
    std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(output,
              "Save completed in background thread 2\n"
              "Save skipped in background thread 2: a newer save is already written\n");
    EXPECT_NE(read_text(save_path()).find("\"ingame_hours\": 11,"), std::string::npos);
}

// Both workers wait at the file lock with the first two presses; of the three still queued,
// only the newest may be written at shutdown, and it must end up in the file.
TEST_F(Saving, ShutdownWritesTheNewestWaitingRequestOnly) {
    init_save_system();
    ::testing::internal::CaptureStdout();
    std::unique_lock file_lock(save_file_lock);
    for (int64_t hour = 1; hour <= 5; hour++) queue_save(false, hour, 0, 1, "Winter 1");
    while (waiting_requests() > 3) std::this_thread::yield();  // both workers hold a request
    std::thread closing(shutdown_save_system);
    while (waiting_requests() > 1) std::this_thread::yield();  // the older waiting ones are dropped
    file_lock.unlock();
    closing.join();
    std::string output = ::testing::internal::GetCapturedStdout();

    EXPECT_NE(read_text(save_path()).find("\"ingame_hours\": 5,"), std::string::npos);
    size_t finished = 0;
    for (size_t at = 0; (at = output.find("Save completed", at)) != std::string::npos; at++) finished++;
    for (size_t at = 0; (at = output.find("Save skipped", at)) != std::string::npos; at++) finished++;
    EXPECT_EQ(finished, 3u) << output;  // presses 1, 2 and 5
}

using Loading = Save_Folder_Test;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST_F(Loading, LayoutLineEndsOrderAndExtraKeysDoNotMatter) {
    const std::string base = KNOWN_SAVE_TEXT;
    std::string header = "\"header\": {\n\t\t\"version\": 0.1,\n\t\t\"checksum\": 1737981248\n\t}";
    std::string reordered = replaced(base, header + ",", "");
    reordered = replaced(reordered, "\n\t}\n}", "\n\t},\n\t" + header + "\n}");
    reordered = replaced(reordered, "\"night_time\": false,\n\t\t\t\"ingame_hours\": 19,",
                         "\"ingame_hours\": 19,\n\t\t\t\"night_time\": false,");
    std::string extra = replaced(base, "\"days\": 3,", "\"days\": 3, \"weather\": {\"rain\": [1, 2.5, null]},");
    extra = replaced(extra, "{\n\t\"header\"", "{\"mods\": [], \"header\"");

    const std::string variants[] = {
        replaced_all(base, "\t", "    "),
        replaced_all(replaced_all(base, "\n", ""), "\t", ""),
        replaced_all(base, "\n", "\r\n"),
        reordered,
        extra,
    };
    for (const std::string& text : variants) {
        write_text(save_path(), text);
        EXPECT_EQ(load_and_capture(), "save file loaded\nOk!\nsave file version: 0.1\n") << text;
        EXPECT_EQ(ingame_hours, 19);
        EXPECT_EQ(days, 3);
        EXPECT_EQ(player.position.x, 412.5f);
        free_string(&month_name);
        reset_game_globals();
    }
}

// A save opened in Notepad and saved unchanged gains a UTF-8 byte order mark; PowerShell 5 may
// write it as UTF-16.
TEST_F(Loading, AUtf8MarkIsSkippedAndUtf16IsRefusedUntouched) {
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string(KNOWN_SAVE_TEXT)) utf16 += {c, '\0'};
    write_text(save_path(), utf16);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(load_and_capture(), "failed to load save file\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              folder.string() + "/quol.sav: the file is UTF-16 text and must be saved as UTF-8\n");
    EXPECT_EQ(read_text(save_path()), utf16);
    EXPECT_EQ(ingame_hours, 0);

    write_text(save_path(), "\xEF\xBB\xBF" + replaced_all(KNOWN_SAVE_TEXT, "\n", "\r\n"));
    ASSERT_EQ(load_and_capture(), "save file loaded\nOk!\nsave file version: 0.1\n");  // else nothing to free
    EXPECT_EQ(ingame_hours, 19);
    free_string(&month_name);
}

TEST_F(Loading, AChangedStateValueIsTamperedAndRestoresNothing) {
    const std::string base = KNOWN_SAVE_TEXT;
    const std::string variants[] = {
        replaced(base, "\"ingame_hours\": 19", "\"ingame_hours\": 18"),
        replaced(base, "\"Summer 2\"", "\"Summar 2\""),
        replaced(base, "\"x\": 412.5", "\"x\": 412.75"),
        replaced(base, "1737981248", "1737981249"),
    };
    for (const std::string& text : variants) {
        write_text(save_path(), text);
        EXPECT_EQ(load_and_capture(), "save file loaded\ntampered save file\n") << text;
        EXPECT_EQ(ingame_hours, 0);
        EXPECT_EQ(days, 1);
        EXPECT_EQ(month_name, "Winter 1");
        EXPECT_EQ(player.position.x, 0.0f);
        EXPECT_EQ(read_text(save_path()), text);  // left as it is
    }
    // One notice however often it was found: the same text restarts the shown one.
    ASSERT_EQ(notices.items.size(), 1u);
    EXPECT_EQ(notices.items[0].text, "Save file not loaded: it was changed outside the game (tampered save file)");
}

TEST_F(Loading, AChangedVersionStillLoads) {
    write_text(save_path(), replaced(KNOWN_SAVE_TEXT, "\"version\": 0.1", "\"version\": 0.25"));
    EXPECT_EQ(load_and_capture(), "save file loaded\nOk!\nsave file version: 0.25\n");
    EXPECT_EQ(ingame_hours, 19);
    free_string(&month_name);
}

// The checksum has no key: a player can edit a value and recompute it.
std::string with_recomputed_checksum(const std::string& text) {
    auto [save, ok] = json_parse_string<Game_Save>(text, true, rename_by_note, 1);
    EXPECT_TRUE(ok) << text;
    std::string checksum = std::to_string(get_state_checksum(&save.state));
    free_string(&save.state.saved_at);
    free_string(&save.state.time.month);
    return replaced(text, "1737981248", checksum);
}

TEST_F(Loading, ValuesTheGameNeverSavesAreRefusedDespiteAMatchingChecksum) {
    struct Crafted {
        const char* from;
        const char* to;
        const char* line;
    };
    const Crafted cases[] = {
        {"\"ingame_hours\": 19", "\"ingame_hours\": 9223372036854775807",
         "\"ingame_hours\" is 9223372036854775807, outside 0..23"},
        {"\"ingame_hours\": 19", "\"ingame_hours\": -1", "\"ingame_hours\" is -1, outside 0..23"},
        {"\"ingame_minutes\": 14", "\"ingame_minutes\": 20", "\"ingame_minutes\" is 20, outside 0..19"},
        {"\"days\": 3", "\"days\": 9223372036854775807", "\"days\" is 9223372036854775807, outside 1..6"},
        {"\"days\": 3", "\"days\": 0", "\"days\" is 0, outside 1..6"},
        {"\"x\": 412.5", "\"x\": null", "\"x\" of the position is NaN, not a finite number"},
        {"\"y\": -96.25", "\"y\": 1e39", "\"y\" of the position is Inf, not a finite number"},
    };
    for (const Crafted& crafted : cases) {
        write_text(save_path(), with_recomputed_checksum(replaced(KNOWN_SAVE_TEXT, crafted.from, crafted.to)));
        EXPECT_EQ(load_and_capture(), std::string("save file loaded\nsave file refused: ") + crafted.line + "\n");
        EXPECT_EQ(ingame_hours, 0);
        EXPECT_EQ(days, 1);
        EXPECT_EQ(month_name, "Winter 1");
        EXPECT_EQ(player.position.x, 0.0f);
    }
}

#if !defined(_WIN32)  // FIFOs and /dev: none on Windows
TEST_F(Loading, ASpecialFileAtTheSavePathFailsAtOnce) {
    // A FIFO would block the open for good, a device would read without end.
    ASSERT_EQ(mkfifo(save_path().c_str(), 0600), 0);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(load_and_capture(), "failed to load save file\n");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("it is a FIFO, not a regular file"), std::string::npos);
    // The reader's first report is the reason shown, not its "Could not read file" after it.
    ASSERT_EQ(notices.items.size(), 1u);
    EXPECT_EQ(notices.items[0].text,
              "Save file not loaded: Could not open file \"" + save_path().string() + "\": it is a FIFO, not a regular file");

    fs::remove(save_path());
    fs::create_symlink("/dev/zero", save_path());
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(load_and_capture(), "failed to load save file\n");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("it is a character device, not a regular file"),
              std::string::npos);
    EXPECT_EQ(ingame_hours, 0);
}
#endif

// A sparse file claims its size; a file under /proc claims none and reads on without end.
TEST_F(Loading, AFileOverTheReadLimitIsRefused) {
    write_text(save_path(), "");
    fs::resize_file(save_path(), WHOLE_FILE_LIMIT + 1);
    std::vector<fs::path> files = {save_path()};
#if !defined(_WIN32)  // /proc: none on Windows
    fs::create_symlink("/proc/self/pagemap", folder / "pagemap");
    files.push_back(folder / "pagemap");
#endif
    for (const fs::path& file : files) {
        String path = tprint("%", file.string());
        ::testing::internal::CaptureStderr();
        auto [save, ok] = json_parse_file<Game_Save>(path, true, rename_by_note, 1);
        EXPECT_FALSE(ok);
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("Could not read file \"" + file.string() +
                                                                 "\": it holds more than 67108864 bytes"),
                  std::string::npos);
    }
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(load_and_capture(), "failed to load save file\n");
    ::testing::internal::GetCapturedStderr();
}

TEST_F(Loading, EmptyOrBrokenFileFailsToLoad) {
    write_text(save_path(), "");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(load_and_capture(), "failed to load save file\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(notices.items.size(), 1u);
    EXPECT_EQ(notices.items[0].text, "Save file not loaded: it is empty or cut short");

    write_text(save_path(), "{");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(load_and_capture(), "failed to load save file\n");
    ::testing::internal::GetCapturedStderr();  // the reader stays silent on a lone "{"

    write_text(save_path(), replaced(KNOWN_SAVE_TEXT, "\"Summer 2\"\n", "\"Summer 2\"\n\t\t}\n"));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(load_and_capture(), "failed to load save file\n");
    std::string reader_said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(ingame_hours, 0);
    ASSERT_FALSE(notices.items.empty());
    EXPECT_EQ(notices.items.back().text,
              "Save file not loaded: " + reader_said.substr(0, reader_said.find('\n')));
}

}  // namespace
