// A small pool of worker threads, each with its own first-in first-out queue. Work is handed
// to the workers in turn; a worker that runs out of its own work takes waiting work from the
// worker it may steal from.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <memory_resource>
#include <mutex>
#include <thread>

#include "basic.h"
#include "context.h"
#include "portable_semaphore.h"

struct Thread_Group;
struct Thread;

enum class Thread_Continue_Status { CONTINUE };

// Runs one piece of work on a worker; the work belongs to the procedure from then on.
using Thread_Group_Proc = Thread_Continue_Status (*)(Thread_Group* group, Thread* thread, void* work);

struct Work_Entry {
    void* work = nullptr;
    String logging_name;
    double issue_time = 0;
};

struct Work_Queue {
    std::mutex mutex;
    std::deque<Work_Entry> entries;
    Semaphore available{0};  // counted up once per entry
};

struct Thread {
    int index = 0;              // process-wide, the first thread made is 1
    int64_t worker_number = 0;  // position inside its group, from 0
    int64_t steal_from = -1;    // the worker whose waiting work it may take, -1 for none
    Thread_Group* group = nullptr;
    std::thread handle;
    Work_Queue queue;
    // Under the group's life_mutex, once the group shuts down: the thread waits to leave its
    // loop, has left it for good, or is inside a shutdown of its own group (exit() on a worker)
    // and is not to be waited for.
    bool idle = false;
    bool finished = false;
    bool shutting_down = false;
};

struct Thread_Group {
    String name;
    bool logging = true;
    Thread_Group_Proc proc = nullptr;
    void* data = nullptr;  // for the procedure

    std::unique_ptr<Thread[]> workers;
    int64_t worker_count = 0;
    size_t temporary_storage_size = 0;
    std::pmr::memory_resource* allocator = nullptr;  // the creating thread's, handed to the workers
    Logger logger = nullptr;
    void* logger_data = nullptr;

    std::atomic<int64_t> next_worker{0};
    std::atomic<bool> should_exit{false};

    // A shutdown may come from any thread, several at once when exit() is called during one.
    std::mutex life_mutex;
    std::condition_variable life_changed;
};

// Seconds since the program started, on a monotonic clock.
double seconds_since_init();

// Prepares the workers; they take their thread indices here, in order. Nothing runs before start.
void init(Thread_Group* group, int64_t worker_count, Thread_Group_Proc proc, bool enable_work_stealing,
          size_t temporary_storage_size);
void start(Thread_Group* group);

// Hands `work` to the next worker in turn. Call from one thread only.
void add_work(Thread_Group* group, void* work, String logging_name = {});

// Takes out of the queues every waiting work that `should_drop` answers true for; the
// procedure owns the dropped work from then on.
void drop_waiting_work(Thread_Group* group, bool (*should_drop)(void* work, void* data), void* data);

// Lets every worker finish what it is running and what still waits in the queues, then ends
// the threads. Waits without a time limit. Safe from any thread and more than once: a call while
// another thread shuts the group down waits until that one is done. On a worker of the group
// (exit() there) it hands that worker's waiting work to another and leaves the calling thread
// alone, which then never returns to the pool. Nothing may add work once it has begun.
void shutdown(Thread_Group* group);
