// The application: names the settings store after the product, creates the
// managers, the main frame and the view, and owns the help and About
// commands.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

#include "app/CommandTarget.h"

class CMainFrame;
class CPilvo3DView;
class CManagerRenderingObject;
class CPilvo3DManagerPickObject;
class CManagerTemporaryObject;
class CManagerMaterialLibrary;

// The document holds nothing of its own: the scene lives in the object tree.
class CPilvo3DDoc {};

class CPilvo3DApp : public QObject, public CCommandTarget {
  Q_OBJECT

public:
  // Fixes the product name and builds the managers; a QApplication exists.
  explicit CPilvo3DApp(const QString& productName);
  ~CPilvo3DApp() override;

  // Settings store, frame, view, material presets, and the deferred import of
  // the files named in arguments (arguments[0] is the program).  False ends
  // the program.
  bool InitInstance(const QStringList& arguments);

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CCommandState& state) override;

  // "Version %d.%02d.%04d.%04d" of the program's version.
  static QString VersionText();
  static QString VersionText(int major, int minor, int build, int revision);
  // The help file: the program's path with ".chm".
  static QString HelpFilePath();
  void OnHelp();
  void OnAbout();

  CMainFrame* Frame() const { return m_frame.get(); }
  CPilvo3DView* View() const { return m_view; }

private:
  std::unique_ptr<CManagerMaterialLibrary> m_materialLibrary;
  std::unique_ptr<CManagerTemporaryObject> m_temporaryObjects;
  std::unique_ptr<CPilvo3DManagerPickObject> m_pickManager;
  std::unique_ptr<CManagerRenderingObject> m_renderingManager;
  std::unique_ptr<CPilvo3DDoc> m_document;
  std::unique_ptr<CMainFrame> m_frame;
  CPilvo3DView* m_view = nullptr;  // owned by the frame
};
