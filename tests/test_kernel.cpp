// Memory blocks as the outputs and the clipboard use them.
#include <gtest/gtest.h>

#include <cstring>

#include "lumtar32_gdi.h"

namespace {

TEST(GlobalMemory, MovableZeroedBlock)
{
    const struct {
        UINT flags;
        SIZE_T size;
    } cases[] = {
        {GMEM_MOVEABLE | GMEM_ZEROINIT, 16},
        {GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, 16},
        {GMEM_MOVEABLE | GMEM_ZEROINIT, 100000},
    };
    for (const auto& c : cases) {
        HGLOBAL block = GlobalAlloc(c.flags, c.size);
        ASSERT_NE(block, nullptr);
        EXPECT_GE(GlobalSize(block), c.size); // the memory manager may round up
        auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
        ASSERT_NE(bytes, nullptr);
        for (SIZE_T i = 0; i < c.size; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
        std::memset(bytes, 0xAB, c.size);
        // Locks nest: the block stays locked until the last unlock.
        EXPECT_EQ(GlobalLock(block), bytes);
        EXPECT_NE(GlobalUnlock(block), FALSE);
        EXPECT_EQ(GlobalUnlock(block), FALSE);
        EXPECT_EQ(GlobalFree(block), nullptr);
    }
}

#ifndef _WIN32
// Windows catches a bad handle inside the call; the native layer must refuse
// it without following it.
TEST(GlobalMemory, ForeignAndStaleHandlesFail)
{
    int local = 0;
    HGLOBAL foreign = &local;
    EXPECT_EQ(GlobalLock(foreign), nullptr);
    EXPECT_EQ(GlobalSize(foreign), 0u);
    EXPECT_EQ(GlobalUnlock(foreign), FALSE);
    EXPECT_EQ(GlobalFree(foreign), foreign);
    EXPECT_EQ(GlobalLock(nullptr), nullptr);

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 8);
    ASSERT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(GlobalFree(block), block);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, SIZE_T(1) << 40), nullptr);
}
#endif

} // namespace
