#pragma once
// Font files opened once: fontconfig picks the file for a family (falling back
// to a face that covers Japanese when the family is not installed) and the
// FreeType face stays open for every font made from it afterwards.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

namespace tav::font {

class FreeTypeLibrary;

// One open face. Users serialise access (the font module's lock does).
class Face {
 public:
  Face(std::shared_ptr<FreeTypeLibrary> library, FT_Face face, std::string family, std::string file);
  ~Face();
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
  FT_Face Get() const { return face_; }
  const std::string& Family() const { return family_; }
  const std::string& File() const { return file_; }

 private:
  std::shared_ptr<FreeTypeLibrary> library_;  // outlives the face
  FT_Face face_;
  std::string family_;
  std::string file_;
};

class FaceCache {
 public:
  // The face for a family (UTF-8; empty for the default), or null with the
  // last error set when no usable font exists.
  std::shared_ptr<Face> Find(const std::string& family, bool bold, bool italic);

 private:
  std::shared_ptr<Face> Open(const std::string& file, int index, const std::string& family);

  std::mutex mutex_;
  std::shared_ptr<FreeTypeLibrary> library_;
  // Requests already answered, and files already open.
  std::map<std::tuple<std::string, bool, bool>, std::shared_ptr<Face>> requests_;
  std::map<std::pair<std::string, int>, std::shared_ptr<Face>> files_;
};

}  // namespace tav::font
