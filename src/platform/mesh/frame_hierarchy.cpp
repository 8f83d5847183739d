// Frame hierarchy records, the plain allocator, destruction and frame search.
#include "platform/mesh/frame_hierarchy.h"

bool operator==(const ColorValue& a, const ColorValue& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

bool operator==(const Material& a, const Material& b) {
  return a.diffuse == b.diffuse && a.ambient == b.ambient && a.specular == b.specular &&
         a.emissive == b.emissive && a.power == b.power;
}

bool operator==(const ExtendedMaterial& a, const ExtendedMaterial& b) {
  return a.material == b.material && a.textureFilename == b.textureFilename;
}

Frame* DefaultAllocateHierarchy::CreateFrame(std::string_view name) {
  Frame* frame = new Frame();
  frame->name = std::string(name);
  return frame;
}

bool DefaultAllocateHierarchy::CreateMeshContainer(MeshContainerData&& data,
                                                   MeshContainer** container) {
  MeshContainer* made = new MeshContainer();
  made->name = std::move(data.name);
  made->mesh = std::move(data.mesh);
  made->materials = std::move(data.materials);
  made->adjacency = std::move(data.adjacency);
  made->skinInfo = std::move(data.skinInfo);
  *container = made;
  return true;
}

void DefaultAllocateHierarchy::DestroyFrame(Frame* frame) { delete frame; }

void DefaultAllocateHierarchy::DestroyMeshContainer(MeshContainer* container) {
  delete container;
}

// Siblings are followed in a loop and only children recurse, so the depth
// of the recursion is the nesting depth, which the loader bounds.
void DestroyFrameHierarchy(Frame* root, AllocateHierarchy& allocator) {
  while (root) {
    Frame* next = root->sibling;
    DestroyFrameHierarchy(root->firstChild, allocator);
    for (MeshContainer* container = root->meshContainer; container;) {
      MeshContainer* following = container->next;
      allocator.DestroyMeshContainer(container);
      container = following;
    }
    allocator.DestroyFrame(root);
    root = next;
  }
}

Frame* FindFrame(Frame* root, std::string_view name) {
  if (name.empty()) return nullptr;
  for (Frame* frame = root; frame; frame = frame->sibling) {
    if (frame->name == name) return frame;
    if (Frame* found = FindFrame(frame->firstChild, name)) return found;
  }
  return nullptr;
}

void ListFramesSiblingsFirst(Frame* root, std::vector<Frame*>* frames) {
  frames->clear();
  std::vector<Frame*> stack;
  if (root) stack.push_back(root);
  while (!stack.empty()) {
    Frame* frame = stack.back();
    stack.pop_back();
    frames->push_back(frame);
    // The sibling goes on top, so its whole walk comes before the child's.
    if (frame->firstChild) stack.push_back(frame->firstChild);
    if (frame->sibling) stack.push_back(frame->sibling);
  }
}
