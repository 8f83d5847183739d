// Builds archive files for the tests: the header, the inverted directory and
// the inverted data, with ways to write the faults the reader must survive;
// and a fresh program folder to put them in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"

struct TestArchiveEntry {
  std::string name;                       // written as given (upper case, "\" separators)
  std::string data;
  std::optional<std::uint32_t> size{};    // instead of data.size()
  std::optional<std::uint32_t> offset{};  // instead of where the data is put
  bool unterminatedName = false;          // fill all 48 name bytes, no NUL
};

struct TestArchiveOptions {
  std::string magic = std::string("TAVO Archive File\r\n", 19) + '\0';  // 20 bytes
  std::uint16_t version = 0x0100;
  std::optional<std::uint16_t> count{};  // instead of entries.size()
};

// The bytes of an archive holding `entries`, data after the directory in order.
std::string BuildTestArchive(const std::vector<TestArchiveEntry>& entries,
                             const TestArchiveOptions& options = {});

// A fresh folder as the program's folder for each test.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    SetProgramDir(folder_.path());
  }
  void TearDown() override { SetProgramDir(""); }

  TempFolder folder_;
};
