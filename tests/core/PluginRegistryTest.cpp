#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "plugin_interface/PluginRegistry.h"

namespace {

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

template <typename Entry>
std::vector<std::string> Names(const std::vector<Entry>& entries) {
  std::vector<std::string> names;
  for (const Entry& entry : entries) names.push_back(FileName(entry.path));
  return names;
}

TEST(PluginRegistry, BindsImportersThenExportersAndSkipsWhatIsNoPlugin) {
  CPluginRegistry registry;
  registry.Discover(PILVO_TEST_PLUGIN_DIR, "", true);
  // Name order; the library without entry points and the text file are left out.
  EXPECT_EQ(Names(registry.importPlugins),
            (std::vector<std::string>{"StlFake_badindex.so", "StlFake_failing.so", "StlFake_garbagefilter.so",
                                      "StlFake_threegroups.so", "StlFake_zerovertices.so", "StlLoader.so"}));
  EXPECT_EQ(Names(registry.exportPlugins), (std::vector<std::string>{"StlSaver.so"}));
  EXPECT_TRUE(registry.ncCheckPlugins.empty());

  const ImportPluginEntry& stl = registry.importPlugins.back();
  EXPECT_EQ(stl.filterText, L"STL ファイル (*.stl)");
  EXPECT_EQ(stl.pattern, L"*.stl");
  EXPECT_EQ(registry.exportPlugins[0].defaultExtension, L"stl");

  // Handles that are no blocks give empty texts, not a crash.
  const ImportPluginEntry& garbage = registry.importPlugins[2];
  EXPECT_TRUE(garbage.filterText.empty());
  EXPECT_EQ(garbage.pattern, L"xxxxxxxx");

  registry.Unload();
  EXPECT_TRUE(registry.importPlugins.empty());
  EXPECT_TRUE(registry.exportPlugins.empty());
}

TEST(PluginRegistry, NameFilterAndMissingFoldersAreHarmless) {
  CPluginRegistry registry;
  registry.Discover(PILVO_TEST_PLUGIN_DIR, "Saver", false);
  EXPECT_TRUE(registry.importPlugins.empty());
  EXPECT_EQ(registry.exportPlugins.size(), 1u);
  registry.Unload();
  registry.Discover("/nonexistent/pilvo/plugins", "", true);
  registry.Discover(std::string(PILVO_TEST_PLUGIN_DIR) + "/StlLoader.so", "", true);  // a file, not a folder
  EXPECT_TRUE(registry.importPlugins.empty());
  EXPECT_TRUE(registry.exportPlugins.empty());
}

TEST(PluginRegistry, TakeTextBlockFreesAndStopsAtTheBlockEnd) {
  EXPECT_EQ(TakeTextBlock(nullptr), L"");
  EXPECT_EQ(TakeTextBlock(AllocTextBlock("plain")), L"plain");
  HGLOBAL unterminated = GlobalAlloc(GHND, 3);
  std::memcpy(GlobalLock(unterminated), "abc", 3);
  GlobalUnlock(unterminated);
  EXPECT_EQ(TakeTextBlock(unterminated), L"abc");
}

}  // namespace
