// The STL import plug-in, loaded from its module with dlopen exactly as the
// viewer loads it, so these tests see the exported entry points and nothing
// else.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "geometry/ZtModel.h"
#include "plugin_interface/ModelConversion.h"
#include "plugin_interface/ModelExchange.h"
#include "support/TestSupport.h"

namespace {

using testsupport::AsciiStl;
using testsupport::BinaryStl;
using testsupport::CubeFacets;
using testsupport::Facet;
using testsupport::TempDir;
using testsupport::WriteFile;

const char kModulePath[] = PILVO_PLUGIN_DIR "/StlLoader.so";
const char kCorpusDir[] = PILVO_CORPUS_DIR "/stl";

// The module stays loaded for the whole test program, like the viewer keeps
// its plug-ins loaded while its view lives.
struct StlLoaderModule {
  void* handle = nullptr;
  GetFilterInfoFunction getFilterInfo = nullptr;
  IsSupportedFunction isSupported = nullptr;
  LoadModelFunction loadModel = nullptr;

  static const StlLoaderModule& Get() {
    static const StlLoaderModule module = [] {
      StlLoaderModule m;
      m.handle = dlopen(kModulePath, RTLD_NOW | RTLD_LOCAL);
      if (m.handle) {
        m.getFilterInfo = reinterpret_cast<GetFilterInfoFunction>(dlsym(m.handle, "GetFilterInfo"));
        m.isSupported = reinterpret_cast<IsSupportedFunction>(dlsym(m.handle, "IsSupported"));
        m.loadModel = reinterpret_cast<LoadModelFunction>(dlsym(m.handle, "LoadModel"));
      }
      return m;
    }();
    return module;
  }
};

// The progress calls of one load.  The callback is a plain function pointer,
// so the log lives in static storage.
struct ProgressLog {
  static inline std::vector<std::pair<int, int>> calls;
  static inline int stopAtCall = -1;  // the call (0-based) that answers "stop"

  static void Reset(int stopAt = -1) {
    calls.clear();
    stopAtCall = stopAt;
  }
  static int Callback(int current, int total) {
    calls.emplace_back(current, total);
    return static_cast<int>(calls.size()) - 1 == stopAtCall ? 0 : 1;
  }
};

using Calls = std::vector<std::pair<int, int>>;

// A record filled by the plug-in, freed with the viewer's helper in the end.
struct Load {
  int result = 0;
  ModelExchangeRecord record{};

  Load() = default;
  Load(const Load&) = delete;
  Load& operator=(const Load&) = delete;
  ~Load() { FreeModelExchangeRecord(&record); }
};

class StlLoaderTest : public ::testing::Test {
protected:
  void SetUp() override {
    const StlLoaderModule& module = StlLoaderModule::Get();
    ASSERT_NE(module.handle, nullptr) << kModulePath << ": " << dlerror();
    ASSERT_NE(module.loadModel, nullptr);
    ProgressLog::Reset();
  }

  const StlLoaderModule& Module() const { return StlLoaderModule::Get(); }

  // Writes bytes to a fresh file and loads it with the logging callback.
  void LoadBytes(const std::string& bytes, Load& load, int stopAtCall = -1) {
    const std::string path = m_dir.File("model" + std::to_string(m_files++) + ".stl");
    WriteFile(path, bytes);
    LoadPath(path, load, stopAtCall);
  }

  void LoadPath(const std::string& path, Load& load, int stopAtCall = -1) {
    ProgressLog::Reset(stopAtCall);
    load.result = Module().loadModel(path.c_str(), &ProgressLog::Callback, &load.record);
  }

  TempDir m_dir;
  int m_files = 0;
};

// ---- reading a record back ------------------------------------------------

template <typename T>
std::vector<T> BlockContents(HGLOBAL block, size_t count) {
  std::vector<T> out;
  if (!block) return out;
  const auto* first = static_cast<const T*>(GlobalLock(block));
  out.assign(first, first + count);
  GlobalUnlock(block);
  return out;
}

ModelExchangeGroup GroupOf(const ModelExchangeRecord& record) {
  return BlockContents<ModelExchangeGroup>(record.groupBlock, 1).at(0);
}

std::string GroupName(const ModelExchangeRecord& record) {
  const ModelExchangeGroup group = GroupOf(record);
  const std::vector<char> bytes = BlockContents<char>(group.nameBlock, MODEL_EXCHANGE_GROUP_NAME_SIZE);
  return std::string(bytes.data(), strnlen(bytes.data(), bytes.size()));
}

std::vector<ModelExchangeVertex> Vertices(const ModelExchangeRecord& record) {
  return BlockContents<ModelExchangeVertex>(record.vertexBlock, record.vertexCount);
}

std::vector<ModelExchangeTriangle> Triangles(const ModelExchangeRecord& record) {
  return BlockContents<ModelExchangeTriangle>(record.triangleBlock, record.triangleCount);
}

std::vector<uint32_t> GroupIndices(const ModelExchangeRecord& record) {
  const ModelExchangeGroup group = GroupOf(record);
  return BlockContents<uint32_t>(group.indexBlock, group.indexCount);
}

bool IsAllZero(const ModelExchangeRecord& record) {
  const ModelExchangeRecord zero{};
  return std::memcmp(&record, &zero, sizeof zero) == 0;
}

std::vector<float> Flat(const std::vector<ModelExchangeVertex>& vertices) {
  std::vector<float> out;
  for (const ModelExchangeVertex& v : vertices) out.insert(out.end(), {v.x, v.y, v.z});
  return out;
}

std::vector<float> Flat(const std::vector<Facet>& facets) {
  std::vector<float> out;
  for (const Facet& f : facets) out.insert(out.end(), f.begin(), f.end());
  return out;
}

// Counts, block sizes and lock counts of a successful load of F facets: no
// normals, one group, every block handed over unlocked.
void ExpectRecordShape(const ModelExchangeRecord& record, uint32_t facets) {
  EXPECT_EQ(record.vertexCount, 3 * facets);
  EXPECT_EQ(record.normalCount, 0u);
  EXPECT_EQ(record.normalBlock, nullptr);
  EXPECT_EQ(record.triangleCount, facets);
  ASSERT_EQ(record.groupCount, 1u);
  EXPECT_EQ(GlobalSize(record.vertexBlock), size_t{36} * facets);
  EXPECT_EQ(GlobalSize(record.triangleBlock), size_t{24} * facets);
  EXPECT_EQ(GlobalSize(record.groupBlock), sizeof(ModelExchangeGroup));
  const ModelExchangeGroup group = GroupOf(record);
  EXPECT_EQ(group.indexCount, facets);
  EXPECT_EQ(GlobalSize(group.nameBlock), MODEL_EXCHANGE_GROUP_NAME_SIZE);
  EXPECT_EQ(GlobalSize(group.indexBlock), size_t{4} * facets);
  EXPECT_EQ(group.diffuse[0], 0.8f);
  for (HGLOBAL block :
       {record.vertexBlock, record.triangleBlock, record.groupBlock, group.nameBlock, group.indexBlock})
    EXPECT_EQ(GlobalFlags(block) & GMEM_LOCKCOUNT, 0u);
}

// Triangle t is (3t, 3t + 1, 3t + 2) with normal indices 0 and the group
// lists every triangle in order: what a well-formed file gives.
void ExpectSequentialTriangles(const ModelExchangeRecord& record) {
  const std::vector<ModelExchangeTriangle> triangles = Triangles(record);
  const std::vector<uint32_t> indices = GroupIndices(record);
  ASSERT_EQ(indices.size(), triangles.size());
  for (size_t t = 0; t < triangles.size(); ++t) {
    const auto v = static_cast<int32_t>(3 * t);
    const ModelExchangeTriangle& tri = triangles[t];
    ASSERT_TRUE(tri.vertexIndex[0] == v && tri.vertexIndex[1] == v + 1 && tri.vertexIndex[2] == v + 2 &&
                tri.normalIndex[0] == 0 && tri.normalIndex[1] == 0 && tri.normalIndex[2] == 0)
        << "triangle " << t;
    ASSERT_EQ(indices[t], t);
  }
}

std::string Header(const std::string& text) {
  std::string header(80, '\0');
  std::memcpy(header.data(), text.data(), std::min<size_t>(text.size(), 80));
  return header;
}

// The facets of a well-formed ASCII file without its "solid" and "endsolid" lines.
std::string AsciiFacetLines(const std::vector<Facet>& facets) {
  std::string text = AsciiStl(facets);
  text.erase(0, text.find('\n') + 1);
  text.erase(text.rfind("endsolid"));
  return text;
}

std::vector<Facet> ManyFacets(size_t count) {
  std::vector<Facet> facets(count);
  for (size_t i = 0; i < count; ++i) {
    const auto f = static_cast<float>(i);
    facets[i] = {f, 0, 0, f, 1, 0, f, 0, 1};
  }
  return facets;
}

// ---- entry points ------------------------------------------------------------

TEST_F(StlLoaderTest, ModuleExportsTheImportEntryPointsAndNotItsHelpers) {
  EXPECT_NE(Module().getFilterInfo, nullptr);
  EXPECT_NE(Module().isSupported, nullptr);
  // The module carries its own copy of the record helpers; exporting them
  // would let them interpose on the viewer's.
  for (const char* helper : {"GlobalAlloc", "GlobalFree", "AllocModelExchangeRecord",
                             "FreeModelExchangeRecord", "InitModelExchangeGroup", "AllocTextBlock"})
    EXPECT_EQ(dlsym(Module().handle, helper), nullptr) << helper;
}

TEST_F(StlLoaderTest, FilterInfoIsTheUtf8FilterTextAndPatternInUnlockedBlocks) {
  HGLOBAL text = nullptr, pattern = nullptr;
  ASSERT_EQ(Module().getFilterInfo(&text, &pattern), 1);
  const std::string expected = "STL \xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB (*.stl)";
  ASSERT_EQ(expected.size(), 24u);
  EXPECT_EQ(GlobalSize(text), 25u);
  EXPECT_EQ(GlobalSize(pattern), 6u);
  EXPECT_EQ(GlobalFlags(text), 0u);
  EXPECT_EQ(GlobalFlags(pattern), 0u);
  const std::vector<char> textBytes = BlockContents<char>(text, 25);
  const std::vector<char> patternBytes = BlockContents<char>(pattern, 6);
  EXPECT_EQ(std::string(textBytes.data(), 25), expected + '\0');
  EXPECT_EQ(std::string(patternBytes.data(), 6), std::string("*.stl") + '\0');
  GlobalFree(text);
  GlobalFree(pattern);
}

TEST_F(StlLoaderTest, FilterInfoWithANullPointerReturnsZeroAndStoresNothing) {
  HGLOBAL block = nullptr;
  EXPECT_EQ(Module().getFilterInfo(&block, nullptr), 0);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(Module().getFilterInfo(nullptr, &block), 0);
  EXPECT_EQ(block, nullptr);
}

TEST_F(StlLoaderTest, IsSupportedLooksAtTheExtensionOfTheFileNameOnly) {
  const struct {
    const char* path;
    int expected;
  } cases[] = {
      {"part.stl", 1},
      {"/home/user/PART.STL", 1},
      {"C:\\parts\\bracket.Stl", 1},
      {"archive.tar.stl", 1},
      {".stl", 1},
      {"part.stla", 0},
      {"part.st", 0},
      {"part", 0},
      {"part.stl.", 0},
      {"part.stl.zip", 0},
      {"models.stl/part", 0},  // the point belongs to a directory
      {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(Module().isSupported(c.path), c.expected) << c.path;
  EXPECT_EQ(Module().isSupported(nullptr), 0);
}

// ---- real files --------------------------------------------------------------

struct CorpusEntry {
  std::string form;
  uint32_t facets = 0;
};

// The table of tests/corpus/stl/README.md: file, bytes, form, facets.
std::map<std::string, CorpusEntry> ReadCorpusTable() {
  std::map<std::string, CorpusEntry> table;
  std::ifstream readme(std::string(kCorpusDir) + "/README.md");
  std::string line;
  while (std::getline(readme, line)) {
    std::vector<std::string> cells;
    std::istringstream row(line);
    std::string cell;
    while (std::getline(row, cell, '|')) {
      const size_t first = cell.find_first_not_of(' ');
      cells.push_back(
          first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
    }
    if (cells.size() == 5 && cells[1].ends_with(".stl"))
      table[cells[1]] = {cells[3], static_cast<uint32_t>(std::stoul(cells[4]))};
  }
  return table;
}

// Lines of a text file whose lines are all short.
int LineCount(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines + (!text.empty() && text.back() != '\n');
}

TEST_F(StlLoaderTest, ReadsEveryCorpusFileWithItsFormFacetCountAndGroupName) {
  const std::string spaces80(80, ' ');
  const std::map<std::string, std::string> names = {
      {"stl_ascii_Cube.stl", "PRO2STL version 1.0"},  // " solid ...\r\n": indented, CRLF
      {"stl_ascii_HalfDonut.stl", "HalfDonut.stl"},
      {"stl_ascii_Moon.stl", "Moon.stl"},
      {"stl_ascii_Moon_Chinese.stl", "\xE6\x9C\x88\xE7\x90\x83"},  // UTF-8 name
      {"stl_ascii_Star.stl", "Star.stl"},
      {"stl_binary_Cube.stl", " solid PRO2STL version 1.0"},
      {"stl_binary_CubeInvalidUnicode.stl", " solid PRO2STL version 1.0"},  // 0xFF bytes after the NUL
      {"stl_binary_HalfDonut.stl",
       "solid test.stl    2014-10-16 15:37:40.542327 HalfDonut.stl                      "},
      {"stl_binary_Moon.stl",
       "numpy-stl (1.0.0) 2014-10-16 15:37:40.642049 Moon.stl                           "},
      {"stl_binary_Star.stl",
       "numpy-stl (1.0.0) 2014-10-16 15:37:40.741314 Star.stl                           "},
      {"stl_binary_StarWithEmptyHeader.stl", spaces80},
      {"stl_binary_rear_case.stl", "solid REAR_CASE"},
      {"stl_tests_bwb.stl", "\"bwb\""},
      {"stl_tests_dos.stl", "Moon.stl"},
      {"stl_tests_triamid.stl",
       "numpy-stl (2.10.1) 2019-12-24 17:56:46.326275 tests/data/stl/write/out.stl      "},
      {"stl_tests_unix.stl", "Moon.stl"},
  };
  const std::map<std::string, CorpusEntry> table = ReadCorpusTable();
  ASSERT_EQ(table.size(), names.size());
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kCorpusDir)) {
    const std::string file = entry.path().filename().string();
    if (entry.path().extension() != ".stl") continue;
    ++files;
    SCOPED_TRACE(file);
    ASSERT_TRUE(table.count(file)) << "file missing from the README table";
    const CorpusEntry& expected = table.at(file);
    Load load;
    LoadPath(entry.path().string(), load);
    ASSERT_EQ(load.result, 1);
    ExpectRecordShape(load.record, expected.facets);
    ExpectSequentialTriangles(load.record);
    EXPECT_EQ(GroupName(load.record), names.at(file));
    // The form shows in the progress total: facets for binary, lines + 1 for ASCII.
    ASSERT_FALSE(ProgressLog::calls.empty());
    const int total = ProgressLog::calls.front().second;
    if (expected.form == "binary") {
      EXPECT_EQ(total, static_cast<int>(expected.facets));
    } else {
      ASSERT_EQ(expected.form, "ASCII");
      EXPECT_EQ(total, LineCount(testsupport::ReadFile(entry.path().string())) + 1);
    }
    CZtModel model;
    EXPECT_EQ(ModelFromExchangeRecord(&load.record, &model), 1);
    EXPECT_EQ(model.triangles.size(), expected.facets);
  }
  EXPECT_EQ(files, table.size());
}

TEST_F(StlLoaderTest, AsciiAndBinaryCorpusFilesOfOneModelGiveTheSameVertices) {
  // The ASCII files print six or seven decimals of the binary floats.
  for (const char* model : {"Cube", "HalfDonut", "Moon", "Star"}) {
    SCOPED_TRACE(model);
    Load ascii, binary;
    LoadPath(std::string(kCorpusDir) + "/stl_ascii_" + model + ".stl", ascii);
    LoadPath(std::string(kCorpusDir) + "/stl_binary_" + model + ".stl", binary);
    ASSERT_EQ(ascii.result, 1);
    ASSERT_EQ(binary.result, 1);
    const std::vector<float> a = Flat(Vertices(ascii.record)), b = Flat(Vertices(binary.record));
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) ASSERT_NEAR(a[i], b[i], 1e-6) << "coordinate " << i;
  }
}

// ---- binary form -------------------------------------------------------------

TEST_F(StlLoaderTest, BinaryFileGivesItsCornersInFileOrder) {
  const std::vector<Facet> facets = CubeFacets(2.5f);
  Load load;
  LoadBytes(BinaryStl(facets, "cube") + "trailing bytes are not read", load);
  ASSERT_EQ(load.result, 1);
  ExpectRecordShape(load.record, 12);
  ExpectSequentialTriangles(load.record);
  EXPECT_EQ(Flat(Vertices(load.record)), Flat(facets));
}

TEST_F(StlLoaderTest, BinaryHeaderUpToItsFirstNulIsTheGroupName) {
  const struct {
    std::string header;
    std::string name;
  } cases[] = {
      {Header("short text"), "short text"},
      {Header("before\0after"), "before"},
      {std::string(80, 'x'), std::string(80, 'x')},  // no NUL: all 80 characters
      {Header(""), ""},
  };
  for (const auto& c : cases) {
    Load load;
    LoadBytes(c.header + BinaryStl(CubeFacets()).substr(80), load);
    ASSERT_EQ(load.result, 1);
    EXPECT_EQ(GroupName(load.record), c.name);
  }
}

TEST_F(StlLoaderTest, BinaryFileThatCannotHoldItsFacetsFailsWithTheRecordAllZero) {
  const std::string cube = BinaryStl(CubeFacets());
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"header incomplete", std::string(40, '\0')},
      {"facet count incomplete", cube.substr(0, 82)},
      {"no facets", BinaryStl({})},
      {"3 facets announced, 2 held", BinaryStl(ManyFacets(2), "", 3)},
      {"last facet one byte short", cube.substr(0, cube.size() - 1)},
      {"absurd facet count", BinaryStl(ManyFacets(2), "", 0xFFFFFFFF)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Load load;
    LoadBytes(c.bytes, load);
    EXPECT_EQ(load.result, -1);
    EXPECT_TRUE(IsAllZero(load.record));
    // The file size already shows it: no block is allocated, no progress shown.
    EXPECT_TRUE(ProgressLog::calls.empty());
  }
}

TEST_F(StlLoaderTest, BinaryProgressComesBeforeEveryTenThousandthFacet) {
  Load load;
  LoadBytes(BinaryStl(ManyFacets(20000)), load);
  ASSERT_EQ(load.result, 1);
  EXPECT_EQ(ProgressLog::calls, (Calls{{0, 20000}, {10000, 20000}}));

  Load oneMore;
  LoadBytes(BinaryStl(ManyFacets(20001)), oneMore);
  ASSERT_EQ(oneMore.result, 1);
  EXPECT_EQ(ProgressLog::calls, (Calls{{0, 20001}, {10000, 20001}, {20000, 20001}}));
  EXPECT_EQ(Vertices(oneMore.record).back().x, 20000.0f);
}

// ---- form detection ----------------------------------------------------------

TEST_F(StlLoaderTest, AnyByteBelowNineMakesAFileBinaryWhereverItIs) {
  // A valid ASCII file with one byte appended behind more than a megabyte of
  // comment lines.  Read as binary, its text announces an absurd facet count.
  const std::string ascii = AsciiStl(CubeFacets()) + std::string(1 << 20, ' ') + "\n";
  const struct {
    char byte;
    int expected;
  } cases[] = {{'\0', -1}, {'\x01', -1}, {'\x08', -1}, {'\t', 1}, {'\n', 1}, {'\r', 1}, {'\x1A', 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    Load load;
    LoadBytes(ascii + c.byte, load);
    EXPECT_EQ(load.result, c.expected);
  }
}

TEST_F(StlLoaderTest, EmptyFileIsAsciiWithoutFacetsAndFails) {
  Load load;
  LoadBytes("", load);
  EXPECT_EQ(load.result, -1);
  EXPECT_TRUE(IsAllZero(load.record));
}

// ---- ASCII form --------------------------------------------------------------

TEST_F(StlLoaderTest, AsciiFileGivesItsVerticesAndName) {
  const std::vector<Facet> facets = CubeFacets(3.0f);
  Load load;
  LoadBytes(AsciiStl(facets, "my part"), load);
  ASSERT_EQ(load.result, 1);
  ExpectRecordShape(load.record, 12);
  ExpectSequentialTriangles(load.record);
  EXPECT_EQ(Flat(Vertices(load.record)), Flat(facets));
  EXPECT_EQ(GroupName(load.record), "my part");
}

TEST_F(StlLoaderTest, AsciiKeywordsIgnoreCase) {
  Load load;
  LoadBytes(
      "SOLID Part 7\nFACET NORMAL 0 0 1\n OUTER LOOP\n  VERTEX 1 2 3\n  Vertex 4 5 6\n  vErTeX 7 8 9\n"
      " ENDLOOP\nENDFACET\nEndSolid Part 7\n",
      load);
  ASSERT_EQ(load.result, 1);
  ExpectRecordShape(load.record, 1);
  EXPECT_EQ(GroupName(load.record), "Part 7");
  EXPECT_EQ(Flat(Vertices(load.record)), (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(StlLoaderTest, AsciiFileWithoutFacetLinesFailsWithTheRecordAllZero) {
  for (const char* text :
       {"solid x\nendsolid x\n", "solid x\n vertex 1 2 3\nendfacet\n", "\n\n\n", "facets 1\nfacet1\n"}) {
    Load load;
    LoadBytes(text, load);
    EXPECT_EQ(load.result, -1) << text;
    EXPECT_TRUE(IsAllZero(load.record));
  }
}

TEST_F(StlLoaderTest, SolidLineGivesTheRestOfTheLineAsName) {
  const struct {
    std::string lines;
    std::string name;
  } cases[] = {
      {"solid name\n", "name"},
      {"solid  two  spaces \r\n", " two  spaces "},  // only the delimiter after the keyword goes
      {"SOLID\tTabbed\r\n", "Tabbed"},
      {"solid,comma\n", "comma"},
      {"   solid indented\n", "indented"},
      {"solid a\r\r\n", "a\r"},  // only a "\r" right before the line feed is line end
      {"solid\n", "(NoName)"},
      {"solid \r\n", "(NoName)"},
      {"endsolid x\n", "(NoName)"},
      {"solid first\nsolid second\n", "second"},
      {"solid first\nsolid\n", "first"},
  };
  for (const auto& c : cases) {
    Load load;
    LoadBytes(c.lines + AsciiFacetLines(CubeFacets()), load);
    ASSERT_EQ(load.result, 1) << c.lines;
    EXPECT_EQ(GroupName(load.record), c.name) << c.lines;
  }
  // A name at the end of a file without a line end.
  Load load;
  LoadBytes(AsciiFacetLines(CubeFacets()) + "solid last", load);
  ASSERT_EQ(load.result, 1);
  EXPECT_EQ(GroupName(load.record), "last");
}

TEST_F(StlLoaderTest, AsciiFacetKeepsItsFirstThreeVertices) {
  Load load;
  LoadBytes(
      "solid\nfacet normal 0 0 1\nouter loop\nvertex 1 2 3\nvertex 4 5 6\nvertex 7 8 9\nvertex 10 11 12\n"
      "endloop\nendfacet\nfacet\nvertex 13 14 15\nvertex 16 17 18\nvertex 19 20 21\nendfacet\n",
      load);
  ASSERT_EQ(load.result, 1);
  ExpectRecordShape(load.record, 2);
  ExpectSequentialTriangles(load.record);
  EXPECT_EQ(Flat(Vertices(load.record)),
            (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 14, 15, 16, 17, 18, 19, 20, 21}));
}

TEST_F(StlLoaderTest, AsciiLinesOutsideTheCountedFacetsAreDroppedNotStoredBeyondTheBlocks) {
  // Two "facet" lines size the blocks for 6 vertices and 2 triangles.
  Load load;
  LoadBytes(
      "vertex 9 9 9\n"  // before any facet: dropped
      "facet\n"
      "vertex 1 2 3\n"
      "vertex 4 5\n"    // the missing z reads as 0
      "vertex 7,8,9\n"  // commas separate like spaces
      "endfacet\n"
      "endfacet\n"  // closes triangle 1, which got no vertices
      "endfacet\n"  // a third triangle does not exist: dropped
      "facet\n"
      "vertex 1 1 1\n"  // stored, but would be a corner of the missing third triangle
      "endfacet\n",
      load);
  ASSERT_EQ(load.result, 1);
  ExpectRecordShape(load.record, 2);
  EXPECT_EQ(Flat(Vertices(load.record)),
            (std::vector<float>{1, 2, 3, 4, 5, 0, 7, 8, 9, 1, 1, 1, 0, 0, 0, 0, 0, 0}));
  const std::vector<ModelExchangeTriangle> triangles = Triangles(load.record);
  EXPECT_EQ(std::vector<int32_t>(triangles[0].vertexIndex, triangles[0].vertexIndex + 3),
            (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(std::vector<int32_t>(triangles[1].vertexIndex, triangles[1].vertexIndex + 3),
            (std::vector<int32_t>{0, 0, 0}));
  EXPECT_EQ(GroupIndices(load.record), (std::vector<uint32_t>{0, 1}));
  CZtModel model;
  EXPECT_EQ(ModelFromExchangeRecord(&load.record, &model), 1);
}

TEST_F(StlLoaderTest, AsciiNumbersReadLikeStrtodInTheCLocaleThenBecomeFloat) {
  const char* tokens[] = {
      "1", "+1.5", "-2.5e+01", "-1.234567e+01", "-1.234567e-01", "2.5E-3", "1E3", ".5", "5.", "-0",
      "1e",  // an exponent without digits is not part of the number
      "1e+",
      "1.5abc",  // the number ends where the text stops being one
      "abc",     // no number: 0
      "--1", "+-1", ".",
      "0x1p3",  // hexadecimal
      "-0X1.8", "0x", "0x.8p1",
      "0xinf",  // hexadecimal digits must follow "0x"
      "0x.", "inf", "-Infinity",
      "1e400",    // beyond double: infinity
      "-1e-400",  // below double: -0
      "1e-310",   // a subnormal double, 0 as float
      "3.4028235e38", "3.4028236e38", "123456789012345678901234567890",
      "0.1000000000000000055511151231257827021181583404541015625", "9007199254740993", "1e22", "1e23",
      "4.9e-324",
      // Halfway between 1 and the next float only once rounded to double:
      // read straight as float it would round up.
      "1.0000000596046447753906251",
      "\v7.25",  // strtod skips this white space, and it is no delimiter
  };
  std::string text = "solid\n";
  for (const char* token : tokens) text += std::string("facet\nvertex ") + token + " 0 0\nendfacet\n";
  Load load;
  LoadBytes(text, load);
  ASSERT_EQ(load.result, 1);
  const std::vector<ModelExchangeVertex> vertices = Vertices(load.record);
  ASSERT_EQ(vertices.size(), 3 * std::size(tokens));
  for (size_t i = 0; i < std::size(tokens); ++i) {
    const auto expected = static_cast<float>(std::strtod(tokens[i], nullptr));
    const float actual = vertices[i].x;  // one vertex line per facet: stored one after another
    EXPECT_EQ(std::bit_cast<uint32_t>(actual), std::bit_cast<uint32_t>(expected))
        << tokens[i] << ": " << actual << " instead of " << expected;
  }
  Load nan;
  LoadBytes("facet\nvertex nan -nan nan(123)\n", nan);
  ASSERT_EQ(nan.result, 1);
  const ModelExchangeVertex v = Vertices(nan.record)[0];
  EXPECT_TRUE(std::isnan(v.x) && std::isnan(v.y) && std::isnan(v.z));
}

TEST_F(StlLoaderTest, AsciiNumberSweepMatchesStrtodInEveryForm) {
  // Random decimals in the forms exporters write: %e, %f, %g-like, with and
  // without sign, point, exponent sign, up to 22 digits.
  std::mt19937 random(20240611);
  std::vector<std::string> tokens;
  for (int i = 0; i < 30000; ++i) {
    std::string token;
    const unsigned form = random();
    if (form & 1) token += (form & 2) ? '-' : '+';
    const int digits = 1 + static_cast<int>(random() % 22);
    const int point = static_cast<int>(random() % (digits + 2)) - 1;  // -1: no point
    for (int d = 0; d < digits; ++d) {
      if (d == point) token += '.';
      token += static_cast<char>('0' + random() % 10);
    }
    if (point == digits) token += '.';
    if (form & 4) {
      token += (form & 8) ? 'e' : 'E';
      if (form & 16) token += (form & 32) ? '-' : '+';
      token += std::to_string(random() % 40);
    }
    tokens.push_back(token);
  }
  std::string text;
  for (size_t i = 0; i < tokens.size(); i += 3)
    text += "facet\nvertex " + tokens[i] + " " + tokens[i + 1] + " " + tokens[i + 2] + "\n";
  Load load;
  LoadBytes(text, load);
  ASSERT_EQ(load.result, 1);
  const std::vector<float> coordinates = Flat(Vertices(load.record));
  int wrong = 0;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const auto expected = static_cast<float>(std::strtod(tokens[i].c_str(), nullptr));
    if (std::bit_cast<uint32_t>(coordinates[i]) != std::bit_cast<uint32_t>(expected) && ++wrong <= 10)
      ADD_FAILURE() << tokens[i] << ": " << coordinates[i] << " instead of " << expected;
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(StlLoaderTest, AsciiProgressComesBeforeEveryTenThousandthLineWithLinesPlusOneAsTotal) {
  const std::string cube = AsciiStl(CubeFacets());
  const int cubeLines = LineCount(cube);
  Load load;
  LoadBytes(cube + std::string(25000 - cubeLines, '\n'), load);
  ASSERT_EQ(load.result, 1);
  EXPECT_EQ(ProgressLog::calls, (Calls{{0, 25001}, {10000, 25001}, {20000, 25001}}));

  Load exact;
  LoadBytes(cube + std::string(20000 - cubeLines, '\n'), exact);
  ASSERT_EQ(exact.result, 1);
  EXPECT_EQ(ProgressLog::calls, (Calls{{0, 20001}, {10000, 20001}, {20000, 20001}}));
}

TEST_F(StlLoaderTest, CancelFreesEverythingAndReturnsZero) {
  const std::string ascii = AsciiStl(CubeFacets()) + std::string(25000, '\n');
  const std::string binary = BinaryStl(ManyFacets(20000));
  const struct {
    const char* what;
    const std::string& bytes;
    int stopAtCall;
  } cases[] = {
      {"binary, before the first facet", binary, 0},
      {"binary, half way", binary, 1},
      {"ASCII, before the first line", ascii, 0},
      {"ASCII, at line 20000", ascii, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Load load;
    LoadBytes(c.bytes, load, c.stopAtCall);
    EXPECT_EQ(load.result, 0);
    EXPECT_TRUE(IsAllZero(load.record));
    EXPECT_EQ(ProgressLog::calls.size(), static_cast<size_t>(c.stopAtCall) + 1);
  }
}

TEST_F(StlLoaderTest, LinesLongerThan255CharactersAreReadInPiecesThatCountAsLines) {
  // Each text follows a well-formed cube; the progress total shows how many
  // lines the reader saw.  "\r\n" counts as one character.
  const std::string cube = AsciiStl(CubeFacets());
  const int cubeLines = LineCount(cube);
  const struct {
    std::string text;
    int lines;
  } cases[] = {
      {std::string(254, 'x') + "\n", 1},
      {std::string(255, 'x') + "\n", 2},  // the line feed comes as a line of its own
      {std::string(254, 'x') + "\r\n", 1},
      {std::string(255, 'x') + "\r\n", 2},
      {std::string(600, 'x'), 3},  // 255 + 255 + 90, without a line end
      {std::string(510, 'x') + "\n", 3},
  };
  for (const auto& c : cases) {
    Load load;
    LoadBytes(cube + c.text, load);
    ASSERT_EQ(load.result, 1);
    ASSERT_FALSE(ProgressLog::calls.empty());
    EXPECT_EQ(ProgressLog::calls.front().second, cubeLines + c.lines + 1) << c.text.size() << " bytes";
  }
}

TEST_F(StlLoaderTest, APieceOfALongLineStartsWithItsOwnFirstToken) {
  // "facet" at character 256 starts the second piece, so it counts; the
  // numbers of the last vertex line are cut after "1." by the piece end.
  const std::string longVertex = "vertex" + std::string(247, ' ') + "1.5 2 3\n";
  ASSERT_EQ(longVertex.find("1.5"), 253u);
  Load load;
  LoadBytes(
      std::string(255, ' ') + "facet normal 0 0 1\nvertex 1 2 3\nvertex 4 5 6\n" + longVertex + "endfacet\n",
      load);
  ASSERT_EQ(load.result, 1);
  ExpectRecordShape(load.record, 1);
  EXPECT_EQ(Flat(Vertices(load.record)), (std::vector<float>{1, 2, 3, 4, 5, 6, 1, 0, 0}));
}

// ---- arguments and files -------------------------------------------------------

TEST_F(StlLoaderTest, NullArgumentsAndUnreadablePathsFail) {
  ModelExchangeRecord untouched;
  std::memset(&untouched, 0x5A, sizeof untouched);
  const ModelExchangeRecord copy = untouched;
  EXPECT_EQ(Module().loadModel(nullptr, nullptr, &untouched), -1);
  EXPECT_EQ(std::memcmp(&untouched, &copy, sizeof copy), 0);

  const std::string path = m_dir.File("cube.stl");
  WriteFile(path, BinaryStl(CubeFacets()));
  EXPECT_EQ(Module().loadModel(path.c_str(), nullptr, nullptr), -1);

  for (const std::string& unreadable : {m_dir.File("missing.stl"), m_dir.path().string()}) {
    ModelExchangeRecord record;
    std::memset(&record, 0x5A, sizeof record);  // the loader zeroes it first
    EXPECT_EQ(Module().loadModel(unreadable.c_str(), nullptr, &record), -1) << unreadable;
    EXPECT_TRUE(IsAllZero(record));
  }

  Load withoutCallback;
  withoutCallback.result = Module().loadModel(path.c_str(), nullptr, &withoutCallback.record);
  EXPECT_EQ(withoutCallback.result, 1);
  ExpectRecordShape(withoutCallback.record, 12);
}

}  // namespace
