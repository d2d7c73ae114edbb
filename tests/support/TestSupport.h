// Helpers for tests: a temporary folder that removes itself, file writers
// and small STL fixtures.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
  std::filesystem::path m_path;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

using Facet = std::array<float, 9>;  // three corners, x y z each

// A binary STL with the given 80-byte header text (NUL-padded) and facets.
// announcedCount overrides the facet count in the file when not negative.
std::string BinaryStl(const std::vector<Facet>& facets, const std::string& header = "",
                      int64_t announcedCount = -1);

// An ASCII STL named name with the given facets, numbers in "%e" form.
std::string AsciiStl(const std::vector<Facet>& facets, const std::string& name = "part");

// The twelve facets of the axis-aligned box [0, size]^3, wound outwards.
std::vector<Facet> CubeFacets(float size = 1.0f);

}  // namespace testsupport
