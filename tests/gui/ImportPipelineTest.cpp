// The import and export pipeline against real and misbehaving plug-ins.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTimer>

#include <filesystem>

#include "GuiTestSupport.h"
#include "app/DialogProgress.h"
#include "app/ImportPipeline.h"
#include "app/ProductInfo.h"
#include "app/TreeCtrlRenderingObject.h"
#include "render/RenderingObjectGeometricModel.h"
#include "render/RenderingObjectModel.h"
#include "support/TestSupport.h"

namespace {

using guitest::Managers;
using guitest::MessageRecorder;
using guitest::OffscreenGL;
using testsupport::TempDir;

class ImportPipelineTest : public ::testing::Test {
protected:
  ImportPipelineTest() {
    SetProductName(QStringLiteral("Pilvo Nc Viewer"));
    managers.rendering.objectTree = &tree;
    pipeline.DiscoverPlugins(PILVO_TEST_PLUGIN_DIR);
    CImportPipeline::lastExportFilter = 2;
  }
  ~ImportPipelineTest() override {
    tree.DeleteAll();
    managers.rendering.objectTree = nullptr;
  }

  // The dispatch kind that chooses the plug-in in file name.
  int FilterOf(const std::string& name) const {
    const auto& plugins = pipeline.Plugins().importPlugins;
    for (size_t i = 0; i < plugins.size(); ++i)
      if (plugins[i].path.ends_with("/" + name)) return CImportPipeline::kFirstPluginFilter + static_cast<int>(i);
    ADD_FAILURE() << name;
    return 0;
  }

  CRenderingObjectModel* ModelAt(int index) const {
    return static_cast<CRenderingObjectModel*>(CTreeCtrlRenderingObject::ObjectOf(tree.topLevelItem(index)));
  }

  static std::wstring Wide(const std::string& path) { return std::filesystem::path(path).wstring(); }

  OffscreenGL gl;
  Managers managers;
  CTreeCtrlRenderingObject tree;
  CImportPipeline pipeline;
  MessageRecorder recorder;
  TempDir folder;
};

TEST_F(ImportPipelineTest, ASampleBecomesAModelItemWithOneCheckedChildPerGroup) {
  ASSERT_EQ(pipeline.ImportFile(Wide(PILVO_SAMPLES_DIR "/bracket.stl"), CImportPipeline::kDispatchAutomatic), 1);
  EXPECT_TRUE(recorder.messages.isEmpty()) << recorder.messages.join(QStringLiteral("; ")).toStdString();
  ASSERT_EQ(tree.topLevelItemCount(), 1);
  QTreeWidgetItem* item = tree.topLevelItem(0);
  EXPECT_EQ(item->text(0), QStringLiteral("bracket.stl"));
  EXPECT_TRUE(item->isExpanded());
  ASSERT_EQ(item->childCount(), 1);
  EXPECT_EQ(item->child(0)->checkState(0), Qt::Checked);
  EXPECT_EQ(ModelAt(0)->model->triangles.size(), 720u);
  EXPECT_EQ(pipeline.RecentFiles().value(0), QString::fromStdWString(Wide(PILVO_SAMPLES_DIR "/bracket.stl")));
}

TEST_F(ImportPipelineTest, FailuresShowTheirMessageAndAddNothing) {
  const std::string unsupported = folder.File("part.xyz");
  const std::string broken = folder.File("broken.stl");
  testsupport::WriteFile(unsupported, "data");
  testsupport::WriteFile(broken, testsupport::BinaryStl(testsupport::CubeFacets(), "", 99));  // shorter than announced
  testsupport::WriteFile(folder.File("x.fake"), "x");
  struct Case {
    std::string path;
    int kind;
    const char* message;
  } cases[] = {
      {folder.File("missing.stl"), 0, "ファイル読み込み失敗\r\n"},
      {unsupported, 0, "ファイル読み込み失敗（未対応な拡張子）\r\n"},
      {broken, 0, "ファイル読み込み失敗（読み込みプラグイン内で読み込み失敗）\r\n"},
      {folder.File("x.fake"), FilterOf("StlFake_failing.so"), "ファイル読み込み失敗（読み込みプラグイン内で読み込み失敗）\r\n"},
      {folder.File("x.fake"), FilterOf("StlFake_zerovertices.so"),
       "ファイル読み込み失敗（読み込みプラグインで読み込んだデータが正しくありません。）\r\n"},
      {folder.File("x.fake"), FilterOf("StlFake_badindex.so"),
       "ファイル読み込み失敗（読み込みプラグインで読み込んだデータが正しくありません。）\r\n"},
  };
  for (const Case& c : cases) {
    recorder.messages.clear();
    EXPECT_EQ(pipeline.ImportFile(Wide(c.path), c.kind), 0) << c.path;
    ASSERT_EQ(recorder.messages.size(), 1) << c.path;
    EXPECT_TRUE(recorder.messages[0].startsWith(QString::fromUtf8(c.message))) << recorder.messages[0].toStdString();
    EXPECT_TRUE(recorder.messages[0].endsWith(QString::fromStdString(std::filesystem::path(c.path).filename().string())));
  }
  EXPECT_EQ(tree.topLevelItemCount(), 0);
}

TEST_F(ImportPipelineTest, NcFilesAreRefusedByTheStlProductAndGoToTheNcReaderInTheNcProduct) {
  const std::string program = folder.File("program.nc");
  testsupport::WriteFile(program, "G00 X0 Y0\n");
  int ncCalls = 0;
  pipeline.importNcProgram = [&](const std::wstring&, const std::string&) { return ++ncCalls, 1; };
  EXPECT_EQ(pipeline.ImportFile(Wide(program), 0), 1);
  EXPECT_EQ(ncCalls, 1);

  SetProductName(QStringLiteral("Pilvo Stl Viewer"));
  EXPECT_EQ(pipeline.ImportFile(Wide(program), 0), 0);
  EXPECT_EQ(ncCalls, 1);
  ASSERT_EQ(recorder.messages.size(), 1);
  EXPECT_TRUE(recorder.messages[0].startsWith(QStringLiteral("ファイル読み込み失敗（未対応な拡張子）")));
  EXPECT_EQ(pipeline.ImportFilterText().find(L"NC"), std::wstring::npos);
  SetProductName(QStringLiteral("Pilvo Nc Viewer"));

  pipeline.anyExtensionIsNc = true;
  EXPECT_EQ(pipeline.ImportFile(Wide(folder.File("x.fake")), 0), 0) << "missing file is checked first";
  testsupport::WriteFile(folder.File("program.txt"), "G01 X1\n");
  EXPECT_EQ(pipeline.ImportFile(Wide(folder.File("program.txt")), 0), 1);
  EXPECT_EQ(ncCalls, 2);
}

TEST_F(ImportPipelineTest, FilterTextListsPluginsAndNcPatterns) {
  const std::wstring text = pipeline.ImportFilterText();
  EXPECT_TRUE(text.starts_with(L"すべてのファイル (*.*)|*.*|サポートされたファイル|*.fake;"));
  EXPECT_NE(text.find(L"*.stl;*.nc;*.ncd|"), std::wstring::npos);
  EXPECT_NE(text.find(L"STL ファイル (*.stl)|*.stl|"), std::wstring::npos);
  EXPECT_TRUE(text.ends_with(L"NC ファイル (*.nc;*.ncd)|*.nc;*.ncd|"));
  const QStringList qt = QtFileFilters(text);
  EXPECT_EQ(qt.value(0), QStringLiteral("すべてのファイル (*.*)"));
  EXPECT_TRUE(qt.contains(QStringLiteral("STL ファイル (*.stl)")));
}

TEST_F(ImportPipelineTest, GroupsWithoutTrianglesGetNoObjectAndUnpaintedGroupsWalkThroughThePresets) {
  testsupport::WriteFile(folder.File("three.fake"), "x");
  const int kind = FilterOf("StlFake_threegroups.so");
  for (int i = 0; i < 13; ++i) ASSERT_EQ(pipeline.ImportFile(Wide(folder.File("three.fake")), kind), 1);
  ASSERT_EQ(tree.topLevelItem(0)->childCount(), 2);
  // Two painted groups per file: the fourth one overall gets preset 3, the 25th preset 0 again.
  const auto diffuseOf = [&](int file, int child) {
    auto* object = static_cast<CRenderingObjectGeometricModel*>(
        CTreeCtrlRenderingObject::ObjectOf(tree.topLevelItem(file)->child(child)));
    return object->GetMaterial().diffuse[0];
  };
  EXPECT_EQ(diffuseOf(1, 1), managers.materials.GetPreset(3).diffuse[0]);
  EXPECT_EQ(diffuseOf(12, 0), managers.materials.GetPreset(0).diffuse[0]);
}

TEST_F(ImportPipelineTest, ExportAndImportAgainGiveTheSameTriangles) {
  ASSERT_EQ(pipeline.ImportFile(Wide(PILVO_SAMPLES_DIR "/assembly.stl"), 0), 1);
  const std::string exported = folder.File("copy.stl");
  ASSERT_EQ(pipeline.ExportModel(ModelAt(0), Wide(exported)), 1);
  ASSERT_EQ(pipeline.ImportFile(Wide(exported), 0), 1);
  const CZtModel& original = *ModelAt(0)->model;
  const CZtModel& copy = *ModelAt(1)->model;
  ASSERT_EQ(copy.triangles.size(), original.triangles.size());
  for (size_t t = 0; t < original.triangles.size(); ++t)
    for (int k = 0; k < 3; ++k)
      ASSERT_EQ(copy.vertices[copy.triangles[t].vertexIndex[k]], original.vertices[original.triangles[t].vertexIndex[k]]);
  EXPECT_TRUE(recorder.messages.isEmpty());
}

TEST_F(ImportPipelineTest, ExportFailuresLeaveNoFile) {
  ASSERT_EQ(pipeline.ImportFile(Wide(PILVO_SAMPLES_DIR "/ring.stl"), 0), 1);
  const std::string unsupported = folder.File("ring.obj");
  EXPECT_EQ(pipeline.ExportModel(ModelAt(0), Wide(unsupported)), 0);
  ASSERT_EQ(recorder.messages.size(), 1);
  EXPECT_TRUE(recorder.messages[0].startsWith(QStringLiteral("ファイル保存失敗（未対応な拡張子）\r\n")));
  EXPECT_FALSE(std::filesystem::exists(unsupported));

  // The plug-in's own filter and no extension: its default extension is added.
  CImportPipeline::lastExportFilter = CImportPipeline::kFirstPluginFilter;
  EXPECT_EQ(pipeline.ExportModel(ModelAt(0), Wide(folder.File("noext"))), 1);
  EXPECT_TRUE(std::filesystem::exists(folder.File("noext.stl")));

  recorder.messages.clear();
  CImportPipeline::lastExportFilter = 2;
  const std::string unwritable = folder.File("missing-folder/ring.stl");
  EXPECT_EQ(pipeline.ExportModel(ModelAt(0), Wide(unwritable)), 0);
  ASSERT_EQ(recorder.messages.size(), 1);
  EXPECT_TRUE(recorder.messages[0].startsWith(QStringLiteral("ファイル保存失敗\r\n")));
}

TEST_F(ImportPipelineTest, CancelDuringALargeImportLeavesNothingBehind) {
  std::vector<testsupport::Facet> facets(60000, testsupport::Facet{0, 0, 0, 1, 0, 0, 0, 1, 0});
  const std::string large = folder.File("large.stl");
  testsupport::WriteFile(large, testsupport::BinaryStl(facets));
  QStringList seenPercent;
  QTimer cancel;
  cancel.setInterval(0);
  QObject::connect(&cancel, &QTimer::timeout, [&] {
    if (CDialogProgress* window = CImportPipeline::ProgressWindow()) {
      seenPercent << window->PercentText();
      if (window->Percent() > 0) window->CancelButton()->click();
    }
  });
  cancel.start();
  EXPECT_EQ(pipeline.ImportFile(Wide(large), 0), 1);
  cancel.stop();
  EXPECT_TRUE(recorder.messages.isEmpty());
  EXPECT_EQ(tree.topLevelItemCount(), 0);
  EXPECT_EQ(CImportPipeline::ProgressWindow(), nullptr);
  EXPECT_TRUE(seenPercent.contains(QStringLiteral("17%"))) << seenPercent.join(QLatin1Char(',')).toStdString();
}

TEST_F(ImportPipelineTest, ProgressTextShowsOneHundredAndAFailedRecentFileDisappears) {
  CImportPipeline::ProgressCallback(-1, 0);
  ASSERT_NE(CImportPipeline::ProgressWindow(), nullptr);
  CImportPipeline::ProgressCallback(50, 50);
  EXPECT_EQ(CImportPipeline::ProgressWindow()->PercentText(), QStringLiteral("100%"));
  CImportPipeline::ProgressCallback(0, -1);
  EXPECT_EQ(CImportPipeline::ProgressWindow(), nullptr);

  const std::string gone = folder.File("gone.stl");
  pipeline.SetRecentFiles({QString::fromStdString(gone), QStringLiteral(PILVO_SAMPLES_DIR "/ring.stl")});
  pipeline.ImportRecentFile(0);
  EXPECT_EQ(pipeline.RecentFiles(), QStringList{QStringLiteral(PILVO_SAMPLES_DIR "/ring.stl")});
  ASSERT_EQ(recorder.messages.size(), 1);
  EXPECT_TRUE(recorder.messages[0].startsWith(QStringLiteral("ファイル読み込み失敗\r\n")));
}

TEST(CommandLine, SplitsAtWhiteSpaceAndKeepsQuotedArguments) {
  struct Case {
    std::wstring line;
    std::vector<std::wstring> arguments;
  } cases[] = {
      {L"viewer a.stl  b.stl", {L"viewer", L"a.stl", L"b.stl"}},
      {L"viewer \"my part.stl\" b", {L"viewer", L"my part.stl", L"b"}},
      {L"viewer \"a\"b\" c", {L"viewer", L"a\"b", L"c"}},
      {L"viewer \"unterminated", {L"viewer", L"unterminated"}},
      {L"   ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.arguments);
  const std::vector<std::wstring> arguments{L"/opt/viewer", L"/tmp/my part.stl", L"x.stl"};
  EXPECT_EQ(SplitCommandLine(JoinCommandLine(arguments)), arguments);
}

}  // namespace
