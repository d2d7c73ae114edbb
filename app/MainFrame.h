// The program's single top-level window: menu bar, four toolbars, a
// one-pane status bar, the view in the centre and the object tree pane.
//
// Every menu item, toolbar button and accelerator is a QAction that carries
// its command id as data.  A command goes to the view first, then to the
// frame itself, then to the application (CCommandTarget); the same targets
// decide whether an action is enabled and checked, asked when a menu is about
// to show and on a light idle timer for the toolbars and shortcuts.
//
// The frame creates the object tree control, hands it to the rendering
// object manager and deletes it (with every rendering object in it) before
// the window goes.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <QTimer>
#include <map>
#include <vector>

#include "app/CommandTarget.h"

class QAction;
class QMenu;
class QToolBar;
class CTreeCtrlRenderingObject;
class CDockablePaneObjectTree;

class CMainFrame : public QMainWindow, public CCommandTarget {
  Q_OBJECT

public:
  static constexpr int kRecentFileCount = 5;
  static constexpr int kIdleUpdateMs = 250;

  explicit CMainFrame(QWidget* parent = nullptr);
  ~CMainFrame() override;

  // Installs the view in the centre (replacing the placeholder) and the
  // target that gets commands first.  Either may be null.
  void SetView(QWidget* view, CCommandTarget* target);
  // The target asked after the frame (help, About).
  void SetApplicationTarget(CCommandTarget* target);

  // Sends command id through the targets; true when one handled it.
  bool TriggerCommand(int id);
  // The menu-bar or toolbar action of id, or null (for instance a command
  // that the product variant removed).
  QAction* FindAction(int id) const;
  // Enabled and checked state of every action, from the targets.
  void UpdateCommandStates();

  // Shows the recent-file list in the File menu (at most five paths, newest first).
  void SetRecentFiles(const QStringList& paths);

  QToolBar* FileToolBar() const { return m_toolBars[0]; }
  QToolBar* RenderingObjectToolBar() const { return m_toolBars[1]; }
  QToolBar* PickToolBar() const { return m_toolBars[2]; }
  QToolBar* AnalysisToolBar() const { return m_toolBars[3]; }
  CDockablePaneObjectTree* ObjectTreePane() const { return m_pane; }
  CTreeCtrlRenderingObject* ObjectTree() const { return m_tree; }

  // The frame's own commands: visibility of the bars and the pane, exit, the
  // recent files.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CCommandState& state) override;

signals:
  // Files dropped on the window, in the order given.
  void filesDropped(const QStringList& paths);
  // The recent-file entry index (0 = newest) was chosen.
  void recentFileChosen(int index);
  // The object tree changed what the view draws.
  void viewRedrawRequested();

protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  void CreateMenus();
  void CreateToolBars();
  void CreateStatusBar();
  void CreateObjectTreePane();
  void RemoveVariantCommands();

  QAction* NewAction(int id, const QString& text);
  QAction* AddItem(QMenu* menu, int id, const QString& text);
  QMenu* AddMenu(QMenu* parent, const QString& title);
  void FillToolBar(QToolBar* toolBar, const std::vector<int>& ids);
  void UpdateActions(const QList<QAction*>& actions);
  void UpdateAction(QAction* action);
  bool QueryState(int id, CCommandState& state);
  QWidget* VisibilityTarget(int id) const;

  std::map<int, QAction*> m_actions;
  std::vector<QMenu*> m_menus;
  QMenu* m_fileMenu = nullptr;
  QMenu* m_renderingObjectMenu = nullptr;
  QMenu* m_analysisMenu = nullptr;
  QAction* m_recentEnd = nullptr;  // separator after the recent-file entries
  std::vector<QAction*> m_recentActions;
  QStringList m_recentFiles;
  QToolBar* m_toolBars[4] = {};
  CTreeCtrlRenderingObject* m_tree = nullptr;
  CDockablePaneObjectTree* m_pane = nullptr;
  QWidget* m_view = nullptr;
  CCommandTarget* m_viewTarget = nullptr;
  CCommandTarget* m_appTarget = nullptr;
  QTimer m_idleTimer;
};
