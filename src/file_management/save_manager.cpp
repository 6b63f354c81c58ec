// Stand-in until the save system lands: nothing is saved or loaded.
#include "file_management/save_manager.h"

void init_save_system() {}
void queue_save(bool, int64_t, int64_t, int64_t, String) {}
void shutdown_save_system() {}
void load_save() {}
