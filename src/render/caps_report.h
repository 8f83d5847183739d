// The capability report "Caps.txt": the machine, then each display adapter
// with its identity, its display modes and the capabilities of its three
// device types. Written by Graphics at every start; read only by people.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gpu/device_caps.h"
#include "platform/gpu/gl_window.h"
#include "platform/system/machine_info.h"

struct AdapterReport {
  std::string driver, description;
  // Fields the driver has no value for stay 0.
  std::uint32_t driverVersionHigh = 0, driverVersionLow = 0, vendorId = 0, deviceId = 0, subSysId = 0,
                revision = 0, whqlLevel = 0;
  std::vector<DisplayMode> modes;  // those of the X8R8G8B8 format
  // HAL, REF and SW; a device type that does not exist is all zero.
  std::array<DeviceCaps, 3> caps{};
};

// The report's text with "\r\n" line ends, as the platform's text mode
// wrote them.
std::string FormatCapsReport(const MachineInfo& machine, const std::vector<AdapterReport>& adapters);
