// Short lines near the bottom of the window that tell the player what failed: a save, the save
// file found at start-up, the configuration. The game has no console on Windows, so its standard
// output reaches no one there.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

constexpr int64_t NOTICE_MAX_SHOWN = 4;
constexpr float NOTICE_SHOW_SECONDS = 6.0f;
constexpr float NOTICE_FADE_SECONDS = 1.0f;
// A stalled frame must not eat a notice whole.
constexpr float NOTICE_LONGEST_STEP = 0.1f;

struct Notice {
    std::string text;
    float age = 0;       // seconds it has been drawn
    std::string cut;     // the text as it fits `cut_width`
    float cut_width = -1;
};

// Oldest first: the newest is drawn last, lowest.
struct Notice_List {
    std::vector<Notice> items;
};

// Notices posted by other threads; the main thread moves them into its list.
struct Notice_Queue {
    std::mutex mutex;
    std::vector<std::string> texts;
};

extern Notice_List& notices;
extern Notice_Queue& worker_notices;

// Adds a notice, or restarts the time of one showing the same text; the oldest goes when more
// than NOTICE_MAX_SHOWN would show. Line breaks and other control characters become spaces.
void post_notice(Notice_List* list, std::string_view text);
// Any thread: holds the queue's lock only to copy the text in.
void queue_notice(Notice_Queue* queue, std::string_view text);
// Main thread: never waits; when a worker holds the lock, the notices come next frame.
void take_queued_notices(Notice_Queue* queue, Notice_List* list);
// Runs the notices' time on by `seconds` (at most NOTICE_LONGEST_STEP) and drops those gone.
void advance_notices(Notice_List* list, float seconds);
// 1 while shown, falling to 0 over the fade.
float notice_opacity(const Notice& notice);

using Text_Width = float (*)(std::string_view text);
// The text as it fits `max_width`: whole, or cut at a character boundary and marked "...".
std::string cut_to_width(std::string_view text, float max_width, Text_Width width_of);

// Takes the workers' notices, draws the list over everything drawn so far in the frame, in
// screen space, then runs its time on by the frame's time. Draws nothing when there is none.
void draw_notices();
