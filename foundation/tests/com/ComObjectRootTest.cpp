#include "foundation/com/ComObjectRoot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace
{

class Counted : public Orv::CComObjectRoot
{
public:
    using CComObjectRoot::CComObjectRoot;
};

TEST(ComObjectRoot, CountsFromManyThreadsBalance)
{
    constexpr int Threads = 4;
    constexpr int Rounds = 20000;
    Counted object(1);
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&object] {
            for (int i = 0; i < Rounds; ++i)
            {
                object.InternalAddRef();
                object.InternalRelease();
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(2u, object.InternalAddRef());
    EXPECT_EQ(1u, object.InternalRelease());
    EXPECT_EQ(0u, object.InternalRelease());
}

TEST(ComObjectRoot, ObjectLockKeepsOtherThreadsOutButLetsItsOwnerIn)
{
    Counted object;
    std::atomic<bool> entered = false;
    std::thread other;
    {
        Orv::CriticalSectionLock outer(object.ObjectLock());
        Orv::CriticalSectionLock inner(object.ObjectLock()); // the owner may take it again
        other = std::thread([&] {
            Orv::CriticalSectionLock lock(object.ObjectLock());
            entered = true;
        });
        Sleep(50);
        EXPECT_FALSE(entered);
    }
    other.join();
    EXPECT_TRUE(entered);
}

} // namespace
