// Every model and NC program enters the viewer here, and every model leaves
// through the export path: plug-in discovery, dispatch by extension and
// chosen filter, the progress window, conversion into rendering objects and
// the failure messages.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

#include "plugin_interface/PluginRegistry.h"

class QWidget;
class CDialogProgress;
class CRenderingObjectModel;
class CTreeCtrlRenderingObject;

class CImportPipeline {
public:
  // Dispatch kinds below 3 choose the plug-in automatically.
  static constexpr int kDispatchAutomatic = 0;
  static constexpr int kDispatchAllFiles = 1;
  static constexpr int kDispatchSupported = 2;
  static constexpr int kFirstPluginFilter = 3;

  CImportPipeline();
  ~CImportPipeline();

  // Loads the plug-ins from folder (default: "plugins" beside the program).
  void DiscoverPlugins(const std::string& folder = CPluginRegistry::DefaultFolder());
  void UnloadPlugins();
  const CPluginRegistry& Plugins() const { return m_plugins; }

  // 1 when the file was imported or the user cancelled, 0 after a failure
  // (its message has been shown).
  int ImportFile(const std::wstring& path, int dispatchKind);
  // Imports files in order; then, when the tree was empty before and holds
  // something afterwards, asks the view to fit.  Returns the number of files
  // that failed.
  int ImportFiles(const QStringList& paths, int dispatchKind);
  // The "インポート(&I)..." command: the file dialog, then ImportFiles.
  void ImportCommand(QWidget* parent);
  // A recent-file entry: imported automatically; a failure removes it.
  void ImportRecentFile(int index);

  // 1 when written or cancelled, 0 after a failure.
  int ExportModel(CRenderingObjectModel* model, const std::wstring& path);
  // The export dialog's action: the save dialog for a picked model.
  void ExportCommand(QWidget* parent, CRenderingObjectModel* model);

  // The import dialog's filter text with "|" separators, and the export's.
  std::wstring ImportFilterText() const;
  std::wstring ExportFilterText() const;

  // Settings kept in the view's section.
  void Profile(bool save);
  std::wstring initialFolder;
  std::vector<std::wstring> ncExtensions{L".nc", L".ncd"};
  bool anyExtensionIsNc = false;
  bool showCodeListAfterImport = false;

  // Recent files, newest first, at most five.
  QStringList RecentFiles() const { return m_recentFiles; }
  void SetRecentFiles(const QStringList& files);
  std::function<void(const QStringList&)> recentFilesChanged;

  // Hooks into the view: fit after an import into an empty tree (refit true)
  // and the far distance; repaint.
  std::function<void(bool refit)> afterImport;
  // Reads an NC program into a new tool path object; the NC reader plugs in
  // here.  Returns 1, 0 (cancelled) or -1.
  std::function<int(const std::wstring& longPath, const std::string& narrowPath)> importNcProgram;

  // The progress callback handed to plug-ins and readers.
  static int ProgressCallback(int current, int total);
  // The progress window now open, or null.
  static CDialogProgress* ProgressWindow();
  // The owner the progress window disables (the main window).
  static void SetProgressOwner(QWidget* owner);

  // The remembered filter positions of the two file dialogs.
  static int lastImportFilter;
  static int lastExportFilter;

private:
  int ImportModel(const ImportPluginEntry& plugin, const std::wstring& longPath, const std::string& narrowPath);
  bool IsNcFile(const std::wstring& extension, int dispatchKind) const;
  void AddRecentFile(const std::wstring& path);
  CTreeCtrlRenderingObject* Tree() const;

  CPluginRegistry m_plugins;
  QStringList m_recentFiles;
};

// Splits a path into drive + folder (with its trailing separator), name and
// extension (with its point).
struct SplitPath {
  std::wstring folder, name, extension;
};
SplitPath SplitFilePath(const std::wstring& path);

// Qt file-dialog filters from a "text|pattern|text|pattern|" filter text.
QStringList QtFileFilters(const std::wstring& filterText);

// Splits a command line: white space separates arguments; an argument that
// begins with a double quote runs, without its quotes, to the next double
// quote followed by white space or the end of the line.
std::vector<std::wstring> SplitCommandLine(const std::wstring& line);
// Joins arguments into a command line that SplitCommandLine takes apart again.
std::wstring JoinCommandLine(const std::vector<std::wstring>& arguments);
