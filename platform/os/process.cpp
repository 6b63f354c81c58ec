#include "os.h"

#if defined(_WIN32)
#include <process.h>
uint32_t os_process_id() { return static_cast<uint32_t>(_getpid()); }
#else
#include <unistd.h>
uint32_t os_process_id() { return static_cast<uint32_t>(getpid()); }
#endif
