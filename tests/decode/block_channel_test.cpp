// A channel closed with every block handed over and unread still gives every item, in order,
// whatever is left filled at the close.
#include <gtest/gtest.h>

#include "decode/block_channel.h"

TEST(BlockChannel, ClosedWhenFullGivesEveryItemInOrder) {
  using channel = block_channel<int, 4, 2>;
  for (const int items : {8, 6, 0}) {  // both blocks full; one full, one part; none
    SCOPED_TRACE(items);
    channel c;
    for (int i = 0; i < items; ++i) {
      int* slot = c.next_without_waiting();
      ASSERT_NE(slot, nullptr);
      *slot = i;
      c.commit();
    }
    c.flush();
    EXPECT_EQ(c.next_without_waiting() == nullptr, items > 4);  // both blocks handed: no room
    c.close();
    for (int i = 0; i < items; ++i) {
      const int* item = c.peek();
      ASSERT_NE(item, nullptr);
      EXPECT_EQ(*item, i);
      c.pop();
    }
    EXPECT_EQ(c.peek(), nullptr);
  }
}
