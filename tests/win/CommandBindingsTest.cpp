// Every command of the table has its routine: one binding per id, none left over.
#include <gtest/gtest.h>

#include <map>

#include "app/win/CommandBindings.h"
#include "commands/CommandTable.h"

namespace qnv::app {
namespace {

TEST(CommandBindings, EveryCommandIdHasExactlyOneBinding) {
  std::map<commands::CommandId, int> bound;
  for (const CommandBinding& b : commandBindings()) {
    ++bound[b.id];
    EXPECT_NE(b.handler, nullptr) << "command " << static_cast<int>(b.id);
  }
  for (const commands::CommandRow& row : commands::commandTable()) {
    EXPECT_EQ(bound[row.id], 1) << "command " << static_cast<int>(row.id) << " (" << (row.caption ? row.caption : "")
                                << ")";
  }
  EXPECT_EQ(bound.size(), commands::commandTable().size()) << "a binding for a command the table does not have";
}

}  // namespace
}  // namespace qnv::app
