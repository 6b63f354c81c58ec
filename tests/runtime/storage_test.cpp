#include <gtest/gtest.h>

#include <thread>

#include "runtime.h"

namespace {

TEST(TemporaryStorage, ResetReusesTheSameBytes) {
    init_thread_context(0, 4096);
    String first = tprint("frame %", 1);
    const char* before = first.data;
    reset_temporary_storage();
    String second = tprint("frame %", 2);
    EXPECT_EQ(second.data, before);
    EXPECT_EQ(std::string(second.view()), "frame 2");
}

TEST(TemporaryStorage, GrowsPastItsSizeAndResetsBack) {
    init_thread_context(0, 1024);
    std::string big(5000, 'x');
    String s = tprint("%", big);
    EXPECT_EQ(s.count, 5000);
    reset_temporary_storage();
    String small = tprint("ok");
    EXPECT_EQ(std::string(small.view()), "ok");
}

TEST(TemporaryStorage, IsPerThread) {
    String mine = tprint("main");
    std::thread worker([] {
        init_thread_context(1, 16384);
        EXPECT_EQ(context.thread_index, 1);
        EXPECT_EQ(context.temporary_storage->size, 16384u);
        tprint("worker");
        reset_temporary_storage();
        release_thread_context();  // no thread-local destructor frees it
    });
    worker.join();
    EXPECT_EQ(std::string(mine.view()), "main");
}

TEST(Context, PushAllocatorRestoresOnScopeExit) {
    auto* heap = context.allocator;
    {
        Push_Allocator scope(temporary_allocator());
        EXPECT_EQ(context.allocator, temporary_allocator());
        String s = copy_string("in temporary storage");
        EXPECT_EQ(std::string(s.view()), "in temporary storage");
    }
    EXPECT_EQ(context.allocator, heap);
}

TEST(ResizableArray, GrowsAndKeepsItsElements) {
    Resizable_Array<int64_t> numbers;
    for (int64_t i = 0; i < 100; i++) array_add(&numbers, i * i);
    ASSERT_EQ(numbers.count, 100);
    EXPECT_GE(numbers.allocated, 100);
    EXPECT_EQ(numbers[99], 99 * 99);
    array_reset(&numbers);
    EXPECT_EQ(numbers.count, 0);
    EXPECT_EQ(numbers.data, nullptr);
}

}  // namespace
