// A folder opened once, so that the folder a check looks at is the folder a
// write goes to, whatever is renamed or linked meanwhile. Used by whole-file
// writes and by the model conversion's output.
#pragma once

#include <string>

class OpenedFolder {
 public:
  OpenedFolder() = default;
  // Opens the folder at `path` (links on the way followed, once, here); an
  // empty path is the working folder. IsOpen tells whether it worked.
  explicit OpenedFolder(const std::string& path);
  ~OpenedFolder();
  OpenedFolder(OpenedFolder&& other) noexcept;
  OpenedFolder& operator=(OpenedFolder&& other) noexcept;
  OpenedFolder(const OpenedFolder&) = delete;
  OpenedFolder& operator=(const OpenedFolder&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  // For the *at() calls that work inside the folder. It is opened only as a
  // path: what needs the folder's read bit (listing it, syncing it) opens
  // "." through it for that.
  int Descriptor() const { return fd_; }

  // Whether this folder is the folder at `path`.
  bool IsFolder(const std::string& path) const;
  // Whether this folder is the folder at `path` or lies anywhere below it.
  // Asked through the handle, walking up "..", so it holds for the folder
  // that was opened, not for whatever a name leads to now.
  bool LiesWithin(const std::string& path) const;

 private:
  int fd_ = -1;
};

// A file's folder, opened, and the file's name in it.
struct FolderAndName {
  OpenedFolder folder;
  std::string name;
};

// Cuts a disk path at its last "/" and opens the folder before it (the
// working folder for a bare name); the folder is not open when it cannot be.
// A disk path, unlike a content name, has no other separator: a "\" is a
// byte of a name there.
FolderAndName OpenFolderOfFile(const std::string& path);
