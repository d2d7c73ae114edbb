// The modeless export dialog: pick a model, then "エクスポート" asks for a
// file and hands the model to an export plug-in.
#pragma once

#include "app/ZtDialogModeless.h"

class CPilvo3DView;

class CDialogExport : public CZtDialogModeless {
  Q_OBJECT

public:
  CDialogExport(CPilvo3DView* view, QWidget* parent);
  ~CDialogExport() override;

  // The "エクスポート" button.
  void OnOK();
  void OnPickReset();

protected:
  void OnActivated() override;

private:
  CPilvo3DView* m_view;
};
