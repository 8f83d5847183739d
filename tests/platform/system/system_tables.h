// The rows of the system tests' tables (tables/NAME), each checked to have
// `fields` fields; a table of fewer than `atLeast` rows fails the test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/case_files.h"

inline std::vector<std::vector<std::string>> SystemTable(const char* name, std::size_t fields, std::size_t atLeast) {
  auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/platform/system/tables" / name);
  EXPECT_GE(rows.size(), atLeast) << name;
  for (const auto& row : rows) EXPECT_EQ(row.size(), fields) << name << ": " << row[0];
  return rows;
}
