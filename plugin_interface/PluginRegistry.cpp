#include "plugin_interface/PluginRegistry.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "plugin_interface/TextCodec.h"

namespace {

template <typename Function>
Function Lookup(void* module, const char* name) {
  return reinterpret_cast<Function>(dlsym(module, name));
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Regular files of folder that match, sorted so that the binding order does
// not depend on the file system.
std::vector<std::string> MatchingFiles(const std::string& folder, const std::string& nameFilter) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.empty() || name[0] == '.') continue;
    if (!EndsWith(name, ".so")) continue;
    if (!nameFilter.empty() && name.find(nameFilter) == std::string::npos) continue;
    struct stat info;
    const std::string path = folder + "/" + name;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    names.push_back(path);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::wstring TakeTextBlock(HGLOBAL block) {
  if (!block) return {};
  std::wstring text;
  if (const char* data = static_cast<const char*>(GlobalLock(block))) {
    text = WideFromUtf8(std::string_view(data, strnlen(data, GlobalSize(block))));
    GlobalUnlock(block);
  }
  GlobalFree(block);
  return text;
}

CPluginRegistry::~CPluginRegistry() { Unload(); }

std::string CPluginRegistry::DefaultFolder() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "plugins";
  path[length] = '\0';
  std::string folder(path);
  const size_t slash = folder.rfind('/');
  folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
  return folder + "plugins";
}

void CPluginRegistry::Discover(const std::string& folder, const std::string& nameFilter, bool bindNcChecks) {
  for (const std::string& path : MatchingFiles(folder, nameFilter)) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) continue;
    if (BindImport(module, path) || BindExport(module, path) || (bindNcChecks && BindNcCheck(module, path))) continue;
    dlclose(module);
  }
}

bool CPluginRegistry::BindImport(void* module, const std::string& path) {
  const auto getFilterInfo = Lookup<GetFilterInfoFunction>(module, "GetFilterInfo");
  const auto isSupported = Lookup<IsSupportedFunction>(module, "IsSupported");
  const auto loadModel = Lookup<LoadModelFunction>(module, "LoadModel");
  if (!getFilterInfo || !isSupported || !loadModel) return false;
  ImportPluginEntry entry;
  entry.module = module;
  entry.path = path;
  entry.isSupported = isSupported;
  entry.loadModel = loadModel;
  HGLOBAL filterText = nullptr, pattern = nullptr;
  if (getFilterInfo(&filterText, &pattern)) {
    entry.filterText = TakeTextBlock(filterText);
    entry.pattern = TakeTextBlock(pattern);
  }
  importPlugins.push_back(std::move(entry));
  return true;
}

bool CPluginRegistry::BindExport(void* module, const std::string& path) {
  const auto getFilterInfo = Lookup<GetFilterInfoFunction>(module, "GetFilterInfo");
  const auto getDefExt = Lookup<GetDefExtFunction>(module, "GetDefExt");
  const auto isSupported = Lookup<IsSupportedFunction>(module, "IsSupported");
  const auto saveModel = Lookup<SaveModelFunction>(module, "SaveModel");
  if (!getFilterInfo || !getDefExt || !isSupported || !saveModel) return false;
  ExportPluginEntry entry;
  entry.module = module;
  entry.path = path;
  entry.isSupported = isSupported;
  entry.saveModel = saveModel;
  HGLOBAL filterText = nullptr, pattern = nullptr, extension = nullptr;
  if (getFilterInfo(&filterText, &pattern)) {
    entry.filterText = TakeTextBlock(filterText);
    entry.pattern = TakeTextBlock(pattern);
  }
  if (getDefExt(&extension)) entry.defaultExtension = TakeTextBlock(extension);
  exportPlugins.push_back(std::move(entry));
  return true;
}

bool CPluginRegistry::BindNcCheck(void* module, const std::string& path) {
  const auto getPluginInfo = Lookup<GetPluginInfoFunction>(module, "GetPluginInfo");
  const auto checkNcCode = Lookup<CheckNcCodeFunction>(module, "CheckNcCode");
  if (!getPluginInfo || !checkNcCode) return false;
  NcCheckPluginEntry entry;
  entry.module = module;
  entry.path = path;
  entry.checkNcCode = checkNcCode;
  HGLOBAL name = nullptr, description = nullptr;
  if (getPluginInfo(&name, &description, &entry.referenceValue)) {
    entry.name = TakeTextBlock(name);
    entry.description = TakeTextBlock(description);
  }
  ncCheckPlugins.push_back(std::move(entry));
  return true;
}

void CPluginRegistry::Unload() {
  for (const ImportPluginEntry& entry : importPlugins) dlclose(entry.module);
  for (const ExportPluginEntry& entry : exportPlugins) dlclose(entry.module);
  for (const NcCheckPluginEntry& entry : ncCheckPlugins) dlclose(entry.module);
  importPlugins.clear();
  exportPlugins.clear();
  ncCheckPlugins.clear();
}
