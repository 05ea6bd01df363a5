// The WMF codec read back what it wrote, edited in place and refused where a
// record is too short: the print call's edits (narrowed bars, turns, colours)
// rest on these three.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/wmf.h"

namespace {

using lumtar::wmf::Call;
using lumtar::wmf::Op;

Call Make(Op op, std::initializer_list<int> args, uint32_t value = 0, uint32_t color = 0)
{
    Call c;
    c.op = op;
    int i = 0;
    for (int a : args) c.args[i++] = a;
    c.value = value;
    c.color = color;
    return c;
}

std::vector<Call> Calls()
{
    Call font = Make(Op::CreateFont, {});
    font.font.height = -40;
    font.font.escapement = font.font.orientation = 900;
    font.font.weight = 700;
    std::strcpy(font.font.face, "Arial");
    Call text = Make(Op::TextOut, {120, -7});
    text.chars = "4006";
    text.count = 4;
    return {Make(Op::SetBkColor, {}, 0x00FFFFFF), Make(Op::SetMapMode, {}, 8), Make(Op::SetWindowExt, {5000, 2000}),
            Make(Op::Rectangle, {1, -2, 32767, 300}), Make(Op::PatBlt, {10, 20, 3, 400}, 0x00F00021),
            Make(Op::CreateBrush, {}, 0, 0x00123456), Make(Op::CreatePen, {1, 0}, 5, 0x00ABCDEF),
            Make(Op::SelectObject, {}, 3), font, text};
}

void ExpectSame(const Call& a, const Call& b)
{
    EXPECT_EQ(a.op, b.op);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a.args[i], b.args[i]) << "argument " << i;
    EXPECT_EQ(a.value, b.value);
    EXPECT_EQ(a.color, b.color);
    EXPECT_EQ(a.font.height, b.font.height);
    EXPECT_EQ(a.font.escapement, b.font.escapement);
    EXPECT_STREQ(a.font.face, b.font.face);
    EXPECT_EQ(a.count, b.count);
    if (a.count == b.count && a.chars && b.chars) {
        EXPECT_EQ(std::memcmp(a.chars, b.chars, a.count), 0);
    }
}

TEST(WmfCodec, WrittenReadEditedAndRefused)
{
    for (const Call& call : Calls()) {
        SCOPED_TRACE(static_cast<int>(call.op));
        const std::size_t bytes = lumtar::wmf::RecordBytes(call);
        ASSERT_GT(bytes, 0u);
        std::vector<uint8_t> record(bytes);
        lumtar::wmf::PutRecord(record.data(), call, bytes);

        const std::size_t words = lumtar::wmf::RecordWords(record.data(), bytes, 0);
        ASSERT_EQ(words * 2, bytes);
        ExpectSame(lumtar::wmf::CallOf(record.data(), words), call);
        EXPECT_EQ(lumtar::wmf::RecordWords(record.data(), bytes - 2, 0), 0u) << "a record past the end";

        Call edited = lumtar::wmf::CallOf(record.data(), words);
        edited.args[0] -= 5;
        edited.color ^= 0x00FFFFFF;
        edited.font.escapement = 2700;
        Call expected = call;
        if (call.op != Op::SetBkColor && call.op != Op::SetMapMode && call.op != Op::CreateBrush &&
            call.op != Op::SelectObject && call.op != Op::CreateFont)
            expected.args[0] -= 5;
        if (call.op == Op::CreateBrush || call.op == Op::CreatePen) expected.color ^= 0x00FFFFFF;
        if (call.op == Op::CreateFont) expected.font.escapement = 2700;
        ASSERT_TRUE(lumtar::wmf::SetCall(record.data(), words, edited));
        ExpectSame(lumtar::wmf::CallOf(record.data(), words), expected);

        const std::vector<uint8_t> before = record;
        EXPECT_FALSE(lumtar::wmf::SetCall(record.data(), 3, edited)) << "a record of its size and function alone";
        EXPECT_EQ(record, before) << "nothing written";
    }
}

} // namespace
