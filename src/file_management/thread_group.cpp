#include "thread_group.h"

#include <algorithm>
#include <chrono>
#include <string_view>

#include "print.h"

namespace {

const auto run_start = std::chrono::steady_clock::now();
std::atomic<int> next_thread_index{1};
thread_local Thread* current_worker = nullptr;

// Pool lines go through the logger; formatted on the stack so that adding work costs no
// temporary storage on the caller's thread.
template <typename... Args>
void log_pool_line(const Thread_Group* group, std::string_view format, const Args&... args) {
    if (!group->logging) return;
    Scratch_Text scratch;
    String_Builder builder(&scratch.arena);
    format_into(&builder, format, {format_arg(args)...});
    log_message(builder_view(&builder));
}

bool pop_front(Work_Queue* queue, Work_Entry* entry) {
    std::lock_guard lock(queue->mutex);
    if (queue->entries.empty()) return false;
    *entry = queue->entries.front();
    queue->entries.pop_front();
    return true;
}

// `counted` says whether the wake-up already counted the semaphore down for this entry.
bool take_own_work(Thread* thread, Work_Entry* entry, bool counted) {
    if (!pop_front(&thread->queue, entry)) return false;
    if (!counted) (void)thread->queue.available.try_acquire();
    log_pool_line(thread->group, "'%' assigned  work '%'   to thread % at time %.\n", thread->group->name,
                  entry->logging_name, thread->index, seconds_since_init());
    return true;
}

bool steal_work(Thread* thread, Work_Entry* entry) {
    if (thread->steal_from < 0) return false;
    Thread* victim = &thread->group->workers[thread->steal_from];
    if (!pop_front(&victim->queue, entry)) return false;
    log_pool_line(thread->group, "'%' stole     work '%'  for thread % (worker %) at time % from worker %.\n",
                  thread->group->name, entry->logging_name, thread->index, thread->worker_number,
                  seconds_since_init(), victim->worker_number);
    return true;
}

bool has_waiting_work(Thread* thread) {
    std::lock_guard lock(thread->queue.mutex);
    return !thread->queue.entries.empty();
}

// Once the exit flag is set, an idle worker stays until every other one is idle too, has ended
// or is ending inside exit(), so that one ending inside exit() always has a worker to hand its
// waiting work to. Returns false when work was handed to this one meanwhile.
bool ready_to_finish(Thread* thread) {
    Thread_Group* group = thread->group;
    std::unique_lock lock(group->life_mutex);
    thread->idle = true;
    group->life_changed.notify_all();
    auto others_done = [&] {
        for (int64_t i = 0; i < group->worker_count; i++) {
            const Thread& other = group->workers[i];
            if (&other != thread && !other.idle && !other.finished && !other.shutting_down) return false;
        }
        return true;
    };
    group->life_changed.wait(lock, [&] { return has_waiting_work(thread) || others_done(); });
    if (has_waiting_work(thread)) {
        thread->idle = false;
        return false;
    }
    thread->finished = true;
    group->life_changed.notify_all();
    return true;
}

void thread_group_run(Thread* thread) {
    Thread_Group* group = thread->group;
    current_worker = thread;
    context.allocator = group->allocator;
    context.logger = group->logger;
    context.logger_data = group->logger_data;
    init_thread_context(thread->index, group->temporary_storage_size);

    for (;;) {
        thread->queue.available.acquire();
        // A wake-up stands for own work; other workers' work is taken only after finishing some.
        Work_Entry entry;
        bool has_work = take_own_work(thread, &entry, true);
        while (has_work) {
            group->proc(group, thread, entry.work);
            reset_temporary_storage();
            has_work = take_own_work(thread, &entry, false) || steal_work(thread, &entry);
        }
        // Checked only once the own queue is empty, so work still waiting at shutdown is run.
        if (group->should_exit.load() && ready_to_finish(thread)) break;
    }
    release_thread_context();
}

// A worker that ends inside exit() never runs its waiting work: a worker still at work or
// waiting to finish gets it. Under the group's life_mutex.
void hand_waiting_work_on(Thread* leaving) {
    Thread_Group* group = leaving->group;
    Thread* heir = nullptr;
    for (int64_t i = 1; i < group->worker_count && !heir; i++) {
        Thread* candidate = &group->workers[(leaving->worker_number + i) % group->worker_count];
        if (!candidate->finished && !candidate->shutting_down) heir = candidate;
    }
    if (!heir) return;  // every other worker is ending inside exit() too
    Work_Entry entry;
    while (pop_front(&leaving->queue, &entry)) {
        {
            std::lock_guard lock(heir->queue.mutex);
            heir->queue.entries.push_back(entry);
        }
        heir->queue.available.release();
    }
}

}  // namespace

double seconds_since_init() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - run_start).count();
}

void init(Thread_Group* group, int64_t worker_count, Thread_Group_Proc proc, bool enable_work_stealing,
          size_t temporary_storage_size) {
    group->proc = proc;
    group->worker_count = worker_count;
    group->workers = std::make_unique<Thread[]>(size_t(worker_count));
    group->temporary_storage_size = temporary_storage_size;
    group->allocator = context.allocator;
    group->logger = context.logger;
    group->logger_data = context.logger_data;
    group->next_worker = 0;
    group->should_exit = false;
    for (int64_t i = 0; i < worker_count; i++) {
        Thread* thread = &group->workers[i];
        thread->index = next_thread_index++;
        thread->worker_number = i;
        thread->group = group;
        // Each worker may take from the next one, so with two they take from each other.
        thread->steal_from = (enable_work_stealing && worker_count > 1) ? (i + 1) % worker_count : -1;
    }
}

void start(Thread_Group* group) {
    for (int64_t i = 0; i < group->worker_count; i++) {
        Thread* thread = &group->workers[i];
        thread->handle = std::thread(thread_group_run, thread);
    }
}

void add_work(Thread_Group* group, void* work, String logging_name) {
    Work_Entry entry{work, logging_name, seconds_since_init()};
    int64_t turn = group->next_worker.fetch_add(1) % group->worker_count;
    Work_Queue* queue = &group->workers[turn].queue;
    // Logged before the work is visible, so that its "added" line comes before its "assigned" one.
    log_pool_line(group, "'%' added     work '%' to the available list at time %.\n", group->name, logging_name,
                  entry.issue_time);
    {
        std::lock_guard lock(queue->mutex);
        queue->entries.push_back(entry);
    }
    queue->available.release();
}

void drop_waiting_work(Thread_Group* group, bool (*should_drop)(void* work, void* data), void* data) {
    std::lock_guard life(group->life_mutex);  // a shutdown on another thread may be ending the workers
    for (int64_t i = 0; i < group->worker_count; i++) {
        Work_Queue* queue = &group->workers[i].queue;
        std::lock_guard lock(queue->mutex);
        std::erase_if(queue->entries, [&](const Work_Entry& entry) { return should_drop(entry.work, data); });
    }
}

void shutdown(Thread_Group* group) {
    Thread* self = current_worker && current_worker->group == group ? current_worker : nullptr;
    std::unique_lock lock(group->life_mutex);
    if (self) {
        // This thread cannot wait for itself; a shutdown already running must not wait for it either.
        hand_waiting_work_on(self);
        self->shutting_down = true;
        group->life_changed.notify_all();
    }
    if (group->should_exit || group->worker_count == 0) {
        // Until the group is gone, so that exit() does not destroy it under the other shutdown.
        group->life_changed.wait(lock, [&] { return group->worker_count == 0; });
        return;
    }
    group->should_exit = true;
    for (int64_t i = 0; i < group->worker_count; i++) group->workers[i].queue.available.release();

    Thread* workers = group->workers.get();
    int64_t count = group->worker_count;
    auto done = [](const Thread& t) { return t.finished || t.shutting_down || !t.handle.joinable(); };
    group->life_changed.wait(lock, [&] { return std::all_of(workers, workers + count, done); });
    lock.unlock();
    for (int64_t i = 0; i < count; i++) {
        if (!workers[i].handle.joinable()) continue;  // never started
        if (workers[i].finished) workers[i].handle.join();  // its loop is over: returns at once
        else workers[i].handle.detach();
    }
    lock.lock();
    group->workers.reset();
    group->worker_count = 0;
    group->life_changed.notify_all();
}
