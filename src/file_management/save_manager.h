#pragma once

#include <cstdint>

#include "basic.h"

void init_save_system();
void queue_save(bool night_time, int64_t ingame_hours, int64_t ingame_minutes, int64_t days, String month);
void shutdown_save_system();
void load_save();
