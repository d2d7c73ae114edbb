// Import of a large binary STL through the whole pipeline: plug-in, record,
// model, rendering objects and tree, as the command line does it.  Prints
// the time to the model in the tree, the peak memory, and what a cancelled
// import leaves behind.
//
//   build/bin/bench_gui_import [facets]      (default 2000000; runs offscreen)
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "app/DialogProgress.h"
#include "app/ImportPipeline.h"
#include "app/TreeCtrlRenderingObject.h"
#include "render/ManagerMaterialLibrary.h"
#include "render/ManagerPickObject.h"
#include "render/ManagerRenderingObject.h"
#include "render/ManagerTemporaryObject.h"
#include "support/TestSupport.h"

namespace {

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line))
    if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
  return -1;
}

// A tessellated sheet: unique facets so that nothing compresses.
void WriteLargeStl(const std::string& path, uint32_t facets) {
  std::ofstream out(path, std::ios::binary);
  char header[80] = "bench sheet";
  out.write(header, 80);
  out.write(reinterpret_cast<const char*>(&facets), 4);
  const uint32_t side = 1000;
  char record[50] = {};
  for (uint32_t i = 0; i < facets; ++i) {
    const float x = static_cast<float>(i % side), y = static_cast<float>(i / side);
    const float v[9] = {x, y, 0, x + 1, y, 0.5f, x, y + 1, 0.25f};
    std::memcpy(record + 12, v, sizeof v);
    out.write(record, 50);
  }
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const uint32_t facets = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 2000000u;
  QApplication application(argc, argv);
  CManagerMaterialLibrary materials;
  materials.Fill();
  CManagerTemporaryObject temporary;
  CPilvo3DManagerPickObject picks;
  CManagerRenderingObject rendering;
  CTreeCtrlRenderingObject tree;
  rendering.objectTree = &tree;
  CImportPipeline pipeline;
  pipeline.DiscoverPlugins(PILVO_PLUGIN_DIR);

  testsupport::TempDir folder;
  const std::string path = folder.File("large.stl");
  WriteLargeStl(path, facets);
  const QString file = QString::fromStdString(path);
  std::printf("file: %u facets, %.1f MB\n", facets, (84.0 + 50.0 * facets) / 1e6);
  malloc_trim(0);
  const long baseKiB = StatusKiB("VmRSS");

  // Cancel as soon as the bar has moved.
  int percentSeen = 0;
  QTimer cancel;
  cancel.setInterval(0);
  QObject::connect(&cancel, &QTimer::timeout, [&] {
    if (CDialogProgress* window = CImportPipeline::ProgressWindow()) {
      percentSeen = std::max(percentSeen, window->Percent());
      if (window->Percent() >= 30) window->CancelButton()->click();
    }
  });
  cancel.start();
  auto start = std::chrono::steady_clock::now();
  pipeline.ImportFiles({file}, CImportPipeline::kDispatchAutomatic);
  cancel.stop();
  malloc_trim(0);
  std::printf("cancelled at %d%% after %.3f s: %d items in the tree, RSS %+ld KiB against before\n", percentSeen,
              Seconds(start), tree.topLevelItemCount(), StatusKiB("VmRSS") - baseKiB);

  start = std::chrono::steady_clock::now();
  pipeline.ImportFiles({file}, CImportPipeline::kDispatchAutomatic);
  const double seconds = Seconds(start);
  std::printf("full import: %.3f s to the model in the tree (%d item), peak RSS %.1f MB = %.0f bytes per facet\n",
              seconds, tree.topLevelItemCount(), StatusKiB("VmHWM") / 1024.0,
              (StatusKiB("VmHWM") - baseKiB) * 1024.0 / facets);
  return 0;
}
