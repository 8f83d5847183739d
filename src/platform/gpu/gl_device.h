// The graphics device on OpenGL 3.3 core, drawing into offscreen framebuffers
// and presenting into a GlWindow. Created by Graphics at start-up; tests and
// benchmarks create it on SDL's offscreen video driver.
#pragma once

#include <memory>
#include <string>

#include "platform/gpu/device.h"
#include "platform/gpu/gl_window.h"

// What a device on the current context can do, before one is created.
DeviceCaps ReadGlDeviceCaps();

// The window (and its current context) must outlive the device. Null with
// the reason in *error (may be null) when the context cannot run the
// device's programs.
std::unique_ptr<GraphicsDevice> CreateGlDevice(GlWindow& window, const PresentParameters& parameters,
                                               std::string* error);
