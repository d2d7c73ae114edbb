#include "support/TestSupport.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

namespace testsupport {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pilvo-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  m_path = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(m_path, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

namespace {

void AppendLittleEndian32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void AppendFloat(std::string& out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  AppendLittleEndian32(out, bits);
}

}  // namespace

std::string BinaryStl(const std::vector<Facet>& facets, const std::string& header, int64_t announcedCount) {
  std::string out(80, '\0');
  std::memcpy(out.data(), header.data(), header.size() < 80 ? header.size() : 80);
  AppendLittleEndian32(out, static_cast<uint32_t>(announcedCount >= 0 ? announcedCount : facets.size()));
  for (const Facet& f : facets) {
    for (int i = 0; i < 3; ++i) AppendFloat(out, 0.0f);  // normal, ignored by readers
    for (float c : f) AppendFloat(out, c);
    out.append(2, '\0');
  }
  return out;
}

std::string AsciiStl(const std::vector<Facet>& facets, const std::string& name) {
  std::string out = "solid " + name + "\n";
  char line[160];
  for (const Facet& f : facets) {
    out += "  facet normal 0.000000e+00 0.000000e+00 0.000000e+00\n    outer loop\n";
    for (int v = 0; v < 3; ++v) {
      std::snprintf(line, sizeof line, "      vertex %e %e %e\n", f[3 * v], f[3 * v + 1], f[3 * v + 2]);
      out += line;
    }
    out += "    endloop\n  endfacet\n";
  }
  out += "endsolid " + name + "\n";
  return out;
}

std::vector<Facet> CubeFacets(float s) {
  // Each face as two triangles, counter-clockwise seen from outside.
  return {
      {0, 0, 0, 0, s, 0, s, s, 0}, {0, 0, 0, s, s, 0, s, 0, 0},  // z = 0, normal -z
      {0, 0, s, s, 0, s, s, s, s}, {0, 0, s, s, s, s, 0, s, s},  // z = s, normal +z
      {0, 0, 0, s, 0, 0, s, 0, s}, {0, 0, 0, s, 0, s, 0, 0, s},  // y = 0, normal -y
      {0, s, 0, 0, s, s, s, s, s}, {0, s, 0, s, s, s, s, s, 0},  // y = s, normal +y
      {0, 0, 0, 0, 0, s, 0, s, s}, {0, 0, 0, 0, s, s, 0, s, 0},  // x = 0, normal -x
      {s, 0, 0, s, s, 0, s, s, s}, {s, 0, 0, s, s, s, s, 0, s},  // x = s, normal +x
  };
}

}  // namespace testsupport
