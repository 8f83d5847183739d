// Texture files of the game read through the archives into the program's
// shared store (platform/gpu/texture_store.h): a file loaded already, under
// any of its names and with the same options, is shared and not read again.
// The materials of models and the Scene class's character sets load their
// images here.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/gpu/texture_store.h"

class ArchiveManager;

// Null, with the reason its line gives after the file's name in *why ("cannot
// be read", or as DecodeTextureFile says), when the file cannot be read or
// decoded or the images would pass their bound. `name` is the texture's name
// in traces.
std::shared_ptr<SharedTexture> LoadTextureFile(const ArchiveManager& archives, const std::string& path,
                                               std::string_view name, const TextureLoadOptions& options,
                                               std::string* why);
