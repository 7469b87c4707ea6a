#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/codecs/IoVectorCursor.h"

namespace pixmoth {
namespace {

// What the next call would be given, as "offset+length" per buffer.
std::string Pending(const IoVectorCursor& cursor, const char* base) {
    iovec batch[IOV_MAX];
    std::string text;
    const int count = cursor.Next(batch);
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += std::to_string(static_cast<char*>(batch[i].iov_base) - base);
        text += '+';
        text += std::to_string(batch[i].iov_len);
    }
    return text;
}

TEST(IoVectorCursor, ResumesWhereAShortTransferStopped) {
    char buffer[32];
    const std::vector<iovec> pieces = {
        {buffer, 3}, {buffer + 3, 0}, {buffer + 10, 5}, {buffer + 20, 2}};
    IoVectorCursor cursor(pieces);
    EXPECT_EQ(Pending(cursor, buffer), "0+3 3+0 10+5 20+2");
    cursor.Advance(2); // inside the first piece
    EXPECT_EQ(Pending(cursor, buffer), "2+1 3+0 10+5 20+2");
    cursor.Advance(1); // exactly to its end: the empty piece is passed too
    EXPECT_EQ(Pending(cursor, buffer), "10+5 20+2");
    cursor.Advance(6); // across a boundary
    EXPECT_EQ(Pending(cursor, buffer), "21+1");
    EXPECT_FALSE(cursor.Done());
    cursor.Advance(1);
    EXPECT_TRUE(cursor.Done());
}

} // namespace
} // namespace pixmoth
