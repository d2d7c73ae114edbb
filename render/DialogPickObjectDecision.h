// The choice among several hits under one click: next, previous, decide,
// cancel.  Owned by the view, created once and only shown and hidden.
#pragma once

#include <QDialog>

class CDialogPickObjectDecision : public QDialog {
  Q_OBJECT

public:
  explicit CDialogPickObjectDecision(QWidget* view);

  void Next();
  void Previous();
  void Decide();
  void Cancel();

protected:
  void reject() override { Cancel(); }

private:
  QWidget* m_view;
};
