// The capability report's layout against a golden file, and the report a
// real start writes.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/gpu/device_caps.h"
#include "render/caps_report.h"
#include "render/graphics.h"
#include "support/case_files.h"
#include "support/gl_pictures.h"

namespace {

const std::filesystem::path kHere = std::filesystem::path(T3D_SOURCE_DIR) / "tests" / "render";

// HAL as this device reports it; REF holding every flag of every list, so
// the golden file shows each list whole, in order, with its indentation;
// SW absent.
AdapterReport Adapter(const char* description) {
  AdapterReport adapter;
  adapter.driver = "4.5 (Core Profile) Mesa 22.3.6";
  adapter.description = description;
  adapter.modes = {{640, 480, 60, TextureFormat::X8R8G8B8}, {1920, 1080, 144, TextureFormat::X8R8G8B8}};
  DeviceLimits limits;
  limits.maxTextureSize = 16384;
  adapter.caps[0] = DescribeDeviceCaps(limits);
  DeviceCaps& all = adapter.caps[1];
  all.deviceType = kDeviceTypeRef;
  for (int list = 0; list < kCapsListCount; ++list)
    all.flags[static_cast<std::size_t>(list)] =
        (std::uint64_t{1} << CapsListNames(static_cast<CapsList>(list)).size()) - 1;
  all.maxVertexW = 1e10f;
  all.guardBandLeft = -32768.4f;
  all.vs20Caps = {1, 24, 12, 4};
  all.ps20Caps = {0x1F, 24, 32, 4};
  return adapter;
}

// Its clock above 2^32 cycles a second, its memory off whole units.
const MachineInfo kMachine{8, 586, 4712.0, (std::uint64_t{16} << 30) + (std::uint64_t{5} << 10) + 1000,
                           std::uint64_t{3} << 20, std::uint64_t{20} << 30, 1023};

TEST(CapsReport, FollowsTheGoldenLayout) {
  const std::string report = FormatCapsReport(kMachine, {Adapter("llvmpipe (LLVM 15.0.6, 256 bits)")});
  EXPECT_EQ(report, ReadTextFile(kHere / "golden" / "caps.txt"));
}

TEST(CapsReport, ListsEveryAdapterInTurn) {
  const std::string report = FormatCapsReport(kMachine, {Adapter("first"), Adapter("second")});
  const std::size_t first = report.find("------------------------<AdapterIdentifier #0>");
  const std::size_t second = report.find("------------------------<AdapterIdentifier #1>");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  // Identity, modes and the three device sections again, for the second.
  std::string firstPart = report.substr(first, second - first);
  firstPart.replace(firstPart.find("#0"), 2, "#1");
  firstPart.replace(firstPart.find(":first"), 6, ":second");
  EXPECT_EQ(report.substr(second), firstPart);
}

TEST(CapsReport, AStartWritesItBesideTheProgramWithTheMachinesValues) {
  UseOffscreenVideo();
  // A folder deeper than the platform's 260-character paths: nothing is cut.
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "t3d_caps_report";
  const std::filesystem::path folder = root / std::string(120, 'a') / std::string(120, 'b') / std::string(40, 'c');
  std::filesystem::create_directories(folder);
  ASSERT_GT(folder.string().size(), 260u);
  std::unique_ptr<GlWindow> window = GlWindow::Create("caps", 640, 480, nullptr);
  ASSERT_TRUE(window);
  Graphics graphics;
  graphics.SetCapsReportOptions(folder.string() + "/", false);
  ASSERT_TRUE(graphics.Initialize(window.get(), true, true));
  const std::string report = ReadTextFile(folder / "Caps.txt");
  EXPECT_EQ(report.rfind("------------------------<General>---------------------\r\n", 0), 0u);
  EXPECT_NE(report.find("ProcessorClock:0MHz\r\n"), std::string::npos);
  EXPECT_NE(report.find("Description:" + window->GetRendererName() + "\r\n"), std::string::npos);
  EXPECT_NE(report.find("\tD3DDEVTYPE_HAL\r\n"), std::string::npos);
  EXPECT_NE(report.find("VertexShaderVersion:fffe0101\r\n"), std::string::npos);
  for (std::size_t i = report.find('\n'); i != std::string::npos; i = report.find('\n', i + 1))
    ASSERT_EQ(report[i - 1], '\r') << "line break at " << i;
  std::filesystem::remove_all(root);
}

}  // namespace
