// Base of every modeless tool and property dialog.
//
// A dialog of a kind is open at most once: its owner keeps a slot that points
// to it while it is open.  Closing the dialog (its close button, Escape, the
// window's close box) destroys it; the slot is cleared after the window is
// gone, so the owner never holds a dangling pointer.  The application's
// shortcuts are application-wide actions, so they keep working while a
// dialog has the focus.
#pragma once

#include <QDialog>

#include <functional>

class CZtDialogModeless : public QDialog {
  Q_OBJECT

public:
  explicit CZtDialogModeless(QWidget* parent = nullptr);
  ~CZtDialogModeless() override;

  // Brings the dialog in slot to the front, or makes one with make(), stores
  // it in slot, binds the slot and shows it.  Returns the dialog.
  template <typename Dialog, typename Make>
  static Dialog* Open(Dialog*& slot, Make&& make);

  // The owner's pointer to clear when the dialog is gone.
  template <typename Dialog>
  void SetOwnerSlot(Dialog** slot) {
    m_clearOwnerSlot = [slot, self = this] {
      if (*slot == self) *slot = nullptr;
    };
  }

signals:
  // Emitted when the dialog becomes the active window (not when it loses it).
  void activated();

protected:
  // Cancel hides the dialog and deletes it from the event loop; a modeless
  // dialog never ends modally.
  void reject() override;
  void changeEvent(QEvent* event) override;
  // Called when the dialog becomes the active window.
  virtual void OnActivated() {}

private:
  std::function<void()> m_clearOwnerSlot;
};

template <typename Dialog, typename Make>
Dialog* CZtDialogModeless::Open(Dialog*& slot, Make&& make) {
  if (slot) {
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
  }
  slot = make();
  slot->SetOwnerSlot(&slot);
  slot->show();
  slot->raise();
  slot->activateWindow();
  return slot;
}
