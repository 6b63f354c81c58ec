#include "ui_management/notices.h"

#include <algorithm>

// Never destroyed: exit() may begin on another thread (Xlib calls it when the display goes)
// while a frame or a worker still posts.
Notice_List& notices = *new Notice_List;
Notice_Queue& worker_notices = *new Notice_Queue;

namespace {

std::string one_line(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

bool starts_character(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

}  // namespace

void post_notice(Notice_List* list, std::string_view text) {
    std::string line = one_line(text);
    auto same = std::find_if(list->items.begin(), list->items.end(), [&](const Notice& n) { return n.text == line; });
    if (same != list->items.end()) {
        // Shown again as the newest, with its time from the start.
        Notice notice = std::move(*same);
        list->items.erase(same);
        notice.age = 0;
        list->items.push_back(std::move(notice));
        return;
    }
    Notice notice;
    notice.text = std::move(line);
    list->items.push_back(std::move(notice));
    if (int64_t(list->items.size()) > NOTICE_MAX_SHOWN) list->items.erase(list->items.begin());
}

void queue_notice(Notice_Queue* queue, std::string_view text) {
    std::lock_guard lock(queue->mutex);
    queue->texts.emplace_back(text);
}

void take_queued_notices(Notice_Queue* queue, Notice_List* list) {
    std::vector<std::string> taken;
    {
        std::unique_lock lock(queue->mutex, std::try_to_lock);
        if (!lock.owns_lock()) return;
        taken.swap(queue->texts);
    }
    for (const std::string& text : taken) post_notice(list, text);
}

void advance_notices(Notice_List* list, float seconds) {
    float step = std::clamp(seconds, 0.0f, NOTICE_LONGEST_STEP);
    for (Notice& notice : list->items) notice.age += step;
    std::erase_if(list->items, [](const Notice& n) { return n.age >= NOTICE_SHOW_SECONDS + NOTICE_FADE_SECONDS; });
}

float notice_opacity(const Notice& notice) {
    if (notice.age < NOTICE_SHOW_SECONDS) return 1.0f;
    return std::clamp(1.0f - (notice.age - NOTICE_SHOW_SECONDS) / NOTICE_FADE_SECONDS, 0.0f, 1.0f);
}

std::string cut_to_width(std::string_view text, float max_width, Text_Width width_of) {
    if (width_of(text) <= max_width) return std::string(text);
    constexpr std::string_view MARK = "...";
    // Character boundaries, so a cut never splits a UTF-8 sequence.
    std::vector<size_t> ends;
    for (size_t i = 1; i < text.size(); i++) {
        if (starts_character(text[i])) ends.push_back(i);
    }
    // The longest prefix that fits with the mark; widths grow with the prefix.
    size_t low = 0, high = ends.size();
    std::string best(MARK);
    while (low < high) {
        size_t middle = (low + high) / 2;
        std::string candidate = std::string(text.substr(0, ends[middle])) + std::string(MARK);
        if (width_of(candidate) <= max_width) {
            best = std::move(candidate);
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return best;
}
