#include "app/ImportPipeline.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QPointer>
#include <QRegularExpression>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <memory>

#include "app/DialogProgress.h"
#include "app/MessageBox.h"
#include "app/ProductInfo.h"
#include "app/SettingsStore.h"
#include "app/TextFormat.h"
#include "app/TreeCtrlRenderingObject.h"
#include "app/WaitCursor.h"
#include "plugin_interface/ModelConversion.h"
#include "plugin_interface/TextCodec.h"
#include "render/ManagerMaterialLibrary.h"
#include "render/ManagerRenderingObject.h"
#include "render/RenderingObjectGeometricModel.h"
#include "render/RenderingObjectModel.h"

int CImportPipeline::lastImportFilter = 2;
int CImportPipeline::lastExportFilter = 2;

namespace {

const wchar_t kReadFailed[] = L"ファイル読み込み失敗\r\n%ls";
const wchar_t kPluginReadFailed[] = L"ファイル読み込み失敗（読み込みプラグイン内で読み込み失敗）\r\n%ls";
const wchar_t kPluginDataInvalid[] =
    L"ファイル読み込み失敗（読み込みプラグインで読み込んだデータが正しくありません。）\r\n%ls";
const wchar_t kUnsupportedExtension[] = L"ファイル読み込み失敗（未対応な拡張子）\r\n%ls";
const wchar_t kSaveFailed[] = L"ファイル保存失敗\r\n%ls";
const wchar_t kSaveUnsupportedExtension[] = L"ファイル保存失敗（未対応な拡張子）\r\n%ls";
const wchar_t kPickModel[] = L"モデルをピックしてください。";
constexpr int kRecentFileCount = 5;

QPointer<CDialogProgress>& ProgressSlot() {
  static QPointer<CDialogProgress> window;
  return window;
}

QPointer<QWidget>& ProgressOwner() {
  static QPointer<QWidget> owner;
  return owner;
}

void ShowFormatted(const wchar_t* format, const std::wstring& path) {
  ShowMessage(FormatText(format, path.c_str()), QMessageBox::Ok, QMessageBox::Warning);
}

void DestroyProgressWindow() {
  if (CDialogProgress* window = ProgressSlot()) {
    ProgressSlot() = nullptr;
    delete window;
  }
}

// Replaces any progress window by a fresh one showing path.
void OpenProgressWindow(const std::wstring& path) {
  CImportPipeline::ProgressCallback(-1, 0);
  if (CDialogProgress* window = ProgressSlot()) window->SetPath(QString::fromStdWString(path));
}

std::wstring LowerCase(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// The canonical absolute path, or false when the file does not exist.
bool LongPathOf(const std::wstring& path, std::wstring& longPath) {
  const std::string narrow = Utf8FromWide(path);
  char resolved[PATH_MAX];
  if (!realpath(narrow.c_str(), resolved)) return false;
  longPath = WideFromUtf8(resolved);
  return true;
}

// Frees the record whatever happens to the import.
struct RecordGuard {
  ModelExchangeRecord record{};
  ~RecordGuard() { FreeModelExchangeRecord(&record); }
};

}  // namespace

// ---- paths and filters --------------------------------------------------------

SplitPath SplitFilePath(const std::wstring& path) {
  SplitPath parts;
  const size_t slash = path.find_last_of(L'/');
  parts.folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
  const std::wstring file = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const size_t dot = file.find_last_of(L'.');
  if (dot == std::wstring::npos || dot == 0) {
    parts.name = file;
  } else {
    parts.name = file.substr(0, dot);
    parts.extension = file.substr(dot);
  }
  return parts;
}

QStringList QtFileFilters(const std::wstring& filterText) {
  const QStringList pieces = QString::fromStdWString(filterText).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
    const QString text = pieces[i];
    QString patterns = pieces[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    // Qt reads the patterns from the parentheses at the end of the text.
    if (text.endsWith(QStringLiteral("(") + patterns + QStringLiteral(")")) ||
        text.endsWith(QStringLiteral("(") + pieces[i + 1] + QStringLiteral(")")))
      filters << QString(text).replace(QLatin1Char(';'), QLatin1Char(' '));
    else
      filters << text + QStringLiteral(" (") + patterns + QStringLiteral(")");
  }
  return filters;
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
  std::vector<std::wstring> arguments;
  const auto isSpace = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; };
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isSpace(line[i])) ++i;
    if (i >= line.size()) break;
    std::wstring argument;
    if (line[i] == L'"') {
      ++i;
      // Runs to a quote that is followed by white space or the end.
      while (i < line.size() && !(line[i] == L'"' && (i + 1 == line.size() || isSpace(line[i + 1]))))
        argument += line[i++];
      if (i < line.size()) ++i;  // the closing quote
    } else {
      while (i < line.size() && !isSpace(line[i])) argument += line[i++];
    }
    arguments.push_back(argument);
  }
  return arguments;
}

std::wstring JoinCommandLine(const std::vector<std::wstring>& arguments) {
  std::wstring line;
  for (const std::wstring& argument : arguments) {
    if (!line.empty()) line += L' ';
    const bool needsQuotes =
        argument.empty() || argument.find_first_of(L" \t\r\n") != std::wstring::npos || argument[0] == L'"';
    line += needsQuotes ? L"\"" + argument + L"\"" : argument;
  }
  return line;
}

// ---- pipeline -------------------------------------------------------------------

CImportPipeline::CImportPipeline() = default;

CImportPipeline::~CImportPipeline() { UnloadPlugins(); }

void CImportPipeline::DiscoverPlugins(const std::string& folder) {
  // The STL product ships with, and binds, only the STL plug-ins.
  const bool ncProduct = IsNcProduct();
  m_plugins.Discover(folder, ncProduct ? std::string() : std::string("Stl"), ncProduct);
}

void CImportPipeline::UnloadPlugins() { m_plugins.Unload(); }

CTreeCtrlRenderingObject* CImportPipeline::Tree() const {
  CManagerRenderingObject* manager = CManagerRenderingObject::GetInstance();
  return manager ? manager->objectTree : nullptr;
}

CDialogProgress* CImportPipeline::ProgressWindow() { return ProgressSlot(); }

void CImportPipeline::SetProgressOwner(QWidget* owner) { ProgressOwner() = owner; }

int CImportPipeline::ProgressCallback(int current, int total) {
  if (current == -1) {
    DestroyProgressWindow();
    auto* window = new CDialogProgress(ProgressOwner());
    ProgressSlot() = window;
    window->show();
    return 1;
  }
  if (total == -1) {
    DestroyProgressWindow();
    return 1;
  }
  CDialogProgress* window = ProgressSlot();
  if (!window) return 1;
  QCoreApplication::processEvents();
  window = ProgressSlot();
  if (!window) return 1;
  if (window->CancelRequested()) {
    window->ClearCancel();
    DestroyProgressWindow();
    return 0;
  }
  QCoreApplication::processEvents();
  if (!ProgressSlot()) return 1;
  const double ratio = total > 0 ? static_cast<double>(current) / total : 0.0;
  const int percent = static_cast<int>(ratio * 100.0 + 0.5);
  ProgressSlot()->SetPercent(percent < 0 ? 0 : percent);
  return 1;
}

bool CImportPipeline::IsNcFile(const std::wstring& extension, int dispatchKind) const {
  const int ncFilter = kFirstPluginFilter + static_cast<int>(m_plugins.importPlugins.size());
  if (dispatchKind == ncFilter) return true;
  if (dispatchKind > kDispatchSupported) return false;
  if (anyExtensionIsNc) return true;
  const std::wstring lower = LowerCase(extension);
  for (const std::wstring& nc : ncExtensions)
    if (!extension.empty() && LowerCase(nc) == lower) return true;
  return false;
}

int CImportPipeline::ImportFile(const std::wstring& path, int dispatchKind) {
  std::wstring longPath;
  if (!LongPathOf(path, longPath)) {
    ShowFormatted(kReadFailed, path);
    return 0;
  }
  const std::string narrowPath = Utf8FromWide(longPath);
  const SplitPath parts = SplitFilePath(longPath);
  initialFolder = parts.folder;

  const auto& importers = m_plugins.importPlugins;
  for (size_t i = 0; i < importers.size(); ++i) {
    const bool automatic = dispatchKind <= kDispatchSupported;
    const bool chosen = dispatchKind == kFirstPluginFilter + static_cast<int>(i);
    if (chosen || (automatic && importers[i].isSupported(narrowPath.c_str())))
      return ImportModel(importers[i], longPath, narrowPath);
  }

  if (IsNcProduct() && IsNcFile(parts.extension, dispatchKind)) {
    const int result = importNcProgram ? importNcProgram(longPath, narrowPath) : -1;
    if (result == 0) return 1;
    if (result != 1) {
      ShowFormatted(kReadFailed, longPath);
      return 0;
    }
    AddRecentFile(longPath);
    return 1;
  }
  ShowFormatted(kUnsupportedExtension, longPath);
  return 0;
}

int CImportPipeline::ImportModel(const ImportPluginEntry& plugin, const std::wstring& longPath,
                                 const std::string& narrowPath) {
  OpenProgressWindow(longPath);
  RecordGuard guard;
  const int result = plugin.loadModel(narrowPath.c_str(), &CImportPipeline::ProgressCallback, &guard.record);
  ProgressCallback(0, -1);
  if (result == 0) return 1;
  if (result != 1) {
    ShowFormatted(kPluginReadFailed, longPath);
    return 0;
  }

  auto model = std::make_unique<CZtModel>();
  if (ModelFromExchangeRecord(&guard.record, model.get()) != 1) {
    ShowFormatted(kPluginDataInvalid, longPath);
    return 0;
  }
  FreeModelExchangeRecord(&guard.record);  // the model holds everything now

  CTreeCtrlRenderingObject* tree = Tree();
  CManagerRenderingObject* manager = CManagerRenderingObject::GetInstance();
  if (!tree || !manager) return 0;
  CWaitCursor wait;
  CZtModel* mesh = model.get();
  auto* modelObject = new CRenderingObjectModel(model.release());
  const SplitPath parts = SplitFilePath(longPath);
  modelObject->SetName(parts.name + parts.extension);
  QTreeWidgetItem* modelItem = tree->AddObject(modelObject);
  tree->SelectOnly(modelItem);

  const CManagerMaterialLibrary* library = CManagerMaterialLibrary::GetInstance();
  for (CZtGroup* group : mesh->groups) {
    if (group->triangleIndices.empty()) continue;
    auto* object = new CRenderingObjectGeometricModel(group, *manager->geometricDefault);
    if (!object->HasOwnMaterial()) {
      // Unpainted groups walk through the presets, across files.
      const CZtMaterial preset =
          library ? library->GetPreset(static_cast<unsigned>(manager->nextMaterialIndex)) : CZtMaterial();
      object->SetMaterial(preset.ambient, preset.diffuse, preset.specular, preset.shininess);
      ++manager->nextMaterialIndex;
    }
    tree->AddObject(object, modelItem);
    modelObject->children.insert(object);
  }
  AddRecentFile(longPath);
  return 1;
}

int CImportPipeline::ImportFiles(const QStringList& paths, int dispatchKind) {
  // A file dropped or posted while another import pumps events waits its turn.
  static bool busy = false;
  static QStringList pending;
  if (busy) {
    pending << paths;
    return 0;
  }
  busy = true;
  CTreeCtrlRenderingObject* tree = Tree();
  const bool wasEmpty = !tree || tree->IsEmpty();
  int failures = 0;
  QStringList queue = paths;
  while (!queue.isEmpty()) {
    for (const QString& path : queue)
      if (ImportFile(path.toStdWString(), dispatchKind) == 0) ++failures;
    queue = pending;
    pending.clear();
    dispatchKind = kDispatchAutomatic;
  }
  busy = false;
  const bool refit = wasEmpty && tree && !tree->IsEmpty();
  if (afterImport) afterImport(refit);
  return failures;
}

void CImportPipeline::ImportCommand(QWidget* parent) {
  const QStringList filters = QtFileFilters(ImportFilterText());
  QFileDialog dialog(parent, QStringLiteral("インポート"), QString::fromStdWString(initialFolder));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(filters);
  if (lastImportFilter >= 1 && lastImportFilter <= filters.size()) dialog.selectNameFilter(filters[lastImportFilter - 1]);
  if (dialog.exec() != QDialog::Accepted) return;
  lastImportFilter = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  ImportFiles(dialog.selectedFiles(), lastImportFilter);
}

void CImportPipeline::ImportRecentFile(int index) {
  if (index < 0 || index >= m_recentFiles.size()) return;
  const QString path = m_recentFiles[index];
  if (ImportFiles({path}, kDispatchAutomatic) > 0) {
    m_recentFiles.removeAll(path);
    SetRecentFiles(m_recentFiles);
  }
}

std::wstring CImportPipeline::ImportFilterText() const {
  std::wstring text = L"すべてのファイル (*.*)|*.*|サポートされたファイル|";
  const auto listed = [](const ImportPluginEntry& p) { return !p.filterText.empty() && !p.pattern.empty(); };
  for (const ImportPluginEntry& plugin : m_plugins.importPlugins)
    if (listed(plugin)) text += plugin.pattern + L";";
  std::wstring ncPatterns;
  for (const std::wstring& extension : ncExtensions) ncPatterns += (ncPatterns.empty() ? L"*" : L";*") + extension;
  const bool nc = IsNcProduct();
  if (nc) text += anyExtensionIsNc ? L"*.*" : ncPatterns;
  text += L"|";
  for (const ImportPluginEntry& plugin : m_plugins.importPlugins)
    if (listed(plugin)) text += plugin.filterText + L"|" + plugin.pattern + L"|";
  if (nc)
    text += anyExtensionIsNc ? std::wstring(L"NC ファイル (*.*)|*.*|")
                             : L"NC ファイル (" + ncPatterns + L")|" + ncPatterns + L"|";
  return text;
}

std::wstring CImportPipeline::ExportFilterText() const {
  std::wstring text = L"すべてのファイル (*.*)|*.*|サポートされたファイル|";
  const auto listed = [](const ExportPluginEntry& p) { return !p.filterText.empty() && !p.pattern.empty(); };
  for (const ExportPluginEntry& plugin : m_plugins.exportPlugins)
    if (listed(plugin)) text += plugin.pattern + L";";
  text += L"|";
  for (const ExportPluginEntry& plugin : m_plugins.exportPlugins)
    if (listed(plugin)) text += plugin.filterText + L"|" + plugin.pattern + L"|";
  return text;
}

int CImportPipeline::ExportModel(CRenderingObjectModel* object, const std::wstring& path) {
  RecordGuard guard;
  if (!object || ModelToExchangeRecord(object->model, &guard.record) != 1) {
    ShowFormatted(kSaveFailed, path);
    return 0;
  }
  const SplitPath parts = SplitFilePath(path);
  initialFolder = parts.folder;
  const int kind = lastExportFilter;
  const auto& exporters = m_plugins.exportPlugins;
  for (size_t i = 0; i < exporters.size(); ++i) {
    std::wstring target = path.substr(0, 259);
    if (kind <= kDispatchSupported) {
      if (!exporters[i].isSupported(Utf8FromWide(target).c_str())) continue;
    } else if (kind == kFirstPluginFilter + static_cast<int>(i)) {
      if (parts.extension.empty()) {
        std::wstring extension = exporters[i].defaultExtension;
        if (!extension.empty() && extension[0] != L'.') extension = L"." + extension;
        target = parts.folder + parts.name + extension;
      }
    } else {
      continue;
    }
    OpenProgressWindow(target);
    const std::string narrowTarget = Utf8FromWide(target);
    const int result = exporters[i].saveModel(narrowTarget.c_str(), &CImportPipeline::ProgressCallback, &guard.record);
    ProgressCallback(0, -1);
    if (result == 1) return 1;
    std::remove(narrowTarget.c_str());  // nothing of a cancelled or failed export stays behind
    if (result == 0) return 1;
    ShowFormatted(kSaveFailed, target);
    return 0;
  }
  ShowFormatted(kSaveUnsupportedExtension, path);
  return 0;
}

void CImportPipeline::ExportCommand(QWidget* parent, CRenderingObjectModel* model) {
  if (!model) {
    ShowMessage(std::wstring(kPickModel));
    return;
  }
  const QStringList filters = QtFileFilters(ExportFilterText());
  QFileDialog dialog(parent, QStringLiteral("エクスポート"), QString::fromStdWString(initialFolder));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  if (lastExportFilter >= 1 && lastExportFilter <= filters.size()) dialog.selectNameFilter(filters[lastExportFilter - 1]);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  lastExportFilter = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  ExportModel(model, dialog.selectedFiles().front().toStdWString());
}

void CImportPipeline::AddRecentFile(const std::wstring& path) {
  QStringList files = m_recentFiles;
  const QString entry = QString::fromStdWString(path);
  files.removeAll(entry);
  files.prepend(entry);
  while (files.size() > kRecentFileCount) files.removeLast();
  SetRecentFiles(files);
}

void CImportPipeline::SetRecentFiles(const QStringList& files) {
  m_recentFiles = files.mid(0, kRecentFileCount);
  CProfileSection profile(true, QStringLiteral("Recent File List"));
  for (int i = 0; i < kRecentFileCount; ++i) {
    const QString key = QStringLiteral("File%1").arg(i + 1);
    profile.WriteText(key, i < m_recentFiles.size() ? m_recentFiles[i] : QString());
  }
  if (recentFilesChanged) recentFilesChanged(m_recentFiles);
}

void CImportPipeline::Profile(bool save) {
  if (!save) {
    CProfileSection recent(false, QStringLiteral("Recent File List"));
    QStringList files;
    for (int i = 0; i < kRecentFileCount; ++i) {
      QString file;
      if (recent.ReadText(QStringLiteral("File%1").arg(i + 1), file) && !file.isEmpty()) files << file;
    }
    m_recentFiles = files;
    if (recentFilesChanged) recentFilesChanged(m_recentFiles);
  }
  CProfileSection profile(save, QStringLiteral("Pilvo3DView"));
  profile.Text(QStringLiteral("InitialDir"), initialFolder);
  QString ncFilter;
  for (const std::wstring& extension : ncExtensions)
    ncFilter += (ncFilter.isEmpty() ? QStringLiteral("*") : QStringLiteral(";*")) + QString::fromStdWString(extension);
  profile.Text(QStringLiteral("NcFileFilter"), ncFilter);
  if (!save && !ncFilter.isEmpty()) {
    std::vector<std::wstring> extensions;
    for (const QString& piece : ncFilter.split(QRegularExpression(QStringLiteral("[ *;]")), Qt::SkipEmptyParts))
      extensions.push_back(piece.toStdWString());
    if (!extensions.empty()) ncExtensions = extensions;
  }
  profile.Bool(QStringLiteral("AnyExtNcFile"), anyExtensionIsNc);
  profile.Bool(QStringLiteral("ShowCodeListAfterImport"), showCodeListAfterImport);
}
