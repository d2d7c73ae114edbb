// pilvo-inspect: the figures of model files, for batch checks.
//
//   pilvo-inspect [--json] [--divisions N] FILE...
//
// Prints one line per file (one JSON object per line with --json) with the
// facet count, whether the surface is closed and how many gap edges it has,
// the volume of a closed model, the bounding box and the projected area
// along z.  Files are read with the plug-ins beside the program.  The exit
// code is 1 when a file could not be read, 2 for a bad command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "geometry/ModelInspector.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: pilvo-inspect [--json] [--divisions N] FILE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool json = false;
  int divisions = 1000;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--json") {
      json = true;
    } else if (argument == "--divisions" && i + 1 < argc) {
      char* end = nullptr;
      const long value = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || value < 2 || value > 100000) {
        std::fprintf(stderr, "pilvo-inspect: --divisions needs a whole number from 2 to 100000\n");
        return 2;
      }
      divisions = static_cast<int>(value);
    } else if (argument == "--help" || argument == "-h") {
      Usage();
      return 0;
    } else if (!argument.empty() && argument[0] == '-' && argument != "-") {
      std::fprintf(stderr, "pilvo-inspect: unknown option %s\n", argument.c_str());
      return Usage();
    } else {
      files.push_back(argument);
    }
  }
  if (files.empty()) return Usage();

  CPluginRegistry plugins;
  plugins.Discover(CPluginRegistry::DefaultFolder(), "", false);
  if (plugins.importPlugins.empty()) {
    std::fprintf(stderr, "pilvo-inspect: no import plug-in in %s\n", CPluginRegistry::DefaultFolder().c_str());
    return 1;
  }
  int status = 0;
  for (const std::string& file : files) {
    const CModelInspection inspection = InspectModelFile(plugins, file, divisions);
    if (!inspection.error.empty()) {
      std::fprintf(stderr, "pilvo-inspect: %s: %s\n", file.c_str(), inspection.error.c_str());
      status = 1;
      if (!json) continue;
    }
    const std::string line = json ? FormatInspectionJson(inspection) : FormatInspectionText(inspection);
    std::printf("%s\n", line.c_str());
  }
  return status;
}
