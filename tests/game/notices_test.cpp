#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ui_management/notices.h"

namespace {

std::vector<std::string> texts(const Notice_List& list) {
    std::vector<std::string> result;
    for (const Notice& notice : list.items) result.push_back(notice.text);
    return result;
}

// Runs the list's time on in frames of 1/60 s.
void run_for(Notice_List* list, float seconds) {
    for (float t = 0; t < seconds; t += 1.0f / 60) advance_notices(list, 1.0f / 60);
}

TEST(Notices, ShowThenFadeThenGo) {
    Notice_List list;
    post_notice(&list, "Save failed: disk full");
    run_for(&list, NOTICE_SHOW_SECONDS - 0.1f);
    ASSERT_EQ(list.items.size(), 1u);
    EXPECT_EQ(notice_opacity(list.items[0]), 1.0f);
    run_for(&list, 0.6f);
    ASSERT_EQ(list.items.size(), 1u);
    float fading = notice_opacity(list.items[0]);
    EXPECT_GT(fading, 0.2f);
    EXPECT_LT(fading, 0.8f);
    run_for(&list, 0.6f);
    EXPECT_TRUE(list.items.empty());

    // A stall of seconds (a dragged window) counts as one short step, not the notice's whole time.
    post_notice(&list, "Save failed: disk full");
    advance_notices(&list, 30.0f);
    ASSERT_EQ(list.items.size(), 1u);
    EXPECT_EQ(notice_opacity(list.items[0]), 1.0f);
}

TEST(Notices, StackNewestLastAtMostAFewAndARepeatRestartsItsTime) {
    Notice_List list;
    post_notice(&list, "one");
    run_for(&list, 5.0f);
    post_notice(&list, "two");
    post_notice(&list, "one");  // again: moves to the newest place with its time restarted
    EXPECT_EQ(texts(list), (std::vector<std::string>{"two", "one"}));
    run_for(&list, 3.0f);
    EXPECT_EQ(notice_opacity(list.items[1]), 1.0f);

    for (const char* text : {"three", "four", "five"}) post_notice(&list, text);
    EXPECT_EQ(int64_t(list.items.size()), NOTICE_MAX_SHOWN);
    EXPECT_EQ(texts(list), (std::vector<std::string>{"one", "three", "four", "five"}));

    // One line each: a reader's message may end in or hold line breaks.
    Notice_List lines;
    post_notice(&lines, "a\nb\tc\n");
    EXPECT_EQ(texts(lines), std::vector<std::string>{"a b c"});
}

// Every character 10 wide, as a fixed-width font draws it; bytes of a sequence count once.
float ten_per_character(std::string_view text) {
    float width = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) width += 10;
    }
    return width;
}

TEST(Notices, TooLongTextIsCutAtACharacterWithAMark) {
    EXPECT_EQ(cut_to_width("short", 50, ten_per_character), "short");
    EXPECT_EQ(cut_to_width("abcdefghij", 80, ten_per_character), "abcde...");
    // "Зоя 山田" is 6 characters in 13 bytes: the cut keeps whole ones only.
    std::string cut = cut_to_width("/home/Зоя 山田/quol.sav", 130, ten_per_character);
    EXPECT_EQ(cut, "/home/Зоя ...");
    EXPECT_LE(ten_per_character(cut), 130);
    EXPECT_EQ(cut_to_width("/home/Зоя 山田/quol.sav", 110, ten_per_character), "/home/Зо...");
    EXPECT_EQ(cut_to_width("/home/Зоя 山田/quol.sav", 140, ten_per_character), "/home/Зоя 山...");
    // Not even the mark fits: the mark alone, never a split character.
    EXPECT_EQ(cut_to_width("山田", 5, ten_per_character), "...");
}

TEST(Notices, AWorkersNoticeReachesTheMainThreadsTake) {
    Notice_Queue queue;
    Notice_List list;
    std::thread worker([&] { queue_notice(&queue, "Save failed: the save file is read-only"); });
    worker.join();
    take_queued_notices(&queue, &list);
    EXPECT_EQ(texts(list), std::vector<std::string>{"Save failed: the save file is read-only"});
    EXPECT_TRUE(queue.texts.empty());

    // While a worker holds the queue the frame goes on without its notices, and gets them next frame.
    queue_notice(&queue, "Save failed: disk full");
    {
        std::lock_guard held(queue.mutex);
        std::thread frame([&] { take_queued_notices(&queue, &list); });
        frame.join();
        EXPECT_EQ(list.items.size(), 1u);
    }
    take_queued_notices(&queue, &list);
    EXPECT_EQ(list.items.size(), 2u);
}

}  // namespace
