#include "app/Pilvo3DApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include <clocale>

#include "app/AboutDlg.h"
#include "app/CommandIds.h"
#include "app/ImportPipeline.h"
#include "app/MainFrame.h"
#include "app/MessageBox.h"
#include "app/Pilvo3DView.h"
#include "app/ProductInfo.h"
#include "app/SettingsStore.h"
#include "render/ManagerMaterialLibrary.h"
#include "render/ManagerPickObject.h"
#include "render/ManagerRenderingObject.h"
#include "render/ManagerTemporaryObject.h"
#include "view/OGLJText.h"

#ifndef PILVO_VERSION_MAJOR
#define PILVO_VERSION_MAJOR 0
#define PILVO_VERSION_MINOR 0
#define PILVO_VERSION_BUILD 0
#define PILVO_VERSION_REVISION 0
#endif

CPilvo3DApp::CPilvo3DApp(const QString& productName) {
  SetProductName(productName);
  QCoreApplication::setOrganizationName(QStringLiteral("Quandel"));
  QCoreApplication::setApplicationName(productName);
  QGuiApplication::setDesktopFileName(QStringLiteral("Quandel.") + productName +
                                      QStringLiteral(".AppID.NoVersion"));
  // The managers exist before anything that draws or picks.
  m_materialLibrary = std::make_unique<CManagerMaterialLibrary>();
  m_temporaryObjects = std::make_unique<CManagerTemporaryObject>();
  m_pickManager = std::make_unique<CPilvo3DManagerPickObject>();
  m_renderingManager = std::make_unique<CManagerRenderingObject>();
}

CPilvo3DApp::~CPilvo3DApp() {
  // The frame deletes the view (which writes the settings) and the tree
  // (which deletes the user's objects) while the managers still exist.
  m_frame.reset();
  settingsstore::Sync();
}

bool CPilvo3DApp::InitInstance(const QStringList& arguments) {
  std::setlocale(LC_NUMERIC, "C");  // numbers in files and settings always use '.'
  // Tests open a store of their own first; the program uses the user's.
  if (!settingsstore::IsOpen()) settingsstore::OpenUserStore(GetProductName());
  QFont::insertSubstitution(QString::fromWCharArray(kDefaultFontName), ResolveFontFamily(QString::fromWCharArray(kDefaultFontName)));

  m_document = std::make_unique<CPilvo3DDoc>();
  m_frame = std::make_unique<CMainFrame>();
  m_frame->SetApplicationTarget(this);
  m_view = new CPilvo3DView(m_frame.get());
  m_frame->SetView(m_view, m_view);
  m_view->AttachFrame(m_frame.get());
  m_frame->resize(1200, 800);
  m_frame->show();

  m_materialLibrary->Fill();

  std::vector<std::wstring> files;
  for (qsizetype i = 1; i < arguments.size(); ++i) files.push_back(arguments[i].toStdWString());
  if (!files.empty()) {
    std::vector<std::wstring> line{arguments.value(0).toStdWString()};
    line.insert(line.end(), files.begin(), files.end());
    m_view->PostCommandLineImport(JoinCommandLine(line));
  }
  return true;
}

QString CPilvo3DApp::VersionText(int major, int minor, int build, int revision) {
  return QString::asprintf("Version %d.%02d.%04d.%04d", major, minor, build, revision);
}

QString CPilvo3DApp::VersionText() {
  return VersionText(PILVO_VERSION_MAJOR, PILVO_VERSION_MINOR, PILVO_VERSION_BUILD, PILVO_VERSION_REVISION);
}

QString CPilvo3DApp::HelpFilePath() { return QCoreApplication::applicationFilePath() + QStringLiteral(".chm"); }

void CPilvo3DApp::OnHelp() {
  const QString path = HelpFilePath();
  if (!QFileInfo::exists(path)) {
    ShowMessage(QStringLiteral("ヘルプファイルが見つかりませんでした。"));
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void CPilvo3DApp::OnAbout() {
  CAboutDlg about(m_frame.get());
  about.exec();
}

bool CPilvo3DApp::OnCommand(int id) {
  switch (id) {
    case cmd::kHelpContents: OnHelp(); return true;
    case cmd::kAbout: OnAbout(); return true;
    default: return false;
  }
}

bool CPilvo3DApp::OnUpdateCommand(int id, CCommandState& state) {
  if (id != cmd::kHelpContents && id != cmd::kAbout) return false;
  state.enabled = true;
  return true;
}
