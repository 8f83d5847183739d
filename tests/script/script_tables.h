// The rows of the script suites' table files (tables/NAME.rows).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/case_files.h"

// The rows of tables/NAME, each with the number of fields the test reads.
inline std::vector<std::vector<std::string>> ScriptTable(const char* name, std::size_t fields) {
  auto rows = ReadTableRows(std::filesystem::path(T3D_SOURCE_DIR) / "tests/script/tables" / name);
  EXPECT_FALSE(rows.empty()) << name;
  for (const auto& row : rows) EXPECT_EQ(row.size(), fields) << name << ": " << row[0];
  return rows;
}
