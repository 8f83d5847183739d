// The recording device: CPU-only resources, clears kept in the CPU copies.
#include "platform/gpu/recording_device.h"

namespace {

class RecordedTexture : public Texture {
 public:
  RecordedTexture(std::shared_ptr<DeviceLink> link, std::uint32_t width, std::uint32_t height,
                  std::uint32_t levels, std::uint32_t usage, TextureFormat format, TexturePool pool)
      : Texture(std::move(link), width, height, levels, usage, format, pool, 0) {}
};

class RecordedShader : public VertexShader {
 public:
  RecordedShader(std::shared_ptr<DeviceLink> link, std::string_view name, std::string_view source)
      : VertexShader(std::move(link), name, source) {}
};

// Its vertex uploads appear in the trace, so tests see how often a mesh
// was skinned.
class RecordedMesh : public DeviceMesh {
 public:
  RecordedMesh(std::shared_ptr<DeviceLink> link, const Mesh& mesh, std::string_view name)
      : DeviceMesh(mesh, name), link_(std::move(link)) {}
  void UpdateVertices() override {
    if (link_->device != nullptr) static_cast<RecordingDevice*>(link_->device)->TraceMeshUpdate(GetName());
  }

 private:
  std::shared_ptr<DeviceLink> link_;
};

}  // namespace

RecordingDevice::RecordingDevice(const PresentParameters& parameters) {
  caps_ = DescribeDeviceCaps(DeviceLimits{});
  Start(parameters);
  backBuffer_.assign(static_cast<std::size_t>(parameters.backBufferWidth) * parameters.backBufferHeight, 0);
  SetTrace(&lines_);
}

std::vector<std::string> RecordingDevice::TakeLines() {
  std::vector<std::string> taken;
  taken.swap(lines_);
  return taken;
}

std::unique_ptr<Texture> RecordingDevice::CreateTexture(std::uint32_t width, std::uint32_t height,
                                                        std::uint32_t levels, std::uint32_t usage,
                                                        TextureFormat format, TexturePool pool) {
  if (!TextureRequestValid(width, height, levels, usage, format, pool)) return nullptr;
  return std::make_unique<RecordedTexture>(Link(), width, height,
                                           levels == 0 ? MipLevelCount(width, height) : levels, usage, format,
                                           pool);
}

std::unique_ptr<VertexShader> RecordingDevice::CreateVertexShader(std::string_view name, std::string_view source,
                                                                  std::string* errors) {
  if (source.empty() || (!failShaderText_.empty() && source.find(failShaderText_) != std::string_view::npos)) {
    if (errors != nullptr) *errors = std::string(name) + ": refused by the recording device";
    return nullptr;
  }
  return std::make_unique<RecordedShader>(Link(), name, source);
}

std::unique_ptr<DeviceMesh> RecordingDevice::CreateMesh(const Mesh& mesh, std::string_view name) {
  if (VertexSizeOfFvf(mesh.GetFvf()) == 0) return nullptr;
  return std::make_unique<RecordedMesh>(Link(), mesh, name);
}

void RecordingDevice::TraceMeshUpdate(const std::string& name) { Trace("UpdateVertices(" + name + ")"); }

bool RecordingDevice::ReadBackBuffer(std::vector<std::uint32_t>* pixels) {
  *pixels = backBuffer_;
  return true;
}

void RecordingDevice::DoClear(std::uint32_t flags, std::uint32_t color, float) {
  if ((flags & kClearTarget) == 0) return;
  Texture* target = GetRenderTarget();
  std::vector<std::uint32_t>& pixels = target != nullptr ? PixelsOf(*target) : backBuffer_;
  const std::uint32_t width = target != nullptr ? target->GetWidth() : GetPresentParameters().backBufferWidth;
  const DeviceViewport& viewport = GetViewport();
  for (std::uint32_t y = viewport.y; y < viewport.y + viewport.height; ++y)
    for (std::uint32_t x = viewport.x; x < viewport.x + viewport.width; ++x)
      pixels[static_cast<std::size_t>(y) * width + x] = color;
}

void RecordingDevice::DoReadRenderTarget(Texture& renderTarget, std::vector<std::uint32_t>* pixels) {
  *pixels = PixelsOf(renderTarget);
}

bool RecordingDevice::DoReset(const PresentParameters& parameters) {
  if (failResets_) return false;
  backBuffer_.assign(static_cast<std::size_t>(parameters.backBufferWidth) * parameters.backBufferHeight, 0);
  return true;
}
