// Finding, binding and unloading plug-ins.
//
// Every shared library in the plug-in folder whose name matches the pattern
// is loaded and bound as an import plug-in, else as an export plug-in, else
// (when NC checks are wanted) as an NC check plug-in; a library that is none
// of these is unloaded at once.  Libraries that do not load, files that are
// no libraries and unreadable folders are skipped.
#pragma once

#include <string>
#include <vector>

#include "plugin_interface/ModelExchange.h"

struct ImportPluginEntry {
  void* module = nullptr;
  std::string path;  // the library file
  std::wstring filterText;
  std::wstring pattern;
  IsSupportedFunction isSupported = nullptr;
  LoadModelFunction loadModel = nullptr;
};

struct ExportPluginEntry {
  void* module = nullptr;
  std::string path;  // the library file
  std::wstring filterText;
  std::wstring pattern;
  std::wstring defaultExtension;
  IsSupportedFunction isSupported = nullptr;
  SaveModelFunction saveModel = nullptr;
};

struct NcCheckPluginEntry {
  void* module = nullptr;
  std::string path;  // the library file
  std::wstring name;
  CheckNcCodeFunction checkNcCode = nullptr;
  std::wstring description;
  double referenceValue = 0.0;
};

class CPluginRegistry {
public:
  CPluginRegistry() = default;
  ~CPluginRegistry();
  CPluginRegistry(const CPluginRegistry&) = delete;
  CPluginRegistry& operator=(const CPluginRegistry&) = delete;

  // Loads the libraries in folder whose file name contains nameFilter (empty:
  // all) and ends in ".so", in name order.  NC check plug-ins are bound only
  // when bindNcChecks is set.
  void Discover(const std::string& folder, const std::string& nameFilter, bool bindNcChecks);
  // Unloads every module and empties the lists.
  void Unload();

  // "plugins" beside the running executable.
  static std::string DefaultFolder();

  std::vector<ImportPluginEntry> importPlugins;
  std::vector<ExportPluginEntry> exportPlugins;
  std::vector<NcCheckPluginEntry> ncCheckPlugins;

private:
  bool BindImport(void* module, const std::string& path);
  bool BindExport(void* module, const std::string& path);
  bool BindNcCheck(void* module, const std::string& path);
};

// Reads a text block handed over by a plug-in (UTF-8, NUL-terminated within
// the block), frees it and returns the text as wide text.  A null block
// gives an empty text.
std::wstring TakeTextBlock(HGLOBAL block);
