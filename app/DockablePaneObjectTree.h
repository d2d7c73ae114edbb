// The docking pane "オブジェクトツリー" around the object tree control: a
// one-pixel frame, the tree inset by one pixel, the context menu chosen by
// the kind of the caret item's object, and the pane's commands.
#pragma once

#include <QDockWidget>
#include <QPointer>
#include <array>

class QMenu;
class QAction;
class CTreeCtrlRenderingObject;
class CRenderingObject;
class CDialogRenderingObject;

class CDockablePaneObjectTree : public QDockWidget {
  Q_OBJECT

public:
  // The context menus, one per object kind plus one for a click beside the
  // items.
  enum ContextMenuKind {
    kMenuGeometricModel,  // "[形状モデルオブジェクト]"
    kMenuToolPath,        // "[ツールパスオブジェクト]"
    kMenuModel,           // "[モデルオブジェクト]"
    kMenuNullObject,      // "[NULLオブジェクト]": an item of any other kind
    kMenuOutside,         // "[オブジェクト外]"
    kMenuCount
  };

  // The tree becomes the pane's child; its owner (the main frame) may still
  // delete it before the pane goes.
  CDockablePaneObjectTree(CTreeCtrlRenderingObject* tree, QWidget* parent = nullptr);
  ~CDockablePaneObjectTree() override;

  CTreeCtrlRenderingObject* Tree() const { return m_tree; }

  // Runs a pane command.  False when id is not one of the pane's.
  bool OnCommand(int id);

  // The menu a right click at pos (viewport coordinates of the tree) opens.
  QMenu* ChooseContextMenu(const QPoint& pos) const;
  QMenu* ContextMenu(ContextMenuKind kind) const { return m_menus[kind]; }
  // The first action of the context menus that carries id.
  QAction* FindAction(int id) const;

  // The object kind a property command needs (1024, 2048, 4096), 0 when it
  // applies to every object, -1 when id is no property command.
  static int RequiredKind(int id);

  // Registers dialog in its object's set of open dialogs and shows it.  When
  // a dialog of that kind is open on the object already, dialog is deleted
  // and the open one comes to the front.  Returns the dialog on screen.
  static CDialogRenderingObject* ShowPropertyDialog(CDialogRenderingObject* dialog);

signals:
  // A command for the main window ("すべて閉じる" sends close-all there).
  void mainWindowCommand(int id);

protected:
  // Opens the property dialog of commandId for object (whose kind fits the
  // command).  The dialogs come with the rendering objects' property pages;
  // until then nothing opens and the result is false.
  virtual bool OpenPropertyDialog(int commandId, CRenderingObject* object);

private:
  void BuildMenus();
  void ShowContextMenu(const QPoint& pos);
  void OnPropertyCommand(int id);

  QPointer<CTreeCtrlRenderingObject> m_tree;
  std::array<QMenu*, kMenuCount> m_menus{};
};
