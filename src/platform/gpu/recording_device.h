// A device that draws nothing and records every call as a line of text, so
// tests of the renderer, shadows, text and start-up compare whole call
// sequences. It keeps the states, the CPU copies and the clears.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gpu/device.h"

class RecordingDevice : public GraphicsDevice {
 public:
  // Starts recording into lines() at once.
  explicit RecordingDevice(const PresentParameters& parameters);

  const std::vector<std::string>& lines() const { return lines_; }
  void ClearLines() { lines_.clear(); }
  // The lines recorded since the last call, then forgets them.
  std::vector<std::string> TakeLines();
  void TraceVertices(bool on) { SetTrace(&lines_, on); }

  // Tests shape what the device reports and what its render targets hold.
  DeviceCaps& MutableCaps() { return caps_; }
  std::vector<std::uint32_t>& RenderTargetPixels(Texture& target) { return PixelsOf(target); }
  // The next resets fail as a driver's would.
  void FailResets(bool fail) { failResets_ = fail; }
  // Vertex shaders whose text contains this fail to build (empty: none).
  void FailShadersContaining(std::string text) { failShaderText_ = std::move(text); }

  std::unique_ptr<Texture> CreateTexture(std::uint32_t width, std::uint32_t height, std::uint32_t levels,
                                         std::uint32_t usage, TextureFormat format, TexturePool pool) override;
  std::unique_ptr<VertexShader> CreateVertexShader(std::string_view name, std::string_view source,
                                                   std::string* errors) override;
  std::unique_ptr<DeviceMesh> CreateMesh(const Mesh& mesh, std::string_view name) override;
  bool ReadBackBuffer(std::vector<std::uint32_t>* pixels) override;
  // A line "UpdateVertices(mesh)" for a mesh of this device sent again.
  void TraceMeshUpdate(const std::string& name);

 protected:
  void DoClear(std::uint32_t flags, std::uint32_t color, float z) override;
  void DoDraw(std::uint32_t, const std::uint8_t*, std::uint32_t) override {}
  void DoDrawSubset(DeviceMesh&, const AttributeRange&) override {}
  void DoReadRenderTarget(Texture& renderTarget, std::vector<std::uint32_t>* pixels) override;
  void DoPresent() override {}
  bool DoReset(const PresentParameters& parameters) override;

 private:
  std::vector<std::string> lines_;
  std::vector<std::uint32_t> backBuffer_;
  bool failResets_ = false;
  std::string failShaderText_;
};
