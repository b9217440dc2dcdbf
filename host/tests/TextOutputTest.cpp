#include "host/app/TextOutput.h"

#include <sstream>

#include <gtest/gtest.h>

namespace
{

// Output held over several blocks reaches the target whole and in order once released, and nothing before.
TEST(BlockOutputStream, HeldOutputIsWrittenWholeOnRelease)
{
    std::ostringstream target;
    std::string expected;
    {
        Host::BlockOutputStream out(target);
        out.Hold();
        for (int line = 0; expected.size() < 3 * Host::BlockOutputBuffer::BlockBytes + 7; ++line)
        {
            const std::string text = std::to_string(line) + "\n";
            Host::PutText(out, text);
            expected += text;
        }
        out.flush();
        EXPECT_TRUE(target.str().empty());
        out.Release();
        Host::PutText(out, "after");
        expected += "after";
        out.Finish();
    }
    EXPECT_EQ(expected, target.str());
}

} // namespace
